#include "views/SearchOptions.h"

#include "config/IniFile.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

TEST(SearchOptions, TheInPageWordIsTheFirstWordMadePlain)
{
    const std::pair<const char*, const char*> cases[] = {
        {"  +été -hiver", "été"}, {"-\"neige\" soleil", "neige"},
        {"*mot*", "mot"},         {"+*cafe* x", "cafe"},
        {"ca?e", "ca"},           {"?abc", ""},
        {"plage", "plage"},       {"\"\"", ""},
    };
    for (auto [query, word] : cases)
        EXPECT_EQ(inPageWord(QString::fromUtf8(query)), QString::fromUtf8(word)) << query;
}

TEST(SearchOptions, SettingsComeBackAsWrittenAndOutOfRangeValuesAreBounded)
{
    TempHome home;
    SearchSettings s;
    s.fast = true;
    s.inNotes = false;
    s.where = 2;
    s.count = false;
    s.checkMaxAge = true;
    s.maxDaysOld = 30;
    saveSearchSettings(home.env(), s);
    const SearchSettings back = loadSearchSettings(home.env());
    EXPECT_TRUE(back.fast);
    EXPECT_FALSE(back.inNotes);
    EXPECT_EQ(back.where, 2);
    EXPECT_FALSE(back.count);
    EXPECT_TRUE(back.checkMaxAge);
    EXPECT_EQ(back.maxDaysOld, 30);

    home.write("Glanix.ini", "[Search]\nWhere=7\nMinDaysOld=0\nMaxDaysOld=123456\n");
    const SearchSettings bounded = loadSearchSettings(home.env());
    EXPECT_EQ(bounded.where, 0);
    EXPECT_EQ(bounded.minDaysOld, 1);
    EXPECT_EQ(bounded.maxDaysOld, 9999);
}

TEST(SearchOptions, TheHistoryKeepsTheNewest25QueriesOnceEach)
{
    TempHome home;
    QStringList history;
    for (int i = 1; i <= 30; ++i)
        history = withQueryOnTop(history, QStringLiteral(" requête %1 ").arg(i));
    history = withQueryOnTop(history, QStringLiteral("requête 10"));
    EXPECT_EQ(history.first(), "requête 10");
    EXPECT_EQ(history.count(QStringLiteral("requête 10")), 1);
    // Lines an ini file could take for something else stay queries.
    history.insert(1, QStringLiteral("[Search] a=b"));
    saveSearchHistory(home.env(), history);
    const QStringList back = loadSearchHistory(home.env());
    ASSERT_EQ(back.size(), kSearchHistoryLength);
    EXPECT_EQ(back[0], "requête 10");
    EXPECT_EQ(back[1], "[Search] a=b");
    EXPECT_EQ(back[2], "requête 30");
    EXPECT_EQ(back.last(), "requête 7");
    EXPECT_FALSE(IniFile(home.env().iniFileName()).sectionExists(u"Search] a=b"));
}
