#include "config/IniFile.h"
#include "config/Settings.h"
#include "tests/support/FakeRemoteAccess.h"
#include "tests/support/GuiTest.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempHome.h"
#include "ui/NumberEdit.h"
#include "ui/TFormOptionsGenerales.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

struct OptionsGeneralesTest : ::testing::Test {
    TempHome home;
    Settings settings {home.env()};
    ScriptedPrompt prompt;
    FakeRemoteAccess remoteAccess;
    std::unique_ptr<TFormOptionsGenerales> dialog;

    void open()
    {
        dialog = std::make_unique<TFormOptionsGenerales>(settings, prompt, remoteAccess);
        ASSERT_TRUE(showActive(dialog.get()));
    }

    template<class W> W* child(const char* name)
    {
        W* w = dialog->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void showTabOf(QWidget* w)
    {
        for (int i = 0; i < dialog->tabs()->count(); ++i) {
            if (dialog->tabs()->widget(i)->isAncestorOf(w))
                dialog->tabs()->setCurrentIndex(i);
        }
    }

    void type(const char* name, const QString& text)
    {
        auto* w = child<QWidget>(name);
        showTabOf(w);
        typeAndLeave(w, text);
    }

    void ok() { QTest::mouseClick(child<QPushButton>("ok"), Qt::LeftButton); }

    void cancel() { QTest::mouseClick(child<QPushButton>("cancel"), Qt::LeftButton); }

    QString ini(QStringView key)
    {
        return IniFile(home.file("Glanix.ini")).readString(u"General", key, "<absent>");
    }
};

TEST_F(OptionsGeneralesTest, ProxyIsSplitIntoItsFieldsAndComposedOnOk)
{
    struct Case {
        const char* stored;
        const char* address;
        const char* port;
    } cases[] = {
        {"cache.example.org:3128", "cache.example.org", "3128"},
        {"jean:secret@cache.example.org:3128", "jean:secret@cache.example.org", "3128"},
        {"cache.example.org", "cache.example.org", ""},
    };

    for (const Case& c : cases) {
        settings.Opt().Proxy = c.stored;
        open();
        EXPECT_TRUE(child<QCheckBox>("proxyBox")->isChecked());
        EXPECT_EQ(child<QLineEdit>("proxyAddress")->text(), c.address);
        EXPECT_EQ(child<QLineEdit>("proxyPort")->text(), c.port);
        ok();
        // No port given: the usual proxy port.
        EXPECT_EQ(settings.Opt().Proxy, *c.port ? QString(c.stored) : QString(c.stored) + ":8080");
    }

    settings.Opt().Proxy = "";
    open();
    EXPECT_FALSE(child<QCheckBox>("proxyBox")->isChecked());
    type("proxyAddress", "cache.example.org");
    type("proxyPort", "0");
    EXPECT_EQ(child<QLineEdit>("proxyPort")->text(), "");
    type("proxyPort", "3128x");
    EXPECT_EQ(child<QLineEdit>("proxyPort")->text(), "");
    type("proxyPort", "03128");
    EXPECT_EQ(child<QLineEdit>("proxyPort")->text(), "3128");
    ok();
    EXPECT_EQ(settings.Opt().Proxy, ""); // box left unticked
    EXPECT_EQ(ini(u"Proxy"), "");

    open();
    child<QCheckBox>("proxyBox")->setChecked(true);
    type("proxyAddress", "proxy.lan");
    type("proxyPort", "3128");
    ok();
    EXPECT_EQ(settings.Opt().Proxy, "proxy.lan:3128");
    EXPECT_EQ(ini(u"Proxy"), "proxy.lan:3128");
}

TEST_F(OptionsGeneralesTest, BandwidthSliderShowsItsValue)
{
    settings.Opt().BandWithLimit = 25;
    open();
    auto* slider = child<QSlider>("bandwidth");
    auto* label = child<QLabel>("bandwidthLabel");
    EXPECT_EQ(slider->value(), 5);
    EXPECT_EQ(label->text(), "25 Ko/s");
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(slider->value(), 8);
    EXPECT_EQ(label->text(), "Illimité");
    ok();
    EXPECT_EQ(settings.Opt().BandWithLimit, 0);
    EXPECT_EQ(ini(u"BandWithLimit"), "0");

    open();
    child<QSlider>("bandwidth")->setValue(0);
    EXPECT_EQ(child<QLabel>("bandwidthLabel")->text(), "1 Ko/s");
    cancel();
    EXPECT_EQ(settings.Opt().BandWithLimit, 0);
}

TEST_F(OptionsGeneralesTest, NumbersAreBroughtIntoTheirRangeOnLeavingTheField)
{
    open();
    type("timeOut", "500");
    EXPECT_EQ(child<NumberEdit>("timeOut")->value(), 300);
    type("nbMaxDownLoads", "0");
    EXPECT_EQ(child<NumberEdit>("nbMaxDownLoads")->value(), 1);
    type("timeOutByPage", "1");
    EXPECT_EQ(child<NumberEdit>("timeOutByPage")->value(), 2);
    type("nbCharToCompare", "5000");
    EXPECT_EQ(child<NumberEdit>("nbCharToCompare")->value(), 999);
    type("readTime", "61");
    EXPECT_EQ(child<NumberEdit>("readTime")->value(), 60);
    type("nbMaxDownLoads", "abc"); // not a number: the field keeps its value
    EXPECT_EQ(child<NumberEdit>("nbMaxDownLoads")->value(), 1);
    ok();
    EXPECT_EQ(settings.Opt().TimeOut, 300);
    EXPECT_EQ(ini(u"TimeOut"), "300");
    EXPECT_EQ(ini(u"NbMaxDownLoads"), "1");
    EXPECT_EQ(ini(u"ReadTime"), "60");
}

TEST_F(OptionsGeneralesTest, ModemNeedsTheConnectionServiceAndCancelUndoesIt)
{
    settings.Opt().ConnectByModem = false;
    remoteAccess.setAvailable(false);
    open();
    EXPECT_FALSE(child<NumberEdit>("hangUpBefore")->isEnabled());
    prompt.setNextAnswer(UserPrompt::Ok);
    click(child<QRadioButton>("byModem"));
    EXPECT_EQ(prompt.texts(),
              QStringList({"Connexion par modem impossible,\rGlanix ne trouve pas le service "
                           "d'accès réseau à distance"}));
    EXPECT_TRUE(child<QRadioButton>("byNetwork")->isChecked());
    EXPECT_FALSE(settings.Opt().ConnectByModem);
    cancel();

    remoteAccess.setAvailable(true);
    open();
    QSignalSpy made(dialog.get(), &TFormOptionsGenerales::modemModeChosen);
    click(child<QRadioButton>("byModem"));
    EXPECT_EQ(made.count(), 1);
    EXPECT_TRUE(settings.Opt().ConnectByModem); // at once, before OK
    EXPECT_TRUE(child<NumberEdit>("hangUpBefore")->isEnabled());
    cancel();
    EXPECT_FALSE(settings.Opt().ConnectByModem);

    open();
    click(child<QRadioButton>("byModem"));
    ok();
    EXPECT_TRUE(settings.Opt().ConnectByModem);
    EXPECT_EQ(ini(u"ConnectByModem"), "1");
    EXPECT_EQ(remoteAccess.probes(), 3); // each time modem mode was not on
}

TEST_F(OptionsGeneralesTest, HangUpDelaysInMinutes)
{
    settings.Opt().HangUpAfter = 0;
    open();
    EXPECT_TRUE(child<QCheckBox>("hangUpBeforeBox")->isChecked());
    EXPECT_EQ(child<NumberEdit>("hangUpBefore")->value(), 3);
    EXPECT_FALSE(child<QCheckBox>("hangUpAfterBox")->isChecked());
    type("hangUpBefore", "0");
    EXPECT_FALSE(child<QCheckBox>("hangUpBeforeBox")->isChecked());
    type("hangUpAfter", "90");
    EXPECT_TRUE(child<QCheckBox>("hangUpAfterBox")->isChecked());
    ok();
    EXPECT_EQ(settings.Opt().DoNotHangUpBefore, 0);
    EXPECT_DOUBLE_EQ(settings.Opt().HangUpAfter, 90.0 / 1440);

    open();
    child<QCheckBox>("hangUpAfterBox")->setChecked(false); // the minutes stay, the box wins
    ok();
    EXPECT_EQ(settings.Opt().HangUpAfter, 0);
}

TEST_F(OptionsGeneralesTest, CounterIsResetOnlyWhenAskedOrTrulyZero)
{
    settings.loadSettings({QRect(0, 0, 800, 600), {}, {}});
    settings.Opt().TotalDownLoadedSinceBeginning = 1000; // shows as 0,00 Mo
    settings.Opt().DateStartedFromZero = 45000;
    open();
    EXPECT_TRUE(child<QLabel>("counterStart")->text().startsWith("Compteur démarré le "));
    ok();
    EXPECT_EQ(settings.Opt().TotalDownLoadedSinceBeginning, 1000);
    EXPECT_EQ(ini(u"TotalDownLoadedSinceBeginning"), "<absent>");

    settings.Opt().TotalDownLoadedSinceBeginning = 3.5 * 1024 * 1024;
    open();
    auto* total = child<QLineEdit>("total");
    EXPECT_TRUE(total->text() == "3,50" || total->text() == "3.50") << total->text().toStdString();
    showTabOf(total);
    QTest::mouseClick(child<QPushButton>("resetCounter"), Qt::LeftButton);
    EXPECT_TRUE(total->text() == "0,00" || total->text() == "0.00");
    cancel();
    EXPECT_EQ(settings.Opt().TotalDownLoadedSinceBeginning, 3.5 * 1024 * 1024);

    open();
    showTabOf(child<QWidget>("resetCounter"));
    QTest::mouseClick(child<QPushButton>("resetCounter"), Qt::LeftButton);
    home.clock().advanceDays(1);
    ok();
    EXPECT_EQ(settings.Opt().TotalDownLoadedSinceBeginning, 0);
    EXPECT_EQ(settings.Opt().DateStartedFromZero, home.env().now());
    EXPECT_EQ(ini(u"TotalDownLoadedSinceBeginning"), "0");
}

TEST_F(OptionsGeneralesTest, CounterInFrenchOnAnEnglishSystem)
{
    const QLocale before;
    QLocale::setDefault(QLocale::English);
    settings.loadSettings({QRect(0, 0, 800, 600), {}, {}});
    settings.Opt().TotalDownLoadedSinceBeginning = 3.5 * 1024 * 1024;
    settings.Opt().DateStartedFromZero = 45000.75; // 15 March 2023, 18:00
    open();
    EXPECT_EQ(child<QLineEdit>("total")->text(), "3,50");
    EXPECT_EQ(child<QLabel>("counterStart")->text(), "Compteur démarré le 15 mars 2023 à 18:00");
    cancel();
    QLocale::setDefault(before);
}

TEST_F(OptionsGeneralesTest, AskAllConfirmationsAgainThenHelp)
{
    home.write("Glanix.ini", "[Confirmations]\nOnIEDelete=0\nOnURLClick=0\n");
    open();
    auto* button = child<QPushButton>("askAllConfirmations");
    showTabOf(button);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(IniFile(home.file("Glanix.ini")).sectionExists(u"Confirmations"));

    QSignalSpy help(dialog.get(), &TFormOptionsGenerales::helpRequested);
    QTest::mouseClick(child<QPushButton>("help"), Qt::LeftButton);
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    ASSERT_EQ(help.count(), 2);
    EXPECT_EQ(help[0][0].toString(), "Preferences");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(OptionsGeneralesTest, CancelWritesNothingAndOkWritesAtOnce)
{
    open();
    child<QCheckBox>("priorityToChilds")->setChecked(true);
    type("userName", "Jean Dupont");
    type("externalBrowser", " /usr/bin/firefox ");
    cancel();
    EXPECT_FALSE(settings.Opt().PriorityToChilds);
    EXPECT_FALSE(home.exists("Glanix.ini"));

    open();
    child<QCheckBox>("priorityToChilds")->setChecked(true);
    type("userName", "Jean Dupont");
    type("externalBrowser", " /usr/bin/firefox ");
    ok();
    EXPECT_EQ(ini(u"PriorityToChilds"), "1");
    EXPECT_EQ(ini(u"UserName"), "Jean Dupont");
    EXPECT_EQ(ini(u"ExternalBrowser"), "/usr/bin/firefox");
    EXPECT_EQ(ini(u"HighLightColor"), "15728880");
}

TEST_F(OptionsGeneralesTest, Screenshots)
{
    open();
    dialog->adjustSize();
    for (int i = 0; i < dialog->tabs()->count(); ++i) {
        dialog->tabs()->setCurrentIndex(i);
        QApplication::processEvents();
        screenshot(dialog.get(), QStringLiteral("options-generales-%1").arg(i + 1));
    }
    cancel();
}

} // namespace
