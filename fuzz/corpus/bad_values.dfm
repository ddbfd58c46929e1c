object F: TForm1
  object T: TFuzzThing
    Kind = fkNine
    Anchors = [akLeft, akNowhere]
    Data = { 0G }
    Lines = ( 'a' 12 )
    Items = < >
  end
end
