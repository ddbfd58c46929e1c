#pragma once

// The stand-in client's shared state: the directory described by the file that
// NWSIM_DIRECTORY names, the contexts, buffers and connections, and the call log.

#define NW_CLIENT_IMPLEMENTATION
#include "netware/nwclient.h"

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace nwsim {

// Status codes in the client's style (negative ones are directory errors).
inline constexpr NWRCODE kInvalidConnection = 0x8801;
inline constexpr NWRCODE kNoSuchObject = 0x89FC;
inline constexpr NWRCODE kNoSuchProperty = 0x89FB;
inline constexpr NWRCODE kNoConsoleRights = 0x89C6;
inline constexpr NWRCODE kNotManager = 0x89C7;
inline constexpr NWRCODE kUnicodeMismatch = 0xFE0F;
inline constexpr NWRCODE kNotSupported = 0x89FF;
inline constexpr NWRCODE kNoSuchEntry = NWRCODE(-601);
inline constexpr NWRCODE kNoSuchAttribute = NWRCODE(-603);
inline constexpr NWRCODE kBadContext = NWRCODE(-303);
inline constexpr NWRCODE kBadBuffer = NWRCODE(-320);
inline constexpr NWRCODE kBadName = NWRCODE(-342);

struct Attribute
{
    std::string name; // as the client delivers it
    std::uint32_t syntax = nwclient::kSyntaxText;
    std::uint32_t time = 0; // seconds since 1970, unsigned as the client keeps them
    std::string text;
};

struct Object
{
    std::string name; // typed, full
    std::uint32_t id = 0;
    std::uint16_t binderyType = 256;
    std::vector<Attribute> attributes;
};

struct Context
{
    std::uint32_t flags = 0;
    std::string nameContext;
};

struct Buffer
{
    std::uint32_t operation = 0;
    std::vector<std::string> names;         // request
    std::vector<const Attribute *> results; // result
    std::size_t cursor = 0;                 // next result to name
    const Attribute *current = nullptr;     // last named result
};

struct Server
{
    std::string name;
    NWCONN_HANDLE handle = 0;
    bool directory = true; // answers NWIsDSServer
    bool treeless = false; // ... but reports no tree name
};

struct Directory
{
    std::string tree = "SIM_TREE";
    std::vector<Server> servers; // the first is the primary connection's
    std::uint8_t major = 4;
    std::uint8_t minor = 11;
    std::string user;
    std::uint16_t connectionNumber = 1;
    std::int32_t country = 1;
    std::int32_t codePage = 437;
    std::uint32_t defaultFlags = 0x13;
    std::string defaultContext = "[Root]";
    std::uint16_t broadcast = 0;
    std::uint16_t maxConnections = 250;
    bool consoleOperator = false;
    bool manager = false;
    int firstDrive = 0; // 0: none
    std::set<int> mappedDrives;
    int readRounds = 1;
    std::map<std::string, NWRCODE> failures; // by entry point
    std::map<std::string, int> failAfter;    // calls that still succeed before it fails
    std::string logPath;
    std::vector<Object> objects;

    NWCONN_HANDLE primary = 0;
    std::map<NWDSContextHandle, Context> contexts;
    NWDSContextHandle nextContext = 1;
    std::set<Buffer *> buffers;
    bool unicodeTables = false;
    std::string error; // why the file could not be read
};

// The directory, (re)read when NWSIM_DIRECTORY names another file than last time.
Directory &directory();

// The present as the stand-in sees it: NWSIM_NOW (seconds since 1970) when set, else the
// real time. Relative login times count from it and the server reports it.
std::time_t simNow();

// The status configured for an entry point ("fail NAME STATUS [after N]" in the file); each
// call counts towards N.
std::optional<NWRCODE> failure(const char *entry);

// Appends "NAME STATUS[ DETAIL]" to the log file, and hands back the status.
NWRCODE logged(const char *entry, NWRCODE status, const std::string &detail = {});

// Copies text into a client-side buffer of the given size; a text that does not fit is cut
// and then not terminated, as a client that knows only the size would leave it.
void putText(char *buffer, std::size_t size, const std::string &text);
// Reads a caller's text, never past size bytes.
std::string getText(const char *buffer, std::size_t size);

std::string upper(std::string text);
bool sameText(const std::string &a, const std::string &b);
std::string removeTypes(const std::string &name);

const Server *serverByHandle(NWCONN_HANDLE handle);
const Server *serverByName(const std::string &name);
Context *context(NWDSContextHandle handle);
bool isRoot(const std::string &nameContext);
bool knownContainer(const std::string &name);
// The object a name means in a context: full, or relative to its name context.
const Object *resolve(const Context &context, const std::string &name);
const Object *userObject();
// The user's bindery name: the first part of the name, typeless, in capitals.
std::string binderyName(const Object &object);
const Attribute *attribute(const Object &object, const std::string &name);

} // namespace nwsim

// Hooks for tests that load the stand-in next to the binding.
extern "C" {
void nwsim_reload();
int nwsim_context_flags(NWDSContextHandle context, std::uint32_t *flags);
int nwsim_context_name(NWDSContextHandle context, char *buffer, std::size_t size);
int nwsim_live_contexts();
int nwsim_live_buffers();
int nwsim_unicode_tables();
}
