#include "views/SearchEngines.h"

#include "tests/support/QtPrinters.h"
#include "views/SearchScorer.h"

#include <gtest/gtest.h>

using namespace glanix;

namespace {

struct Case {
    const char* word;
    const char* text; // UTF-8 source text
    int count; // counting every occurrence
};

} // namespace

TEST(SearchQuery, SplitsRequiredExcludedAndOptionalWords)
{
    const SearchQuery q = SearchQuery::parse(" ,;+abc  -xyz ;def,ghi + -");
    EXPECT_EQ(q.required, QStringList {"abc"});
    EXPECT_EQ(q.excluded, QStringList {"xyz"});
    EXPECT_EQ(q.optional, (QStringList {"def,ghi"}));

    const SearchQuery longWord = SearchQuery::parse(QString(120, u'a') + " b");
    EXPECT_EQ(longWord.optional, (QStringList {QString(100, u'a'), "b"}));
}

TEST(SearchEngines, NormalEngineFoldsAccentsCaseAndMarkup)
{
    const Case cases[] = {
        // Accent classes, with their asymmetry.
        {"ete", "Été, été et &eacute;t&eacute;.", 3},
        {"ete", "&#233;t&#xE9; puis &#201;T&#201;", 2},
        {"Ete", "Ete ete été Été", 2},
        {"ÉTÉ", "été Été ete", 2},
        {"cafe", "CAFÉ café cafè", 3},
        {"u", "u ù û ü U Ù Û Ü", 8},
        {"ü", "u ü Ü", 2},
        {"ω", "Ω ω", 2},
        // Tags are skipped, inside a word too; "<" after the word is a boundary.
        {"cafe", "un caf<b>e</b> noir", 1},
        {"mot", "<a title=mot href=mot.htm>x</a>", 0},
        {"mot", "<td>mot</td><td>autre</td>", 1},
        {"mot", "<<mot>mot", 1},
        // Stars and boundaries.
        {"mot", "motif emoticon mot", 1},
        {"mot*", "motif emoticon", 1},
        {"*mot*", "motif emoticon", 2},
        {"*mot*", "commotion", 1},
        {"*mot", "mmot", 1},
        {"mot", "(mot) [mot] mot_x mot-x mot'x l'mot", 6},
        {"mot", "mot\tx mot#x x#mot", 0},
        {"m?t", "mot mat m&eacute;t mt", 3},
        // References: one character each.
        {"mot", "mot&nbsp;: mot&#44;x", 2},
        {"a", "x &amp; y", 0},
        {"*cute", "&eacute;", 0},
        {"r&d", "R&D et r&amp;d", 2},
        {"*", "tout", 0},
        {"", "tout", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.word) + " in " + c.text);
        EXPECT_EQ(CountInText(QString::fromUtf8(c.word), true, QString::fromUtf8(c.text)), c.count);
        EXPECT_EQ(CountInText(QString::fromUtf8(c.word), false, QString::fromUtf8(c.text)),
                  c.count > 0 ? 1 : 0);
    }
}

TEST(SearchEngines, CodeEngineComparesBytesExactly)
{
    const Case cases[] = {
        {"Mot", "<b>Mot</b>", 0},
        {"*Mot*", "<b>Mot</b>", 1},
        {"mot", "Mot MOT", 0},
        {"mot", "(mot) mot. mot,mot", 4},
        {"mot", "mot\tx", 0},
        {"m?t", "mat m?t", 2},
        {"*mot*", "commotion", 1},
        {"aa*", "aaaa", 1},
        {"*aa*", "aaaa", 2},
        {"été", "été ete", 1},
        {"*", "x", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.word) + " in " + c.text);
        EXPECT_EQ(CountInCode(c.word, true, c.text), c.count);
        EXPECT_EQ(CountInCode(c.word, false, c.text), c.count > 0 ? 1 : 0);
    }
}

TEST(SearchScorer, RequiredExcludedAndOptionalWordsMakeTheScore)
{
    for (bool inCode : {false, true}) {
        SCOPED_TRACE(inCode ? "code" : "normal");
        const SearchScorer s("+abc -xyz def", inCode, true);
        EXPECT_EQ(s.score({"abc def abc", {}, " x"}), 3);
        EXPECT_EQ(s.score({"abc def xyz", {}, " x"}), 0);
        EXPECT_EQ(s.score({"def def", {}, " x"}), 0);
        EXPECT_EQ(s.score({"abc", {}, " x"}), 1);
        // Without counting, each word present is one point.
        EXPECT_EQ(SearchScorer("+abc -xyz def", inCode, false).score({"abc def abc def", {}, " x"}), 2);
        // Only excluded words: nothing is ever listed.
        EXPECT_EQ(SearchScorer("-xyz", inCode, true).score({"abc", {}, " x"}), 0);
        // The name, notes and address follow the page.
        EXPECT_EQ(s.score({"", {}, " abc  def  x"}), 2);
    }
}

TEST(SearchScorer, BothEnginesReadUtf8Latin1AndUtf16Pages)
{
    struct Page {
        const char* what;
        QByteArray bytes;
        QByteArray headerCharset;
    };

    const QByteArray utf16
        = QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(u"<p>\nÉté\n</p>"), 12 * 2);
    const Page pages[] = {
        {"utf-8", "<p>\n\xC3\x89t\xC3\xA9\n</p>", {}},
        {"latin-1", "<p>\n\xC9t\xE9\n</p>", {}},
        {"latin-1 named in a meta tag", "<meta charset=iso-8859-1><p>\n\xC9t\xE9\n</p>", {}},
        {"latin-1 named by the server", "<p>\n\xC9t\xE9\n</p>", "ISO-8859-1"},
        {"utf-16", utf16, {}},
    };
    for (const Page& p : pages) {
        SCOPED_TRACE(p.what);
        const SearchItem item {p.bytes, p.headerCharset, QString::fromUtf8(" Été x")};
        EXPECT_EQ(SearchScorer("ete", false, true).score(item), 2);
        EXPECT_EQ(SearchScorer("Ete", false, true).score(item), 0);
        // A typed word is looked for in the page's own encoding, the name too.
        EXPECT_EQ(SearchScorer(QString::fromUtf8("Été"), true, true).score(item), 2);
        EXPECT_EQ(SearchScorer("ete", true, true).score(item), 0);
    }
    // Latin-1 cannot write the word: no "?" stands in for its letters.
    EXPECT_EQ(SearchScorer(QString::fromUtf8("x日"), true, true).score({"<p>\n\xE9t\xE9 xy\n</p>", {}, " x"}),
              0);
    EXPECT_EQ(SearchScorer(QString::fromUtf8("x日"), true, true)
                  .score({"<p>\n\xE9t\xE9 x\xE6\x97\xA5\n</p>", {}, " x"}),
              0);
}

TEST(SearchScorer, TheMetaCharsetIsFoundInAnyCase)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"<META HTTP-EQUIV=Content-Type CONTENT='text/html; CharSet=ISO-8859-1'>", "ISO-8859-1"},
        {"<html><meta name=x><meta charset=\"koi8-r\">", "koi8-r"},
        {"<p>charset=utf-8</p>", ""},
        {QByteArray(20000, ' ') + "<meta charset=utf-8>", ""},
    };
    for (const auto& [page, charset] : cases)
        EXPECT_EQ(metaCharsetOf(page), charset) << page.left(80).toStdString();

    // A page in another charset is decoded before the case rule applies.
    const SearchItem koi8 {"<meta charset=koi8-r><p>\n\xCD\xC9\xD2\n</p>", {}, " x"};
    EXPECT_EQ(SearchScorer(QString::fromUtf8("МИР"), false, true).score(koi8), 1);
    EXPECT_EQ(SearchScorer(QString::fromUtf8("мир"), true, true).score(koi8), 1);
}
