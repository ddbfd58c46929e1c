#pragma once

#include "components/controls.h"
#include "components/dxDrawing.h"
#include "components/dxStyleManager.h"

#include <QPointer>

class QAction;

namespace components {

// The base of the custom-drawn gradient controls: hover, focus and press state, with the
// toolkit's notifications turned into hooks that subclasses override.
class TdxCustomControl : public TWinControl
{
    Q_OBJECT
    Q_PROPERTY(QString About READ About WRITE setAbout)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(qint32 ModalResult READ ModalResult WRITE setModalResult)
    Q_PROPERTY(components::TdxStyleManager *StyleManager READ StyleManager WRITE setStyleManager)
    Q_PROPERTY(QAction *Action READ Action WRITE setAction)
public:
    explicit TdxCustomControl(QWidget *parent = nullptr);
    ~TdxCustomControl() override;

    QString About() const { return m_about; }
    void setAbout(const QString &) {}
    QString Version() const { return GetVersion(); }
    void setVersion(const QString &) {}
    QString Caption() const { return m_caption; }
    void setCaption(const QString &value);
    qint32 ModalResult() const { return m_modalResult; }
    void setModalResult(qint32 value) { m_modalResult = value; }
    TdxStyleManager *StyleManager() const { return m_styleManager; }
    void setStyleManager(TdxStyleManager *value);
    QAction *Action() const { return m_action; }
    virtual void setAction(QAction *value);

    TdxStyleManager::TdxTheme GetTheme() const;

    bool isHot() const { return m_hot; }
    bool isFocusedFlag() const { return m_focused; }
    bool isPressed() const { return m_pressed; }
    bool isMouseDown() const { return m_mouseDown; }
    // Whether the window's active control is a gradient control.
    bool isActiveControlFlag() const { return m_activeControl; }

    // Enter and Escape as the window offers them before acting on them itself; true when taken.
    virtual bool DialogKey(int virtualKey, Qt::KeyboardModifiers modifiers);
    // A typed character offered as a possible accelerator; true when taken.
    virtual bool DialogChar(QChar ch, Qt::KeyboardModifiers modifiers);

    // The window's focus-change notification: every gradient control of the window reruns its
    // focus hook.
    static void NotifyFocusChanged(QWidget *window);

    void Click() override;

signals:
    void OnMouseEnter(QObject *Sender);
    void OnMouseLeave(QObject *Sender);

protected:
    virtual QString GetVersion() const { return {}; }

    // The hooks.
    virtual void DoEnabledChanged();
    virtual void DoFocusChanged();
    virtual void DoMouseDown();
    virtual void DoMouseEnter();
    virtual void DoMouseLeave();
    virtual void DoMouseMove() {}
    virtual void DoMouseUp(const QPoint &globalCursor);
    virtual void DoParentColorChanged();
    virtual void DoSizeChanged() {}
    virtual void DoTextChanged();
    // The action has changed what the control shows.
    virtual void ActionChanged();

    void setHot(bool value) { m_hot = value; }
    void setPressed(bool value) { m_pressed = value; }
    virtual QPoint cursorPos() const;

    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void parentColorChanged() override { DoParentColorChanged(); }

private:
    friend class TdxStyleManager;
    void ensureDialogKeyFilter();
    // The enter and leave hooks, once each way however the pointer's moves are reported.
    void pointerEntered();
    void pointerLeft();

    QString m_about;
    QString m_caption;
    bool m_mouseDown = false;
    bool m_hot = false;
    bool m_focused = false;
    bool m_pressed = false;
    bool m_activeControl = false;
    bool m_pointerInside = false;
    qint32 m_modalResult = 0;
    QPointer<TdxStyleManager> m_styleManager;
    QPointer<QAction> m_action;
    QMetaObject::Connection m_focusConnection;
    QMetaObject::Connection m_actionConnection;
};

} // namespace components
