#include "engine/NetworkManagerDialUp.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

using NMSettings = QMap<QString, QVariantMap>;
Q_DECLARE_METATYPE(NMSettings)

namespace glanix {

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kManagerIface = QStringLiteral("org.freedesktop.NetworkManager");
const QString kSettingsIface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString kProfileIface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kActiveIface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDeviceIface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kPropertiesIface = QStringLiteral("org.freedesktop.DBus.Properties");

// Short: the user-interface thread waits for these answers.
constexpr int kCallTimeoutMs = 5000;
constexpr int kActivateTimeoutMs = 30000;

enum ActiveState : uint { asActivating = 1, asActivated = 2, asDeactivating = 3, asDeactivated = 4 };

constexpr uint kDeviceFailed = 120;

QDBusMessage methodCall(const QString& path, const QString& iface, const QString& method)
{
    return QDBusMessage::createMethodCall(kService, path, iface, method);
}

QVariant unwrap(QVariant v)
{
    if (v.canConvert<QDBusVariant>())
        v = v.value<QDBusVariant>().variant();
    return v;
}

QList<QDBusObjectPath> pathsOf(const QVariant& value)
{
    const QVariant v = unwrap(value);
    if (v.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QList<QDBusObjectPath>>(v.value<QDBusArgument>());
    return v.value<QList<QDBusObjectPath>>();
}

QVariantMap mapOf(const QVariant& value)
{
    const QVariant v = unwrap(value);
    if (v.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QVariantMap>(v.value<QDBusArgument>());
    return v.toMap();
}

QString deviceTypeName(uint type)
{
    switch (type) {
    case 1:
        return QStringLiteral("ethernet");
    case 2:
        return QStringLiteral("wifi");
    case 5:
        return QStringLiteral("bluetooth");
    case 8:
        return QStringLiteral("modem");
    case 12:
        return QStringLiteral("adsl");
    case 23:
        return QStringLiteral("ppp");
    case 29:
        return QStringLiteral("wireguard");
    default:
        return {};
    }
}

} // namespace

struct NetworkManagerDialUp::DialState {
    int id = 0;
    DialListener* listener = nullptr;
    QString active; // the active connection once NetworkManager has answered
    QStringList devices;
    int lastState = -1;
    bool pending = true; // the activation has not been answered yet
    bool cancelled = false; // hung up before the answer: deactivate on arrival
    bool finished = false; // connected or failed: no more progress
};

NetworkManagerDialUp::NetworkManagerDialUp(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
    qDBusRegisterMetaType<NMSettings>();
    // Any path: the active connection of a dial is only known once NetworkManager answers.
    m_bus.connect(QString(), QString(), kActiveIface, QStringLiteral("StateChanged"), this,
                  SLOT(activeStateChanged(uint, uint, QDBusMessage)));
    m_bus.connect(QString(), QString(), kDeviceIface, QStringLiteral("StateChanged"), this,
                  SLOT(deviceStateChanged(uint, uint, uint, QDBusMessage)));
}

NetworkManagerDialUp::~NetworkManagerDialUp()
{
    m_bus.disconnect(QString(), QString(), kActiveIface, QStringLiteral("StateChanged"), this,
                     SLOT(activeStateChanged(uint, uint, QDBusMessage)));
    m_bus.disconnect(QString(), QString(), kDeviceIface, QStringLiteral("StateChanged"), this,
                     SLOT(deviceStateChanged(uint, uint, uint, QDBusMessage)));
}

// --- Rules ---------------------------------------------------------------------------------

bool NetworkManagerDialUp::isModemType(const QString& type)
{
    static const QStringList kModem = {QStringLiteral("gsm"), QStringLiteral("cdma"), QStringLiteral("pppoe"),
                                       QStringLiteral("adsl"), QStringLiteral("bluetooth")};
    return kModem.contains(type);
}

QList<DialUpEntry> NetworkManagerDialUp::phoneBook(const QList<DialUpEntry>& profiles)
{
    QList<DialUpEntry> modems;
    QList<DialUpEntry> all;
    for (const DialUpEntry& p : profiles) {
        if (p.type == QLatin1String("loopback") || p.name.isEmpty())
            continue;
        all << p;
        if (isModemType(p.type))
            modems << p;
    }
    return modems.isEmpty() ? all : modems;
}

int NetworkManagerDialUp::stateOfDevice(uint deviceState)
{
    switch (deviceState) {
    case 40:
        return rsConnectDevice;
    case 50:
        return rsDeviceConnected;
    case 60:
        return rsAuthenticate;
    case 70:
        return rsAuthProject;
    case 80:
        return rsProjected;
    case 90:
        return rsLogonNetwork;
    default:
        return -1;
    }
}

int NetworkManagerDialUp::errorOfDeviceReason(uint reason)
{
    switch (reason) {
    case 5: // IP configuration unavailable or expired, DHCP
    case 6:
    case 15:
    case 16:
    case 17:
        return deNegotiationFailed;
    case 7: // secrets missing, supplicant failures, PIN refused
    case 8:
    case 9:
    case 10:
    case 11:
    case 35:
        return deAccessDenied;
    case 12: // PPP
    case 14:
        return deLinkTerminated;
    case 13:
        return deDisconnected;
    case 24:
        return deLineBusy;
    case 25:
        return deNoDialTone;
    case 26:
    case 41:
        return deNoCarrier;
    case 27:
        return deNoAnswer;
    case 36: // firmware missing, device removed, sleeping
    case 37:
    case 38:
        return dePortUnavailable;
    case 39:
        return deEntryNotFound;
    case 40:
        return deUserDisconnected;
    default:
        return deDeviceError;
    }
}

int NetworkManagerDialUp::errorOfActiveReason(uint reason)
{
    switch (reason) {
    case 2:
        return deUserDisconnected;
    case 4:
        return deServiceUnavailable;
    case 5:
        return deNegotiationFailed;
    case 6:
    case 7:
        return deNoAnswer;
    case 8:
    case 12:
        return deDeviceError;
    case 9:
    case 10:
        return deAccessDenied;
    case 11:
        return deEntryNotFound;
    case 13:
    case 14:
        return dePortUnavailable;
    default:
        return deDisconnected;
    }
}

int NetworkManagerDialUp::errorOfDBus(const QString& errorName)
{
    if (errorName.isEmpty())
        return deNone;
    if (errorName.startsWith(QLatin1String("org.freedesktop.DBus.Error."))) {
        if (errorName.endsWith(QLatin1String(".AccessDenied")))
            return deNotPermitted;
        if (errorName.endsWith(QLatin1String(".UnknownObject"))
            || errorName.endsWith(QLatin1String(".UnknownMethod")))
            return deEntryNotFound;
        return deServiceUnavailable;
    }
    if (errorName.endsWith(QLatin1String(".PermissionDenied"))
        || errorName.endsWith(QLatin1String(".NotAuthorized")))
        return deNotPermitted;
    if (errorName.endsWith(QLatin1String(".UnknownConnection"))
        || errorName.endsWith(QLatin1String(".InvalidConnection")))
        return deEntryNotFound;
    if (errorName.endsWith(QLatin1String(".UnknownDevice"))
        || errorName.endsWith(QLatin1String(".ConnectionActivating")))
        return dePortUnavailable;
    return deDeviceError;
}

// --- Phone book and active connections -------------------------------------------------------

int NetworkManagerDialUp::profiles(QList<Profile>& out)
{
    const QDBusMessage reply
        = m_bus.call(methodCall(kSettingsPath, kSettingsIface, QStringLiteral("ListConnections")),
                     QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return errorOfDBus(reply.errorName().isEmpty() ? QStringLiteral("org.freedesktop.DBus.Error.NoReply")
                                                       : reply.errorName());
    for (const QDBusObjectPath& path : pathsOf(reply.arguments().value(0))) {
        const QDBusMessage settings
            = m_bus.call(methodCall(path.path(), kProfileIface, QStringLiteral("GetSettings")), QDBus::Block,
                         kCallTimeoutMs);
        // A profile removed meanwhile, or one this user may not read, is not offered.
        if (settings.type() != QDBusMessage::ReplyMessage)
            continue;
        const QVariant value = settings.arguments().value(0);
        const NMSettings s = value.userType() == qMetaTypeId<QDBusArgument>()
            ? qdbus_cast<NMSettings>(value.value<QDBusArgument>())
            : value.value<NMSettings>();
        const QVariantMap connection = s.value(QStringLiteral("connection"));
        out << Profile {path.path(), connection.value(QStringLiteral("id")).toString(),
                        connection.value(QStringLiteral("type")).toString()};
    }
    return deNone;
}

int NetworkManagerDialUp::phoneBookProfiles(QList<Profile>& out)
{
    QList<Profile> all;
    if (const int error = profiles(all))
        return error;
    QList<DialUpEntry> entries;
    for (const Profile& p : std::as_const(all))
        entries << DialUpEntry {p.name, p.type};
    const QList<DialUpEntry> book = phoneBook(entries);
    for (const Profile& p : std::as_const(all)) {
        for (const DialUpEntry& e : book) {
            if (e.name == p.name && e.type == p.type) {
                out << p;
                break;
            }
        }
    }
    return deNone;
}

int NetworkManagerDialUp::listEntries(QList<DialUpEntry>& entries)
{
    QList<Profile> book;
    if (const int error = phoneBookProfiles(book))
        return error;
    for (const Profile& p : std::as_const(book))
        entries << DialUpEntry {p.name, p.type};
    return deNone;
}

int NetworkManagerDialUp::listActive(QList<ActiveLink>& links)
{
    QList<Profile> book;
    if (const int error = phoneBookProfiles(book))
        return error;
    QSet<QString> bookPaths;
    for (const Profile& p : std::as_const(book))
        bookPaths << p.path;

    QDBusMessage get = methodCall(kPath, kPropertiesIface, QStringLiteral("Get"));
    get << kManagerIface << QStringLiteral("ActiveConnections");
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return errorOfDBus(reply.errorName());
    for (const QDBusObjectPath& path : pathsOf(reply.arguments().value(0))) {
        QDBusMessage getAll = methodCall(path.path(), kPropertiesIface, QStringLiteral("GetAll"));
        getAll << kActiveIface;
        const QDBusMessage props = m_bus.call(getAll, QDBus::Block, kCallTimeoutMs);
        if (props.type() != QDBusMessage::ReplyMessage)
            continue;
        const QVariantMap p = mapOf(props.arguments().value(0));
        const QString profile = unwrap(p.value(QStringLiteral("Connection"))).value<QDBusObjectPath>().path();
        const uint state = unwrap(p.value(QStringLiteral("State"))).toUInt();
        if (!bookPaths.contains(profile) || state == asDeactivating || state == asDeactivated)
            continue;
        ActiveLink link;
        link.handle = path.path();
        link.entry = unwrap(p.value(QStringLiteral("Id"))).toString();
        link.deviceType = unwrap(p.value(QStringLiteral("Type"))).toString();
        link.state = state == asActivated ? rsConnected : rsOpenPort;
        const QList<QDBusObjectPath> devices = pathsOf(p.value(QStringLiteral("Devices")));
        if (!devices.isEmpty()) {
            QDBusMessage getDevice
                = methodCall(devices.first().path(), kPropertiesIface, QStringLiteral("GetAll"));
            getDevice << kDeviceIface;
            const QDBusMessage device = m_bus.call(getDevice, QDBus::Block, kCallTimeoutMs);
            if (device.type() == QDBusMessage::ReplyMessage) {
                const QVariantMap d = mapOf(device.arguments().value(0));
                link.deviceName = unwrap(d.value(QStringLiteral("Interface"))).toString();
                if (const QString type
                    = deviceTypeName(unwrap(d.value(QStringLiteral("DeviceType"))).toUInt());
                    !type.isEmpty())
                    link.deviceType = type;
                if (state == asActivating) {
                    const int s = stateOfDevice(unwrap(d.value(QStringLiteral("State"))).toUInt());
                    if (s >= 0)
                        link.state = s;
                }
            }
        }
        links << link;
    }
    return deNone;
}

// --- Dialling --------------------------------------------------------------------------------

int NetworkManagerDialUp::startDial(const QString& entry, DialListener* listener)
{
    if (DialState* old = dialOf(listener))
        remove(old);
    QList<Profile> book;
    if (const int error = phoneBookProfiles(book))
        return error;
    const auto profile
        = std::find_if(book.cbegin(), book.cend(), [&](const Profile& p) { return p.name == entry; });
    if (profile == book.cend())
        return deEntryNotFound;

    auto dial = std::make_unique<DialState>();
    dial->id = ++m_lastId;
    dial->listener = listener;
    const int id = dial->id;
    m_dials.push_back(std::move(dial));

    QDBusMessage call = methodCall(kPath, kManagerIface, QStringLiteral("ActivateConnection"));
    call << QVariant::fromValue(QDBusObjectPath(profile->path))
         << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")))
         << QVariant::fromValue(QDBusObjectPath(QStringLiteral("/")));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kActivateTimeoutMs), this);
    auto find = [this, id]() -> DialState* {
        for (const auto& d : m_dials) {
            if (d->id == id)
                return d.get();
        }
        return nullptr;
    };
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, find](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (DialState* d = find())
            activated(d, w);
    });
    // The caller hears of the dial before any of its progress.
    QMetaObject::invokeMethod(
        this,
        [this, find] {
            if (DialState* d = find(); d && d->lastState < 0)
                report(d, rsOpenPort, deNone);
        },
        Qt::QueuedConnection);
    return deNone;
}

void NetworkManagerDialUp::activated(DialState* dial, QDBusPendingCallWatcher* watcher)
{
    const QDBusMessage reply = watcher->reply();
    dial->pending = false;
    if (reply.type() != QDBusMessage::ReplyMessage) {
        const int error
            = errorOfDBus(reply.errorName().isEmpty() ? QStringLiteral("org.freedesktop.DBus.Error.NoReply")
                                                      : reply.errorName());
        if (dial->listener && !dial->cancelled)
            report(dial, rsDisconnected, error);
        else
            remove(dial);
        return;
    }
    dial->active = reply.arguments().value(0).value<QDBusObjectPath>().path();
    m_ours << dial->active;
    if (dial->cancelled) {
        deactivate(dial->active);
        remove(dial);
        return;
    }
    if (!dial->listener) {
        remove(dial);
        return;
    }
    const int id = dial->id;
    report(dial, rsPortOpened, deNone);
    dial = nullptr;
    for (const auto& d : m_dials) {
        if (d->id == id)
            dial = d.get();
    }
    if (!dial || dial->finished)
        return;

    // Catch up with what happened before the signals could be matched to this dial.
    QDBusMessage getAll = methodCall(dial->active, kPropertiesIface, QStringLiteral("GetAll"));
    getAll << kActiveIface;
    const QDBusMessage props = m_bus.call(getAll, QDBus::Block, kCallTimeoutMs);
    if (props.type() != QDBusMessage::ReplyMessage)
        return;
    const QVariantMap p = mapOf(props.arguments().value(0));
    for (const QDBusObjectPath& device : pathsOf(p.value(QStringLiteral("Devices"))))
        dial->devices << device.path();
    const uint state = unwrap(p.value(QStringLiteral("State"))).toUInt();
    if (state == asActivated) {
        report(dial, rsConnected, deNone);
    } else if (state == asDeactivated) {
        report(dial, rsDisconnected, errorOfActiveReason(0));
    } else if (!dial->devices.isEmpty()) {
        QDBusMessage get = methodCall(dial->devices.first(), kPropertiesIface, QStringLiteral("Get"));
        get << kDeviceIface << QStringLiteral("State");
        const QDBusMessage device = m_bus.call(get, QDBus::Block, kCallTimeoutMs);
        if (device.type() == QDBusMessage::ReplyMessage) {
            if (const int s = stateOfDevice(unwrap(device.arguments().value(0)).toUInt()); s >= 0)
                report(dial, s, deNone);
        }
    }
}

void NetworkManagerDialUp::report(DialState* dial, int state, int error)
{
    if (dial->finished || !dial->listener || (state == dial->lastState && !error))
        return;
    dial->lastState = state;
    if (error || state == rsConnected || state == rsDisconnected)
        dial->finished = true;
    // The listener may hang up or forget, which frees `dial`.
    dial->listener->dialProgress(state, error);
}

void NetworkManagerDialUp::activeStateChanged(uint state, uint reason, const QDBusMessage& message)
{
    DialState* dial = dialOfActive(message.path());
    if (!dial)
        return;
    if (state == asActivated)
        report(dial, rsConnected, deNone);
    else if (state == asDeactivated)
        report(dial, rsDisconnected, errorOfActiveReason(reason));
}

void NetworkManagerDialUp::deviceStateChanged(uint newState, uint /*oldState*/, uint reason,
                                              const QDBusMessage& message)
{
    DialState* dial = dialOfDevice(message.path());
    if (!dial)
        return;
    if (newState == kDeviceFailed) {
        report(dial, rsDisconnected, errorOfDeviceReason(reason));
        return;
    }
    if (const int s = stateOfDevice(newState); s >= 0)
        report(dial, s, deNone);
}

int NetworkManagerDialUp::hangUpDial(DialListener* listener)
{
    DialState* dial = dialOf(listener);
    if (!dial)
        return deNone;
    dial->listener = nullptr;
    if (dial->pending) {
        dial->cancelled = true;
        return deNone;
    }
    const QString active = dial->active;
    remove(dial);
    return deactivate(active);
}

void NetworkManagerDialUp::forget(DialListener* listener)
{
    DialState* dial = dialOf(listener);
    if (!dial)
        return;
    dial->listener = nullptr;
    if (!dial->pending)
        remove(dial);
}

int NetworkManagerDialUp::hangUp(const QString& handle)
{
    if (!m_ours.contains(handle)) {
        QDBusMessage get = methodCall(handle, kPropertiesIface, QStringLiteral("Get"));
        get << kActiveIface << QStringLiteral("Type");
        const QDBusMessage reply = m_bus.call(get, QDBus::Block, kCallTimeoutMs);
        // Gone already: nothing to hang up.
        if (reply.type() != QDBusMessage::ReplyMessage)
            return deNone;
        if (!isModemType(unwrap(reply.arguments().value(0)).toString()))
            return deNone;
    }
    return deactivate(handle);
}

int NetworkManagerDialUp::deactivate(const QString& activePath)
{
    if (activePath.isEmpty())
        return deNone;
    QDBusMessage call = methodCall(kPath, kManagerIface, QStringLiteral("DeactivateConnection"));
    call << QVariant::fromValue(QDBusObjectPath(activePath));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kCallTimeoutMs);
    m_ours.remove(activePath);
    // Already down is what was asked.
    const QString error = reply.errorName();
    if (reply.type() == QDBusMessage::ReplyMessage || error.endsWith(QLatin1String(".ConnectionNotActive"))
        || error.endsWith(QLatin1String(".UnknownObject")) || error.endsWith(QLatin1String(".UnknownMethod")))
        return deNone;
    return errorOfDBus(error);
}

NetworkManagerDialUp::DialState* NetworkManagerDialUp::dialOf(DialListener* listener) const
{
    for (const auto& d : m_dials) {
        if (d->listener == listener && listener)
            return d.get();
    }
    return nullptr;
}

NetworkManagerDialUp::DialState* NetworkManagerDialUp::dialOfActive(const QString& path) const
{
    for (const auto& d : m_dials) {
        if (!d->active.isEmpty() && d->active == path)
            return d.get();
    }
    return nullptr;
}

NetworkManagerDialUp::DialState* NetworkManagerDialUp::dialOfDevice(const QString& path) const
{
    for (const auto& d : m_dials) {
        if (d->devices.contains(path))
            return d.get();
    }
    return nullptr;
}

void NetworkManagerDialUp::remove(DialState* dial)
{
    std::erase_if(m_dials, [dial](const auto& d) { return d.get() == dial; });
}

} // namespace glanix
