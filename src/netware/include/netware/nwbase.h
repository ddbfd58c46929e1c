#pragma once

#include "framework/exception.h"

#include <QChar>
#include <QEvent>
#include <QObject>
#include <QString>
#include <cstdint>

// The error the base component raises when SilentExceptions is false.
class TNWObjError : public framework::Exception
{
public:
    using Exception::Exception;
};

// The directory context flag word, one published boolean per bit. Each setter writes the
// word through the directory at once.
class TNWDSContextFlags : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool DereferenceAliases READ DereferenceAliases WRITE setDereferenceAliases)
    Q_PROPERTY(bool TranslateStrings READ TranslateStrings WRITE setTranslateStrings)
    Q_PROPERTY(bool TypelessNames READ TypelessNames WRITE setTypelessNames)
    Q_PROPERTY(bool AsyncMode READ AsyncMode WRITE setAsyncMode)
    Q_PROPERTY(bool CanonicalizeNames READ CanonicalizeNames WRITE setCanonicalizeNames)
    Q_PROPERTY(bool DereferenceBaseClass READ DereferenceBaseClass WRITE setDereferenceBaseClass)
    Q_PROPERTY(bool DisallowReferrals READ DisallowReferrals WRITE setDisallowReferrals)
public:
    explicit TNWDSContextFlags(QObject *parent = nullptr);

    bool DereferenceAliases() const { return m_dereferenceAliases; }
    bool TranslateStrings() const { return m_translateStrings; }
    bool TypelessNames() const { return m_typelessNames; }
    bool AsyncMode() const { return m_asyncMode; }
    bool CanonicalizeNames() const { return m_canonicalizeNames; }
    bool DereferenceBaseClass() const { return m_dereferenceBaseClass; }
    bool DisallowReferrals() const { return m_disallowReferrals; }

    void setDereferenceAliases(bool on);
    void setTranslateStrings(bool on);
    void setTypelessNames(bool on);
    void setAsyncMode(bool on);
    void setCanonicalizeNames(bool on);
    void setDereferenceBaseClass(bool on);
    void setDisallowReferrals(bool on);

    // The bits of the flags that are on.
    std::uint32_t word() const;

private:
    void apply(bool &field, bool on, std::uint32_t bit);

    bool m_dereferenceAliases = true;
    bool m_translateStrings = true;
    bool m_typelessNames = false;
    bool m_asyncMode = false;
    bool m_canonicalizeNames = true;
    bool m_dereferenceBaseClass = false;
    bool m_disallowReferrals = false;
};

// The five layers' last-error cells as text, filled when TNWBase::LastError is read.
class TNWLastError : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString NWLib READ NWLib WRITE setNWLib)
    Q_PROPERTY(QString NWServer READ NWServer WRITE setNWServer)
    Q_PROPERTY(QString NWProp READ NWProp WRITE setNWProp)
    Q_PROPERTY(QString NWNDS READ NWNDS WRITE setNWNDS)
    Q_PROPERTY(QString NWPrint READ NWPrint WRITE setNWPrint)
public:
    explicit TNWLastError(QObject *parent = nullptr) : QObject(parent) {}

    QString NWLib() const { return m_lib; }
    QString NWServer() const { return m_server; }
    QString NWProp() const { return m_prop; }
    QString NWNDS() const { return m_nds; }
    QString NWPrint() const { return m_print; }
    void setNWLib(const QString &text) { m_lib = text; }
    void setNWServer(const QString &text) { m_server = text; }
    void setNWProp(const QString &text) { m_prop = text; }
    void setNWNDS(const QString &text) { m_nds = text; }
    void setNWPrint(const QString &text) { m_print = text; }

private:
    QString m_lib, m_server, m_prop, m_nds, m_print;
};

// What the owner window's controls receive after a change of server, context name or user.
// It is sent, not posted, to each QWidget child of the owner in child order.
class TNWNotifyEvent : public QEvent
{
public:
    static constexpr std::uint32_t ServerChanged = 0xB841; // server and context name
    static constexpr std::uint32_t UserChanged = 0xB842;

    explicit TNWNotifyEvent(std::uint32_t message) : QEvent(eventType()), m_message(message) {}
    std::uint32_t message() const { return m_message; }
    static QEvent::Type eventType();

private:
    std::uint32_t m_message;
};

// The NetWare base component: creating it binds the client and prepares the directory;
// destroying it releases the directory. Its properties ask the client on demand.
class TNWBase : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString ServerVersion READ ServerVersion)
    Q_PROPERTY(bool NetAvailable READ NetAvailable)
    Q_PROPERTY(QString NDSContextName READ NDSContextName WRITE setNDSContextName)
    Q_PROPERTY(TNWDSContextFlags *NDSContextFlags READ NDSContextFlags WRITE setNDSContextFlags)
    Q_PROPERTY(bool NDSAvailable READ NDSAvailable)
    Q_PROPERTY(QString NDSPreferredTree READ NDSPreferredTree WRITE setNDSPreferredTree)
    Q_PROPERTY(QString DefaultServer READ DefaultServer WRITE setDefaultServer)
    Q_PROPERTY(TNWLastError *LastError READ LastError WRITE setLastError)
    Q_PROPERTY(bool SilentExceptions READ SilentExceptions WRITE setSilentExceptions)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)
    Q_PROPERTY(QString LoginID READ LoginID WRITE setLoginID)
    Q_PROPERTY(QString ServerName READ ServerName WRITE setServerName)
    Q_PROPERTY(double ServerDate READ ServerDate WRITE setServerDate)
    Q_PROPERTY(TNWShellErrorMode ShellErrorMode READ ShellErrorMode WRITE setShellErrorMode)
    Q_PROPERTY(TNWBroadcastMode BroadcastMode READ BroadcastMode WRITE setBroadcastMode)
    Q_PROPERTY(quint32 ServerHandle READ ServerHandle)
    Q_PROPERTY(QString LoginFullName READ LoginFullName)
    Q_PROPERTY(QString ObjectID READ ObjectID)
    Q_PROPERTY(quint16 ConnectionID READ ConnectionID)
    Q_PROPERTY(TNWObjType ObjectType READ ObjectType)
    Q_PROPERTY(quint16 NWObjectType READ NWObjectType)
    Q_PROPERTY(quint16 MaxServerConns READ MaxServerConns)
    Q_PROPERTY(bool ConsoleOperator READ ConsoleOperator)
    Q_PROPERTY(bool Manager READ Manager)
    Q_PROPERTY(QChar FirstNetworkDrive READ FirstNetworkDrive)
    Q_PROPERTY(QChar NextNetworkDrive READ NextNetworkDrive)
public:
    enum TNWObjType : std::uint8_t {
        nwObjTypeNone,
        nwObjTypeUser,
        nwObjTypeGroup,
        nwObjTypePrintQ,
        nwObjTypeFileServer,
        nwObjTypeJobServer,
        nwObjTypeGateway,
        nwObjTypePrintServer,
        nwObjTypeArchiveQueue,
        nwObjTypeArchiveServer,
        nwObjTypeJobQueue,
        nwObjTypeAdministration,
        nwObjTypeNASSNAServer,
        nwObjTypeRemoteBridge,
        nwObjTypeTCPIPGateway,
        nwObjTypeNDSTree,
        nwObjTypeConnectedServer
    };
    Q_ENUM(TNWObjType)
    enum TNWShellErrorMode : std::uint8_t { nwErrInteractive, nwErrNetware, nwErrDOS };
    Q_ENUM(TNWShellErrorMode)
    enum TNWBroadcastMode : std::uint8_t {
        nwBroadcastOn,
        nwBroadcastServerOnly,
        nwBroadcastOff,
        nwBroadcastStored
    };
    Q_ENUM(TNWBroadcastMode)

    // The bindery object type word of an enumeration value; 0 for None, NDSTree and
    // ConnectedServer.
    static std::uint16_t objectTypeWord(TNWObjType type);

    explicit TNWBase(QObject *owner = nullptr);
    ~TNWBase() override;

    QString ServerVersion();
    bool NetAvailable() const { return m_netAvailable; }
    QString NDSContextName() const { return m_contextName; }
    void setNDSContextName(const QString &name);
    TNWDSContextFlags *NDSContextFlags() const { return m_contextFlags; }
    // Adopts the object; the previous one is deleted once control is back in the event loop.
    void setNDSContextFlags(TNWDSContextFlags *flags);
    bool NDSAvailable();
    QString NDSPreferredTree();
    void setNDSPreferredTree(const QString &tree);
    QString DefaultServer() const;
    void setDefaultServer(const QString &name);
    TNWLastError *LastError();
    // Adopts the object; the previous one is deleted once control is back in the event loop.
    void setLastError(TNWLastError *lastError);
    bool SilentExceptions() const { return m_silent; }
    void setSilentExceptions(bool silent) { m_silent = silent; }
    QString Version() const;
    void setVersion(const QString &) {}
    QString LoginID();
    void setLoginID(const QString &name);
    QString ServerName();
    void setServerName(const QString &name);
    double ServerDate();
    void setServerDate(double value);
    TNWShellErrorMode ShellErrorMode() const { return m_shellErrorMode; }
    void setShellErrorMode(TNWShellErrorMode mode);
    TNWBroadcastMode BroadcastMode() const { return m_broadcastMode; }
    void setBroadcastMode(TNWBroadcastMode mode);
    quint32 ServerHandle();
    QString LoginFullName();
    QString ObjectID();
    quint16 ConnectionID();
    TNWObjType ObjectType();
    quint16 NWObjectType();
    quint16 MaxServerConns() const;
    bool ConsoleOperator();
    bool Manager();
    QChar FirstNetworkDrive() const;
    QChar NextNetworkDrive() const;

    // While a form description is being applied no owner notification is sent.
    void setLoading(bool loading) { m_loading = loading; }
    bool isLoading() const { return m_loading; }

signals:
    void OnServerChange(TNWBase *sender);
    void OnUserChange(TNWBase *sender);

private:
    void notifyOwner(std::uint32_t message);
    void componentError(const QString &message);
    QString binderyLoginName();
    bool hasIdentifier(quint32 connection, const QString &name, std::uint16_t type);

    QString m_loginName;
    QString m_serverName;
    QString m_defaultServer;
    QString m_contextName;
    bool m_netAvailable = false;
    bool m_usesDirectory = false;
    bool m_silent = true;
    bool m_loading = false;
    TNWBroadcastMode m_broadcastMode = nwBroadcastOn;
    TNWShellErrorMode m_shellErrorMode = nwErrInteractive;
    quint32 m_serverHandle = 0;
    TNWLastError *m_lastError = nullptr;
    TNWDSContextFlags *m_contextFlags = nullptr;
};
