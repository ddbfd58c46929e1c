#pragma once

#include "app/form1core.h"
#include "components/form.h"

#include <functional>
#include <memory>

class TAboutBox;
namespace components {
class TmLED;
class TdxButton;
class TdxfClock;
class TWebBrowser;
} // namespace components
namespace webview {
class IWebBrowserFactory;
}

// Registers every class of the two window descriptions with their phase-two factories, and
// the converters of pictures, colour and character-set names.
void registerFormClasses(framework::FormReader &reader, webview::IWebBrowserFactory &browsers);

// The browser window, created in phase two when it is to be shown. It adopts the phase-one
// components of its description and binds the handlers below by name.
class TForm1 : public components::TForm
{
    Q_OBJECT
public:
    // Gives the About box when a lamp is clicked; made on first demand, so that the window
    // appears without it.
    using AboutBoxSource = std::function<TAboutBox *()>;

    // The description's controls are created here by `reader` (see registerFormClasses).
    TForm1(std::unique_ptr<TForm1Core> core, const framework::FormReader &reader,
           AboutBoxSource aboutBox);
    TForm1(std::unique_ptr<TForm1Core> core, const framework::FormReader &reader,
           TAboutBox *aboutBox);
    ~TForm1() override;

    TForm1Core *core() const { return m_core.get(); }

    components::TWebBrowser *WebBrowser1 = nullptr;
    components::TmLED *mLED1 = nullptr;
    components::TmLED *mLED2 = nullptr;
    components::TdxButton *Button1 = nullptr;
    components::TdxButton *Button2 = nullptr;
    components::TdxButton *Button3 = nullptr;
    components::TdxfClock *dxfClock1 = nullptr;

    // The working folder handed to the shell with the address: its text up to and including
    // the last backslash or colon.
    static QString shellWorkingDirectory(const QString &url);

public slots:
    void FormActivate(QObject *Sender);
    void Button1Click(QObject *Sender);
    void Button2Click(QObject *Sender);
    void Button3Click(QObject *Sender);
    void WebBrowser1DownloadBegin(QObject *Sender);
    void WebBrowser1DownloadComplete(QObject *Sender);
    void mLED1Click(QObject *Sender);
    void mLED2Click(QObject *Sender);
    void WebBrowser1PrintComplete(QObject *Sender, const QString &printer, const QString &job);
    void WebBrowser1PrintFailed(QObject *Sender, int code);
    void WebBrowser1NavigateError(QObject *Sender, const QString &url, const QString &reason);
    void WebBrowser1PageProcessEnded(QObject *Sender, const QString &reason);
    void WebBrowser1NewWindow(QObject *Sender, const QString &url);
    void WebBrowser1FileDownload(QObject *Sender, const QString &url);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Reports a failure code of the browser control as the program's error.
    void checkBrowserResult(int result);
    void endProgram();
    // Runs a handler's body; an error escaping it is recorded as `failure` and shown in the
    // error box, and the program goes on.
    void guarded(const std::function<void()> &body,
                 Records::Action failure = Records::Action::Error);
    void record(Records::Action action, const Records::Details &details = {});
    // Gives an address the page asks for to the default browser; the window stays.
    void openInDefaultBrowser(const QString &url);
    // Hands `url` to the default browser; throws, naming `what`, when it cannot.
    static void handToDefaultBrowser(const QString &url, const QString &what);
    // Both lamps dark: no page is shown, and nothing is on its way.
    void showNotLoaded();

    std::unique_ptr<TForm1Core> m_core;
    void showAboutBox();

    AboutBoxSource m_aboutBoxSource;
    TAboutBox *m_aboutBox = nullptr;
    bool m_pageReported = false; // the "page loaded" milestone is written once
    bool m_loadPending = false;  // the window's navigation has not completed yet
};
