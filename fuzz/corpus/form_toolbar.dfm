object Form1: TForm1
  BorderIcons = [biMinimize, biMaximize]
  Color = clNavy
  Font.Name = 'MS Sans Serif'
  OnActivate = FormActivate
  object WebBrowser1: TBox
    Left = 0
    Top = 27
    ControlData = {
      4C000000033E0000D61F00000000000000000000000000000000000000000000
      000000004C0000000000000000000000010000000000000000000000}
  end
  object ToolBar1: TBox
    object mLED1: TBox
      Picture.Data = {
        07544269746D6170}
    end
  end
  object NWBase1: TThing
    Caption = '[Root]'
  end
  object AboutSystem1: TThing
  end
end
