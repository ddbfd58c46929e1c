#include "app/form1core.h"
#include "app/journalrecords.h"
#include "app/phasetwo.h"
#include "directory/config.h"
#include "directory/source.h"
#include "framework/application.h"
#include "framework/startuplog.h"
#include "platform/module.h"
#include "platform/username.h"

#include <cstdio>
#include <memory>

namespace {

void printLine(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// The window module's entry; null, with why, when the module cannot be loaded or is not the one
// this program was built with.
PhaseTwoFunction *loadPhaseTwo(QString *why)
{
    const QString path =
        platform::programModuleFolder() + QLatin1Char('/') + QLatin1String(kPhaseTwoModule);
    const auto module = platform::Module::loadProgramModule(path, kPhaseTwoInterface, why);
    if (!module)
        return nullptr;
    PhaseTwoFunction *entry = module->function<PhaseTwoFunction>(kPhaseTwoEntry);
    if (entry == nullptr && why != nullptr)
        *why = QStringLiteral("%1: no entry %2").arg(path, QLatin1String(kPhaseTwoEntry));
    return entry;
}

// Phase one decides without any GUI object; phase two shows the window or the error box.
// Returns the exit code.
int runDaypane(int argc, char **argv, const StartupEnvironment &env)
{
    framework::setApplicationTitle(QStringLiteral("Daypane"));

    // Phase one: no GUI application object, no display connection.
    std::unique_ptr<TForm1Core> core;
    QString error;
    bool show = false;
    try {
        core = std::make_unique<TForm1Core>(env);
        show = core->RunOnCreate() == TForm1Core::Outcome::Show; // writes the decision's record
    } catch (const framework::Exception &e) {
        error = e.message();
        if (core == nullptr) {
            DecisionFacts facts;
            facts.outcome = DecisionFacts::Outcome::Error;
            facts.error = error;
            env.records->decision(facts);
        }
    }
    qCInfo(framework::lcStartup, "decision: %s",
           !error.isEmpty() ? "error" : (show ? "show" : "end"));
    if (error.isEmpty() && !show)
        return 0;

    // Phase two: only when a window or an error box is due. It looks for a display itself.
    const QString withStop = framework::messageWithFullStop(error);
    QString why;
    PhaseTwoFunction *const phaseTwo = loadPhaseTwo(&why);
    if (phaseTwo == nullptr) {
        if (!error.isEmpty())
            printLine(withStop);
        const QString line = QStringLiteral("ldpn: cannot load the window module: %1").arg(why);
        printLine(line);
        if (error.isEmpty())
            env.records->action(Records::Action::Error, {line, {}, {}});
        return 1;
    }
    const QByteArray errorText = error.toUtf8();
    PhaseTwoCall call;
    call.argc = argc;
    call.argv = argv;
    call.core = core.release();
    call.error = errorText.constData();
    return phaseTwo(&call);
}

} // namespace

int main(int argc, char **argv)
{
    StartupEnvironment env;
    env.arguments = commandLineArguments(argc, argv);
    // The directory source: NetWare unless the configuration names another; a configuration
    // error is reported here, once, and never stops the login.
    const directory::DirectoryConfig config =
        directory::readDirectoryConfig(directory::configFoldersFromEnvironment());
    for (const QString &line : config.errors)
        printLine(line);
    // One record per decision and user action in the system's log, unless switched off.
    JournalRecords records(env.arguments, config.source);
    if (config.journal.records)
        env.records = &records;
    const QString ldapModule = platform::programModuleFolder() + QLatin1Char('/') +
                               QLatin1String(directory::ldapmodule::kFileName);
    const directory::DirectorySource source = directory::chooseDirectory(
        config, directory::loginName(qgetenv("LOGNAME"), platform::realUserName()), ldapModule,
        [&records](const QString &line) {
            printLine(line);
            records.noteDirectoryProblem(line);
        });
    env.directory = source.directory;
    env.browser = config.browser;
    return runDaypane(argc, argv, env);
}
