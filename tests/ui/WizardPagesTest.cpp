#include "tests/agents/ElementFixture.h"
#include "tests/support/GuiTest.h"
#include "ui/NumberEdit.h"
#include "ui/OptionWidgets.h"
#include "ui/WizardOptionPages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

TEST(MaskTypesBox, TypeBoxesAndTextFollowEachOther)
{
    MaskTypesBox box;
    ASSERT_TRUE(showActive(&box));
    QCheckBox* sounds = box.typeBox(MaskSet::Sounds);
    click(sounds);
    EXPECT_EQ(box.maskText(), "*.ra* *.mp3 *.wav ");
    click(box.typeBox(MaskSet::Zip));
    EXPECT_EQ(box.maskText(), "*.zip *.ra* *.mp3 *.wav ");
    click(sounds);
    EXPECT_FALSE(sounds->isChecked());
    EXPECT_EQ(box.maskText(), "*.zip ");

    // Typing the masks of a type ticks it, removing one unticks it; the caret stays put.
    QLineEdit* text = box.textField();
    text->setFocus();
    text->end(false);
    QTest::keyClicks(text, "*.avi *.qtw");
    EXPECT_TRUE(box.typeBox(MaskSet::Video)->isChecked());
    EXPECT_EQ(text->cursorPosition(), text->text().size());
    QTest::keyClick(text, Qt::Key_Backspace);
    EXPECT_FALSE(box.typeBox(MaskSet::Video)->isChecked());
    EXPECT_EQ(text->text(), "*.zip *.avi *.qt");
    EXPECT_TRUE(box.typeBox(MaskSet::Zip)->isChecked());

    EXPECT_EQ(box.mode(), MaskTypesBox::Mode::AllBut);
    EXPECT_EQ(box.masks(), (std::pair<QString, QString> {"", "*.zip *.avi *.qt"}));
}

TEST(MaskTypesBox, OpeningPicksTheListThatIsSetAndGroupedValuesStayUnchanged)
{
    MaskTypesBox box;
    box.setMasks("*.htm* *.shtm* *.txt", "");
    EXPECT_EQ(box.mode(), MaskTypesBox::Mode::Only);
    EXPECT_TRUE(box.typeBox(MaskSet::HtmlText)->isChecked());
    box.setMasks("*.gif", "*.exe"); // exclude wins
    EXPECT_EQ(box.mode(), MaskTypesBox::Mode::AllBut);
    EXPECT_EQ(box.maskText(), "*.exe");
    EXPECT_TRUE(box.typeBox(MaskSet::Programs)->isChecked());

    // A ticked type whose masks were doubled by hand comes out once.
    box.textField()->setText("*.exe *.EXE *.pdf");
    box.normalise();
    EXPECT_EQ(box.maskText(), "*.exe *.pdf ");

    box.setUndeterminedText();
    EXPECT_EQ(box.masks(), std::nullopt);
    box.setMasks("", "");
    box.setUndeterminedMode();
    EXPECT_EQ(box.mode(), MaskTypesBox::Mode::Undetermined);
    EXPECT_EQ(box.masks(), std::nullopt);
}

TEST(RefreshChoice, EnablesWhatGoesWithTheSelectedPolicy)
{
    RefreshChoice choice;
    ASSERT_TRUE(showActive(&choice));
    auto* onlyIfRead = choice.findChild<QCheckBox*>("onlyIfRead");
    auto* days = choice.findChild<NumberEdit*>("days");
    EXPECT_FALSE(onlyIfRead->isEnabled());
    EXPECT_FALSE(days->isEnabled());

    choice.setPolicy(refreshPolicyFromCode(3.07));
    EXPECT_TRUE(days->isEnabled());
    EXPECT_EQ(days->value(), 3);
    EXPECT_EQ(choice.findChild<NumberEdit*>("period")->value(), 7);
    typeAndLeave(days, "12");
    typeAndLeave(choice.findChild<NumberEdit*>("period"), "0");
    EXPECT_DOUBLE_EQ(frequencyCode(*choice.policy()), 12);

    click(choice.findChild<QRadioButton*>("automatic"));
    EXPECT_TRUE(onlyIfRead->isEnabled());
    EXPECT_FALSE(days->isEnabled());
    EXPECT_EQ(frequencyCode(*choice.policy()), -2);
    click(onlyIfRead);
    EXPECT_EQ(frequencyCode(*choice.policy()), -1);

    choice.setUnchanged();
    EXPECT_TRUE(choice.findChild<QRadioButton*>("unchanged")->isVisible());
    EXPECT_EQ(choice.policy(), std::nullopt);
    EXPECT_FALSE(onlyIfRead->isEnabled());
}

TEST(WizardPages, DefaultsAndWhatTheyWrite)
{
    WizardRefreshPage refresh;
    EXPECT_EQ(refresh.frequency(), 0);
    EXPECT_EQ(refresh.findChild<QRadioButton*>("scheduled")->text(), "Programmé :");
    ASSERT_TRUE(showActive(&refresh));
    screenshot(&refresh, "wizard-refresh");

    WizardDepthPage depth;
    ASSERT_TRUE(showActive(&depth));
    screenshot(&depth, "wizard-depth");
    EXPECT_EQ(depth.depth(), 0);
    EXPECT_TRUE(depth.skipsMasksPage());
    EXPECT_TRUE(depth.downLoadImages());
    EXPECT_EQ(depth.linksStart("http://www.site.fr/dossier/page.html"), "http://www.site.fr");
    typeAndLeave(depth.findChild<NumberEdit*>("depth"), "99");
    EXPECT_EQ(depth.depth(), 50);
    EXPECT_FALSE(depth.skipsMasksPage());
    click(depth.findChild<QRadioButton*>("allLinks"));
    EXPECT_EQ(depth.linksStart("http://www.site.fr/dossier/page.html"), "");

    WizardMasksPage masks;
    ASSERT_TRUE(showActive(&masks));
    screenshot(&masks, "wizard-masks");
    click(masks.box()->typeBox(MaskSet::Programs));
    EXPECT_EQ(masks.excludeMask(), "*.exe");
    EXPECT_EQ(masks.includeMask(), "");
}

using WizardPagesOnElements = ElementFixture;

TEST_F(WizardPagesOnElements, NewAddressTakesThePagesChoices)
{
    TElement* site = add(agent, kindAddress, "Nouveau site ", "http://www.site.fr/a/index.html");
    WizardRefreshPage refresh;
    click(refresh.findChild<QRadioButton*>("once"));
    WizardDepthPage depth;
    typeAndLeave(depth.findChild<NumberEdit*>("depth"), "2");
    WizardMasksPage masks;
    click(masks.box()->findChild<QRadioButton*>("onlyTypes"));
    click(masks.box()->typeBox(MaskSet::HtmlText));

    refresh.applyTo(*site);
    depth.applyTo(*site);
    masks.applyTo(*site);
    EXPECT_EQ(site->GetFrequency(), -3);
    EXPECT_EQ(site->GetDownLoadLinksDepth(), 2);
    EXPECT_EQ(site->GetDownLoadLinksStart(), "http://www.site.fr");
    EXPECT_EQ(site->GetIncludeMask(), "*.txt *.shtm* *.htm*");
    EXPECT_EQ(site->GetExcludeMask(), "");
}

} // namespace
