#include "config/DateTime.h"
#include "config/FrenchText.h"
#include "config/Numbers.h"
#include "config/TextCodec.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace glanix;

TEST(Numbers, IntegersInDecimalAndHexadecimal)
{
    EXPECT_EQ(parseInteger(u" 42 "), 42);
    EXPECT_EQ(parseInteger(u"-1"), -1);
    EXPECT_EQ(parseInteger(u"0xF000F0"), 0xF000F0);
    EXPECT_EQ(parseInteger(u"$10"), 16);
    EXPECT_EQ(parseInteger(u"2147483647"), 2147483647);
    EXPECT_EQ(parseInteger(u"-2147483648"), -2147483647 - 1);
    EXPECT_EQ(parseInteger(u"2147483648"), std::nullopt);
    EXPECT_EQ(parseInteger(u"0x1FFFFFFFF"), std::nullopt);
    EXPECT_EQ(parseInteger(u"12 3"), std::nullopt);
    EXPECT_EQ(parseInteger(u""), std::nullopt);
    EXPECT_EQ(parseInteger(u"-"), std::nullopt);
    EXPECT_EQ(parseInteger(u"٣"), std::nullopt); // digits of other scripts are not numbers here
}

TEST(Numbers, RealsRoundTripWithFifteenDigits)
{
    setDecimalSeparator(u',');
    EXPECT_EQ(formatReal(36871.4583333333), "36871,4583333333");
    EXPECT_EQ(formatReal(0.00208333333333333), "0,00208333333333333");
    EXPECT_EQ(formatReal(-10), "-10");
    setDecimalSeparator(u'.');
    EXPECT_EQ(formatReal(3.07), "3.07");
    EXPECT_EQ(parseReal(u"3,07"), 3.07);
    EXPECT_EQ(parseReal(u"1E-5"), 1e-5);
    EXPECT_EQ(parseReal(u"inf"), std::nullopt);
    EXPECT_EQ(parseReal(u"nan"), std::nullopt);
    EXPECT_EQ(parseReal(u"1,2,3"), std::nullopt);
}

TEST(DateTime, DaysSince1899)
{
    EXPECT_DOUBLE_EQ(toDateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0.0);
    EXPECT_DOUBLE_EQ(toDateTime(QDateTime(QDate(2000, 12, 12), QTime(11, 0))), 36872.0 + 11.0 / 24);
    const QDateTime t(QDate(2026, 12, 9), QTime(8, 30, 15));
    EXPECT_EQ(fromDateTime(toDateTime(t)), t);
    EXPECT_FALSE(fromDateTime(1e300).isValid());
}

TEST(TextCodec, Utf8OrWindows1252)
{
    EXPECT_EQ(decodeUtf8OrWindows1252("caf\xc3\xa9"), QString::fromUtf8("café"));
    EXPECT_EQ(decodeUtf8OrWindows1252("\xef\xbb\xbf" "a"), "a");
    EXPECT_EQ(decodeUtf8OrWindows1252("caf\xe9 \x93x\x94"), QString::fromUtf8("café “x”"));
    EXPECT_FALSE(isValidUtf8("\xc0\xaf"));         // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xed\xa0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xf4\x90\x80\x80")); // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xe2\x82"));         // cut short
    EXPECT_TRUE(isValidUtf8("\xf0\x9f\x98\x80"));
    EXPECT_EQ(encodeWindows1252(QString::fromUtf8("é€✓")), QByteArray("\xe9\x80?"));
}

TEST(FrenchTextTest, FrenchNamesAndCommaWhateverTheSystemLocale)
{
    const QDateTime when(QDate(2026, 12, 9), QTime(7, 5));
    EXPECT_EQ(glanix::frenchDate(when, QStringLiteral("d MMM yyyy")), QStringLiteral("9 déc. 2026"));
    EXPECT_EQ(glanix::frenchDate(when, QStringLiteral("dddd dd/MM/yy hh:mm")),
              QStringLiteral("mercredi 09/12/26 07:05"));
    EXPECT_EQ(glanix::frenchDate(glanix::TDateTime(0), QStringLiteral("d MMM yyyy")), QString());
    EXPECT_EQ(glanix::frenchNumber(0.6, 1), QStringLiteral("0,6"));
    EXPECT_EQ(glanix::frenchNumber(12345.678, 2), QStringLiteral("12345,68"));
}
