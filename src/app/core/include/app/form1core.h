#pragma once

#include "app/startupenvironment.h"
#include "framework/formreader.h"

#include <QObject>
#include <exception>
#include <memory>

class TAboutSystem;
class TNWBase;
namespace platform {
class FileReplacement;
}

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
    // Runs the creation handler bound by the description (OnCreate = FormCreate), writes the
    // decision's record and passes on its outcome or its error.
    Outcome RunOnCreate();
    // What the last decision found, for its record.
    const DecisionFacts &decisionFacts() const { return m_facts; }

    const framework::FormDescription &form() const { return m_form; }
    framework::FormComponents &components() { return m_components; }

    QString caption() const { return m_caption; }
    const StartupEnvironment &environment() const { return m_env; }

    QString dayStampFileName() const;
    void ReadDayStamp();
    // The stamp written aside (EInOutError when that fails), then put in place; the two steps
    // apart let a caller record the day only once what it stands for has happened.
    std::unique_ptr<platform::FileReplacement> PrepareDayStamp();
    static void CommitDayStamp(platform::FileReplacement &stamp);
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
    DecisionFacts m_facts;
};
