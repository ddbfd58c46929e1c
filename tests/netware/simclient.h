#pragma once

#include "testsupport.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>

// A directory served by the stand-in client for one test: the file it reads and the log it
// writes, selected through its environment variables while the object lives.
class SimDirectory
{
public:
    explicit SimDirectory(const QByteArray &description);
    ~SimDirectory();

    QString path() const { return m_dir.path() + QStringLiteral("/directory.tree"); }
    QString logPath() const { return m_dir.path() + QStringLiteral("/calls.log"); }
    // Every call since the last clear, "NAME STATUS [DETAIL]".
    QStringList log() const;
    // Only the entry-point names.
    QStringList calls() const;
    void clearLog() const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<testsupport::ScopedEnv> m_fileEnv;
    std::unique_ptr<testsupport::ScopedEnv> m_logEnv;
};

// The stand-in's own view of its contexts and buffers, for checks that the binding cannot
// make itself. All answer "none" when the stand-in is not loaded.
namespace sim {
bool contextFlags(std::int32_t context, std::uint32_t &flags);
QString contextName(std::int32_t context);
int liveContexts();
int liveBuffers();
bool unicodeTables();
} // namespace sim
