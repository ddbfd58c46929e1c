object F: TForm1
  object T: TThing
    Kind = tkNine
    Anchors = [akLeft, akNowhere]
    Data = { 0G }
    Lines = ( 'a' 12 )
    Items = < >
  end
end
