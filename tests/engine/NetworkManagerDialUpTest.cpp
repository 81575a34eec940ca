// The NetworkManager dial-up layer speaking D-Bus to a stand-in NetworkManager on a private
// bus of its own (a dbus-daemon started for the test): the phone book, the lines that are
// up, a dial followed through the device's states, failures, and what is hung up.
#include "engine/NetworkManagerDialUp.h"

#include "engine/TDialUp.h"
#include "tests/support/QtPrinters.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

using NMSettingsMap = QMap<QString, QVariantMap>;
Q_DECLARE_METATYPE(NMSettingsMap)

using namespace glanix;

namespace {

const QString kRoot = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kDevice = QStringLiteral("/org/freedesktop/NetworkManager/Devices/7");

// NetworkManager as far as Glanix asks it, answering on its own thread.
class FakeNetworkManager final : public QDBusVirtualObject {
public:
    struct Profile {
        QString path;
        QString id;
        QString type;
    };

    struct Active {
        QString path;
        QString profile;
        QString id;
        QString type;
        uint state;
    };

    mutable QMutex mutex;
    QList<Profile> profiles;
    QList<Active> active;
    QStringList deactivated;
    QString activateError; // the error name ActivateConnection answers with, if any

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override
    {
        QMutexLocker lock(&mutex);
        const QString member = m.member();
        const QString path = m.path();
        QDBusMessage reply;
        if (member == "ListConnections") {
            QList<QDBusObjectPath> paths;
            for (const Profile& p : std::as_const(profiles))
                paths << QDBusObjectPath(p.path);
            reply = m.createReply(QVariant::fromValue(paths));
        } else if (member == "GetSettings") {
            for (const Profile& p : std::as_const(profiles)) {
                if (p.path == path) {
                    NMSettingsMap s;
                    s["connection"] = QVariantMap {{"id", p.id}, {"type", p.type}, {"uuid", p.path}};
                    reply = m.createReply(QVariant::fromValue(s));
                }
            }
        } else if (member == "GetAll" || member == "Get") {
            const QVariantMap props = properties(path, m.arguments().value(0).toString());
            if (member == "GetAll")
                reply = m.createReply(QVariant::fromValue(props));
            else if (props.contains(m.arguments().value(1).toString()))
                reply = m.createReply(
                    QVariant::fromValue(QDBusVariant(props.value(m.arguments().value(1).toString()))));
        } else if (member == "ActivateConnection") {
            if (!activateError.isEmpty()) {
                reply = m.createErrorReply(activateError, "refused");
            } else {
                const QString profile = m.arguments().value(0).value<QDBusObjectPath>().path();
                Active a {
                    kRoot + "/ActiveConnection/" + QString::number(active.size() + 10), profile, {}, {}, 1};
                for (const Profile& p : std::as_const(profiles)) {
                    if (p.path == profile) {
                        a.id = p.id;
                        a.type = p.type;
                    }
                }
                active << a;
                reply = m.createReply(QVariant::fromValue(QDBusObjectPath(a.path)));
            }
        } else if (member == "DeactivateConnection") {
            const QString target = m.arguments().value(0).value<QDBusObjectPath>().path();
            deactivated << target;
            active.removeIf([&](const Active& a) { return a.path == target; });
            reply = m.createReply();
        }
        if (reply.type() == QDBusMessage::InvalidMessage)
            reply = m.createErrorReply("org.freedesktop.DBus.Error.UnknownObject", path);
        bus.send(reply);
        return true;
    }

private:
    QVariantMap properties(const QString& path, const QString& iface) const
    {
        if (path == kRoot && iface == "org.freedesktop.NetworkManager") {
            QList<QDBusObjectPath> paths;
            for (const Active& a : active)
                paths << QDBusObjectPath(a.path);
            return {{"ActiveConnections", QVariant::fromValue(paths)}};
        }
        if (path == kDevice)
            return {{"Interface", "ttyUSB0"}, {"DeviceType", 8u}, {"State", 50u}};
        for (const Active& a : active) {
            if (a.path == path)
                return {{"Connection", QVariant::fromValue(QDBusObjectPath(a.profile))},
                        {"Id", a.id},
                        {"Type", a.type},
                        {"State", a.state},
                        {"Devices", QVariant::fromValue(QList<QDBusObjectPath> {QDBusObjectPath(kDevice)})}};
        }
        return {};
    }
};

struct NetworkManagerDialUpTest : ::testing::Test {
    QProcess daemon;
    QString address;
    QThread serviceThread;
    FakeNetworkManager* nm = nullptr;
    std::unique_ptr<QDBusConnection> service;
    std::unique_ptr<NetworkManagerDialUp> backend;
    QStringList events;

    void SetUp() override
    {
        const QString program = QStandardPaths::findExecutable("dbus-daemon");
        if (program.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        qDBusRegisterMetaType<NMSettingsMap>();
        daemon.start(program, {"--session", "--nofork", "--print-address=1", "--address=unix:tmpdir=/tmp"});
        ASSERT_TRUE(daemon.waitForStarted(5000));
        while (!daemon.canReadLine() && daemon.waitForReadyRead(5000)) { }
        ASSERT_TRUE(daemon.canReadLine());
        address = QString::fromUtf8(daemon.readLine()).trimmed();

        service = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "fake-nm"));
        ASSERT_TRUE(service->isConnected());
        nm = new FakeNetworkManager;
        nm->profiles = {{kRoot + "/Settings/1", "Filaire", "802-3-ethernet"},
                        {kRoot + "/Settings/2", "Orange 3G", "gsm"},
                        {kRoot + "/Settings/3", "ADSL", "pppoe"}};
        nm->moveToThread(&serviceThread);
        serviceThread.start();
        ASSERT_TRUE(service->registerVirtualObject(kRoot, nm, QDBusConnection::SubPath));
        ASSERT_TRUE(service->registerService("org.freedesktop.NetworkManager"));

        backend = std::make_unique<NetworkManagerDialUp>(QDBusConnection::connectToBus(address, "glanix"));
    }

    void TearDown() override
    {
        backend.reset();
        if (service) {
            service->unregisterObject(kRoot, QDBusConnection::UnregisterTree);
            QDBusConnection::disconnectFromBus("fake-nm");
            QDBusConnection::disconnectFromBus("glanix");
        }
        serviceThread.quit();
        serviceThread.wait();
        delete nm;
        daemon.kill();
        daemon.waitForFinished();
    }

    void signal(const QString& path, const QString& iface, const QVariantList& args)
    {
        QDBusMessage s = QDBusMessage::createSignal(path, iface, "StateChanged");
        s.setArguments(args);
        service->send(s);
    }

    QString activePath(int i = 0)
    {
        QMutexLocker lock(&nm->mutex);
        return nm->active.value(i).path;
    }

    void watch(TDialUp& d)
    {
        d.OnAsyncEvent = [this](TDialUp&, int state, int error, const QString&) {
            events << QStringLiteral("%1/%2").arg(state).arg(error);
        };
        d.OnConnect = [this](TDialUp&) { events << "connect"; };
        d.OnError = [this](TDialUp&, int error, const QString&) {
            events << QStringLiteral("error %1").arg(error);
        };
    }
};

TEST_F(NetworkManagerDialUpTest, ThePhoneBookAndTheLinesUpComeFromTheProfiles)
{
    TDialUp d(*backend);
    ASSERT_TRUE(d.GetEntries());
    EXPECT_EQ(d.Entries, QStringList({"Orange 3G", "ADSL"}));

    {
        QMutexLocker lock(&nm->mutex);
        nm->active = {{kRoot + "/ActiveConnection/1", kRoot + "/Settings/1", "Filaire", "802-3-ethernet", 2},
                      {kRoot + "/ActiveConnection/2", kRoot + "/Settings/3", "ADSL", "pppoe", 2}};
    }
    QStringList lines;
    d.OnActiveConnection = [&](TDialUp&, const QString& handle, int status, const QString&,
                               const QString& entry, const QString& type, const QString& device) {
        lines << QStringList({handle, QString::number(status), entry, type, device}).join('|');
    };
    ASSERT_TRUE(d.GetActiveConnections());
    // The wired network is not in the phone book: it is not a line of the program's.
    EXPECT_EQ(lines, QStringList({kRoot + "/ActiveConnection/2|8192|ADSL|modem|ttyUSB0"}));

    // Nor is it ever hung up, even when asked by its handle; a modem line is.
    d.HangUpConnection(kRoot + "/ActiveConnection/1");
    d.HangUpConnection(kRoot + "/ActiveConnection/2");
    QMutexLocker lock(&nm->mutex);
    EXPECT_EQ(nm->deactivated, QStringList({kRoot + "/ActiveConnection/2"}));
}

TEST_F(NetworkManagerDialUpTest, ADialFollowsTheDeviceUntilTheConnectionIsUp)
{
    TDialUp d(*backend);
    watch(d);
    d.Entry = "Orange 3G";
    ASSERT_TRUE(d.Dial());
    // The answer to the activation, then what the device was doing meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([this] { return events.size() >= 3; }, 5000))
        << events.join(',').toStdString();
    EXPECT_EQ(events, QStringList({"0/0", "1/0", "3/0"}));
    signal(kDevice, "org.freedesktop.NetworkManager.Device", {60u, 50u, 0u});
    signal(kDevice, "org.freedesktop.NetworkManager.Device", {70u, 60u, 0u});
    signal(activePath(), "org.freedesktop.NetworkManager.Connection.Active", {2u, 1u});
    ASSERT_TRUE(QTest::qWaitFor([this] { return events.contains("connect"); }, 5000))
        << events.join(',').toStdString();
    EXPECT_EQ(events.mid(3), QStringList({"5/0", "10/0", "8192/0", "connect"}));

    // A line it dialled is its own: hanging up deactivates it.
    d.HangUp();
    QMutexLocker lock(&nm->mutex);
    EXPECT_EQ(nm->deactivated.size(), 1);
}

TEST_F(NetworkManagerDialUpTest, AFailedDeviceEndsTheDialWithItsReason)
{
    TDialUp d(*backend);
    watch(d);
    int failure = 0;
    d.OnNotConnected = [&](TDialUp&, int error, const QString&) { failure = error; };
    d.Entry = "ADSL";
    ASSERT_TRUE(d.Dial());
    ASSERT_TRUE(QTest::qWaitFor([this] { return events.size() >= 3; }, 5000));
    signal(kDevice, "org.freedesktop.NetworkManager.Device", {120u, 50u, 24u});
    ASSERT_TRUE(QTest::qWaitFor([&] { return failure != 0; }, 5000));
    EXPECT_EQ(failure, deLineBusy);
    EXPECT_EQ(events.last(), QStringLiteral("8193/%1").arg(deLineBusy));
}

TEST_F(NetworkManagerDialUpTest, ARefusedActivationAndAnUnknownEntryAreErrors)
{
    TDialUp d(*backend);
    watch(d);
    d.Entry = "Nulle part";
    EXPECT_FALSE(d.Dial());
    EXPECT_EQ(events, QStringList({QStringLiteral("error %1").arg(deEntryNotFound)}));

    events.clear();
    {
        QMutexLocker lock(&nm->mutex);
        nm->activateError = "org.freedesktop.NetworkManager.PermissionDenied";
    }
    d.Entry = "ADSL";
    ASSERT_TRUE(d.Dial());
    ASSERT_TRUE(QTest::qWaitFor([this] { return events.size() >= 2; }, 5000));
    EXPECT_EQ(events.last(), QStringLiteral("8193/%1").arg(deNotPermitted));
}

TEST_F(NetworkManagerDialUpTest, CancellingBeforeTheAnswerStillTakesTheLineDown)
{
    TDialUp d(*backend);
    watch(d);
    d.Entry = "Orange 3G";
    ASSERT_TRUE(d.Dial());
    d.HangUp();
    ASSERT_TRUE(QTest::qWaitFor(
        [this] {
            QMutexLocker lock(&nm->mutex);
            return nm->deactivated.size() == 1;
        },
        5000));
    QTest::qWait(100);
    EXPECT_TRUE(events.isEmpty()) << events.join(',').toStdString();
}

TEST(NetworkManagerAbsent, EveryCallSaysTheServiceIsMissing)
{
    NetworkManagerDialUp backend(QDBusConnection(QStringLiteral("nowhere")));
    QList<DialUpEntry> entries;
    EXPECT_EQ(backend.listEntries(entries), deServiceUnavailable);
    QList<ActiveLink> links;
    EXPECT_EQ(backend.listActive(links), deServiceUnavailable);
}

} // namespace
