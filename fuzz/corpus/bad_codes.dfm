object X: TThing
  Caption = #1114112#0#$
  Count = $
end