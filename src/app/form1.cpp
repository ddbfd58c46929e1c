#include "form1.h"

#include "about.h"
#include "components/AboutSystem.h"
#include "components/comctrls.h"
#include "components/dxButton.h"
#include "components/dxfClock.h"
#include "components/extctrls.h"
#include "components/mLED.h"
#include "components/stdctrls.h"
#include "framework/application.h"
#include "framework/colors.h"
#include "framework/webbrowserapi.h"
#include "netware/nwbase.h"
#include "platform/shellopen.h"

#include <QApplication>
#include <QCloseEvent>

using components::TmLED;

namespace {

// An error escaping a handler is shown in the error box; the program goes on.
template <typename Body> void guarded(Body body)
{
    try {
        body();
    } catch (const framework::Exception &e) {
        framework::showErrorMessage(e.message());
    }
}

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

void registerFormClasses(framework::FormReader &reader, QObject *webBrowserFactory)
{
    reader.registerIdentifierConverter(QMetaType::fromType<framework::TColor>(),
                                       [](const QString &ident) -> std::optional<QVariant> {
                                           framework::TColor color{};
                                           if (!framework::IdentToColor(ident, color))
                                               return std::nullopt;
                                           return QVariant::fromValue(color);
                                       });
    reader.registerIdentifierConverter(QMetaType::fromType<qint32>(), charsetValue);

    reader.registerClass(QStringLiteral("TWebBrowser"), true,
                         [webBrowserFactory](QObject *, QWidget *parent) -> QObject * {
                             QString why;
                             QWidget *browser =
                                 webview::createWebBrowser(webBrowserFactory, parent, &why);
                             if (browser == nullptr)
                                 throw framework::Exception(why);
                             return browser;
                         });
    reader.registerClass<components::TToolBar>(QStringLiteral("TToolBar"));
    reader.registerClass<components::TToolButton>(QStringLiteral("TToolButton"));
    reader.registerClass<components::TmLED>(QStringLiteral("TmLED"));
    reader.registerClass<components::TdxButton>(QStringLiteral("TdxButton"));
    reader.registerClass<components::TdxfClock>(QStringLiteral("TdxfClock"));
    reader.registerClass<TNWBase>(QStringLiteral("TNWBase"));
    reader.registerClass<TAboutSystem>(QStringLiteral("TAboutSystem"));
    reader.registerClass<components::TPanel>(QStringLiteral("TPanel"));
    reader.registerClass<components::TStretchImage>(QStringLiteral("TImage"));
    reader.registerClass<components::TLabel>(QStringLiteral("TLabel"));
    reader.registerClass<components::TButton>(QStringLiteral("TButton"));
}

TForm1::TForm1(TForm1Core *core, const framework::FormReader &reader, TAboutBox *aboutBox)
    : m_core(core), m_aboutBox(aboutBox)
{
    // The creation handler ran in phase one; the rest of the description applies now.
    reader.createVisual(core->form(), this, core->components(), this, {QStringLiteral("OnCreate")});
    core->setParent(this);
    setWindowTitle(core->caption());

    const framework::FormComponents &c = core->components();
    WebBrowser1 = qobject_cast<QWidget *>(c.find(QStringLiteral("WebBrowser1")));
    mLED1 = c.get<TmLED>(QStringLiteral("mLED1"));
    mLED2 = c.get<TmLED>(QStringLiteral("mLED2"));
    Button1 = c.get<components::TdxButton>(QStringLiteral("Button1"));
    Button2 = c.get<components::TdxButton>(QStringLiteral("Button2"));
    Button3 = c.get<components::TdxButton>(QStringLiteral("Button3"));
    dxfClock1 = c.get<components::TdxfClock>(QStringLiteral("dxfClock1"));
    if (WebBrowser1 != nullptr)
        connect(WebBrowser1, SIGNAL(OnPrintFailed(QObject *, int)), this,
                SLOT(WebBrowser1PrintFailed(QObject *, int)));
}

QString TForm1::shellWorkingDirectory(const QString &url)
{
    const qsizetype cut =
        std::max(url.lastIndexOf(QLatin1Char('\\')), url.lastIndexOf(QLatin1Char(':')));
    return cut < 0 ? QString() : url.left(cut + 1);
}

void TForm1::checkBrowserResult(int result)
{
    if (webview::failed(result))
        throw framework::Exception(webview::errorText(WebBrowser1, result));
}

void TForm1::FormActivate(QObject *)
{
    guarded([this] {
        const StartupEnvironment &env = m_core->environment();
        if (upperAscii(env.argument(3)) == QLatin1String("/FULL"))
            setWindowState(wsMaximized);
        checkBrowserResult(
            webview::setDispatchProperty(WebBrowser1, webview::DISPID_VISIBLE, QVariant(false)));
        programValues().URL = env.argument(1);
        checkBrowserResult(webview::navigate(WebBrowser1, programValues().URL));
    });
}

void TForm1::endProgram()
{
    QCoreApplication::exit(0);
}

void TForm1::Button1Click(QObject *)
{
    guarded([this] {
        if (programValues().IntervalMode)
            m_core->WriteDayStamp();
        endProgram();
    });
}

void TForm1::Button2Click(QObject *)
{
    guarded([this] {
        checkBrowserResult(webview::execWB(WebBrowser1, webview::OLECMDID_PRINT,
                                           webview::OLECMDEXECOPT_DONTPROMPTUSER));
    });
}

void TForm1::Button3Click(QObject *)
{
    guarded([this] {
        if (programValues().IntervalMode)
            m_core->WriteDayStamp();
        const QString url = programValues().URL;
        platform::shellOpen(url, shellWorkingDirectory(url), platform::SW_SHOWNORMAL);
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
}

void TForm1::mLED1Click(QObject *)
{
    m_aboutBox->ShowModal();
}

void TForm1::mLED2Click(QObject *)
{
    m_aboutBox->ShowModal();
}

void TForm1::WebBrowser1PrintFailed(QObject *, int code)
{
    framework::showErrorMessage(webview::errorText(WebBrowser1, code));
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager: the program ends without writing the day stamp.
    components::TForm::closeEvent(event);
    endProgram();
}
