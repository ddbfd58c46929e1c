#include "simcore.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

namespace nwsim {

namespace {

std::string trim(const std::string &s)
{
    const auto begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return {};
    const auto end = s.find_last_not_of(" \t\r");
    return s.substr(begin, end - begin + 1);
}

std::vector<std::string> words(const std::string &s)
{
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

long long number(const std::string &text)
{
    return std::strtoll(text.c_str(), nullptr, 0);
}

bool yes(const std::string &text)
{
    const std::string u = upper(text);
    return u == "YES" || u == "TRUE" || u == "1" || u == "ON";
}

// "HH:MM" or "HH:MM:SS" into tm; false when malformed.
bool clockTime(const std::string &text, std::tm &tm)
{
    int h = 0, m = 0, s = 0;
    const int n = std::sscanf(text.c_str(), "%d:%d:%d", &h, &m, &s);
    if (n < 2 || h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 60)
        return false;
    tm.tm_hour = h;
    tm.tm_min = m;
    tm.tm_sec = n == 3 ? s : 0;
    return true;
}

// Seconds since 1970, or a local time relative to today: "today 08:15", "yesterday 08:15",
// "3 days ago 08:15", "now".
bool parseTime(const std::string &text, std::uint32_t &out)
{
    const std::vector<std::string> w = words(text);
    if (w.empty())
        return false;
    const std::time_t now = simNow();
    if (upper(w[0]) == "NOW" && w.size() == 1) {
        out = std::uint32_t(std::clamp<long long>(now, 0, UINT32_MAX));
        return true;
    }
    if (w.size() == 1 && (std::isdigit(static_cast<unsigned char>(w[0][0])) || w[0][0] == '-')) {
        char *end = nullptr;
        const long long v = std::strtoll(w[0].c_str(), &end, 0);
        if (*end != '\0')
            return false;
        out = std::uint32_t(v); // the low 32 bits, as the client stores them
        return true;
    }
    long long daysBack = 0;
    std::size_t clockAt = 1;
    if (upper(w[0]) == "TODAY") {
        daysBack = 0;
    } else if (upper(w[0]) == "YESTERDAY") {
        daysBack = 1;
    } else if (w.size() >= 3 && upper(w[1]) == "DAYS" && upper(w[2]) == "AGO") {
        daysBack = number(w[0]);
        clockAt = 3;
    } else {
        return false;
    }
    std::tm tm{};
    localtime_r(&now, &tm);
    if (clockAt < w.size()) {
        if (!clockTime(w[clockAt], tm))
            return false;
    }
    // The client's times span about 49 710 days from 1970: any count of days beyond this
    // bound lies outside them, and within it the day arithmetic fits an int.
    constexpr long long kBeyondClientTimes = 1000000;
    if (daysBack > kBeyondClientTimes || daysBack < -kBeyondClientTimes) {
        out = daysBack > 0 ? 0 : UINT32_MAX;
        return true;
    }
    tm.tm_mday -= int(daysBack);
    tm.tm_isdst = -1;
    const long long t = std::mktime(&tm);
    // A time the client cannot hold is its nearest one.
    out = std::uint32_t(std::clamp<long long>(t, 0, UINT32_MAX));
    return true;
}

void load(Directory &d, const std::string &path)
{
    d = Directory{};
    if (path.empty())
        return;
    std::ifstream in(path);
    if (!in) {
        d.error = "cannot read " + path;
        return;
    }
    Object *object = nullptr;
    std::string line;
    while (std::getline(in, line)) {
        const bool indented = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        line = trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        const auto space = line.find_first_of(" \t");
        const std::string key = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : trim(line.substr(space));
        const std::vector<std::string> args = words(rest);
        if (indented && object != nullptr) {
            if (key == "id") {
                object->id = std::uint32_t(number(rest));
            } else if (key == "bindery-type") {
                object->binderyType = std::uint16_t(number(rest));
            } else if (key == "attribute") {
                // attribute NAME = time VALUE | text VALUE
                const auto eq = rest.find('=');
                if (eq == std::string::npos)
                    continue;
                Attribute a;
                a.name = trim(rest.substr(0, eq));
                const std::string value = trim(rest.substr(eq + 1));
                const auto sp = value.find(' ');
                const std::string syntax = value.substr(0, sp);
                const std::string body = sp == std::string::npos ? "" : trim(value.substr(sp));
                if (syntax == "time") {
                    a.syntax = nwclient::kSyntaxTime;
                    if (!parseTime(body, a.time))
                        continue;
                } else {
                    a.syntax = nwclient::kSyntaxText;
                    a.text = body;
                }
                object->attributes.push_back(a);
            }
            continue;
        }
        object = nullptr;
        if (key == "tree") {
            d.tree = rest;
        } else if (key == "server" && !args.empty()) {
            Server s;
            s.name = args[0];
            s.handle = args.size() > 1 ? NWCONN_HANDLE(number(args[1]))
                                       : NWCONN_HANDLE(d.servers.size() + 1);
            s.directory = args.size() <= 2 || upper(args[2]) != "BINDERY";
            s.treeless = args.size() > 2 && upper(args[2]) == "NOTREE";
            d.servers.push_back(s);
        } else if (key == "version" && !args.empty()) {
            int major = 0, minor = 0;
            std::sscanf(args[0].c_str(), "%d.%d", &major, &minor);
            d.major = std::uint8_t(major);
            d.minor = std::uint8_t(minor);
        } else if (key == "user") {
            d.user = rest;
        } else if (key == "connection-number") {
            d.connectionNumber = std::uint16_t(number(rest));
        } else if (key == "locale" && args.size() >= 2) {
            d.country = std::int32_t(number(args[0]));
            d.codePage = std::int32_t(number(args[1]));
        } else if (key == "default-flags") {
            d.defaultFlags = std::uint32_t(number(rest));
        } else if (key == "default-context") {
            d.defaultContext = rest;
        } else if (key == "broadcast") {
            d.broadcast = std::uint16_t(number(rest));
        } else if (key == "max-connections") {
            d.maxConnections = std::uint16_t(number(rest));
        } else if (key == "console-operator") {
            d.consoleOperator = yes(rest);
        } else if (key == "manager") {
            d.manager = yes(rest);
        } else if (key == "drives") {
            // drives F G H: the network drives, the first of them the first network drive
            for (const std::string &letter : args)
                if (!letter.empty() && std::isalpha(static_cast<unsigned char>(letter[0])))
                    d.mappedDrives.insert(std::toupper(static_cast<unsigned char>(letter[0])) - 64);
            d.firstDrive = d.mappedDrives.empty() ? 0 : *d.mappedDrives.begin();
        } else if (key == "read-rounds") {
            d.readRounds = std::max(1, int(number(rest)));
        } else if (key == "fail" && args.size() >= 2) {
            d.failures[args[0]] = NWRCODE(number(args[1]));
            if (args.size() >= 4 && upper(args[2]) == "AFTER")
                d.failAfter[args[0]] = int(number(args[3]));
        } else if (key == "log") {
            d.logPath = rest;
        } else if (key == "object" && !rest.empty()) {
            d.objects.push_back(Object{rest, std::uint32_t(d.objects.size() + 1), 256, {}});
            object = &d.objects.back();
        }
    }
    if (d.servers.empty())
        d.servers.push_back(Server{"SIM_SERVER", 1, true});
    d.primary = d.servers.front().handle;
}

std::string g_loadedFrom;
bool g_loaded = false;

} // namespace

std::time_t simNow()
{
    if (const char *fixed = std::getenv("NWSIM_NOW"); fixed != nullptr && *fixed != '\0')
        return std::time_t(std::strtoll(fixed, nullptr, 10));
    return std::time(nullptr);
}

Directory &directory()
{
    static Directory d;
    const char *env = std::getenv("NWSIM_DIRECTORY");
    const std::string path = env ? env : "";
    if (!g_loaded || path != g_loadedFrom) {
        load(d, path);
        g_loadedFrom = path;
        g_loaded = true;
    }
    if (const char *log = std::getenv("NWSIM_LOG"); log && *log)
        d.logPath = log;
    return d;
}

std::optional<NWRCODE> failure(const char *entry)
{
    Directory &d = directory();
    const auto it = d.failures.find(entry);
    if (it == d.failures.end())
        return std::nullopt;
    if (const auto after = d.failAfter.find(entry);
        after != d.failAfter.end() && after->second > 0) {
        --after->second;
        return std::nullopt;
    }
    return it->second;
}

NWRCODE logged(const char *entry, NWRCODE status, const std::string &detail)
{
    const Directory &d = directory();
    if (d.logPath.empty())
        return status;
    if (std::FILE *f = std::fopen(d.logPath.c_str(), "a")) {
        std::fprintf(f, "%s %X%s%s\n", entry, status, detail.empty() ? "" : " ", detail.c_str());
        std::fclose(f);
    }
    return status;
}

void putText(char *buffer, std::size_t size, const std::string &text)
{
    if (buffer == nullptr || size == 0)
        return;
    const std::size_t n = std::min(text.size(), size);
    std::memcpy(buffer, text.data(), n);
    if (n < size)
        buffer[n] = '\0';
}

std::string getText(const char *buffer, std::size_t size)
{
    if (buffer == nullptr)
        return {};
    return std::string(buffer, strnlen(buffer, size));
}

std::string upper(std::string text)
{
    for (char &c : text)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool sameText(const std::string &a, const std::string &b)
{
    return upper(a) == upper(b);
}

std::string removeTypes(const std::string &name)
{
    std::string out;
    std::size_t start = 0;
    while (start <= name.size()) {
        auto dot = name.find('.', start);
        if (dot == std::string::npos)
            dot = name.size();
        std::string part = name.substr(start, dot - start);
        if (const auto eq = part.find('='); eq != std::string::npos)
            part = part.substr(eq + 1);
        out += part;
        if (dot < name.size())
            out += '.';
        start = dot + 1;
    }
    return out;
}

const Server *serverByHandle(NWCONN_HANDLE handle)
{
    for (const Server &s : directory().servers)
        if (s.handle == handle && handle != 0)
            return &s;
    return nullptr;
}

const Server *serverByName(const std::string &name)
{
    for (const Server &s : directory().servers)
        if (sameText(s.name, name))
            return &s;
    return nullptr;
}

Context *context(NWDSContextHandle handle)
{
    auto &contexts = directory().contexts;
    const auto it = contexts.find(handle);
    return it == contexts.end() ? nullptr : &it->second;
}

bool isRoot(const std::string &nameContext)
{
    return nameContext.empty() || sameText(nameContext, "[Root]");
}

bool knownContainer(const std::string &name)
{
    if (isRoot(name))
        return true;
    const std::string wanted = upper(removeTypes(name));
    for (const Object &o : directory().objects) {
        const std::string full = upper(removeTypes(o.name));
        if (full.size() > wanted.size() &&
            full.compare(full.size() - wanted.size(), wanted.size(), wanted) == 0 &&
            full[full.size() - wanted.size() - 1] == '.')
            return true;
    }
    return false;
}

const Object *resolve(const Context &context, const std::string &name)
{
    if (name.empty())
        return nullptr;
    std::vector<std::string> candidates{name};
    if (!isRoot(context.nameContext))
        candidates.push_back(name + "." + context.nameContext);
    for (const std::string &candidate : candidates) {
        const std::string wanted = upper(removeTypes(candidate));
        for (const Object &o : directory().objects)
            if (upper(removeTypes(o.name)) == wanted)
                return &o;
    }
    return nullptr;
}

const Object *userObject()
{
    const Directory &d = directory();
    for (const Object &o : d.objects)
        if (sameText(o.name, d.user))
            return &o;
    return nullptr;
}

std::string binderyName(const Object &object)
{
    const std::string typeless = removeTypes(object.name);
    return upper(typeless.substr(0, typeless.find('.')));
}

const Attribute *attribute(const Object &object, const std::string &name)
{
    for (const Attribute &a : object.attributes)
        if (sameText(a.name, name))
            return &a;
    return nullptr;
}

} // namespace nwsim

using namespace nwsim;

extern "C" {

void nwsim_reload()
{
    g_loaded = false;
    directory();
}

int nwsim_context_flags(NWDSContextHandle handle, std::uint32_t *flags)
{
    const Context *c = context(handle);
    if (c == nullptr || flags == nullptr)
        return 0;
    *flags = c->flags;
    return 1;
}

int nwsim_context_name(NWDSContextHandle handle, char *buffer, std::size_t size)
{
    const Context *c = context(handle);
    if (c == nullptr || buffer == nullptr || size == 0)
        return 0;
    const std::size_t n = std::min(c->nameContext.size(), size - 1);
    std::memcpy(buffer, c->nameContext.data(), n);
    buffer[n] = '\0';
    return 1;
}

int nwsim_live_contexts()
{
    return int(directory().contexts.size());
}

int nwsim_live_buffers()
{
    return int(directory().buffers.size());
}

int nwsim_unicode_tables()
{
    return directory().unicodeTables ? 1 : 0;
}
}
