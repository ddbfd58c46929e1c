object A: TThing
  object B: TThing
    object C: TThing
      Count = 99999999999999999999
    end
