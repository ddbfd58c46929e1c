object Form1: TForm1
  Left = 232
  Top = 212
  Caption = 'Daypane'
  OnCreate = FormCreate
  object Thing1: TThing
    Count = -12
    Small = 300
    Byte = $7F
    Big = -9223372036854775808
    Caption = 'It''s'#13#10'two '#$41 +
      'lines'
    Active = True
    Ratio = 1.5E+003
    Scale = 0.25
    Kind = tkTwo
    Anchors = [akLeft, akBottom]
    Data = {
      0A0B0C0D0E0F
      FF00}
    Lines = (
      'one'
      'two' + 'three')
    Letter = 'x'
    HandOptions.Length = 60
    Shade = $FF00000A
    Picture.Data = {
      07544269746D61703A000000424D3A0000000000000036000000280000000100000001000000010018000000000004000000130B0000130B000000000000000000000000FF00}
    HandOptions.HourHandColor = clRed
    Buddy = Thing2
    OnClick = ThingClick
    OnChange = ThingChange
  end
  object Panel1: TBox
    object Thing3: TThing
      Buddy = nil
      OnClick = NoArguments
    end
  end
  object Thing2: TThing
    object Part: THandOptions
      Length = 1
    end
  end
end
