#pragma once

#include <QByteArray>
#include <QHash>
#include <QWebEngineView>
#include <deque>
#include <memory>

class QPrinter;

// The web browser control on QtWebEngine, driven the way the window drives its platform
// control: Navigate, ExecWB for printing, a dispatch-property write, download events.
class TWebBrowser : public QWebEngineView
{
    Q_OBJECT
public:
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
    Q_ENUM(TAlign)

private:
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(int Width READ Width WRITE setWidth)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(int TabOrder READ TabOrder WRITE setTabOrder)
    Q_PROPERTY(TAlign Align READ Align WRITE setAlign)
    Q_PROPERTY(QByteArray ControlData READ ControlData WRITE setControlData)

public:
    explicit TWebBrowser(QWidget *parent = nullptr);
    ~TWebBrowser() override;

    Q_INVOKABLE int Navigate(const QString &url);
    Q_INVOKABLE int ExecWB(int cmdID, int cmdExecOpt);
    Q_INVOKABLE int SetDispatchProperty(int dispId, const QVariant &value);
    Q_INVOKABLE QString ErrorText(int code) const;

    int Left() const { return x(); }
    void setLeft(int v) { move(v, y()); }
    int Top() const { return y(); }
    void setTop(int v) { move(x(), v); }
    int Width() const { return width(); }
    void setWidth(int v) { resize(v, height()); }
    int Height() const { return height(); }
    void setHeight(int v) { resize(width(), v); }
    int TabOrder() const { return m_tabOrder; }
    void setTabOrder(int v) { m_tabOrder = v; }
    TAlign Align() const { return m_align; }
    void setAlign(TAlign v);
    // The stored design-time state: kept, not interpreted.
    QByteArray ControlData() const { return m_controlData; }
    void setControlData(const QByteArray &v) { m_controlData = v; }

signals:
    void OnDownloadBegin(QObject *Sender);
    void OnDownloadComplete(QObject *Sender);
    void OnPrintFailed(QObject *Sender, int code);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int fail(int code, const QString &description);
    void followParent();
    void startNextPrint();

    int m_tabOrder = 0;
    TAlign m_align = alNone;
    QByteArray m_controlData;
    bool m_loading = false;
    QHash<int, QString> m_descriptions;
    std::deque<std::unique_ptr<QPrinter>> m_printQueue;
    std::unique_ptr<QPrinter> m_printing;
};
