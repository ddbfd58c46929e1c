#include "app/form1.h"

#include "app/about.h"
#include "app/programvalues.h"
#include "components/AboutSystem.h"
#include "components/button.h"
#include "components/dxButton.h"
#include "components/dxfClock.h"
#include "components/image.h"
#include "components/label.h"
#include "components/mLED.h"
#include "components/panel.h"
#include "components/toolbar.h"
#include "components/webbrowser.h"
#include "framework/colors.h"
#include "framework/formcontrols.h"
#include "framework/formpictures.h"
#include "framework/messagebox.h"
#include "framework/startuplog.h"
#include "framework/usertext.h"
#include "netware/nwbase.h"
#include "platform/shellopen.h"
#include "platform/textfile.h"

#include <QApplication>
#include <QCloseEvent>

using components::TmLED;

namespace {

std::optional<QVariant> charsetValue(const QString &ident)
{
    static const QHash<QString, qint32> charsets = {
        {QStringLiteral("ANSI_CHARSET"), 0},         {QStringLiteral("DEFAULT_CHARSET"), 1},
        {QStringLiteral("SYMBOL_CHARSET"), 2},       {QStringLiteral("MAC_CHARSET"), 77},
        {QStringLiteral("SHIFTJIS_CHARSET"), 128},   {QStringLiteral("GREEK_CHARSET"), 161},
        {QStringLiteral("TURKISH_CHARSET"), 162},    {QStringLiteral("RUSSIAN_CHARSET"), 204},
        {QStringLiteral("EASTEUROPE_CHARSET"), 238}, {QStringLiteral("OEM_CHARSET"), 255},
    };
    const auto it = charsets.constFind(ident);
    if (it == charsets.constEnd())
        return std::nullopt;
    return QVariant(*it);
}

} // namespace

void registerFormClasses(framework::FormReader &reader, webview::IWebBrowserFactory &browsers)
{
    framework::registerPictureConverter(reader);
    reader.registerIdentifierConverter(QMetaType::fromType<framework::TColor>(),
                                       [](const QString &ident) -> std::optional<QVariant> {
                                           framework::TColor color{};
                                           if (!framework::IdentToColor(ident, color))
                                               return std::nullopt;
                                           return QVariant::fromValue(color);
                                       });
    reader.registerIdentifierConverter(QMetaType::fromType<qint32>(), charsetValue);

    reader.registerClass(
        QStringLiteral("TWebBrowser"), true, [&browsers](QObject *, QObject *parent) -> QObject * {
            return new components::TWebBrowser(browsers, qobject_cast<QWidget *>(parent));
        });
    using framework::registerControl;
    registerControl<components::TToolBar>(reader, QStringLiteral("TToolBar"));
    registerControl<components::TToolButton>(reader, QStringLiteral("TToolButton"));
    registerControl<components::TmLED>(reader, QStringLiteral("TmLED"));
    registerControl<components::TdxButton>(reader, QStringLiteral("TdxButton"));
    registerControl<components::TdxfClock>(reader, QStringLiteral("TdxfClock"));
    registerControl<components::TPanel>(reader, QStringLiteral("TPanel"));
    registerControl<components::TStretchImage>(reader, QStringLiteral("TImage"));
    registerControl<components::TLabel>(reader, QStringLiteral("TLabel"));
    registerControl<components::TButton>(reader, QStringLiteral("TButton"));
    reader.registerClass<TNWBase>(QStringLiteral("TNWBase"));
    reader.registerClass<TAboutSystem>(QStringLiteral("TAboutSystem"));
}

TForm1::TForm1(std::unique_ptr<TForm1Core> core, const framework::FormReader &reader,
               TAboutBox *aboutBox)
    : TForm1(std::move(core), reader, [aboutBox] { return aboutBox; })
{
}

TForm1::TForm1(std::unique_ptr<TForm1Core> core, const framework::FormReader &reader,
               AboutBoxSource aboutBox)
    : m_core(std::move(core)), m_aboutBoxSource(std::move(aboutBox))
{
    // The creation handler ran in phase one; the rest of the description applies now.
    reader.createVisual(m_core->form(), this, m_core->components(), this,
                        {QStringLiteral("OnCreate")});
    setWindowTitle(m_core->caption());
    // With /FULL the window is maximised at each activation. Maximised before it is shown, it
    // asks the window manager once for what maximising needs, rather than being shown again.
    if (upperAscii(m_core->environment().argument(3)) == QLatin1String("/FULL"))
        setWindowState(wsMaximized);

    const framework::FormComponents &c = m_core->components();
    WebBrowser1 = c.get<components::TWebBrowser>(QStringLiteral("WebBrowser1"));
    mLED1 = c.get<TmLED>(QStringLiteral("mLED1"));
    mLED2 = c.get<TmLED>(QStringLiteral("mLED2"));
    Button1 = c.get<components::TdxButton>(QStringLiteral("Button1"));
    Button2 = c.get<components::TdxButton>(QStringLiteral("Button2"));
    Button3 = c.get<components::TdxButton>(QStringLiteral("Button3"));
    dxfClock1 = c.get<components::TdxfClock>(QStringLiteral("dxfClock1"));
    if (!WebBrowser1 || !mLED1 || !mLED2 || !Button1 || !Button2 || !Button3 || !dxfClock1)
        throw framework::Exception(
            QStringLiteral("The window description TFORM1 lacks one of its controls"));
    connect(WebBrowser1, &components::TWebBrowser::OnPrintFailed, this,
            &TForm1::WebBrowser1PrintFailed);
    connect(WebBrowser1, &components::TWebBrowser::OnPrintComplete, this,
            &TForm1::WebBrowser1PrintComplete);
    connect(WebBrowser1, &components::TWebBrowser::OnNavigateError, this,
            &TForm1::WebBrowser1NavigateError);
    connect(WebBrowser1, &components::TWebBrowser::OnPageProcessEnded, this,
            &TForm1::WebBrowser1PageProcessEnded);
    connect(WebBrowser1, &components::TWebBrowser::OnNewWindow, this,
            &TForm1::WebBrowser1NewWindow);
    connect(WebBrowser1, &components::TWebBrowser::OnFileDownload, this,
            &TForm1::WebBrowser1FileDownload);
    // What the lamps and the page mean, for assistive technology.
    mLED1->setStateTexts(QStringLiteral("Page loaded"), QStringLiteral("Page not loaded"));
    mLED2->setStateTexts(QStringLiteral("Download in progress"),
                         QStringLiteral("No download in progress"));
    for (TmLED *led : {mLED1, mLED2})
        led->setAccessibleDescription(QStringLiteral("Shows the About box"));
    WebBrowser1->setAccessibleName(QStringLiteral("Page"));
}

// The phase-one components are children of the window by now; the core goes first.
TForm1::~TForm1() = default;

QString TForm1::shellWorkingDirectory(const QString &url)
{
    const qsizetype cut =
        std::max(url.lastIndexOf(QLatin1Char('\\')), url.lastIndexOf(QLatin1Char(':')));
    return cut < 0 ? QString() : url.left(cut + 1);
}

void TForm1::handToDefaultBrowser(const QString &url, const QString &what)
{
    const platform::ShellOpenResult opened =
        platform::shellOpen(url, shellWorkingDirectory(url), platform::SW_SHOWNORMAL);
    if (!opened)
        throw framework::Exception(
            QStringLiteral("Cannot open %1 in the default browser: %2").arg(what, opened.reason));
}

void TForm1::guarded(const std::function<void()> &body, Records::Action failure)
{
    try {
        body();
    } catch (const framework::Exception &e) {
        record(failure, {e.message(), {}, {}});
        framework::showErrorMessage(e.message());
    }
}

void TForm1::record(Records::Action action, const Records::Details &details)
{
    m_core->environment().records->action(action, details);
}

void TForm1::checkBrowserResult(int result)
{
    if (webview::failed(result))
        throw framework::Exception(WebBrowser1->ErrorText(result));
}

void TForm1::FormActivate(QObject *)
{
    guarded(
        [this] {
            const StartupEnvironment &env = m_core->environment();
            if (upperAscii(env.argument(3)) == QLatin1String("/FULL"))
                setWindowState(wsMaximized);
            checkBrowserResult(
                WebBrowser1->SetDispatchProperty(webview::DISPID_VISIBLE, QVariant(false)));
            programValues().URL = env.argument(1);
            // The download this navigation completes is the page's "loaded" record; a control
            // may report it before Navigate returns.
            m_loadPending = true;
            const int result = WebBrowser1->Navigate(programValues().URL);
            if (webview::failed(result))
                m_loadPending = false;
            checkBrowserResult(result);
        },
        Records::Action::LoadFailed);
}

void TForm1::endProgram()
{
    // Gone from the screen at once; the page's boxes stop asking over a window not shown.
    hide();
    QCoreApplication::exit(0);
}

void TForm1::Button1Click(QObject *)
{
    guarded([this] {
        if (programValues().IntervalMode)
            m_core->WriteDayStamp();
        record(Records::Action::Exit);
        endProgram();
    });
}

void TForm1::Button2Click(QObject *)
{
    guarded(
        [this] {
            // The record follows when the printer has the job (WebBrowser1PrintComplete).
            checkBrowserResult(WebBrowser1->ExecWB(webview::OLECMDID_PRINT,
                                                   webview::OLECMDEXECOPT_DONTPROMPTUSER));
        },
        Records::Action::PrintFailed);
}

void TForm1::Button3Click(QObject *)
{
    guarded([this] {
        // The stamp is written aside first, so that one that cannot be written keeps the page
        // here, and put in place only once the browser has the page, so that a failed
        // hand-over records nothing.
        std::unique_ptr<platform::FileReplacement> stamp;
        if (programValues().IntervalMode)
            stamp = m_core->PrepareDayStamp();
        handToDefaultBrowser(programValues().URL, QStringLiteral("the page"));
        record(Records::Action::Browser);
        if (stamp)
            TForm1Core::CommitDayStamp(*stamp);
        endProgram();
    });
}

void TForm1::WebBrowser1DownloadBegin(QObject *)
{
    mLED1->setState(TmLED::lsOFF);
    mLED2->setState(TmLED::lsON);
}

void TForm1::WebBrowser1DownloadComplete(QObject *)
{
    mLED1->setState(TmLED::lsON);
    mLED2->setState(TmLED::lsOFF);
    if (m_loadPending) {
        m_loadPending = false;
        record(Records::Action::Loaded);
    }
    if (!m_pageReported) {
        m_pageReported = true;
        qCInfo(framework::lcStartup, "page loaded");
    }
}

void TForm1::showNotLoaded()
{
    mLED1->setState(TmLED::lsOFF);
    mLED2->setState(TmLED::lsOFF);
}

void TForm1::WebBrowser1NavigateError(QObject *, const QString &, const QString &reason)
{
    showNotLoaded();
    if (m_loadPending) {
        m_loadPending = false;
        record(Records::Action::LoadFailed, {reason, {}, {}});
    }
}

void TForm1::WebBrowser1PageProcessEnded(QObject *, const QString &reason)
{
    showNotLoaded();
    m_loadPending = false;
    record(Records::Action::LoadFailed,
           {QStringLiteral("the page's process ended: %1").arg(reason), {}, {}});
}

void TForm1::openInDefaultBrowser(const QString &url)
{
    guarded([this, &url] {
        handToDefaultBrowser(url, url);
        record(Records::Action::Browser,
               {QStringLiteral("asked for by the page: %1").arg(framework::echoUserText(url)),
                {},
                {}});
    });
}

void TForm1::WebBrowser1NewWindow(QObject *, const QString &url)
{
    openInDefaultBrowser(url);
}

void TForm1::WebBrowser1FileDownload(QObject *, const QString &url)
{
    openInDefaultBrowser(url);
}

void TForm1::showAboutBox()
{
    guarded([this] {
        if (m_aboutBox == nullptr)
            m_aboutBox = m_aboutBoxSource();
        record(Records::Action::About);
        m_aboutBox->ShowModal();
    });
}

void TForm1::mLED1Click(QObject *)
{
    showAboutBox();
}

void TForm1::mLED2Click(QObject *)
{
    showAboutBox();
}

void TForm1::WebBrowser1PrintComplete(QObject *, const QString &printer, const QString &job)
{
    record(Records::Action::Printed, {{}, printer, job});
}

void TForm1::WebBrowser1PrintFailed(QObject *, int code)
{
    const QString reason = WebBrowser1->ErrorText(code);
    record(Records::Action::PrintFailed, {reason, {}, {}});
    framework::showErrorMessage(reason);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager: the program ends without writing the day stamp.
    record(Records::Action::Exit, {QStringLiteral("the window was closed"), {}, {}});
    components::TForm::closeEvent(event);
    endProgram();
}
