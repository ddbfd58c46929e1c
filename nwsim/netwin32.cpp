// The directory library of the stand-in client.
#include "simentry.h"

#include <cstring>

using namespace nwsim;

namespace {

std::string typelessFor(const Context &c, const std::string &name)
{
    return (c.flags & nwclient::kFlagTypelessNames) ? removeTypes(name) : name;
}

// A full name as the context presents it: relative to its name context when it lies below.
std::string presented(const Context &c, const std::string &full)
{
    std::string name = typelessFor(c, full);
    if (!isRoot(c.nameContext)) {
        const std::string suffix = "." + upper(removeTypes(c.nameContext));
        const std::string typeless = upper(removeTypes(full));
        if (typeless.size() > suffix.size() &&
            typeless.compare(typeless.size() - suffix.size(), suffix.size(), suffix) == 0) {
            // Cut as many parts from the presented name as the context has.
            std::size_t parts = 1;
            for (char ch : c.nameContext)
                parts += ch == '.';
            for (std::size_t i = 0; i < parts; ++i) {
                const auto dot = name.rfind('.');
                if (dot == std::string::npos)
                    break;
                name.resize(dot);
            }
        }
    }
    return name;
}

Buffer *buffer(NWDSBufHandle handle)
{
    auto *b = static_cast<Buffer *>(handle);
    return directory().buffers.count(b) ? b : nullptr;
}

// Names a buffer in the log, so that a test can tell which one is freed when.
std::string bufferName(const Buffer *b)
{
    char name[32];
    std::snprintf(name, sizeof name, "buf=%p", static_cast<const void *>(b));
    return name;
}

NWRCODE unsupported(const char *name)
{
    return logged(name, kNotSupported);
}

} // namespace

extern "C" {

NWDSContextHandle NWDSCreateContext()
{
    if (const auto f = failure("NWDSCreateContext")) {
        logged("NWDSCreateContext", *f, "configured");
        return NWDSContextHandle(*f);
    }
    Directory &d = directory();
    const NWDSContextHandle handle = d.nextContext++;
    d.contexts[handle] = Context{d.defaultFlags, d.defaultContext};
    logged("NWDSCreateContext", 0, "ctx=" + std::to_string(handle));
    return handle;
}

NWDSContextHandle NWDSDuplicateContext(NWDSContextHandle source)
{
    const Context *c = context(source);
    if (c == nullptr) {
        logged("NWDSDuplicateContext", kBadContext, "ctx=" + std::to_string(source));
        return NWDSContextHandle(kBadContext);
    }
    Directory &d = directory();
    const Context copy = *c;
    const NWDSContextHandle handle = d.nextContext++;
    d.contexts[handle] = copy;
    logged("NWDSDuplicateContext", 0,
           "ctx=" + std::to_string(source) + " new=" + std::to_string(handle));
    return handle;
}

NWRCODE NWDSDuplicateContextHandle(NWDSContextHandle source, NWDSContextHandle *newContext)
{
    NWSIM_CONFIGURED_FAILURE(NWDSDuplicateContextHandle)
    const Context *c = context(source);
    if (c == nullptr || newContext == nullptr)
        return logged("NWDSDuplicateContextHandle", kBadContext);
    Directory &d = directory();
    const Context copy = *c;
    *newContext = d.nextContext++;
    d.contexts[*newContext] = copy;
    return logged("NWDSDuplicateContextHandle", 0,
                  "ctx=" + std::to_string(source) + " new=" + std::to_string(*newContext));
}

NWRCODE NWDSFreeContext(NWDSContextHandle handle)
{
    NWSIM_CONFIGURED_FAILURE(NWDSFreeContext)
    const bool known = directory().contexts.erase(handle) > 0;
    return logged("NWDSFreeContext", known ? 0 : kBadContext, "ctx=" + std::to_string(handle));
}

NWRCODE NWDSSetContext(NWDSContextHandle handle, std::uint32_t key, const void *value)
{
    NWSIM_CONFIGURED_FAILURE(NWDSSetContext)
    Context *c = context(handle);
    const std::string where = "ctx=" + std::to_string(handle) + " key=" + std::to_string(key);
    if (c == nullptr || value == nullptr)
        return logged("NWDSSetContext", kBadContext, where);
    if (key == nwclient::kContextFlags) {
        std::memcpy(&c->flags, value, sizeof c->flags);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", c->flags);
        return logged("NWDSSetContext", 0, where + " value=" + hex);
    }
    if (key == nwclient::kContextName) {
        const std::string name =
            getText(static_cast<const char *>(value), nwclient::kNameContextSize);
        if (!knownContainer(name))
            return logged("NWDSSetContext", kNoSuchEntry, where + " value=" + quoted(name));
        c->nameContext = isRoot(name) ? std::string("[Root]") : name;
        return logged("NWDSSetContext", 0, where + " value=" + quoted(name));
    }
    return logged("NWDSSetContext", kBadContext, where);
}

NWRCODE NWDSGetContext(NWDSContextHandle handle, std::uint32_t key, void *value)
{
    NWSIM_CONFIGURED_FAILURE(NWDSGetContext)
    const Context *c = context(handle);
    const std::string where = "ctx=" + std::to_string(handle) + " key=" + std::to_string(key);
    if (c == nullptr || value == nullptr)
        return logged("NWDSGetContext", kBadContext, where);
    if (key == nwclient::kContextFlags) {
        std::memcpy(value, &c->flags, sizeof c->flags);
        return logged("NWDSGetContext", 0, where);
    }
    if (key == nwclient::kContextName) {
        putText(static_cast<char *>(value), nwclient::kNameContextSize, c->nameContext);
        return logged("NWDSGetContext", 0, where);
    }
    return logged("NWDSGetContext", kBadContext, where);
}

NWRCODE NWDSWhoAmI(NWDSContextHandle handle, char *name)
{
    NWSIM_CONFIGURED_FAILURE(NWDSWhoAmI)
    const Context *c = context(handle);
    const Directory &d = directory();
    if (c == nullptr)
        return logged("NWDSWhoAmI", kBadContext);
    if (d.user.empty())
        return logged("NWDSWhoAmI", kNoSuchEntry);
    putText(name, nwclient::kUserNameSize, presented(*c, d.user));
    return logged("NWDSWhoAmI", 0);
}

NWRCODE NWDSRemoveAllTypes(NWDSContextHandle handle, const char *in, char *out)
{
    NWSIM_CONFIGURED_FAILURE(NWDSRemoveAllTypes)
    if (context(handle) == nullptr)
        return logged("NWDSRemoveAllTypes", kBadContext);
    const std::string name = getText(in, nwclient::kObjectNameSize);
    if (name.empty())
        return logged("NWDSRemoveAllTypes", kBadName);
    putText(out, nwclient::kObjectNameSize, removeTypes(name));
    return logged("NWDSRemoveAllTypes", 0, quoted(name));
}

NWRCODE NWDSCanonicalizeName(NWDSContextHandle handle, const char *in, char *out)
{
    NWSIM_CONFIGURED_FAILURE(NWDSCanonicalizeName)
    const Context *c = context(handle);
    if (c == nullptr)
        return logged("NWDSCanonicalizeName", kBadContext);
    const std::string name = getText(in, nwclient::kObjectNameSize);
    const Object *o = resolve(*c, name);
    if (o == nullptr)
        return logged("NWDSCanonicalizeName", kNoSuchEntry, quoted(name));
    putText(out, nwclient::kObjectNameSize, o->name);
    return logged("NWDSCanonicalizeName", 0, quoted(name));
}

std::uint32_t NWIsDSServer(NWCONN_HANDLE conn, char *tree)
{
    const Server *s = serverByHandle(conn);
    if (failure("NWIsDSServer") || s == nullptr || !s->directory) {
        logged("NWIsDSServer", 0, "conn=" + std::to_string(conn));
        return 0;
    }
    putText(tree, nwclient::kTreeNameSize, s->treeless ? std::string() : directory().tree);
    logged("NWIsDSServer", 1, "conn=" + std::to_string(conn));
    return 1;
}

NWRCODE NWSetPreferredDSTree(std::uint16_t length, const char *tree)
{
    NWSIM_CONFIGURED_FAILURE(NWSetPreferredDSTree)
    if (tree == nullptr)
        return logged("NWSetPreferredDSTree", kBadName);
    directory().tree = getText(tree, length);
    return logged("NWSetPreferredDSTree", 0, quoted(directory().tree));
}

NWRCODE NWGetPreferredDSServer(NWCONN_HANDLE *conn)
{
    NWSIM_CONFIGURED_FAILURE(NWGetPreferredDSServer)
    *conn = directory().primary;
    return logged("NWGetPreferredDSServer", 0);
}

NWRCODE NWDSMapNameToID(NWDSContextHandle handle, NWCONN_HANDLE conn, const char *name,
                        std::uint32_t *id)
{
    NWSIM_CONFIGURED_FAILURE(NWDSMapNameToID)
    const Context *c = context(handle);
    if (c == nullptr)
        return logged("NWDSMapNameToID", kBadContext);
    if (serverByHandle(conn) == nullptr)
        return logged("NWDSMapNameToID", kInvalidConnection);
    const std::string text = getText(name, nwclient::kObjectNameSize);
    const Object *o = resolve(*c, text);
    if (o == nullptr)
        return logged("NWDSMapNameToID", kNoSuchEntry, quoted(text));
    *id = o->id;
    return logged("NWDSMapNameToID", 0, quoted(text));
}

NWRCODE NWDSAllocBuf(std::size_t size, NWDSBufHandle *handle)
{
    NWSIM_CONFIGURED_FAILURE(NWDSAllocBuf)
    if (handle == nullptr || size == 0)
        return logged("NWDSAllocBuf", kBadBuffer);
    auto *b = new Buffer;
    directory().buffers.insert(b);
    *handle = b;
    return logged("NWDSAllocBuf", 0, "size=" + std::to_string(size) + " " + bufferName(b));
}

NWRCODE NWDSInitBuf(NWDSContextHandle handle, std::uint32_t operation, NWDSBufHandle buf)
{
    NWSIM_CONFIGURED_FAILURE(NWDSInitBuf)
    Buffer *b = buffer(buf);
    if (context(handle) == nullptr)
        return logged("NWDSInitBuf", kBadContext);
    if (b == nullptr)
        return logged("NWDSInitBuf", kBadBuffer);
    *b = Buffer{};
    b->operation = operation;
    return logged("NWDSInitBuf", 0, "op=" + std::to_string(operation));
}

NWRCODE NWDSFreeBuf(NWDSBufHandle buf)
{
    Buffer *b = buffer(buf);
    if (b == nullptr)
        return logged("NWDSFreeBuf", kBadBuffer);
    const std::string name = bufferName(b);
    directory().buffers.erase(b);
    delete b;
    return logged("NWDSFreeBuf", 0, name);
}

NWRCODE NWDSPutAttrName(NWDSContextHandle handle, NWDSBufHandle buf, const char *name)
{
    NWSIM_CONFIGURED_FAILURE(NWDSPutAttrName)
    Buffer *b = buffer(buf);
    if (context(handle) == nullptr)
        return logged("NWDSPutAttrName", kBadContext);
    if (b == nullptr)
        return logged("NWDSPutAttrName", kBadBuffer);
    const std::string text = getText(name, nwclient::kAttrNameSize);
    b->names.push_back(text);
    return logged("NWDSPutAttrName", 0, quoted(text));
}

NWRCODE NWDSRead(NWDSContextHandle handle, const char *object, std::uint32_t infoType,
                 std::uint8_t allAttrs, NWDSBufHandle request, std::int32_t *iteration,
                 NWDSBufHandle result)
{
    NWSIM_CONFIGURED_FAILURE(NWDSRead)
    const Context *c = context(handle);
    Buffer *req = buffer(request);
    Buffer *res = buffer(result);
    if (c == nullptr)
        return logged("NWDSRead", kBadContext);
    if (req == nullptr || res == nullptr || iteration == nullptr)
        return logged("NWDSRead", kBadBuffer);
    const std::string name = getText(object, nwclient::kObjectNameSize);
    const std::string detail =
        "ctx=" + std::to_string(handle) + " " + quoted(name) + " in=" + std::to_string(*iteration);
    const Object *o = resolve(*c, name);
    if (o == nullptr)
        return logged("NWDSRead", kNoSuchEntry, detail);
    if (infoType != nwclient::kInfoAttrNamesValues)
        return logged("NWDSRead", kNotSupported, detail);
    *res = Buffer{};
    // Deliver in rounds when the file asks: empty ones first, the values in the last.
    const int round = *iteration == nwclient::kIterationDone ? 1 : *iteration + 1;
    if (round < directory().readRounds) {
        *iteration = round;
        return logged("NWDSRead", 0, detail);
    }
    for (const Attribute &a : o->attributes) {
        bool wanted = allAttrs != 0;
        for (const std::string &n : req->names)
            wanted = wanted || sameText(n, a.name);
        if (wanted)
            res->results.push_back(&a);
    }
    *iteration = nwclient::kIterationDone;
    if (res->results.empty() && !req->names.empty())
        return logged("NWDSRead", kNoSuchAttribute, detail);
    return logged("NWDSRead", 0, detail);
}

NWRCODE NWDSGetAttrCount(NWDSContextHandle handle, NWDSBufHandle buf, std::uint32_t *count)
{
    NWSIM_CONFIGURED_FAILURE(NWDSGetAttrCount)
    Buffer *b = buffer(buf);
    if (context(handle) == nullptr)
        return logged("NWDSGetAttrCount", kBadContext);
    if (b == nullptr || count == nullptr)
        return logged("NWDSGetAttrCount", kBadBuffer);
    b->cursor = 0;
    b->current = nullptr;
    *count = std::uint32_t(b->results.size());
    return logged("NWDSGetAttrCount", 0, "count=" + std::to_string(*count));
}

NWRCODE NWDSGetAttrName(NWDSContextHandle handle, NWDSBufHandle buf, char *name,
                        std::uint32_t *valueCount, std::uint32_t *syntax)
{
    NWSIM_CONFIGURED_FAILURE(NWDSGetAttrName)
    Buffer *b = buffer(buf);
    if (context(handle) == nullptr)
        return logged("NWDSGetAttrName", kBadContext);
    if (b == nullptr || b->cursor >= b->results.size())
        return logged("NWDSGetAttrName", kBadBuffer);
    b->current = b->results[b->cursor++];
    putText(name, nwclient::kAttrNameSize, b->current->name);
    *valueCount = 1;
    *syntax = b->current->syntax;
    return logged("NWDSGetAttrName", 0, quoted(b->current->name));
}

NWRCODE NWDSGetAttrVal(NWDSContextHandle handle, NWDSBufHandle buf, std::uint32_t syntax,
                       void *value)
{
    NWSIM_CONFIGURED_FAILURE(NWDSGetAttrVal)
    Buffer *b = buffer(buf);
    if (context(handle) == nullptr)
        return logged("NWDSGetAttrVal", kBadContext);
    if (b == nullptr || b->current == nullptr || value == nullptr)
        return logged("NWDSGetAttrVal", kBadBuffer);
    if (syntax != b->current->syntax)
        return logged("NWDSGetAttrVal", kNotSupported);
    if (syntax == nwclient::kSyntaxTime)
        std::memcpy(value, &b->current->time, nwclient::kTimeValueSize);
    else
        putText(static_cast<char *>(value), nwclient::kTextValueSize, b->current->text);
    return logged("NWDSGetAttrVal", 0);
}

// Bound at start-up but never called by the program.
NWRCODE NWDSPutAttrVal(NWDSContextHandle, NWDSBufHandle, std::uint32_t, const void *)
{
    return unsupported("NWDSPutAttrVal");
}
NWRCODE NWDSPutChange(NWDSContextHandle, NWDSBufHandle, std::uint32_t, const char *)
{
    return unsupported("NWDSPutChange");
}
NWRCODE NWDSModifyObject(NWDSContextHandle, const char *, std::int32_t *, std::uint8_t,
                         NWDSBufHandle)
{
    return unsupported("NWDSModifyObject");
}
NWRCODE NWDSComputeAttrValSize(NWDSContextHandle, NWDSBufHandle, std::uint32_t, std::uint32_t *)
{
    return unsupported("NWDSComputeAttrValSize");
}
NWRCODE NWDSRemoveObject(NWDSContextHandle, const char *)
{
    return unsupported("NWDSRemoveObject");
}
NWRCODE NWDSGenerateObjectKeyPair(NWDSContextHandle, const char *, const char *, std::uint32_t)
{
    return unsupported("NWDSGenerateObjectKeyPair");
}
NWRCODE NWDSGetObjectName(NWDSContextHandle, NWDSBufHandle, char *, std::uint32_t *, void *)
{
    return unsupported("NWDSGetObjectName");
}
NWRCODE NWDSGetObjectCount(NWDSContextHandle, NWDSBufHandle, std::uint32_t *)
{
    return unsupported("NWDSGetObjectCount");
}
NWRCODE NWDSAddObject(NWDSContextHandle, const char *, std::int32_t *, std::uint8_t, NWDSBufHandle)
{
    return unsupported("NWDSAddObject");
}
NWRCODE NWDSList(NWDSContextHandle, const char *, std::int32_t *, NWDSBufHandle)
{
    return unsupported("NWDSList");
}
#ifndef NWSIM_WITHOUT_OPEN_STREAM
NWRCODE NWDSOpenStream(NWDSContextHandle, const char *, const char *, std::uint32_t, void **)
{
    return unsupported("NWDSOpenStream");
}
#endif
}
