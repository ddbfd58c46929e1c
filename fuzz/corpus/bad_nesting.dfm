object A: TFuzzThing
  object B: TFuzzThing
    object C: TFuzzThing
      Count = 99999999999999999999
    end
