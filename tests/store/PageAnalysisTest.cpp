#include "store/FileMasks.h"
#include "store/HtmlText.h"
#include "store/PageAnalysis.h"
#include "store/PageScanner.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace glanix;

namespace {

const QString kPage = QStringLiteral("http://servera/dir/page.htm");

PageFindings analyse(const QByteArray& html, const QString& url = kPage, QByteArrayView charset = {})
{
    return analyseContent(html, url, charset);
}

QStringList addresses(const QStringList& lines)
{
    QStringList out;
    for (const QString& l : lines)
        out.append(l.left(l.indexOf(u' ')));
    return out;
}

} // namespace

TEST(PageScanner, WhichTagsYieldWhat)
{
    const PageFindings f = analyse("<html><body background=bg.jpg>"
                                   "<img alt=\"un texte\" src=\"a.gif\">"
                                   "<script src=x.js></script><iframe src=x.htm></iframe>"
                                   "<frame src=f.htm><FRAME\nSRC='g.htm'>"
                                   "<input type=image src=b.gif><embed src=movie.swf>"
                                   "<a href=\"\">vide</a><a href=mailto:x@y>courrier</a>"
                                   "<a href='page two.htm'>deux</a><a href=javascript:go()>js</a>"
                                   "<img src=a.gif><IMG SRC=A.GIF></body></html>");
    EXPECT_EQ(addresses(f.ImageLinks), QStringList({"http://servera/dir/bg.jpg", "http://servera/dir/a.gif",
                                                    "http://servera/dir/b.gif"}));
    EXPECT_EQ(addresses(f.FrameLinks), QStringList({"http://servera/dir/f.htm", "http://servera/dir/g.htm"}));
    EXPECT_EQ(f.PageLinks, QStringList({"http://servera/dir/page page"}));
    EXPECT_EQ(f.ImageLinks.first(), "http://servera/dir/bg.jpg bg.jpg");
}

TEST(PageScanner, ScriptsHeadBaseAndRefresh)
{
    const PageFindings f = analyse("<head><title>Accueil</title>"
                                   "<base href=\"http://serverb/x/\">"
                                   "<meta http-equiv=\"Refresh\" content=\"5; URL=next.htm\"></head><body>"
                                   "<script language=\"JavaScript\"><a href=hidden.htm></script>"
                                   "<script><a href=seen.htm></script>"
                                   "<base href=\"http://serverc/\"><a href=last.htm></body>");
    EXPECT_EQ(f.title, "Accueil");
    EXPECT_EQ(f.base, "http://serverb/x/");
    EXPECT_EQ(f.refresh, "next.htm");
    // The base tag in the head and the one after it are links too; only the first is a base.
    EXPECT_EQ(addresses(f.PageLinks), QStringList({"http://serverb/x/", "http://serverb/x/seen.htm",
                                                   "http://serverc/", "http://serverb/x/last.htm"}));

    // Addresses before the base tag resolve against the page; a relative base against it too.
    const PageFindings rel = analyse("<head><link href=s.css><base href=\"/root/\"></head><a href=a.htm>");
    EXPECT_EQ(rel.base, "http://servera/root/");
    EXPECT_EQ(addresses(rel.PageLinks),
              QStringList({"http://servera/dir/s.css", "http://servera/root/", "http://servera/root/a.htm"}));
}

TEST(PageScanner, BrokenMarkupNeverStopsTheScan)
{
    // NUL bytes read as blanks.
    const char raw[] = "<a href=\"one.htm\">\0<a\0href=two.htm><img src=\"\0c.gif\">";
    const PageFindings f = analyse(QByteArray(raw, sizeof(raw) - 1));
    EXPECT_EQ(addresses(f.PageLinks), QStringList({"http://servera/dir/one.htm", "http://servera/dir/two.htm"}));
    EXPECT_EQ(addresses(f.ImageLinks), QStringList({"http://servera/dir/c.gif"}));

    // Unmatched quotes are blanked out; an unterminated tag runs to the end.
    EXPECT_EQ(addresses(analyse("<a href=\"x.htm>text<b>").PageLinks), QStringList({"http://servera/dir/x.htm"}));
    EXPECT_EQ(addresses(analyse("text <img src=last.gif").ImageLinks), QStringList({"http://servera/dir/last.gif"}));
    // Tabs and control characters end an address like blanks do.
    EXPECT_EQ(addresses(analyse("<a href=a.htm\tclass=x>").PageLinks), QStringList({"http://servera/dir/a.htm"}));
    EXPECT_TRUE(analyse("<a href>\n<img src>").ImageLinks.isEmpty());
}

TEST(PageScanner, RecordingIsCapped)
{
    QByteArray html;
    for (int i = 0; i < kMaxAddressesPerKind + 50; ++i)
        html += "<img src=i" + QByteArray::number(i) + ".gif><a href=p" + QByteArray::number(i) + ".htm>";
    const PageFindings f = analyse(html);
    EXPECT_EQ(f.ImageLinks.size(), kMaxAddressesPerKind);
    EXPECT_EQ(f.PageLinks.size(), kMaxAddressesPerKind);
    EXPECT_EQ(f.PageLinks.last(), "http://servera/dir/p9999.htm p9999.htm");
}

TEST(PageScanner, TheOtherQuoteMarkBelongsToTheAddress)
{
    const PageFindings f = analyse("<a href=\"No%C3%ABl-%C3%A0-l'%C3%A9cole.html\">x</a>"
                                   "<img src='le \"grand\".gif'><a href=l'autre.htm>"
                                   "<meta http-equiv=refresh content=\"0; url='suite.htm'\">");
    EXPECT_EQ(addresses(f.PageLinks),
              QStringList({"http://servera/dir/No%C3%ABl-%C3%A0-l'%C3%A9cole.html", "http://servera/dir/l"}));
    EXPECT_EQ(addresses(f.ImageLinks), QStringList({"http://servera/dir/le"}));
    EXPECT_EQ(f.refresh, "suite.htm");
}

TEST(PageScanner, TitleDecodingAndCharsets)
{
    // UTF-8, Windows-1252, a meta charset and the server's charset.
    EXPECT_EQ(analyse("<title>Caf\xC3\xA9 cr\xC3\xA8me</title>").title, u"Café crème");
    EXPECT_EQ(analyse("<title>Caf\xE9 \x93quoted\x94</title>").title, u"Café “quoted”");
    EXPECT_EQ(analyse("<meta charset=\"windows-1252\"><title>\xC3\xA9</title>").title, u"Ã©");
    EXPECT_EQ(analyse("<title>\xC3\xA9</title>", kPage, "iso-8859-1").title, u"Ã©");
    EXPECT_EQ(analyse("<title>\xE9</title>", kPage, "utf-8").title, QString(QChar::ReplacementCharacter));
    EXPECT_EQ(analyse("<title>&#233;t&#xE9; &#x2019; &#8217;&#146;</title>").title, u"été ’ ’’");

    // A UTF-16 page is read as text, not as bytes separated by NULs.
    const QString source = QStringLiteral("<head><title>Été</title></head><a href=x.htm>");
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(source.utf16()), source.size() * 2);
    const PageFindings u = analyse(utf16);
    EXPECT_EQ(u.title, u"Été");
    EXPECT_EQ(addresses(u.PageLinks), QStringList({"http://servera/dir/x.htm"}));

    // Titles are read in the head only, and several are put together.
    EXPECT_EQ(analyse("<head><title>Un</title><title> deux</title></head><title>trois</title>").title, "Un deux");
}

TEST(HtmlToText, References)
{
    EXPECT_EQ(HtmlToText(u"&#233;&#x2019;&#X41;&#128512;"_qs, false), u"é’A😀"_qs);
    EXPECT_EQ(HtmlToText(u"a&#0;b&#xD800;c&#x110000;d"_qs, false), u"a\uFFFDb\uFFFDc\uFFFDd"_qs);
    EXPECT_EQ(HtmlToText(u"x&#zz;y &#;z"_qs, false), u"x y z"_qs);
    // Too long: only the "&#" goes (which also drops the "#" of the rest).
    EXPECT_EQ(HtmlToText(u"&#123456789;"_qs, false), u"123456789;"_qs);
    // A reference that makes another is decoded too.
    EXPECT_EQ(HtmlToText(u"&#38;#65;"_qs, false), u"A"_qs);
    EXPECT_EQ(HtmlToText(u"&amp;eacute; &amp;nbsp; &nbsp;&quot;&Ccedil;a&quot;"_qs, false), u"é &nbsp; \"Ça\""_qs);
    EXPECT_EQ(HtmlToText(u"&eacute &eacutex; &EACUTE;"_qs, false), u"&eacute &eacutex; &EACUTE;"_qs);
}

TEST(HtmlToText, TagsBlanksAndLineBreaks)
{
    EXPECT_EQ(HtmlToText(u"<b>Un</b>\r\n  deux   <i>trois</i> #4"_qs, false), u"Un deux trois 4"_qs);
    EXPECT_EQ(HtmlToText(u"a<br>b<P>c<br/>d"_qs, true), u"a\r\nb\r\ncd"_qs);
    // A ">" before any "<" takes everything before it; a lone "<" or ">" stays.
    EXPECT_EQ(HtmlToText(u"avant > apres <i>x</i>"_qs, false), u" apres x"_qs);
    EXPECT_EQ(HtmlToText(u"a < b"_qs, false), u"a < b"_qs);
    EXPECT_EQ(HtmlToText(u"a > b"_qs, false), u"a > b"_qs);
}

// The scanner's work grows with the size of its input, whatever the input is made of.
TEST(PageScanner, LinearOnHostileInput)
{
    const auto work = [](const QByteArray& unit, const QByteArray& head, qsizetype size) {
        QByteArray page = head;
        while (page.size() < size)
            page += unit;
        return scanPage(page).bytesExamined;
    };
    const QByteArray attrs = [] {
        QByteArray a = "<img";
        for (int i = 0; i < 100000; ++i)
            a += " a" + QByteArray::number(i) + "=\"v\"";
        return a;
    }();
    struct Case {
        const char* name;
        QByteArray head, unit;
    } cases[] = {
        {"only <", "", "<"},
        {"only >", "", ">"},
        {"unclosed comment", "<!--", "<a href=x.htm> text "},
        {"unclosed script", "<script language=js>", "<a href=x.htm><img src=y.gif>"},
        {"unclosed title", "<head><title>", "title text "},
        {"many titles", "<head>", "<title>"},
        {"one long tag", "<a href=x.htm ", "aaaaaaaa "},
        {"100k attributes", "", attrs + "><p>"},
        {"unterminated quotes", "", "<a href=\"x.htm>"},
        {"many links", "", "<a href=\"page.htm\">x</a>"},
    };
    for (const Case& c : cases) {
        const qint64 one = work(c.unit, c.head, 1 << 20);
        const qint64 two = work(c.unit, c.head, 2 << 20);
        EXPECT_LT(static_cast<double>(two), 2.3 * static_cast<double>(one)) << c.name;
        EXPECT_LT(one, qint64 {40} << 20) << c.name;
    }
}

TEST(FileMasks, ListsAndMatching)
{
    EXPECT_EQ(maskList(" htm, *.ZIP;;a?c *.*  "), QStringList({"*htm*", "*.zip", "a?c*", "*.*"}));
    EXPECT_TRUE(maskList(" ,; ").isEmpty());
    EXPECT_EQ(maskList("*.zip, *.exe"), QStringList({"*.zip", "*.exe"}));

    EXPECT_TRUE(MatchesMask(u"*", u""));
    EXPECT_TRUE(MatchesMask(u"*.*", u"a.b"));
    EXPECT_FALSE(MatchesMask(u"*.*", u"ab"));
    EXPECT_TRUE(MatchesMask(u"page.htm", u"page.htm"));
    EXPECT_FALSE(MatchesMask(u"page.htm", u"page.html"));
    EXPECT_TRUE(MatchesMask(u"*.zip", u"a.zip.zip"));
    EXPECT_FALSE(MatchesMask(u"*.zip", u"a.zip.gz"));
    EXPECT_TRUE(MatchesMask(u"p?ge*.htm", u"page2.htm"));
    EXPECT_FALSE(MatchesMask(u"p?ge", u"pge"));
    // A "*" in the mask is a wildcard even where the name holds a "*" too.
    EXPECT_TRUE(MatchesMask(u"*", u"*a"));
    EXPECT_TRUE(MatchesMask(u"*b", u"*ab"));

    // Include "htm", exclude "*.zip": a.htm is followed, b.zip and c.gif are not.
    const QStringList include = maskList("htm"), exclude = maskList("*.zip");
    const auto followed = [&](const QString& name) {
        return MatchesAnyMask(include, name) && !MatchesAnyMask(exclude, name);
    };
    EXPECT_TRUE(followed("a.htm"));
    EXPECT_FALSE(followed("b.zip"));
    EXPECT_FALSE(followed("c.gif"));
}
