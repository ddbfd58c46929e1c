#pragma once

#include <QString>
#include <cstdint>

namespace platform {

inline constexpr std::uint32_t VER_PLATFORM_WIN32s = 0;
inline constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;
// Not a Windows platform: the system names itself in platformName.
inline constexpr std::uint32_t VER_PLATFORM_POSIX = 0x100;

struct OSVersionInfoA
{
    std::uint32_t dwOSVersionInfoSize = 148;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};

// The system queries with the buffer rules of their Windows namesakes. Every call writes at
// most `size` bytes, terminated, and returns the failure result when the text does not fit.
class SystemQueries
{
public:
    virtual ~SystemQueries() = default;
    // On success *size becomes the length without the terminator.
    virtual bool GetComputerNameA(char *buffer, std::uint32_t *size) const = 0;
    // On success *size becomes the length with the terminator.
    virtual bool GetUserNameA(char *buffer, std::uint32_t *size) const = 0;
    // Length copied, or the size needed (terminator included) when it does not fit; 0 on failure.
    virtual std::uint32_t GetWindowsDirectoryA(char *buffer, std::uint32_t size) const = 0;
    virtual std::uint32_t GetSystemDirectoryA(char *buffer, std::uint32_t size) const = 0;
    virtual std::uint32_t GetTempPathA(std::uint32_t size, char *buffer) const = 0;
    virtual std::uint32_t GetEnvironmentVariableA(const char *name, char *buffer,
                                                  std::uint32_t size) const = 0;
    virtual bool GetVersionExA(OSVersionInfoA *info) const = 0;
    // The system's own name ("Linux"), for platforms that Windows has no number for.
    virtual QString platformName() const = 0;
};

const SystemQueries &systemQueries();

// Copies text into a buffer of `size` bytes with the convention of the length-returning calls.
std::uint32_t copyToBuffer(const QByteArray &text, char *buffer, std::uint32_t size);

} // namespace platform
