object AboutBox: TAboutBox
  BorderStyle = bsDialog
  Caption = 'About'
  ClientHeight = 226
  ClientWidth = 306
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  Position = poScreenCenter
  OnActivate = FormActivate
  object Panel1: TPanel
    Left = 8
    Top = 8
    Width = 289
    Height = 185
    BevelInner = bvRaised
    BevelOuter = bvLowered
    ParentColor = True
    TabOrder = 0
    object ProgramIcon: TImage
      Left = 4
      Top = 4
      Width = 33
      Height = 33
      Stretch = True
      IsControl = True
    end
    object ProductName: TLabel
      Left = 56
      Top = 16
      Caption = 'Product Name:  Login Daypane'
      Font.Style = [fsBold]
      IsControl = True
    end
    object Label5: TLabel
      Left = 8
      Top = 40
      Caption = 'Last Login DateTime: '
      Font.Style = [fsUnderline]
    end
    object Label6: TLabel
      Left = 266
      Top = 40
      Width = 7
      Alignment = taRightJustify
      Caption = '1'
    end
    object Label7: TLabel
      Left = 8
      Top = 56
      Caption = 'TimeZone Offset:'
      Font.Style = [fsUnderline]
    end
    object Label8: TLabel
      Left = 96
      Top = 56
    end
    object Label1: TLabel
      Left = 160
      Top = 56
      Caption = 'Last Login Day :'
      Font.Style = [fsUnderline]
    end
    object Label3: TLabel
      Left = 248
      Top = 56
    end
    object Version: TLabel
      Left = 8
      Top = 72
      Caption = 'Version: 1.5'
      Font.Style = [fsBold]
      IsControl = True
    end
    object Label2: TLabel
      Left = 176
      Top = 72
      Caption = 'Current Day :'
      Font.Style = [fsUnderline]
    end
    object Label4: TLabel
      Left = 248
      Top = 72
    end
    object Label9: TLabel
      Left = 173
      Top = 87
      Cursor = crHandPoint
      Caption = ' Visit Me Online '
      Color = clNavy
      Font.Color = clWhite
      ParentColor = False
      OnClick = Label9Click
    end
    object Copyright: TLabel
      Left = 8
      Top = 88
      Caption = 'Copyright '#169' 2000-2026 Daypane'
      IsControl = True
    end
    object Comments: TLabel
      Left = 8
      Top = 112
      Width = 261
      Height = 65
      AutoSize = False
      Caption =
        'Works with Novell NetWare and runs only once per day. Usage: ldpn U' +
        'RL /n - the first argument is the target URL, the second /n for n' +
        'ormal mode or /f to force a run.'
      WordWrap = True
      IsControl = True
    end
  end
  object OKButton: TButton
    Left = 111
    Top = 196
    Width = 75
    Height = 29
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 1
    OnClick = OKButtonClick
  end
end
