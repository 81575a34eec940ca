// The dial-up component over a scripted connection service, and the rules that map
// NetworkManager onto it.
#include "engine/NetworkManagerDialUp.h"
#include "engine/TDialUp.h"
#include "tests/support/FakeDialUp.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

struct DialUpTest : ::testing::Test {
    FakeDialUp fake;
    TDialUp dialUp {fake};
    QStringList events;

    DialUpTest()
    {
        fake.entries = {{"Orange", "gsm"}, {"Free", "pppoe"}};
        dialUp.OnDialing = [this](TDialUp&) { events << "dialing"; };
        dialUp.OnConnect = [this](TDialUp&) { events << "connect"; };
        dialUp.OnAsyncEvent = [this](TDialUp&, int state, int error, const QString& text) {
            events << QStringLiteral("async %1 %2 %3").arg(state).arg(error).arg(text);
        };
        dialUp.OnNotConnected = [this](TDialUp&, int error, const QString& text) {
            events << QStringLiteral("not connected %1 %2").arg(error).arg(text);
        };
        dialUp.OnError = [this](TDialUp&, int error, const QString& text) {
            events << QStringLiteral("error %1 %2").arg(error).arg(text);
        };
    }
};

TEST(DialUpTexts, StatesReadInBothLanguages)
{
    const struct {
        int state;
        const char* french;
        const char* english;
    } rows[] = {
        {rsOpenPort, "Ouverture du port", "Opening port"},
        {rsAuthProject, "Authentification: négociation", "Authentication: projecting"},
        {rsAuthLinkSpeed, "Authentification: link speed", "Authentication: link speed"},
        {rsProjected, "Négocation ok", "Projected"},
        {rsCallbackSetByCaller, "Rappel indiqué par appellant", "Callback set by caller"},
        {rsConnected, "Connecté", "Connected"},
        {rsDisconnected, "Déconnecté", "Disconnected"},
    };

    for (const auto& r : rows) {
        EXPECT_EQ(TDialUp::stateText(r.state, French), QString::fromUtf8(r.french)) << r.state;
        EXPECT_EQ(TDialUp::stateText(r.state, English), QString::fromUtf8(r.english)) << r.state;
    }
    EXPECT_EQ(TDialUp::stateText(0x1004, French), "");
    // Every failure has a text, known or not.
    EXPECT_EQ(TDialUp::errorText(deLineBusy, French), "La ligne est occupée.");
    EXPECT_EQ(TDialUp::errorText(deLineBusy, English), "The line is busy.");
    EXPECT_EQ(TDialUp::errorText(999, French), "Erreur de connexion 999");
}

TEST_F(DialUpTest, ADialReportsEachStateThenTheConnection)
{
    QStringList got;
    dialUp.OnEntryGet = [&](TDialUp&, const QString& entry) { got << entry; };
    ASSERT_TRUE(dialUp.GetEntries());
    EXPECT_EQ(dialUp.Entries, QStringList({"Orange", "Free"}));
    EXPECT_EQ(got, dialUp.Entries);

    dialUp.Language = French;
    dialUp.Entry = "Orange";
    fake.script = {{rsOpenPort}, {rsAuthenticate}, {rsConnected}};
    ASSERT_TRUE(dialUp.Dial());
    // Nothing is reported from inside the call.
    EXPECT_EQ(events, QStringList({"dialing"}));
    EXPECT_TRUE(dialUp.dialling());
    fake.play();
    EXPECT_EQ(events,
              QStringList({"dialing", "async 0 0 Ouverture du port", "async 5 0 Début d'authentification",
                           "async 8192 0 Connecté", "connect"}));
    EXPECT_FALSE(dialUp.dialling());
    EXPECT_EQ(fake.dialled, QStringList({"Orange"}));
}

TEST_F(DialUpTest, ASynchronousDialReportsOnlyItsOutcome)
{
    dialUp.DialMode = dmSync;
    dialUp.Entry = "Free";
    fake.script = {{rsOpenPort}, {rsAuthenticate}, {rsAuthRetry, deAccessDenied}};
    ASSERT_TRUE(dialUp.Dial());
    fake.play();
    const QString denied = TDialUp::errorText(deAccessDenied, English);
    EXPECT_EQ(events,
              QStringList({"dialing", QStringLiteral("async 7 691 ") + denied,
                           QStringLiteral("not connected 691 ") + denied}));
}

TEST_F(DialUpTest, ADisconnectionWithoutNumberStillEndsTheDialAsNotConnected)
{
    dialUp.Entry = "Orange";
    fake.script = {{rsOpenPort}, {rsDisconnected}};
    ASSERT_TRUE(dialUp.Dial());
    fake.play();
    EXPECT_EQ(events.value(2), "async 8193 0 Disconnected");
    EXPECT_TRUE(events.value(3).startsWith("not connected 628 "));
    // A late report of the same dial changes nothing.
    events.clear();
    EXPECT_FALSE(fake.step());
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(DialUpTest, FailuresOfTheServiceAreErrorsNotDials)
{
    fake.listError = deServiceUnavailable;
    EXPECT_FALSE(dialUp.GetEntries());
    EXPECT_FALSE(dialUp.GetActiveConnections());
    fake.listError = 0;
    fake.dialError = deEntryNotFound;
    dialUp.Entry = "Nowhere";
    EXPECT_FALSE(dialUp.Dial());
    EXPECT_FALSE(dialUp.dialling());
    ASSERT_EQ(events.size(), 3);
    EXPECT_TRUE(events[0].startsWith("error 711 "));
    EXPECT_TRUE(events[2].startsWith("error 623 "));
}

TEST_F(DialUpTest, HangingUpEndsOnlyWhatWasAsked)
{
    fake.active = {FakeDialUp::link("Bureau")};
    QStringList seen;
    dialUp.OnActiveConnection = [&](TDialUp&, const QString& handle, int status, const QString& text,
                                    const QString& entry, const QString& type, const QString& device) {
        seen << QStringList({handle, QString::number(status), text, entry, type, device}).join(u'|');
    };
    ASSERT_TRUE(dialUp.GetActiveConnections());
    EXPECT_EQ(seen, QStringList({"/active/Bureau|8192|Connected|Bureau|modem|ppp0"}));

    // Its own line: nothing dialled, nothing hung up.
    dialUp.HangUp();
    EXPECT_TRUE(fake.hungUp.isEmpty());

    dialUp.Entry = "Orange";
    ASSERT_TRUE(dialUp.Dial());
    fake.play();
    EXPECT_EQ(fake.active.size(), 2);
    dialUp.HangUp();
    EXPECT_EQ(fake.hungUp, QStringList({"own:Orange"}));
    dialUp.HangUpConnection("/active/Bureau");
    EXPECT_TRUE(fake.active.isEmpty());
}

TEST_F(DialUpTest, FreeingTheComponentLeavesTheLineUp)
{
    auto other = std::make_unique<TDialUp>(fake);
    other->Entry = "Orange";
    ASSERT_TRUE(other->Dial());
    fake.play();
    other.reset();
    EXPECT_TRUE(fake.hungUp.isEmpty());
    EXPECT_EQ(fake.active.size(), 1);
}

TEST(NetworkManagerRules, ThePhoneBookIsTheModemProfilesWhenThereAreAny)
{
    const QList<DialUpEntry> desktop
        = {{"lo", "loopback"}, {"Filaire", "802-3-ethernet"}, {"Maison", "802-11-wireless"}, {"", "vpn"}};
    QStringList names;
    for (const DialUpEntry& e : NetworkManagerDialUp::phoneBook(desktop))
        names << e.name;
    EXPECT_EQ(names, QStringList({"Filaire", "Maison"}));

    QList<DialUpEntry> withModems = desktop;
    withModems << DialUpEntry {"Orange 3G", "gsm"} << DialUpEntry {"ADSL", "pppoe"};
    names.clear();
    for (const DialUpEntry& e : NetworkManagerDialUp::phoneBook(withModems))
        names << e.name;
    EXPECT_EQ(names, QStringList({"Orange 3G", "ADSL"}));

    EXPECT_TRUE(NetworkManagerDialUp::isModemType("bluetooth"));
    EXPECT_FALSE(NetworkManagerDialUp::isModemType("802-11-wireless"));
}

TEST(NetworkManagerRules, DeviceStatesAndFailuresMapOntoDialStatesAndErrors)
{
    EXPECT_EQ(NetworkManagerDialUp::stateOfDevice(40), rsConnectDevice);
    EXPECT_EQ(NetworkManagerDialUp::stateOfDevice(60), rsAuthenticate);
    EXPECT_EQ(NetworkManagerDialUp::stateOfDevice(80), rsProjected);
    EXPECT_EQ(NetworkManagerDialUp::stateOfDevice(100), -1); // told by the connection itself
    EXPECT_EQ(NetworkManagerDialUp::errorOfDeviceReason(24), deLineBusy);
    EXPECT_EQ(NetworkManagerDialUp::errorOfDeviceReason(7), deAccessDenied);
    EXPECT_EQ(NetworkManagerDialUp::errorOfActiveReason(10), deAccessDenied);
    EXPECT_EQ(NetworkManagerDialUp::errorOfActiveReason(6), deNoAnswer);
    EXPECT_EQ(NetworkManagerDialUp::errorOfDBus("org.freedesktop.DBus.Error.ServiceUnknown"),
              deServiceUnavailable);
    EXPECT_EQ(NetworkManagerDialUp::errorOfDBus("org.freedesktop.NetworkManager.PermissionDenied"),
              deNotPermitted);
    EXPECT_EQ(NetworkManagerDialUp::errorOfDBus("org.freedesktop.NetworkManager.UnknownConnection"),
              deEntryNotFound);
    // Whatever the cause, a failed dial is numbered 600 or more, which ends the cycle.
    for (uint reason = 0; reason < 70; ++reason) {
        EXPECT_GE(NetworkManagerDialUp::errorOfDeviceReason(reason), 600) << reason;
        EXPECT_GE(NetworkManagerDialUp::errorOfActiveReason(reason), 600) << reason;
    }
}

} // namespace
