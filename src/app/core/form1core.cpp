#include "app/form1core.h"

#include "app/programvalues.h"
#include "components/AboutSystem.h"
#include "framework/strtoint.h"
#include "netware/nwbase.h"

#include <limits>

const char *const kForm1ControlClasses[] = {"TWebBrowser", "TToolBar",  "TToolButton", "TmLED",
                                            "TdxButton",   "TdxfClock", nullptr};

TForm1Core::TForm1Core(const StartupEnvironment &env, QObject *parent) : QObject(parent), m_env(env)
{
    Q_INIT_RESOURCE(forms);
    m_form =
        framework::readFormDescription(QStringLiteral(":/forms/TFORM1"), QStringLiteral("TFORM1"));
    framework::FormReader reader;
    for (const char *const *name = kForm1ControlClasses; *name != nullptr; ++name)
        reader.registerClass(QLatin1String(*name), true, [](QObject *, QObject *) -> QObject * {
            return nullptr; // controls are made in phase two
        });
    reader.registerClass<TNWBase>(QStringLiteral("TNWBase"));
    reader.registerClass(QStringLiteral("TAboutSystem"), false,
                         [&env](QObject *owner, QObject *) -> QObject * {
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

namespace {

QString messageOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const framework::Exception &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    return QStringLiteral("unknown error");
}

// "2026-07-18T08:00:00+02:00": the local time and its distance from UTC.
QString isoWithOffset(dates::TDateTime local, dates::TDateTime utc)
{
    std::int32_t year = 0;
    std::uint16_t month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, msec = 0;
    dates::DecodeDate(local, year, month, day);
    dates::DecodeTime(local, hour, minute, second, msec);
    const qint64 offset = qRound64((local - utc) * 1440.0);
    const qint64 distance = offset < 0 ? -offset : offset;
    return QString::asprintf("%04d-%02u-%02uT%02d:%02d:%02d%c%02lld:%02lld", int(year),
                             unsigned(month), unsigned(day), hour, minute, second,
                             offset < 0 ? '-' : '+', distance / 60, distance % 60);
}

} // namespace

TForm1Core::Outcome TForm1Core::RunOnCreate()
{
    m_error = nullptr;
    m_outcome = Outcome::End;
    m_facts = {};
    emit OnCreate(this);
    using Decided = DecisionFacts::Outcome;
    m_facts.outcome =
        m_error ? Decided::Error : (m_outcome == Outcome::Show ? Decided::Show : Decided::End);
    if (m_error)
        m_facts.error = messageOf(m_error);
    m_env.records->decision(m_facts);
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
        m_facts.stampDay = pv.DayStamp;
        const int n = framework::StrToInt(m_env.argument(2));
        std::int32_t year = 0;
        const std::int32_t today = dates::DayOfTheYear(dates::Date(*m_env.clock), year);
        m_facts.currentDay = QString::number(today);
        const int stamp = framework::StrToInt(pv.DayStamp);
        if (daysSinceStamp(today, year, stamp) < n)
            return Outcome::End;
    }

    const QString name = m_env.directory->whoAmIName();
    // The decision goes on whether or not a time was read; the record says which.
    m_facts.directoryAsked = true;
    m_facts.directoryAnswered =
        m_env.directory->readTimeAttribute(QStringLiteral("[root]"), name, 47, pv.LastLoginTime);
    const dates::TDateTime utc = pv.LastLoginTime;
    m_facts.previousLogin = m_facts.directoryAnswered ? isoWithOffset(utc, utc) : QString();
    pv.LastLoginTime = dates::UTCToLocalTime(pv.LastLoginTime, *m_env.timeZone);
    if (m_facts.directoryAnswered)
        m_facts.previousLogin = isoWithOffset(pv.LastLoginTime, utc);

    pv.CurrentDay = QString::number(dates::DayNumber(dates::Date(*m_env.clock)));
    pv.LastLoginDay = QString::number(dates::DayNumber(pv.LastLoginTime));
    m_facts.currentDay = pv.CurrentDay;
    m_facts.lastLoginDay = pv.LastLoginDay;

    // Without a name the caption starts at the middle dot, not with the blanks that follow one.
    const QString who = m_env.directory->typelessName(m_env.directory->whoAmIName());
    m_caption = (who.isEmpty() ? QString() : who + QStringLiteral("  ")) +
                QStringLiteral("\u00B7 Last Login: ") + dates::DateTimeToText(pv.LastLoginTime);

    if (pv.CurrentDay != pv.LastLoginDay)
        return Outcome::Show;
    if (mode == QLatin1String("/F"))
        return Outcome::Show;
    return Outcome::End;
}
