#include "config/OptGene.h"
#include "tests/agents/ElementFixture.h"
#include "tests/support/GuiTest.h"
#include "ui/NumberEdit.h"
#include "ui/OptionWidgets.h"
#include "ui/TFormOptionsURL.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

struct OptionsURLTest : ElementFixture {
    TOptGene opt;
    std::unique_ptr<TFormOptionsURL> dialog;

    void open(std::vector<TElement*> elements)
    {
        dialog = std::make_unique<TFormOptionsURL>(std::move(elements), opt);
        ASSERT_TRUE(showActive(dialog.get()));
    }

    template<class W> W* child(const char* name)
    {
        W* w = dialog->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void showTab(TFormOptionsURL::Tab tab)
    {
        for (int i = 0; i < dialog->tabs()->count(); ++i) {
            dialog->tabs()->setCurrentIndex(i);
            if (dialog->currentTab() == tab)
                return;
        }
        ADD_FAILURE() << "no tab " << tab;
    }

    void ok() { QTest::mouseClick(child<QPushButton>("ok"), Qt::LeftButton); }

    void cancel() { QTest::mouseClick(child<QPushButton>("cancel"), Qt::LeftButton); }
};

TEST_F(OptionsURLTest, OneAddressLiveBehaviourAndSave)
{
    TElement* site = add(agent, kindAddress, "Site", "http://jean:pw@www.site.fr/doc/index.html");
    open({site});
    EXPECT_EQ(dialog->windowTitle(), "Propriétés");
    EXPECT_EQ(child<QLineEdit>("url")->text(), "http://www.site.fr/doc/index.html");
    EXPECT_EQ(child<QLineEdit>("user")->text(), "jean");
    EXPECT_TRUE(child<QLineEdit>("url")->hasFocus());

    // Leaving the address adds its scheme; the prefix follows the chosen radio.
    showTab(TFormOptionsURL::TabDepth);
    click(child<QRadioButton>("sameServer"));
    EXPECT_EQ(child<QLineEdit>("linksStart")->text(), "http://www.site.fr");
    showTab(TFormOptionsURL::TabParams);
    typeAndLeave(child<QLineEdit>("url"), "www.autre.fr/a/b.html");
    EXPECT_EQ(child<QLineEdit>("url")->text(), "http://www.autre.fr/a/b.html");
    showTab(TFormOptionsURL::TabDepth);
    EXPECT_EQ(child<QLineEdit>("linksStart")->text(), "http://www.autre.fr");
    click(child<QRadioButton>("sameDirectory"));
    EXPECT_EQ(child<QLineEdit>("linksStart")->text(), "http://www.autre.fr/a/");

    // Typing a prefix of one's own selects neither radio; typing one of the two selects it.
    typeAndLeave(child<QLineEdit>("linksStart"), "http://www.autre.fr/a/c");
    EXPECT_FALSE(child<QRadioButton>("sameServer")->isChecked());
    EXPECT_FALSE(child<QRadioButton>("sameDirectory")->isChecked());
    typeAndLeave(child<QLineEdit>("linksStart"), "http://www.autre.fr");
    EXPECT_TRUE(child<QRadioButton>("sameServer")->isChecked());

    auto* masks = dialog->findChild<MaskTypesBox*>();
    click(masks->typeBox(MaskSet::Sounds));
    click(masks->typeBox(MaskSet::Programs));
    EXPECT_EQ(masks->maskText(), "*.exe *.ra* *.mp3 *.wav ");
    click(masks->typeBox(MaskSet::Sounds));
    EXPECT_EQ(masks->maskText(), "*.exe ");
    typeAndLeave(child<NumberEdit>("depth"), "70");
    EXPECT_EQ(child<NumberEdit>("depth")->value(), 50);

    showTab(TFormOptionsURL::TabRefresh);
    click(child<QRadioButton>("scheduled"));
    typeAndLeave(child<NumberEdit>("days"), "12");
    typeAndLeave(child<NumberEdit>("period"), "0");
    ok();

    EXPECT_EQ(site->GetURL(), "http://jean:pw@www.autre.fr/a/b.html");
    EXPECT_DOUBLE_EQ(site->Frequency, 12);
    EXPECT_EQ(site->GetExcludeMask(), "*.exe");
    EXPECT_EQ(site->GetDownLoadLinksDepth(), 50);
    EXPECT_EQ(site->GetDownLoadLinksStart(), "http://jean:pw@www.autre.fr");
    EXPECT_EQ(opt.OptionsURLTab, TFormOptionsURL::TabRefresh);
}

TEST_F(OptionsURLTest, ScheduledCodeOpensWithItsTwoNumbers)
{
    TElement* site = add(agent, kindAddress, "Site", "http://www.site.fr/");
    site->SetFrequency(3.07);
    opt.OptionsURLTab = TFormOptionsURL::TabRefresh;
    open({site});
    EXPECT_EQ(dialog->currentTab(), TFormOptionsURL::TabRefresh);
    EXPECT_TRUE(child<QRadioButton>("scheduled")->isChecked());
    EXPECT_EQ(child<NumberEdit>("days")->value(), 3);
    EXPECT_EQ(child<NumberEdit>("period")->value(), 7);
    EXPECT_TRUE(child<QRadioButton>("scheduled")->hasFocus());
    screenshot(dialog.get(), "proprietes-rafraichissement");
    cancel();
    EXPECT_DOUBLE_EQ(site->Frequency, 3.07);
}

TEST_F(OptionsURLTest, NextCheckLabelInAutomaticModeOnly)
{
    TElement* site = add(agent, kindAddress, "Site", "http://www.site.fr/");
    const TDateTime now = home.env().now();
    site->LastModified = now - 1;
    site->BeforeLastModified = now - 3;
    site->LastVerified = now - 1;
    site->SetFrequency(0);
    open({site});
    auto* label = child<QLabel>("nextCheck");
    showTab(TFormOptionsURL::TabRefresh);
    EXPECT_FALSE(label->isVisible());
    click(child<QRadioButton>("automatic"));
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->text(), "Prochaine vérification dans 6 heures");
    click(child<QRadioButton>("once"));
    EXPECT_FALSE(label->isVisible());

    // A new address, checked an hour and a minute ago: its time has come.
    TElement* fresh = add(agent, kindAddress, "Neuve", "http://www.neuve.fr/");
    fresh->LastVerified = now - 61.0 / 1440;
    open({fresh});
    showTab(TFormOptionsURL::TabRefresh);
    EXPECT_EQ(child<QLabel>("nextCheck")->text(), "Prochaine vérification dès que possible");
}

TEST_F(OptionsURLTest, GroupedOverTwoPoliciesKeepsEachOnOk)
{
    TElement* a = add(agent, kindAddress, "A", "http://a.fr/");
    TElement* b = add(agent, kindAddress, "B", "http://b.fr/");
    a->SetFrequency(-3);
    b->SetFrequency(0);
    a->SetActive(false);
    open({a, b});
    EXPECT_EQ(dialog->windowTitle(), "Propriétés groupées");
    EXPECT_FALSE(child<QLineEdit>("name")->isEnabled());
    EXPECT_EQ(child<QLineEdit>("url")->text(), "");
    EXPECT_FALSE(child<QLineEdit>("url")->isEnabled());
    EXPECT_EQ(child<QCheckBox>("active")->checkState(), Qt::PartiallyChecked);
    showTab(TFormOptionsURL::TabRefresh);
    EXPECT_TRUE(child<QRadioButton>("unchanged")->isVisible());
    EXPECT_TRUE(child<QRadioButton>("unchanged")->isChecked());
    EXPECT_FALSE(child<QCheckBox>("onlyIfRead")->isEnabled());
    EXPECT_FALSE(child<QLabel>("nextCheck")->isVisible());
    screenshot(dialog.get(), "proprietes-groupees");
    ok();
    EXPECT_DOUBLE_EQ(a->Frequency, -3);
    EXPECT_DOUBLE_EQ(b->Frequency, 0);
    EXPECT_FALSE(a->GetActive());
    EXPECT_TRUE(b->GetActive());

    // Choosing a policy there sets it on both.
    open({a, b});
    showTab(TFormOptionsURL::TabRefresh);
    click(child<QRadioButton>("systematic"));
    showTab(TFormOptionsURL::TabParams);
    child<QCheckBox>("active")->setCheckState(Qt::Checked);
    ok();
    EXPECT_DOUBLE_EQ(a->Frequency, 0);
    EXPECT_TRUE(a->GetActive());
}

TEST_F(OptionsURLTest, WhatShowsByKindAndHelpByTab)
{
    TElement* folder = add(agent, kindFolder, "Docs");
    opt.OptionsURLTab = TFormOptionsURL::TabDepth;
    open({folder});
    EXPECT_EQ(dialog->currentTab(), TFormOptionsURL::TabDepth);
    EXPECT_FALSE(child<QLineEdit>("url")->isVisible());
    EXPECT_FALSE(child<QLineEdit>("linksStart")->isVisible());
    EXPECT_TRUE(dialog->findChild<MaskTypesBox*>()->isVisible());
    screenshot(dialog.get(), "proprietes-dossier");
    QSignalSpy help(dialog.get(), &TFormOptionsURL::helpRequested);
    QTest::keyClick(dialog.get(), Qt::Key_F1);
    showTab(TFormOptionsURL::TabParams);
    QTest::mouseClick(child<QPushButton>("help"), Qt::LeftButton);
    ASSERT_EQ(help.count(), 2);
    EXPECT_EQ(help[0][0].toString(), "Properties#Depth");
    EXPECT_EQ(help[1][0].toString(), "Properties#Params");
    cancel();

    // The defaults have no depth tab: the remembered depth tab gives way to the first.
    opt.OptionsURLTab = TFormOptionsURL::TabDepth;
    open({store.RootElement()});
    EXPECT_EQ(dialog->tabs()->count(), 2);
    EXPECT_EQ(dialog->currentTab(), TFormOptionsURL::TabParams);
    EXPECT_EQ(child<QLineEdit>("name")->text(), "");
    screenshot(dialog.get(), "proprietes-defauts");
    cancel();

    TElement* site = add(agent, kindAddress, "Site", "http://www.site.fr/");
    open({site});
    screenshot(dialog.get(), "proprietes-parametres");
    showTab(TFormOptionsURL::TabDepth);
    screenshot(dialog.get(), "proprietes-profondeur");
    cancel();
}

} // namespace
