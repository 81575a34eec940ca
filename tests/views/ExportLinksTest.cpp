#include "views/ExportLinks.h"

#include <QHash>
#include <gtest/gtest.h>

using namespace glanix;

namespace {

struct Asked {
    ExportLinkKind kind;
    QString address;
};

// Exported addresses and the path each one's copy has, seen from the page.
QByteArray rewrite(const QByteArray& page, const QHash<QString, QString>& exported,
                   std::vector<Asked>* asked = nullptr, bool change = true)
{
    ExportLinkOptions o;
    o.pageUrl = QStringLiteral("http://s/d/page.htm");
    o.change = change;
    return rewriteExportLinks(page, o,
                              [&](ExportLinkKind kind, const QString& address) -> std::optional<QString> {
                                  if (asked)
                                      asked->push_back({kind, address});
                                  if (kind == ExportLinkKind::Base)
                                      return QStringLiteral("page.htm");
                                  return exported.value(address, address);
                              });
}

} // namespace

TEST(ExportLinks, RewritesOneAddressPerTagAndNothingElse)
{
    const QHash<QString, QString> exported {
        {"http://s/d/a.htm", "a.htm"},         {"http://s/img/logo.gif", "../img/logo.gif"},
        {"http://s/d/f.htm", "f/f.htm"},       {"http://s/bg.jpg", "bg.jpg"},
        {"http://s/d/img/p.htm", "img/p.htm"},
    };
    const QByteArray page
        = "<HTML><BODY BACKGROUND=\"../bg.jpg\" TEXT=red>\r\n"
          "<A class=x HREF=\"a.htm#part\" title=\"a>b\">A</a> <img alt='l' SRC=/img/logo.gif width=3>\n"
          "<iframe name=f src=\"f.htm\"></iframe><a href=\"img/p.htm\">p</a>\n"
          "<a href=\"http://other/x.htm\">o</a><a href=\"#top\">t</a><a href=\"mailto:a@b\">m</a>\n"
          "<!-- <a href=\"a.htm\"> --><script>if (a<b) x = \"<a href='a.htm'>\";</script>\n"
          "</BODY></HTML>";
    std::vector<Asked> asked;
    const QByteArray out = rewrite(page, exported, &asked);
    EXPECT_EQ(out,
              "<HTML><BODY BACKGROUND=\"bg.jpg\" TEXT=red>\r\n"
              "<A class=x HREF=\"a.htm#part\" title=\"a>b\">A</a> <img alt='l' SRC=../img/logo.gif width=3>\n"
              "<iframe name=f src=\"f/f.htm\"></iframe><a href=\"img/p.htm\">p</a>\n"
              "<a href=\"http://other/x.htm\">o</a><a href=\"#top\">t</a><a href=\"mailto:a@b\">m</a>\n"
              "<!-- <a href=\"a.htm\"> --><script>if (a<b) x = \"<a href='a.htm'>\";</script>\n"
              "</BODY></HTML>");
    // A link whose address holds "img" is a link, not an image.
    ASSERT_EQ(asked.size(), 6u);
    EXPECT_EQ(asked[0].kind, ExportLinkKind::Image); // body background
    EXPECT_EQ(asked[2].kind, ExportLinkKind::Image);
    EXPECT_EQ(asked[3].kind, ExportLinkKind::Frame);
    EXPECT_EQ(asked[4].kind, ExportLinkKind::Link);
    EXPECT_EQ(asked[4].address, "http://s/d/img/p.htm");

    // Asked, never changed.
    EXPECT_EQ(rewrite(page, exported, nullptr, false), page);
}

TEST(ExportLinks, ValuesWithQuotesBlanksAndAmpersandsKeepTheTagWhole)
{
    const QHash<QString, QString> exported {
        {"http://s/d/it's.htm", exportPathUrl("it's & co #1.htm")},
        {"http://s/d/two%20words.htm", "two words.htm"},
    };
    // The new value of an unquoted attribute gets quotes when it needs them; a quote inside
    // the delimiters is written as an entity.
    EXPECT_EQ(rewrite("<a href=\"it's.htm\">x</a>", exported),
              "<a href=\"it%27s%20%26%20co%20%231.htm\">x</a>");
    EXPECT_EQ(rewrite("<a href='x.htm' title='it&#39;s'>", {{"http://s/d/x.htm", "it's.htm"}}),
              "<a href='it&#39;s.htm' title='it&#39;s'>");
    EXPECT_EQ(rewrite("<a href=two%20words.htm>x</a>", exported), "<a href=\"two words.htm\">x</a>");
    EXPECT_EQ(rewrite("<a title='say \"hi\"' href=\"q.php?a=1&amp;b=2\">", {}),
              "<a title='say \"hi\"' href=\"http://s/d/q.php?a=1&amp;b=2\">");
    // An unclosed quote does not swallow the page.
    EXPECT_EQ(rewrite("<a href=\"it's.htm>x</a><img src=\"z.gif\">", {}),
              "<a href=\"http://s/d/it's.htm>x</a><img src=\"http://s/d/z.gif\">");
}

TEST(ExportLinks, TheBaseIsFollowedAndPointsAtTheCopyItself)
{
    std::vector<Asked> asked;
    const QByteArray out = rewrite("<head><base href=\"http://s/other/\"></head><a href=\"x.htm\"><base "
                                   "href=\"http://t/\"><a href=y.htm>",
                                   {}, &asked);
    EXPECT_EQ(
        out,
        "<head><base href=\"page.htm\"></head><a href=\"http://s/other/x.htm\"><base href=\"http://t/\">"
        "<a href=http://s/other/y.htm>");
    EXPECT_EQ(asked[0].kind, ExportLinkKind::Base);
}

TEST(ExportLinks, PathUrlsEncodeWhatAUrlWouldReadOtherwise)
{
    EXPECT_EQ(exportPathUrl("../Dossier é/a b?#%.htm"), "../Dossier%20%C3%A9/a%20b%3F%23%25.htm");
    EXPECT_EQ(exportPathUrl("c:x.htm"), "c%3Ax.htm");
}
