#include "config/IniFile.h"

#include "config/Numbers.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::TempHome;

namespace {

struct IniFileTest : ::testing::Test {
    TempHome home;
    QString path = home.file("t.ini");
};

TEST_F(IniFileTest, MissingFileGivesDefaultsAndIsNotCreatedWithoutChanges)
{
    {
        IniFile ini(path);
        EXPECT_EQ(ini.readString(u"General", u"Proxy", "def"), "def");
        EXPECT_EQ(ini.readInteger(u"General", u"NbMaxDownLoads", 20), 20);
        EXPECT_FALSE(ini.sectionExists(u"General"));
    }
    EXPECT_FALSE(home.exists("t.ini"));
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndKeysAreReplacedInPlace)
{
    home.write("t.ini",
               "[InternetShortcut]\r\nURL=http://a/\r\nIconIndex=3\r\n\r\n[Glanix]\r\nDateDownLoaded=1\r\n");
    {
        IniFile ini(path);
        EXPECT_EQ(ini.readString(u"internetshortcut", u"url"), "http://a/");
        EXPECT_EQ(ini.readInteger(u"GLANIX", u"DateDownloaded", 0), 1);
        ini.writeString(u"InternetShortcut", u"URL", "http://b/");
        ini.writeInteger(u"glanix", u"Size", 12);
        ini.writeString(u"New", u"K", "v");
        EXPECT_TRUE(ini.save().ok);
    }
    // CRLF kept, unknown key kept in place, new key after the last key, new section last.
    EXPECT_EQ(home.read("t.ini"),
              "[InternetShortcut]\r\nURL=http://b/"
              "\r\nIconIndex=3\r\n\r\n[Glanix]\r\nDateDownLoaded=1\r\nSize=12\r\n"
              "\r\n[New]\r\nK=v\r\n");
}

TEST_F(IniFileTest, WritingTheSameValueDoesNotRewriteTheFile)
{
    home.write("t.ini", "[A]\nk=1\n");
    IniFile ini(path);
    ini.writeInteger(u"a", u"K", 1);
    ini.writeString(u"A", u"k", "1");
    EXPECT_FALSE(ini.isModified());
    ini.writeBool(u"A", u"k", false);
    EXPECT_TRUE(ini.isModified());
}

TEST_F(IniFileTest, PlainLinesAndSectionsKeepTheirOrder)
{
    home.write("t.ini",
               "; made by hand\n[Glanix Messages]\n -> GET / HTTP/1.0\n <- Set-Cookie: a=b\n\n[Z]\nx=1\n");
    IniFile ini(path);
    EXPECT_EQ(ini.sectionLines(u"glanix messages"),
              QStringList({" -> GET / HTTP/1.0", " <- Set-Cookie: a=b"}));
    ini.replaceSection(u"Glanix Messages", {"one", "[two]", "\\three"});
    ini.replaceSection(u"Glanix Notes", {"note"});
    EXPECT_EQ(ini.sectionLines(u"Glanix Messages"), QStringList({"one", "[two]", "\\three"}));
    ASSERT_TRUE(ini.save().ok);
    IniFile again(path);
    EXPECT_EQ(again.sections(), QStringList({"Glanix Messages", "Z", "Glanix Notes"}));
    EXPECT_EQ(again.sectionLines(u"Glanix Messages"), QStringList({"one", "[two]", "\\three"}));
    EXPECT_EQ(again.readInteger(u"Z", u"x", 0), 1);
    EXPECT_TRUE(home.read("t.ini").startsWith("; made by hand\n"));
}

TEST_F(IniFileTest, LineBreaksInValuesCannotInjectSectionsOrKeys)
{
    {
        IniFile ini(path);
        ini.writeString(u"InternetShortcut", u"URL", "http://a/\r\n[X]\r\nURL=file:///etc/passwd");
        ini.writeString(u"Glanix", u"Etag", "=x=");
        ini.replaceSection(u"Glanix Notes", {"a\nURL=file:///etc/passwd"});
    }
    IniFile ini(path);
    EXPECT_FALSE(ini.sectionExists(u"X"));
    EXPECT_EQ(ini.readString(u"InternetShortcut", u"URL"), "http://a/%0D%0A[X]%0D%0AURL=file:///etc/passwd");
    EXPECT_EQ(ini.readString(u"Glanix", u"Etag"), "=x=");
    EXPECT_FALSE(ini.valueExists(u"Glanix Notes", u"URL"));
    EXPECT_EQ(ini.keys(u"InternetShortcut"), QStringList({"URL"}));
}

TEST_F(IniFileTest, IndentedBracketsInPlainLinesStayPlainLines)
{
    {
        IniFile ini(path);
        ini.replaceSection(u"Glanix Notes", {"  [InternetShortcut]", "URL=file:///etc/passwd", "\t[X]"});
    }
    IniFile ini(path);
    EXPECT_EQ(ini.sections(), QStringList({"Glanix Notes"}));
    EXPECT_EQ(ini.sectionLines(u"Glanix Notes"),
              QStringList({"  [InternetShortcut]", "URL=file:///etc/passwd", "\t[X]"}));
}

TEST_F(IniFileTest, NumbersBooleansColoursAndDefaults)
{
    home.write("t.ini",
               "[G]\nhex=0x10\ncolour=-2147483630\nsys=0x80000012\nbad=12abc\nbig=99999999999\n"
               "yes=5\nno=0\nfr=36871,4583333333\nen=36871.4583333333\nreal=abc\nempty=\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger(u"G", u"hex", 0), 16);
    EXPECT_EQ(ini.readInteger(u"G", u"colour", 0), -2147483630);
    EXPECT_EQ(ini.readInteger(u"G", u"sys", 0), -2147483630);
    EXPECT_EQ(ini.readInteger(u"G", u"bad", 7), 7);
    EXPECT_EQ(ini.readInteger(u"G", u"big", 7), 7);
    EXPECT_TRUE(ini.readBool(u"G", u"yes", false));
    EXPECT_FALSE(ini.readBool(u"G", u"no", true));
    EXPECT_TRUE(ini.readBool(u"G", u"bad", true));
    EXPECT_DOUBLE_EQ(ini.readReal(u"G", u"fr", 0), 36871.4583333333);
    EXPECT_DOUBLE_EQ(ini.readReal(u"G", u"en", 0), 36871.4583333333);
    EXPECT_DOUBLE_EQ(ini.readReal(u"G", u"real", -10), -10);
    EXPECT_EQ(ini.readString(u"G", u"empty", "def"), "");
    EXPECT_TRUE(ini.valueExists(u"G", u"empty"));
}

TEST_F(IniFileTest, RealsAreWrittenWithTheLocaleSeparatorAndReadWithEither)
{
    setDecimalSeparator(u',');
    {
        IniFile ini(path);
        ini.writeReal(u"G", u"d", 36871.4583333333);
        ini.writeReal(u"G", u"f", -10);
    }
    EXPECT_EQ(home.read("t.ini"), "[G]\nd=36871,4583333333\nf=-10\n");
    setDecimalSeparator(u'.');
    IniFile ini(path);
    EXPECT_DOUBLE_EQ(ini.readReal(u"G", u"d", 0), 36871.4583333333);
    ini.writeReal(u"G", u"d", 0.5);
    ini.save();
    EXPECT_EQ(home.read("t.ini"), "[G]\nd=0.5\nf=-10\n");
}

TEST_F(IniFileTest, WindowsFilesAreReadAsWindows1252AndWrittenAsUtf8)
{
    home.write("t.ini", "[InternetShortcut]\r\nURL=http://a/caf\xe9\x80.htm\r\n");
    {
        IniFile ini(path);
        EXPECT_EQ(ini.readString(u"InternetShortcut", u"URL"), QString::fromUtf8("http://a/café€.htm"));
        ini.writeString(u"Glanix", u"Size", "1");
    }
    EXPECT_TRUE(home.read("t.ini").contains("caf\xc3\xa9\xe2\x82\xac.htm"));
}

TEST_F(IniFileTest, SectionsCanBeErasedAndDuplicatesAreMerged)
{
    home.write("t.ini", "[A]\nx=1\n[B]\ny=2\n[a]\nz=3\nx=9\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger(u"A", u"x", 0), 1);
    EXPECT_EQ(ini.readInteger(u"A", u"z", 0), 3);
    ini.eraseSection(u"a");
    EXPECT_FALSE(ini.sectionExists(u"A"));
    EXPECT_EQ(ini.readInteger(u"B", u"y", 0), 2);
    ini.deleteKey(u"B", u"Y");
    EXPECT_FALSE(ini.valueExists(u"B", u"y"));
}

TEST_F(IniFileTest, AFailedWriteLeavesThePreviousFileIntact)
{
    home.write("t.ini", "[A]\nx=1\n");
    IniFile ini(path);
    ini.writeInteger(u"A", u"x", 2);
    failNextAtomicWrites(1);
    EXPECT_FALSE(ini.save().ok);
    EXPECT_EQ(home.read("t.ini"), "[A]\nx=1\n");
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"t.ini"}));
    EXPECT_TRUE(ini.save().ok); // still modified, so the next save writes
    EXPECT_EQ(home.read("t.ini"), "[A]\nx=2\n");
}

TEST_F(IniFileTest, TruncatedAndHostileFilesAreReadWithoutCrashing)
{
    static const char content[] = "[A\n=\n[]\nk\0ey=v\n[B]\nx=1\n";
    home.write("t.ini", QByteArray(content, sizeof content - 1) + QByteArray(100000, '['));
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger(u"B", u"x", 0), 1);
}

} // namespace
