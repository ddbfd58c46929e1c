object X: TFuzzThing
  Caption = #1114112#0#$
  Count = $
end