#pragma once

#include "dates/dates.h"
#include "directory/netwaredirectory.h"
#include "framework/exception.h"
#include "framework/formreader.h"
#include "platform/clock.h"
#include "platform/settingsstore.h"
#include "platform/systeminfo.h"
#include "platform/timezone.h"

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <exception>

class TAboutSystem;
class TNWBase;

// The values the show decision fills and the windows read; they live for the whole run.
struct ProgramValues
{
    bool IntervalMode = false;
    QString DayStamp;
    QString URL;
    dates::TDateTime LastLoginTime = 0.0;
    QString CurrentDay;
    QString LastLoginDay;
    std::int32_t TimeZoneOffset = 0;
};
ProgramValues &programValues();

// The file errors of the day stamp, with the code's message.
class EInOutError : public framework::Exception
{
public:
    explicit EInOutError(int code);
    int code() const { return m_code; }
    static QString messageFor(int code);

private:
    int m_code;
};

// Everything start-up takes from outside, so tests can script it.
struct StartupEnvironment
{
    QStringList arguments; // the command-line arguments after the program name
    const platform::Clock *clock = &platform::systemClock();
    const platform::TimeZoneQuery *timeZone = &platform::systemTimeZone();
    directory::Directory *directory = &directory::netwareDirectory();
    const platform::SettingsStore *settings = &platform::systemSettings();
    const platform::SystemQueries *system = &platform::systemQueries();

    QString argument(int position) const; // 1-based; "" when absent
};

// Arguments 1 to 3 are all the program looks at.
QStringList commandLineArguments(int argc, const char *const *argv);

// Upper-cases the ASCII letters only, as the mode comparison does.
QString upperAscii(const QString &text);

// The classes of the browser window's description that are controls: phase one knows their
// names but creates none of them.
extern const char *const kForm1ControlClasses[];

// The non-visual part of the browser window: created in start-up phase one, before any GUI
// object exists, with the components of the window's description that need no display.
class TForm1Core : public QObject
{
    Q_OBJECT
public:
    enum class Outcome { Show, End };

    explicit TForm1Core(const StartupEnvironment &env, QObject *parent = nullptr);
    ~TForm1Core() override;

    TNWBase *NWBase1 = nullptr;
    TAboutSystem *AboutSystem1 = nullptr;

    // The show decision; raises framework::Exception on an error.
    Outcome FormCreate();
    // Runs the creation handler bound by the description (OnCreate = FormCreate) and
    // passes on its outcome or its error.
    Outcome RunOnCreate();

    const framework::FormDescription &form() const { return m_form; }
    framework::FormComponents &components() { return m_components; }

    QString caption() const { return m_caption; }
    const StartupEnvironment &environment() const { return m_env; }

    QString dayStampFileName() const;
    void ReadDayStamp();
    void WriteDayStamp();

signals:
    void OnCreate(QObject *Sender);

public slots:
    void FormCreate(QObject *Sender);

private:
    StartupEnvironment m_env;
    QString m_caption = QStringLiteral("Daypane");
    framework::FormDescription m_form;
    framework::FormComponents m_components;
    Outcome m_outcome = Outcome::End;
    std::exception_ptr m_error;
};
