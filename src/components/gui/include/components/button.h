#pragma once

#include "components/controls.h"

#include <QPushButton>

namespace components {

// A push button: Default takes Enter on its window (see TForm), Cancel Escape; ModalResult
// closes a modal window.
class TButton : public TPlaced<QPushButton>
{
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(int Width READ Width WRITE setWidth)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Default READ Default WRITE setDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE setCancel)
    Q_PROPERTY(qint32 ModalResult READ ModalResult WRITE setModalResult)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE setTabOrder)
public:
    explicit TButton(QWidget *parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString &value) { setText(value); }
    bool Default() const { return isDefault(); }
    bool Cancel() const { return m_cancel; }
    void setCancel(bool value) { m_cancel = value; }
    qint32 ModalResult() const { return m_modalResult; }
    void setModalResult(qint32 value) { m_modalResult = value; }
    int TabOrder() const { return m_tabOrder; }
    void setTabOrder(int value) { m_tabOrder = value; }

signals:
    void OnClick(QObject *Sender);

protected:
    // A focused push button takes Enter itself, as the window's default would.
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_cancel = false;
    qint32 m_modalResult = 0;
    int m_tabOrder = -1;
};

} // namespace components
