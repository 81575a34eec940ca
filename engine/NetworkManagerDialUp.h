#pragma once

#include "engine/DialUpBackend.h"

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <memory>
#include <vector>

class QDBusMessage;
class QDBusPendingCallWatcher;

// The dial-up layer on NetworkManager, over D-Bus. The phone book is the connection profiles
// of the modem kinds (mobile broadband, PPPoE, DSL, Bluetooth dial-up), or every profile when
// none is of those kinds; dialling activates a profile and follows its device's states;
// hanging up deactivates. A link that was up before and is not of a modem kind (a wired or
// wireless network) is never hung up: it is the machine's permanent connection, not one
// Glanix made. With no NetworkManager on the bus every call answers deServiceUnavailable.
namespace glanix {

class NetworkManagerDialUp final : public QObject, public DialUpBackend {
    Q_OBJECT

public:
    explicit NetworkManagerDialUp(const QDBusConnection& bus = QDBusConnection::systemBus(),
                                  QObject* parent = nullptr);
    ~NetworkManagerDialUp() override;

    int listEntries(QList<DialUpEntry>& entries) override;
    int listActive(QList<ActiveLink>& links) override;
    int startDial(const QString& entry, DialListener* listener) override;
    int hangUpDial(DialListener* listener) override;
    void forget(DialListener* listener) override;
    int hangUp(const QString& handle) override;

    // The rules, apart from the bus.
    static bool isModemType(const QString& type);
    // The profiles offered as the phone book.
    static QList<DialUpEntry> phoneBook(const QList<DialUpEntry>& profiles);
    // A device state (NMDeviceState) as a dialling state; -1 for none worth a report.
    static int stateOfDevice(uint deviceState);
    // Why a device failed (NMDeviceStateReason), or why an activation ended
    // (NMActiveConnectionStateReason), as an error number.
    static int errorOfDeviceReason(uint reason);
    static int errorOfActiveReason(uint reason);
    static int errorOfDBus(const QString& errorName);

private slots:
    void activeStateChanged(uint state, uint reason, const QDBusMessage& message);
    void deviceStateChanged(uint newState, uint oldState, uint reason, const QDBusMessage& message);

private:
    struct Profile {
        QString path;
        QString name;
        QString type;
    };
    struct DialState;

    int profiles(QList<Profile>& out);
    int phoneBookProfiles(QList<Profile>& out);
    void activated(DialState* dial, QDBusPendingCallWatcher* watcher);
    void report(DialState* dial, int state, int error);
    DialState* dialOf(DialListener* listener) const;
    DialState* dialOfActive(const QString& path) const;
    DialState* dialOfDevice(const QString& path) const;
    void remove(DialState* dial);
    int deactivate(const QString& activePath);

    QDBusConnection m_bus;
    std::vector<std::unique_ptr<DialState>> m_dials;
    QSet<QString> m_ours; // active connections this program brought up
    int m_lastId = 0;
};

} // namespace glanix
