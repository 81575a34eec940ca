#include "config/Numbers.h"
#include "store/ContentTypes.h"
#include "store/StatusTexts.h"
#include "tests/support/QtPrinters.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace glanix;

namespace {

TEST(StatusTexts, NumbersGiveTheirFrenchText)
{
    EXPECT_EQ(StatusText(404), QString::fromUtf8("404 : Non trouvé"));
    EXPECT_EQ(StatusText(0), QString::fromUtf8("Non téléchargé"));
    EXPECT_EQ(StatusText(-6, false), "Pas de réponse pendant trop longtemps - Incomplet");
    EXPECT_EQ(StatusText(299), "299 : ");
    EXPECT_EQ(StatusText(-9), "");
    EXPECT_EQ(StatusText(200), "200 : OK");
}

TEST(StatusTexts, SizesInBytesKiloAndMega)
{
    setDecimalSeparator(u',');
    EXPECT_EQ(SizeText(0), "0 octets");
    EXPECT_EQ(SizeText(1023), "1023 octets");
    EXPECT_EQ(SizeText(1024), "1,00 Ko");
    EXPECT_EQ(SizeText(1536), "1,50 Ko");
    EXPECT_EQ(SizeText(1048576), "1,00 Mo");
    EXPECT_EQ(SizeText(1572864), "1,50 Mo");
    // What the files use does not change what the user reads, nor does an English system.
    setDecimalSeparator(u'.');
    const QLocale before;
    QLocale::setDefault(QLocale::English);
    EXPECT_EQ(SizeText(2048), "2,00 Ko");
    EXPECT_EQ(SizeText(1234567890), "1177,38 Mo");
    QLocale::setDefault(before);
}

TEST(ContentTypes, FixedTableThenKnownTypesThenTheMimeDatabase)
{
    EXPECT_EQ(ExtensionForType("image/jpeg", "x"), ".jpg");
    EXPECT_EQ(ExtensionForType("IMAGE/GIF", "x"), ".gif");
    EXPECT_EQ(ExtensionForType("x-application/pdf", "x"), ".pdf");
    EXPECT_EQ(ExtensionForType("", "Photo.JPEG "), ".jpeg");
    EXPECT_EQ(ExtensionForType("text/html", "x"), ".html");
    EXPECT_EQ(ExtensionForType("application/x-unknown-thing", "a.Bin"), ".bin");

    KnownTypes known;
    EXPECT_EQ(known.add("text/html", ".htm"), 0);
    EXPECT_EQ(known.add("image/png", ".png"), 1);
    EXPECT_EQ(known.add("TEXT/HTML", ".html"), 0);
    EXPECT_EQ(ExtensionForType("text/html", "x", &known), ".htm");
    EXPECT_EQ(TypeForExtension(".htm", &known), "text/html");

    EXPECT_EQ(TypeForExtension(""), "");
    EXPECT_EQ(TypeForExtension(".JPEG"), "image/jpeg");
    EXPECT_EQ(TypeForExtension("zip"), "application/x-zip-compressed");
    EXPECT_EQ(TypeForExtension(".html"), "text/html");
    EXPECT_EQ(TypeForExtension(".nosuchextension"), "");
    EXPECT_TRUE(extensionsOfType("text/html").contains(".htm"));
}

} // namespace
