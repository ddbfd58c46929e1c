#pragma once

// Stand-ins for the machine's state behind the platform layer's interfaces: a clock, a time
// zone and a settings store whose answers a test sets.

#include "platform/clock.h"
#include "platform/settingsstore.h"
#include "platform/timezone.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <memory>

namespace testsupport {

// A wall clock that stands still at the time the test gives it.
class FixedClock : public platform::Clock
{
public:
    explicit FixedClock(platform::LocalTime t) : m_time(t) {}
    platform::LocalTime now() const override { return m_time; }
    void set(platform::LocalTime t) { m_time = t; }

private:
    platform::LocalTime m_time;
};

// A time zone that gives one fixed answer, whatever the instant.
class FixedTimeZone : public platform::TimeZoneQuery
{
public:
    FixedTimeZone(std::uint32_t result, platform::TimeZoneInformation info)
        : m_result(result), m_info(info)
    {
    }
    std::uint32_t GetTimeZoneInformation(platform::TimeZoneInformation &info) const override
    {
        info = m_info;
        return m_result;
    }

private:
    std::uint32_t m_result;
    platform::TimeZoneInformation m_info;
};

// The machine's own zone rules (TZ, /etc/localtime) with the current instant fixed at
// `unixSeconds`, so that "now" falls on either side of a daylight-saving change as a case needs.
class SystemZoneAt : public platform::TimeZoneQuery
{
public:
    explicit SystemZoneAt(std::int64_t unixSeconds) : m_now(unixSeconds) {}
    std::uint32_t GetTimeZoneInformation(platform::TimeZoneInformation &info) const override
    {
        return platform::systemTimeZone().GetTimeZoneInformationAt(m_now, info);
    }
    std::uint32_t GetTimeZoneInformationAt(std::int64_t unixSeconds,
                                           platform::TimeZoneInformation &info) const override
    {
        return platform::systemTimeZone().GetTimeZoneInformationAt(unixSeconds, info);
    }

private:
    std::int64_t m_now;
};

// A registry in memory: keys and values match as the system's store matches them (case does not
// count, a leading backslash names the root); a value may be set to fail when it is fetched.
class MemorySettingsStore : public platform::SettingsStore
{
public:
    void setValue(platform::RegRoot root, const QString &key, const QString &name,
                  const QString &text, platform::RegType type = platform::RegType::REG_SZ);
    void setFailing(platform::RegRoot root, const QString &key, const QString &name);
    void addKey(platform::RegRoot root, const QString &key);
    std::unique_ptr<platform::SettingsKey> openKey(platform::RegRoot root,
                                                   const QString &path) const override;

private:
    using Values = QHash<QString, platform::RegValue>;
    QHash<QString, Values> m_keys[2];
};

} // namespace testsupport
