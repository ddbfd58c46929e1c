#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <type_traits>

class QLibrary;

namespace platform {

// The interface a module of this program offers: a name for the lines that refuse one, and a
// version raised whenever anything that crosses the module's boundary changes.
struct ModuleInterface
{
    const char *name; // "window module"
    int version;
};

// What a module of this program says of itself, exported as `daypane_module_stamp`. Its layout
// never changes, so that every build of the program can read every module's.
struct ModuleStamp
{
    const char *interfaceName;
    int version;
};

// In one source file of each module of the program: the interface it was built for.
#define DAYPANE_MODULE_STAMP(interface)                                                            \
    extern "C" Q_DECL_EXPORT const platform::ModuleStamp daypane_module_stamp = {                  \
        (interface).name, (interface).version}

// A system library without a version in its SONAME ("libcalwin32.so").
inline constexpr int kNoSonameVersion = -1;

// A library loaded at run time, kept loaded until the process ends (a library may keep threads
// and callbacks of its own). Every way this program loads a library goes through here, but for
// the web view, which is a Qt plugin with an interface identifier of its own.
class Module
{
public:
    // A module of this program at `path`, kept only when its stamp names `interface` at the
    // same version: a module left from another build is refused, saying which version it has.
    static std::optional<Module> loadProgramModule(const QString &path,
                                                   const ModuleInterface &interface,
                                                   QString *why = nullptr);
    // A library of the system by its name ("xcb") and the interface version in its SONAME
    // (1: "libxcb.so.1"), found by the system's usual search; the loader takes only a file of
    // that SONAME.
    static std::optional<Module> loadSystemLibrary(const QString &name, int sonameVersion,
                                                   QString *why = nullptr);

    // The function `symbol` of the module, of the type the caller declares for it; null when
    // the module lacks it.
    template <class Function> Function *function(const char *symbol) const
    {
        static_assert(std::is_function_v<Function>);
        return reinterpret_cast<Function *>(address(symbol));
    }

    // The file as it was asked for.
    QString fileName() const;

private:
    explicit Module(QLibrary *library) : m_library(library) {}
    void *address(const char *symbol) const;

    QLibrary *m_library; // never unloaded
};

// The folder of the program's own modules: <folder of the executable>/../lib/daypane.
QString programModuleFolder();

} // namespace platform
