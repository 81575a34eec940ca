#include "config/OptGene.h"
#include "tests/support/GuiTest.h"
#include "ui/ColorPanel.h"
#include "ui/Colors.h"
#include "ui/TFormOptionsHtml.h"

#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

TEST(TFormOptionsHtml, StartsFromOptAndGivesBackTheChoiceOnOkOnly)
{
    TOptGene opt;
    opt.DefFontName = "DejaVu Sans";
    TFormOptionsHtml dialog(opt);
    ASSERT_TRUE(showActive(&dialog));
    screenshot(&dialog, "options-html");
    auto* text = dialog.findChild<ColorPanel*>("text");
    auto* links = dialog.findChild<ColorPanel*>("links");
    ASSERT_TRUE(text && links);
    EXPECT_EQ(text->color(), kSystemButtonText);
    EXPECT_EQ(links->color(), 0xFF0000);
    EXPECT_EQ(colorFromTColor(links->color()), QColor(0, 0, 255)); // stored BGR: blue

    links->setColor(tcolorFromColor(QColor(0x12, 0x34, 0x56)));
    dialog.setFont("DejaVu Serif", 12);
    QTest::mouseClick(dialog.findChild<QPushButton*>("cancel"), Qt::LeftButton);
    EXPECT_EQ(opt.DefHotSpotColor, 0xFF0000);

    TFormOptionsHtml again(opt);
    QSignalSpy changed(&again, &TFormOptionsHtml::optionsChanged);
    again.findChild<ColorPanel*>("links")->setColor(0x563412);
    again.setFont("DejaVu Serif", 12);
    QTest::mouseClick(again.findChild<QPushButton*>("ok"), Qt::LeftButton);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(opt.DefHotSpotColor, 0x563412);
    EXPECT_EQ(opt.DefFontName, "DejaVu Serif");
    EXPECT_EQ(opt.DefFontSize, 12);
    EXPECT_EQ(opt.DefFontColor, kSystemButtonText); // untouched, still the system's colour
}

} // namespace
