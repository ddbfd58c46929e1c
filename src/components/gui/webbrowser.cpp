#include "components/webbrowser.h"

#include "framework/exception.h"

#include <QWidget>

namespace components {

TWebBrowser::TWebBrowser(webview::IWebBrowserFactory &factory, QWidget *parent)
    : TWinControl(parent)
{
    QString why;
    m_browser = factory.create(this, &why);
    if (m_browser == nullptr)
        throw framework::Exception(
            why.isEmpty() ? QStringLiteral("The web browser plugin made no control") : why);
    QWidget *view = m_browser->widget();
    view->setGeometry(rect());
    // The page is a tab stop of its own (the window's first, in its description).
    setTabStop(true);
    setFocusProxy(view);
    m_browser->setEvents(this);
}

TWebBrowser::~TWebBrowser()
{
    // The view is a child and goes after this; it must not report to a half-destroyed host.
    m_browser->setEvents(nullptr);
}

int TWebBrowser::Navigate(const QString &url)
{
    return m_browser->Navigate(url);
}

int TWebBrowser::ExecWB(int cmdID, int cmdExecOpt)
{
    return m_browser->ExecWB(cmdID, cmdExecOpt);
}

int TWebBrowser::SetDispatchProperty(int dispId, const QVariant &value)
{
    return m_browser->SetDispatchProperty(dispId, value);
}

QString TWebBrowser::ErrorText(int code) const
{
    return m_browser->ErrorText(code);
}

void TWebBrowser::resizeEvent(QResizeEvent *event)
{
    TWinControl::resizeEvent(event);
    m_browser->widget()->setGeometry(rect());
}

void TWebBrowser::downloadBegin()
{
    emit OnDownloadBegin(this);
}

void TWebBrowser::downloadComplete()
{
    emit OnDownloadComplete(this);
}

void TWebBrowser::printFailed(int code)
{
    emit OnPrintFailed(this, code);
}

void TWebBrowser::printComplete(const QString &printer, const QString &job)
{
    emit OnPrintComplete(this, printer, job);
}

void TWebBrowser::navigateError(const QString &url, const QString &reason)
{
    emit OnNavigateError(this, url, reason);
}

void TWebBrowser::pageProcessEnded(const QString &reason)
{
    emit OnPageProcessEnded(this, reason);
}

void TWebBrowser::newWindow(const QString &url)
{
    emit OnNewWindow(this, url);
}

void TWebBrowser::fileDownload(const QString &url)
{
    emit OnFileDownload(this, url);
}

} // namespace components
