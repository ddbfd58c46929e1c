#include "platform/display.h"

#include "platform/module.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace platform {
namespace {

// The calls of libxcb's interface version 1 (its SONAME) that the probe makes.
struct Xcb
{
    void *(*connect)(const char *display, int *screen) = nullptr;
    int (*hasError)(void *connection) = nullptr;
    void (*disconnect)(void *connection) = nullptr;
};

// Loaded at run time so the path that ends never pays for it.
const Xcb *xcb()
{
    static const Xcb functions = [] {
        Xcb f;
        const auto lib = Module::loadSystemLibrary(QStringLiteral("xcb"), 1);
        if (!lib)
            return f;
        f.connect = lib->function<void *(const char *, int *)>("xcb_connect");
        f.hasError = lib->function<int(void *)>("xcb_connection_has_error");
        f.disconnect = lib->function<void(void *)>("xcb_disconnect");
        return f;
    }();
    return functions.connect && functions.hasError && functions.disconnect ? &functions : nullptr;
}

bool connectOnce(const Xcb &x, const QByteArray &display)
{
    void *c = x.connect(display.constData(), nullptr);
    const bool ok = c != nullptr && x.hasError(c) == 0;
    if (c != nullptr)
        x.disconnect(c);
    return ok;
}

} // namespace

DisplayAnswer connectX11(const QByteArray &display, int timeoutMs)
{
    const Xcb *x = xcb();
    if (x == nullptr)
        return DisplayAnswer::Absent;
    // libxcb waits for the server's answer without a limit; the attempt runs where it may be
    // left behind, holding only what it shares with this call.
    struct Attempt
    {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<bool> reached;
    };
    auto attempt = std::make_shared<Attempt>();
    try {
        std::thread([x, display, attempt] {
            const bool reached = connectOnce(*x, display);
            const std::lock_guard<std::mutex> lock(attempt->mutex);
            attempt->reached = reached;
            attempt->done.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        return connectOnce(*x, display) ? DisplayAnswer::Answers : DisplayAnswer::Absent;
    }
    std::unique_lock<std::mutex> lock(attempt->mutex);
    if (!attempt->done.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                [&] { return attempt->reached.has_value(); }))
        return DisplayAnswer::Silent;
    return *attempt->reached ? DisplayAnswer::Answers : DisplayAnswer::Absent;
}

} // namespace platform
