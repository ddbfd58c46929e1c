#include "netware/nwbase.h"

#include "dates/dates.h"
#include "netware/NWServer.h"
#include "netware/Nwtools.h"
#include "netware/nwNDS.h"
#include "netware/nwlib.h"

#include <QCoreApplication>
#include <memory>

using namespace nw;

namespace {

// The five loader and layer objects: one set per process, replaced by a new component.
struct Layers
{
    std::unique_ptr<TNWLib> lib;
    std::unique_ptr<TNWNDS> nds;
    std::unique_ptr<TNWServer> server;
    std::unique_ptr<TNWPrint> print;
    std::unique_ptr<TNWProp> prop;
};

// Never destroyed: at the process's end (exit() while the window is up, when the display goes)
// the client library's own state may be gone already, and freeing the contexts through it
// would crash. The process's end releases them anyway; an orderly ending has freed them with
// the component.
Layers &layers()
{
    static Layers *const l = new Layers;
    return *l;
}

// A layer object of the set. They keep no data, so an idle one answers alike when another
// component has released the set.
template <class T> const T &layer(const std::unique_ptr<T> &object)
{
    static const T idle;
    return object ? *object : idle;
}

const TNWServer &server()
{
    return layer(layers().server);
}

// Makes `next` the object the component owns in `slot`. The previous one may still be in the
// hands of whoever replaces it (the form reader fills objects it read through a property), so
// it goes only when control is back in the event loop; until then it stays a child, and goes
// with the component where no loop runs.
template <class T> void adopt(QObject *owner, T *&slot, T *next)
{
    // Adopted again before its deletion came round: it stays.
    QCoreApplication::removePostedEvents(next, QEvent::DeferredDelete);
    next->setParent(owner);
    slot->deleteLater();
    slot = next;
}

// The component's server connection, found only when a query is about to use it.
ServerConnection connectionOf(TNWBase *base)
{
    return [base] { return base->ServerHandle(); };
}

constexpr std::uint16_t kTypeWords[] = {0,    256,  512,  768,  1024, 1280, 1536, 1792, 2048,
                                        2304, 2560, 2816, 8448, 9728, 9984, 0,    0};

// The order in which the login name's bindery type is searched.
constexpr std::uint16_t kTypeSearchOrder[] = {256,  512,  768,  1792, 1024, 1280, 1536,
                                              2048, 2304, 2560, 2816, 8448, 9728, 9984};

} // namespace

// ---------------------------------------------------------------- TNWDSContextFlags

TNWDSContextFlags::TNWDSContextFlags(QObject *parent) : QObject(parent) {}

std::uint32_t TNWDSContextFlags::word() const
{
    return (m_dereferenceAliases ? nwclient::kFlagDereferenceAliases : 0) |
           (m_translateStrings ? nwclient::kFlagTranslateStrings : 0) |
           (m_typelessNames ? nwclient::kFlagTypelessNames : 0) |
           (m_asyncMode ? nwclient::kFlagAsyncMode : 0) |
           (m_canonicalizeNames ? nwclient::kFlagCanonicalizeNames : 0) |
           (m_dereferenceBaseClass ? nwclient::kFlagDereferenceBaseClass : 0) |
           (m_disallowReferrals ? nwclient::kFlagDisallowReferrals : 0);
}

// Always writes through, even when unchanged: the client's word may differ from ours.
void TNWDSContextFlags::apply(bool &field, bool on, std::uint32_t bit)
{
    field = on;
    const std::uint32_t flags = NDSGetContextFlags();
    if (on)
        NDSAddContextFlags(flags | bit);
    else
        NDSPutContextFlags(flags & ~bit);
}

void TNWDSContextFlags::setDereferenceAliases(bool on)
{
    apply(m_dereferenceAliases, on, nwclient::kFlagDereferenceAliases);
}
void TNWDSContextFlags::setTranslateStrings(bool on)
{
    apply(m_translateStrings, on, nwclient::kFlagTranslateStrings);
}
void TNWDSContextFlags::setTypelessNames(bool on)
{
    apply(m_typelessNames, on, nwclient::kFlagTypelessNames);
}
void TNWDSContextFlags::setAsyncMode(bool on)
{
    apply(m_asyncMode, on, nwclient::kFlagAsyncMode);
}
void TNWDSContextFlags::setCanonicalizeNames(bool on)
{
    apply(m_canonicalizeNames, on, nwclient::kFlagCanonicalizeNames);
}
void TNWDSContextFlags::setDereferenceBaseClass(bool on)
{
    apply(m_dereferenceBaseClass, on, nwclient::kFlagDereferenceBaseClass);
}
void TNWDSContextFlags::setDisallowReferrals(bool on)
{
    apply(m_disallowReferrals, on, nwclient::kFlagDisallowReferrals);
}

// ---------------------------------------------------------------- TNWNotifyEvent

QEvent::Type TNWNotifyEvent::eventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

// ---------------------------------------------------------------- TNWBase

std::uint16_t TNWBase::objectTypeWord(TNWObjType type)
{
    return type < std::size(kTypeWords) ? kTypeWords[type] : 0;
}

TNWBase::TNWBase(QObject *owner) : QObject(owner)
{
    m_netAvailable = false;
    Layers &l = layers();
    // A previous set goes first, so that its contexts are freed before new ones are made.
    l = Layers{};
    l.lib = std::make_unique<TNWLib>();
    l.nds = std::make_unique<TNWNDS>();
    l.server = std::make_unique<TNWServer>();
    l.print = std::make_unique<TNWPrint>();
    l.prop = std::make_unique<TNWProp>();
    m_lastError = new TNWLastError(this);
    m_contextFlags = new TNWDSContextFlags(this);

    m_broadcastMode = nwBroadcastOn;
    const std::optional<std::uint16_t> mode = server().broadcastMode(PrimaryConnection);
    if (mode && *mode <= nwBroadcastStored)
        m_broadcastMode = TNWBroadcastMode(*mode);
    m_silent = true;
    m_serverHandle = 0;
    m_loginName.clear();
    m_serverName.clear();
    m_usesDirectory = false;
    m_shellErrorMode = nwErrInteractive;

    m_netAvailable = NetAvailability();
    if (m_netAvailable && NDSStartup()) {
        state().directoryInUse = true;
        m_usesDirectory = NDSIsDirectoryServer(m_serverHandle);
        setNDSContextName(QString());
        // The flags still hold their defaults here: one addition per flag that is on.
        for (const std::uint32_t bit :
             {nwclient::kFlagDereferenceAliases, nwclient::kFlagTranslateStrings,
              nwclient::kFlagTypelessNames, nwclient::kFlagAsyncMode,
              nwclient::kFlagCanonicalizeNames, nwclient::kFlagDereferenceBaseClass,
              nwclient::kFlagDisallowReferrals})
            if (m_contextFlags->word() & bit)
                NDSAddContextFlags(bit);
    }
    m_loginName = m_usesDirectory ? NDSCanonicalName(NDSWhoAmIName()) : binderyLoginName();
}

TNWBase::~TNWBase()
{
    if (NDSAvailable())
        NDSShutdown();
    Layers &l = layers();
    l.nds.reset();
    l.lib.reset();
    l.server.reset();
    l.print.reset();
    l.prop.reset();
}

void TNWBase::notifyOwner(std::uint32_t message)
{
    if (m_loading)
        return;
    QObject *owner = parent();
    if (owner == nullptr || !owner->isWidgetType())
        return;
    // A copy: a control may create or delete siblings while it handles the notification.
    const QObjectList children = owner->children();
    for (QObject *child : children) {
        if (!child->isWidgetType())
            continue;
        TNWNotifyEvent event(message);
        QCoreApplication::sendEvent(child, &event);
    }
}

void TNWBase::componentError(const QString &message)
{
    if (!m_silent)
        throw TNWObjError(message);
}

void TNWBase::setNDSContextName(const QString &name)
{
    if (!NDSAvailable())
        return;
    QString value = UpperAscii(name);
    if (value.isEmpty() || value == QLatin1String("[ROOT]")) {
        NDSResetMainContext();
        value = NDSNameContext();
    } else {
        NDSSetNameContext(value);
    }
    m_contextName = value;
    notifyOwner(TNWNotifyEvent::ServerChanged);
}

void TNWBase::setNDSContextFlags(TNWDSContextFlags *flags)
{
    if (flags == nullptr || flags == m_contextFlags)
        return;
    adopt(this, m_contextFlags, flags);
}

bool TNWBase::NDSAvailable()
{
    return m_usesDirectory && NDSIsDirectoryServer(ServerHandle());
}

QString TNWBase::NDSPreferredTree()
{
    return NDSAvailable() ? NDSPreferredTreeName() : QString();
}

void TNWBase::setNDSPreferredTree(const QString &tree)
{
    if (NDSAvailable())
        NDSSetPreferredTree(tree);
}

QString TNWBase::DefaultServer() const
{
    return server().serverName(PrimaryConnection());
}

void TNWBase::setDefaultServer(const QString &name)
{
    if (name == m_defaultServer || !server().makePreferred(name))
        return;
    const NWCONN_HANDLE handle = server().openConnectionByName(name);
    if (handle != 0)
        state().directoryInUse = NDSIsDirectoryServer(handle);
    state().primaryConnection = handle;
    m_defaultServer = name;
}

TNWLastError *TNWBase::LastError()
{
    const ClientState &s = state();
    m_lastError->setNWLib(ErrorText(s.callsError));
    m_lastError->setNWServer(layer(layers().server).lastErrorText());
    m_lastError->setNWProp(layer(layers().prop).lastErrorText());
    m_lastError->setNWNDS(ErrorText(s.ndsError));
    m_lastError->setNWPrint(layer(layers().print).lastErrorText());
    return m_lastError;
}

void TNWBase::setLastError(TNWLastError *lastError)
{
    if (lastError == nullptr || lastError == m_lastError)
        return;
    adopt(this, m_lastError, lastError);
}

QString TNWBase::Version() const
{
    return QStringLiteral("1.50 / 5.01 - 25 February 2000");
}

QString TNWBase::binderyLoginName()
{
    return server().loginName(connectionOf(this));
}

QString TNWBase::LoginID()
{
    if (m_loginName.isEmpty())
        m_loginName = NDSAvailable() ? NDSWhoAmIName() : binderyLoginName();
    return m_loginName;
}

void TNWBase::setLoginID(const QString &name)
{
    if (!name.isEmpty()) {
        m_loginName = UpperAscii(name);
    } else {
        m_loginName.clear();
        LoginID();
    }
    notifyOwner(TNWNotifyEvent::UserChanged);
    emit OnUserChange(this);
}

QString TNWBase::ServerName()
{
    if (m_serverName.isEmpty())
        m_serverName = server().serverName(ServerHandle());
    return m_serverName;
}

void TNWBase::setServerName(const QString &name)
{
    const QString value = UpperAscii(name);
    if (value.isEmpty()) {
        m_serverHandle = PrimaryConnection();
        m_serverName = server().serverName(m_serverHandle);
    } else {
        const NWCONN_HANDLE handle = server().openConnectionByName(value);
        if (handle == 0) {
            componentError(QStringLiteral("Invalid Server Handle"));
        } else {
            m_serverHandle = handle;
            m_serverName = value;
        }
    }
    notifyOwner(TNWNotifyEvent::ServerChanged);
    emit OnServerChange(this);
}

double TNWBase::ServerDate()
{
    const double now = dates::Now(platform::systemClock());
    double datePart = double(qint64(now));
    double timePart = now - datePart;
    const ServerClock clock = server().clock(connectionOf(this));
    if (const auto &d = clock.date) {
        try {
            datePart = dates::EncodeDate((*d)[0] + 1900, (*d)[1], (*d)[2]);
        } catch (const framework::Exception &) {
            // A date the client got wrong: keep the workstation's.
        }
    }
    if (const auto &t = clock.time; t && (*t)[3] < 24 && (*t)[4] < 60 && (*t)[5] < 60)
        timePart = ((*t)[3] * 3600 + (*t)[4] * 60 + (*t)[5]) / 86400.0;
    return datePart + timePart;
}

void TNWBase::setServerDate(double value)
{
    server().setDateAndTime(ServerHandle(), value);
}

void TNWBase::setShellErrorMode(TNWShellErrorMode mode)
{
    m_shellErrorMode = mode;
    if (const auto set = lazy<Entry::NWSetNetWareErrorMode>(Library::Calls)) {
        std::uint8_t previous = 0;
        recordCalls(set(std::uint8_t(mode), &previous));
    }
}

void TNWBase::setBroadcastMode(TNWBroadcastMode mode)
{
    m_broadcastMode = mode;
    server().setBroadcastMode(connectionOf(this), std::uint16_t(mode));
}

quint32 TNWBase::ServerHandle()
{
    if (m_serverHandle == 0)
        m_serverHandle = PrimaryConnection();
    return m_serverHandle;
}

QString TNWBase::LoginFullName()
{
    if (state().directoryInUse) {
        QString fullName;
        if (NDSReadTextAttribute(QString(), m_loginName, 30, fullName) && !fullName.isEmpty())
            return fullName;
    }
    const QString name = UpperAscii(TrimBlanks(m_loginName));
    QString identification;
    if (server().identification(
            connectionOf(this), name, [this] { return NWObjectType(); }, identification))
        return identification;
    return name;
}

bool TNWBase::hasIdentifier(quint32 connection, const QString &name, std::uint16_t type)
{
    if (state().directoryInUse)
        return NDSMapNameToID(connection, name) != 0;
    std::uint32_t id = 0;
    return server().objectID(connection, name, type, id) && id != 0;
}

quint16 TNWBase::NWObjectType()
{
    const quint32 handle = ServerHandle();
    for (const std::uint16_t type : kTypeSearchOrder)
        if (hasIdentifier(handle, m_loginName, type))
            return type;
    return 0;
}

TNWBase::TNWObjType TNWBase::ObjectType()
{
    const std::uint16_t word = NWObjectType();
    if (word == 0) {
        componentError(QStringLiteral("Invalid Netware Object Type"));
        return nwObjTypeUser;
    }
    for (int i = nwObjTypeUser; i <= nwObjTypeTCPIPGateway; ++i)
        if (kTypeWords[i] == word)
            return TNWObjType(i);
    return nwObjTypeUser;
}

QString TNWBase::ObjectID()
{
    const QString login = LoginID();
    if (NDSAvailable()) {
        const QString text = NDSMapNameToIDText(0, login);
        return text.isEmpty() ? QStringLiteral("0") : text;
    }
    const std::uint16_t type = objectTypeWord(ObjectType());
    if (state().directoryInUse) {
        const QString text = NDSMapNameToIDText(0, login);
        if (!text.isEmpty() && text != QLatin1String("0"))
            return text;
    }
    std::uint32_t id = 0;
    if (server().objectID(connectionOf(this), login, type, id))
        return IdentifierText(id);
    return QStringLiteral("0");
}

quint16 TNWBase::ConnectionID()
{
    return server().connectionNumber(connectionOf(this));
}

quint16 TNWBase::MaxServerConns() const
{
    std::uint16_t maximum = 0;
    if (const auto get = lazy<Entry::NWGetMaximumConnections>(Library::Calls))
        if (get(&maximum) != 0)
            maximum = 0;
    return maximum;
}

bool TNWBase::ConsoleOperator()
{
    return server().consoleOperator(connectionOf(this));
}

bool TNWBase::Manager()
{
    return server().manager(connectionOf(this));
}

QChar TNWBase::FirstNetworkDrive() const
{
    const auto first = lazy<Entry::NWGetFirstDrive>(Library::Calls);
    std::uint16_t drive = 0;
    if (first == nullptr || first(&drive) != 0)
        return QChar(0);
    return QChar(char16_t(drive + 64));
}

QChar TNWBase::NextNetworkDrive() const
{
    const QChar first = FirstNetworkDrive();
    const auto status = lazy<Entry::NWGetDriveStatus>(Library::Calls);
    if (first.unicode() == 0 || status == nullptr)
        return QChar(0);
    for (std::uint16_t drive = first.unicode() - 64; drive < 27; ++drive) {
        std::uint16_t driveStatus = 0xFFFF;
        NWCONN_HANDLE conn = 0;
        char root[nwclient::kDrivePathSize] = {};
        char relative[nwclient::kDrivePathSize] = {};
        char full[nwclient::kDrivePathSize] = {};
        if (status(drive, 0, &driveStatus, &conn, root, relative, full) == 0 && driveStatus == 0)
            return QChar(char16_t(drive + 64));
    }
    return QChar(0);
}

QString TNWBase::ServerVersion()
{
    ServerInformation info;
    if (!layers().server || !layers().server->information(ServerHandle(), info))
        return QStringLiteral("0.0");
    return QStringLiteral("%1.%2").arg(info.major).arg(info.minor);
}
