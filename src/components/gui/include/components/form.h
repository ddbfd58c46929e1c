#pragma once

#include "components/controls.h"

class QEventLoop;
class QScreen;

namespace components {

// A top-level window described by a form description: its border, caption, place on the
// screen, stacking, and the modal show of dialogs. The client area is the widget itself.
class TForm : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(components::TForm::TBorderIcons BorderIcons READ BorderIcons WRITE setBorderIcons)
    Q_PROPERTY(TFormBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int ClientHeight READ ClientHeight WRITE setClientHeight)
    Q_PROPERTY(int ClientWidth READ ClientWidth WRITE setClientWidth)
    Q_PROPERTY(TFormStyle FormStyle READ FormStyle WRITE setFormStyle)
    Q_PROPERTY(TPosition Position READ Position WRITE setPosition)
    Q_PROPERTY(TWindowState WindowState READ WindowState WRITE setWindowState)
    Q_PROPERTY(qint32 ModalResult READ ModalResult WRITE setModalResult)
public:
    enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
    Q_DECLARE_FLAGS(TBorderIcons, TBorderIcon)
    Q_FLAG(TBorderIcons)
    enum TFormBorderStyle : quint8 {
        bsNone,
        bsSingle,
        bsSizeable,
        bsDialog,
        bsToolWindow,
        bsSizeToolWin
    };
    Q_ENUM(TFormBorderStyle)
    enum TFormStyle : quint8 { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
    Q_ENUM(TFormStyle)
    enum TPosition : quint8 {
        poDesigned,
        poDefault,
        poDefaultPosOnly,
        poDefaultSizeOnly,
        poScreenCenter,
        poDesktopCenter,
        poMainFormCenter,
        poOwnerFormCenter
    };
    Q_ENUM(TPosition)
    enum TWindowState : quint8 { wsNormal, wsMinimized, wsMaximized };
    Q_ENUM(TWindowState)

    explicit TForm(QWidget *parent = nullptr);
    ~TForm() override;

    TBorderIcons BorderIcons() const { return m_borderIcons; }
    void setBorderIcons(TBorderIcons value);
    TFormBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TFormBorderStyle value);
    QString Caption() const { return windowTitle(); }
    void setCaption(const QString &value) { setWindowTitle(value); }
    int ClientHeight() const { return m_clientSize.height(); }
    void setClientHeight(int value);
    int ClientWidth() const { return m_clientSize.width(); }
    void setClientWidth(int value);
    TFormStyle FormStyle() const { return m_formStyle; }
    void setFormStyle(TFormStyle value);
    TPosition Position() const { return m_position; }
    void setPosition(TPosition value) { m_position = value; }
    TWindowState WindowState() const { return m_windowState; }
    void setWindowState(TWindowState value);
    qint32 ModalResult() const { return m_modalResult; }
    void setModalResult(qint32 value);

    // Shows the window modally and returns its modal result once it is set or the window is
    // closed (2, cancel).
    qint32 ShowModal();
    // Shows the window at its designed size and place.
    void Show();

    // Lays out the children that are aligned to an edge or to the client area.
    void alignControls();

    // The focus chain of the window: within each parent, the controls in their TabOrder.
    QList<QWidget *> TabChain() const;
    // The control that takes the focus first: the first tab stop of the chain that can take it.
    QWidget *FirstTabStop() const;
    // The screen the window is centred on: that of the window it is shown over, else the one
    // that holds the pointer.
    QScreen *PlacementScreen() const;

signals:
    void OnActivate(QObject *Sender);
    void OnCreate(QObject *Sender);
    void OnClose(QObject *Sender);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Enter and Escape that no control took press the default or the cancel push button.
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void colorChanged() override;

    // Becomes the program's active window; OnActivate runs only when another window (or none)
    // was active before, as when a dialog over it closes.
    void activated();

private:
    void applyFlags();
    void applySize();
    void centre();
    void arrangeTabOrder();

    TBorderIcons m_borderIcons = TBorderIcons(biSystemMenu) | biMinimize | biMaximize;
    TFormBorderStyle m_borderStyle = bsSizeable;
    QSize m_clientSize{320, 240};
    TFormStyle m_formStyle = fsNormal;
    TPosition m_position = poDesigned;
    TWindowState m_windowState = wsNormal;
    qint32 m_modalResult = 0;
    QEventLoop *m_modalLoop = nullptr;
};

} // namespace components

Q_DECLARE_OPERATORS_FOR_FLAGS(components::TForm::TBorderIcons)
