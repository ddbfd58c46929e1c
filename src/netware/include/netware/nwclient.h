#pragma once

// The C interface of the NetWare client libraries as this program calls them. The binding
// and the stand-in client share it, so both sides agree on every argument list.
//
// Buffers travel without a length; their sizes are fixed here. A client fills at most that
// many bytes; the binding terminates every text at the buffer's last byte after the call.

#include <cstddef>
#include <cstdint>

using NWRCODE = std::uint32_t;          // status; 0 is success
using NWDSContextHandle = std::int32_t; // 0 or less: none
using NWCONN_HANDLE = std::uint32_t;
using NWDSBufHandle = void *;

namespace nwclient {

inline constexpr std::size_t kNameContextSize = 128; // name context text
inline constexpr std::size_t kUserNameSize = 128;    // NWDSWhoAmI
inline constexpr std::size_t kObjectNameSize = 256;  // canonical, typeless, read, map
inline constexpr std::size_t kTreeNameSize = 256;    // NWIsDSServer
inline constexpr std::size_t kAttrNameSize = 34;     // NWDSGetAttrName
inline constexpr std::size_t kTextValueSize = 128;   // a text attribute value
inline constexpr std::size_t kTimeValueSize = 4;     // seconds since 1970, signed
inline constexpr std::size_t kServerNameSize = 48;   // server and bindery object names
inline constexpr std::size_t kPropertyValueSize = 128;
inline constexpr std::size_t kLoginTimeSize = 8;
inline constexpr std::size_t kDateTimeSize = 7; // year-1900, month, day, h, m, s, weekday
inline constexpr std::size_t kLocaleRecordSize = 132;
inline constexpr std::size_t kLocaleCodePageOffset = 56;
inline constexpr std::size_t kLocaleCountryOffset = 60;
inline constexpr std::size_t kDrivePathSize = 256;
inline constexpr std::size_t kBufferSize = 4096; // request and result buffers

inline constexpr std::uint32_t kContextFlags = 1; // NWDSGetContext/SetContext keys
inline constexpr std::uint32_t kContextName = 3;

inline constexpr std::uint32_t kFlagDereferenceAliases = 0x01;
inline constexpr std::uint32_t kFlagTranslateStrings = 0x02;
inline constexpr std::uint32_t kFlagTypelessNames = 0x04;
inline constexpr std::uint32_t kFlagAsyncMode = 0x08;
inline constexpr std::uint32_t kFlagCanonicalizeNames = 0x10;
inline constexpr std::uint32_t kFlagDereferenceBaseClass = 0x40;
inline constexpr std::uint32_t kFlagDisallowReferrals = 0x80;

inline constexpr std::uint32_t kOperationRead = 3; // NWDSInitBuf
inline constexpr std::uint32_t kInfoAttrNamesValues = 1;
inline constexpr std::int32_t kIterationDone = -1;

inline constexpr std::uint32_t kSyntaxText = 3;  // case-ignore string
inline constexpr std::uint32_t kSyntaxTime = 24; // seconds since 1970

inline constexpr std::uint32_t kConnInfoBroadcast = 2; // NWCCGetConnInfo items
inline constexpr std::uint32_t kConnInfoConnNumber = 5;
inline constexpr std::uint32_t kConnInfoServerName = 7;

} // namespace nwclient

// X(name, result, parameters): every entry point the program knows, in one list.
#define NW_CLIENT_ENTRY_POINTS(X)                                                                  \
    /* calls library */                                                                            \
    X(NWCallsInit, NWRCODE, (void *in, void *out))                                                 \
    X(NWGetPrimaryConnectionID, NWRCODE, (NWCONN_HANDLE * conn))                                   \
    X(NWGetConnectionNumber, NWRCODE, (NWCONN_HANDLE conn, std::uint16_t * number))                \
    X(NWGetConnectionInformation, NWRCODE,                                                         \
      (NWCONN_HANDLE conn, std::uint16_t number, char *name48, std::uint16_t *objectType,          \
       std::uint32_t *objectID, std::uint8_t *loginTime8))                                         \
    X(NWLongSwap, std::uint32_t, (std::uint32_t value))                                            \
    X(NWGetObjectID, NWRCODE,                                                                      \
      (NWCONN_HANDLE conn, const char *name, std::uint16_t objectType, std::uint32_t *id))         \
    X(NWCheckConsolePrivileges, NWRCODE, (NWCONN_HANDLE conn))                                     \
    X(NWIsManager, NWRCODE, (NWCONN_HANDLE conn))                                                  \
    X(NWGetFileServerName, NWRCODE, (NWCONN_HANDLE conn, char *name48))                            \
    X(NWGetFileServerDateAndTime, NWRCODE, (NWCONN_HANDLE conn, std::uint8_t * dateTime7))         \
    X(NWGetMaximumConnections, NWRCODE, (std::uint16_t * maximum))                                 \
    X(NWGetConnectionHandle, NWRCODE,                                                              \
      (const char *serverName, std::uint16_t reserved, NWCONN_HANDLE *conn,                        \
       std::uint16_t *reserved2))                                                                  \
    X(NWSetPrimaryConnectionID, NWRCODE, (NWCONN_HANDLE conn))                                     \
    X(NWSetBroadcastMode, NWRCODE, (NWCONN_HANDLE conn, std::uint16_t mode))                       \
    X(NWReadPropertyValue, NWRCODE,                                                                \
      (NWCONN_HANDLE conn, const char *objectName, std::uint16_t objectType,                       \
       const char *propertyName, std::uint8_t segment, std::uint8_t *value128,                     \
       std::uint8_t *moreSegments, std::uint8_t *propertyFlags))                                   \
    X(NWGetFirstDrive, NWRCODE, (std::uint16_t * drive))                                           \
    X(NWGetDriveStatus, NWRCODE,                                                                   \
      (std::uint16_t drive, std::uint16_t pathFormat, std::uint16_t * status,                      \
       NWCONN_HANDLE * conn, char *rootPath, char *relativePath, char *fullPath))                  \
    X(NWSetNetWareErrorMode, NWRCODE, (std::uint8_t mode, std::uint8_t * previous))                \
    X(NWGetFileServerInfo, NWRCODE,                                                                \
      (NWCONN_HANDLE conn, char *name48, std::uint8_t *major, std::uint8_t *minor,                 \
       std::uint8_t *revision))                                                                    \
    X(NWGetFileServerInformation, NWRCODE,                                                         \
      (NWCONN_HANDLE conn, char *name48, std::uint8_t *major, std::uint8_t *minor,                 \
       std::uint8_t *revision, std::uint16_t *maxConns, std::uint16_t *maxConnsUsed,               \
       std::uint16_t *connsInUse, std::uint16_t *volumes, std::uint8_t *sftLevel,                  \
       std::uint8_t *ttsLevel))                                                                    \
    X(NWSetFileServerDateAndTime, NWRCODE,                                                         \
      (NWCONN_HANDLE conn, std::uint8_t year, std::uint8_t month, std::uint8_t day,                \
       std::uint8_t hour, std::uint8_t minute, std::uint8_t second))                               \
    /* connection library (NWCCGetConnInfo also in the calls library) */                           \
    X(NWCCGetPrimConnRef, NWRCODE, (std::uint32_t * connRef))                                      \
    X(NWCCOpenConnByRef, NWRCODE,                                                                  \
      (std::uint32_t connRef, std::uint32_t openState, std::uint32_t reserved,                     \
       NWCONN_HANDLE * conn))                                                                      \
    X(NWCCGetConnInfo, NWRCODE,                                                                    \
      (NWCONN_HANDLE conn, std::uint32_t infoType, std::uint32_t length, void *buffer))            \
    X(NWCCSetPrefServerName, NWRCODE, (const char *name))                                          \
    X(NWCCOpenConnByName, NWRCODE,                                                                 \
      (NWCONN_HANDLE startConn, const char *name, std::uint32_t nameFormat,                        \
       std::uint32_t openState, std::uint32_t transportType, NWCONN_HANDLE *conn))                 \
    /* locale library */                                                                           \
    X(NWLlocaleconv, NWRCODE, (std::uint8_t * record132))                                          \
    X(NWInitUnicodeTables, NWRCODE, (std::int32_t countryCode, std::int32_t codePage))             \
    X(NWFreeUnicodeTables, NWRCODE, ())                                                            \
    /* directory library */                                                                        \
    X(NWDSCreateContext, NWDSContextHandle, ())                                                    \
    X(NWDSFreeContext, NWRCODE, (NWDSContextHandle context))                                       \
    X(NWDSSetContext, NWRCODE, (NWDSContextHandle context, std::uint32_t key, const void *value))  \
    X(NWDSGetContext, NWRCODE, (NWDSContextHandle context, std::uint32_t key, void *value))        \
    X(NWDSDuplicateContext, NWDSContextHandle, (NWDSContextHandle context))                        \
    X(NWDSDuplicateContextHandle, NWRCODE,                                                         \
      (NWDSContextHandle context, NWDSContextHandle * newContext))                                 \
    X(NWDSAllocBuf, NWRCODE, (std::size_t size, NWDSBufHandle * buffer))                           \
    X(NWDSInitBuf, NWRCODE,                                                                        \
      (NWDSContextHandle context, std::uint32_t operation, NWDSBufHandle buffer))                  \
    X(NWDSFreeBuf, NWRCODE, (NWDSBufHandle buffer))                                                \
    X(NWDSPutAttrName, NWRCODE,                                                                    \
      (NWDSContextHandle context, NWDSBufHandle buffer, const char *name))                         \
    X(NWDSPutAttrVal, NWRCODE,                                                                     \
      (NWDSContextHandle context, NWDSBufHandle buffer, std::uint32_t syntax, const void *value))  \
    X(NWDSGetAttrName, NWRCODE,                                                                    \
      (NWDSContextHandle context, NWDSBufHandle buffer, char *name34, std::uint32_t *valueCount,   \
       std::uint32_t *syntax))                                                                     \
    X(NWDSGetAttrVal, NWRCODE,                                                                     \
      (NWDSContextHandle context, NWDSBufHandle buffer, std::uint32_t syntax, void *value))        \
    X(NWDSGetAttrCount, NWRCODE,                                                                   \
      (NWDSContextHandle context, NWDSBufHandle buffer, std::uint32_t * count))                    \
    X(NWDSPutChange, NWRCODE,                                                                      \
      (NWDSContextHandle context, NWDSBufHandle buffer, std::uint32_t change, const char *name))   \
    X(NWDSModifyObject, NWRCODE,                                                                   \
      (NWDSContextHandle context, const char *object, std::int32_t *iteration, std::uint8_t more,  \
       NWDSBufHandle changes))                                                                     \
    X(NWDSComputeAttrValSize, NWRCODE,                                                             \
      (NWDSContextHandle context, NWDSBufHandle buffer, std::uint32_t syntax,                      \
       std::uint32_t * size))                                                                      \
    X(NWDSRead, NWRCODE,                                                                           \
      (NWDSContextHandle context, const char *object, std::uint32_t infoType,                      \
       std::uint8_t allAttrs, NWDSBufHandle request, std::int32_t *iteration,                      \
       NWDSBufHandle result))                                                                      \
    X(NWDSRemoveObject, NWRCODE, (NWDSContextHandle context, const char *object))                  \
    X(NWDSGenerateObjectKeyPair, NWRCODE,                                                          \
      (NWDSContextHandle context, const char *object, const char *password,                        \
       std::uint32_t options))                                                                     \
    X(NWDSGetObjectName, NWRCODE,                                                                  \
      (NWDSContextHandle context, NWDSBufHandle buffer, char *name256, std::uint32_t *attrCount,   \
       void *info))                                                                                \
    X(NWDSGetObjectCount, NWRCODE,                                                                 \
      (NWDSContextHandle context, NWDSBufHandle buffer, std::uint32_t * count))                    \
    X(NWDSAddObject, NWRCODE,                                                                      \
      (NWDSContextHandle context, const char *object, std::int32_t *iteration, std::uint8_t more,  \
       NWDSBufHandle attrs))                                                                       \
    X(NWDSList, NWRCODE,                                                                           \
      (NWDSContextHandle context, const char *object, std::int32_t *iteration,                     \
       NWDSBufHandle result))                                                                      \
    X(NWDSOpenStream, NWRCODE,                                                                     \
      (NWDSContextHandle context, const char *object, const char *attr, std::uint32_t flags,       \
       void **stream))                                                                             \
    X(NWDSWhoAmI, NWRCODE, (NWDSContextHandle context, char *name128))                             \
    X(NWDSRemoveAllTypes, NWRCODE, (NWDSContextHandle context, const char *name256, char *out256)) \
    X(NWDSCanonicalizeName, NWRCODE,                                                               \
      (NWDSContextHandle context, const char *name256, char *out256))                              \
    X(NWIsDSServer, std::uint32_t, (NWCONN_HANDLE conn, char *tree256))                            \
    X(NWSetPreferredDSTree, NWRCODE, (std::uint16_t length, const char *tree))                     \
    X(NWDSMapNameToID, NWRCODE,                                                                    \
      (NWDSContextHandle context, NWCONN_HANDLE conn, const char *name256, std::uint32_t *id))     \
    X(NWGetPreferredDSServer, NWRCODE, (NWCONN_HANDLE * conn))

// A client implementation declares the entry points, so that the compiler checks every
// definition against the list; the binding only ever reaches them through GetProcAddress.
#ifdef NW_CLIENT_IMPLEMENTATION
extern "C" {
#define NW_DECLARE_ENTRY(name, result, params) result name params;
NW_CLIENT_ENTRY_POINTS(NW_DECLARE_ENTRY)
#undef NW_DECLARE_ENTRY
}
#endif
