#include "dpnmain.h"

#include "components/AboutSystem.h"
#include "netware/nwbase.h"
#include "platform/textfile.h"

#include <algorithm>

ProgramValues &programValues()
{
    static ProgramValues values;
    return values;
}

// ---------------------------------------------------------------- day-stamp file

EInOutError::EInOutError(int code) : Exception(messageFor(code)), m_code(code) {}

QString EInOutError::messageFor(int code)
{
    switch (code) {
    case 2:
        return QStringLiteral("File not found");
    case 3:
        return QStringLiteral("Invalid filename");
    case 4:
        return QStringLiteral("Too many open files");
    case 5:
        return QStringLiteral("File access denied");
    case 100:
        return QStringLiteral("Read beyond end of file");
    case 101:
        return QStringLiteral("Disk full");
    case 106:
        return QStringLiteral("Invalid numeric input");
    default:
        return QStringLiteral("I/O error %1").arg(code);
    }
}

namespace {

// No day number is longer; a longer first line only has to stay recognisably invalid.
constexpr qsizetype kStampLimit = 64;

} // namespace

QString TForm1Core::dayStampFileName() const
{
    return AboutSystem1->LocalAppData() + QStringLiteral("/dpn.qcf");
}

void TForm1Core::ReadDayStamp()
{
    const QString name = dayStampFileName();
    if (!platform::fileExists(name)) {
        programValues().DayStamp = QStringLiteral("0");
        return;
    }
    const platform::FirstLine line = platform::readFirstLine(name, kStampLimit);
    if (line.error != 0)
        throw EInOutError(line.error);
    QString stamp = QString::fromLocal8Bit(line.text);
    if (line.truncated)
        stamp += QStringLiteral("...");
    programValues().DayStamp = stamp;
}

void TForm1Core::WriteDayStamp()
{
    const QByteArray content = programValues().CurrentDay.toLocal8Bit() + "\r\n";
    if (const int error = platform::replaceFile(dayStampFileName(), content); error != 0)
        throw EInOutError(error);
}

// ---------------------------------------------------------------- command line

QString StartupEnvironment::argument(int position) const
{
    return position >= 1 && position <= arguments.size() ? arguments.at(position - 1) : QString();
}

QStringList commandLineArguments(int argc, const char *const *argv)
{
    QStringList args;
    for (int i = 1; i < argc && i <= 3; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

QString upperAscii(const QString &text)
{
    QString up = text;
    for (QChar &c : up)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return up;
}

// ---------------------------------------------------------------- the show decision

const char *const kForm1ControlClasses[] = {"TWebBrowser", "TToolBar",  "TToolButton", "TmLED",
                                            "TdxButton",   "TdxfClock", nullptr};

TForm1Core::TForm1Core(const StartupEnvironment &env, QObject *parent) : QObject(parent), m_env(env)
{
    Q_INIT_RESOURCE(forms);
    m_form =
        framework::readFormDescription(QStringLiteral(":/forms/TFORM1"), QStringLiteral("TFORM1"));
    framework::FormReader reader;
    for (const char *const *name = kForm1ControlClasses; *name != nullptr; ++name)
        reader.registerClass(QLatin1String(*name), true, [](QObject *, QWidget *) -> QObject * {
            return nullptr; // controls are made in phase two
        });
    reader.registerClass<TNWBase>(QStringLiteral("TNWBase"));
    reader.registerClass(QStringLiteral("TAboutSystem"), false,
                         [&env](QObject *owner, QWidget *) -> QObject * {
                             return new TAboutSystem(owner, *env.settings, *env.system);
                         });
    // In the order of the window's description, each with its stored values.
    m_components = reader.createNonVisual(m_form, this);
    reader.applyRootProperties(m_form, this, m_components, {QStringLiteral("OnCreate")});
    setObjectName(m_form.root.name);
    NWBase1 = m_components.get<TNWBase>(QStringLiteral("NWBase1"));
    AboutSystem1 = m_components.get<TAboutSystem>(QStringLiteral("AboutSystem1"));
    if (NWBase1 == nullptr || AboutSystem1 == nullptr)
        throw framework::Exception(
            QStringLiteral("The window description TFORM1 lacks NWBase1 or AboutSystem1"));
}

TForm1Core::~TForm1Core() = default;

void TForm1Core::FormCreate(QObject *)
{
    // An error must not unwind through the signal; it is handed on by RunOnCreate.
    try {
        m_outcome = FormCreate();
    } catch (...) {
        m_error = std::current_exception();
    }
}

TForm1Core::Outcome TForm1Core::RunOnCreate()
{
    m_error = nullptr;
    m_outcome = Outcome::End;
    emit OnCreate(this);
    if (m_error)
        std::rethrow_exception(m_error);
    return m_outcome;
}

namespace {

// Days since the stamp. The stamp holds no year: one greater than today was written last
// year, so the days of last year count too.
qint64 daysSinceStamp(std::int32_t today, std::int32_t year, std::int32_t stamp)
{
    if (stamp <= today)
        return qint64(today) - stamp;
    const qint64 lastYear = dates::IsLeapYear(year - 1) ? 366 : 365;
    const qint64 elapsed = today + lastYear - stamp;
    // Not a day of any year: it cannot lock the page out.
    return elapsed < 0 ? std::numeric_limits<qint64>::max() : elapsed;
}

} // namespace

TForm1Core::Outcome TForm1Core::FormCreate()
{
    ProgramValues &pv = programValues();
    pv.IntervalMode = false;
    if (m_env.argument(1).isEmpty())
        return Outcome::End;
    if (m_env.argument(2).isEmpty())
        return Outcome::End;

    const QString mode = upperAscii(m_env.argument(2));
    if (!mode.contains(QLatin1Char('/'))) {
        pv.IntervalMode = true;
        ReadDayStamp();
        const int n = framework::StrToInt(m_env.argument(2));
        std::int32_t year = 0;
        const std::int32_t today = dates::DayOfTheYear(dates::Date(*m_env.clock), year);
        const int stamp = framework::StrToInt(pv.DayStamp);
        if (daysSinceStamp(today, year, stamp) < n)
            return Outcome::End;
    }

    const QString name = m_env.directory->whoAmIName();
    m_env.directory->readTimeAttribute(QStringLiteral("[root]"), name, 47, pv.LastLoginTime);
    pv.LastLoginTime = dates::UTCToLocalTime(pv.LastLoginTime, *m_env.timeZone);

    pv.CurrentDay = QString::number(dates::DayNumber(dates::Date(*m_env.clock)));
    pv.LastLoginDay = QString::number(dates::DayNumber(pv.LastLoginTime));

    m_caption = m_env.directory->typelessName(m_env.directory->whoAmIName()) +
                QStringLiteral("  \u00B7 Last Login: ") + dates::DateTimeToText(pv.LastLoginTime);

    if (pv.CurrentDay != pv.LastLoginDay)
        return Outcome::Show;
    if (mode == QLatin1String("/F"))
        return Outcome::Show;
    return Outcome::End;
}
