object Form1: TForm1
  BorderIcons = [biMinimize, biMaximize]
  BorderStyle = bsSingle
  Caption = 'Daypane'
  ClientHeight = 335
  ClientWidth = 600
  Color = clNavy
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnActivate = FormActivate
  OnCreate = FormCreate
  object WebBrowser1: TWebBrowser
    Left = 0
    Top = 27
    Width = 600
    Height = 308
    Align = alClient
    TabOrder = 0
    OnDownloadBegin = WebBrowser1DownloadBegin
    OnDownloadComplete = WebBrowser1DownloadComplete
  end
  object ToolBar1: TToolBar
    Left = 0
    Top = 0
    Width = 600
    Height = 27
    ButtonHeight = 23
    Color = clActiveBorder
    ParentColor = False
    TabOrder = 1
    object ToolButton2: TToolButton
      Left = 0
      Top = 2
      Width = 16
      Style = tbsSeparator
    end
    object mLED1: TmLED
      Left = 16
      Top = 2
      Width = 23
      Height = 23
      Cursor = crHelp
      Anchors = [akLeft, akBottom]
      AutoSize = True
      Picture.Data = {
        07544269746D617000000000}
      Transparent = True
      OnClick = mLED1Click
      Size = lzNormal
      State = lsOFF
      Color = lcGreen
      Copyright = 'LED lamp (c) Daypane'
    end
    object mLED2: TmLED
      Left = 39
      Top = 2
      Width = 23
      Height = 23
      Cursor = crHelp
      Anchors = [akLeft, akBottom]
      AutoSize = True
      Picture.Data = {
        07544269746D617000000000}
      Transparent = True
      OnClick = mLED2Click
      Size = lzNormal
      State = lsOFF
      Color = lcRed
      Copyright = 'LED lamp (c) Daypane'
    end
    object ToolButton4: TToolButton
      Left = 62
      Top = 2
      Width = 19
      Style = tbsSeparator
    end
    object Button1: TdxButton
      Left = 81
      Top = 2
      Width = 136
      Height = 23
      Caption = 'Exit'
      Color = clActiveBorder
      Colors.BackgroundFrom = clSkyBlue
      TabOrder = 0
      OnClick = Button1Click
    end
    object Button2: TdxButton
      Left = 217
      Top = 2
      Width = 136
      Height = 23
      Caption = 'Print'
      Colors.BackgroundFrom = clMoneyGreen
      TabOrder = 1
      OnClick = Button2Click
    end
    object Button3: TdxButton
      Left = 353
      Top = 2
      Width = 136
      Height = 23
      Caption = 'Open in Full Browser'
      Colors.BackgroundFrom = clMedGray
      TabOrder = 2
      OnClick = Button3Click
    end
    object dxfClock1: TdxfClock
      Left = 489
      Top = 2
      Width = 104
      Height = 23
      DisplayFormat = 'hh:mm:ss'
      ClockStyle = csText
      BorderColor = clSilver
      HandOptions.HourHandColor = clBlack
      HandOptions.HourHandLenght = 60
      HandOptions.HourHandWidth = 5
      HandOptions.MinHandColor = clBlack
      HandOptions.MinHandLenght = 80
      HandOptions.MinHandWidth = 3
      HandOptions.SecHandColor = clRed
      HandOptions.SecHandLenght = 90
      HandOptions.SecHandWidth = 1
      HandOptions.ShowSecHand = True
      OffsetHour = 0
      OffsetMin = 0
      OffsetSec = 0
      HoursDisplayStyle = dsPoints
      Color = clSilver
      Active = True
    end
  end
  object NWBase1: TNWBase
    NDSContextName = '[Root]'
  end
  object AboutSystem1: TAboutSystem
  end
end
