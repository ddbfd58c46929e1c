#include "platform/clock.h"

#include <ctime>
#include <sys/time.h>

namespace platform {
namespace {

class PosixClock : public Clock
{
public:
    LocalTime now() const override
    {
        timeval tv{};
        gettimeofday(&tv, nullptr);
        std::tm tm{};
        const std::time_t secs = tv.tv_sec;
        localtime_r(&secs, &tm);
        return {tm.tm_year + 1900,
                tm.tm_mon + 1,
                tm.tm_mday,
                tm.tm_hour,
                tm.tm_min,
                tm.tm_sec,
                static_cast<int>(tv.tv_usec / 1000)};
    }
};

} // namespace

const Clock &systemClock()
{
    static const PosixClock clock;
    return clock;
}

} // namespace platform
