#include "store/PageAnalysis.h"
#include "store/PageScanner.h"
#include "store/StyleScanner.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace glanix;

namespace {

const QString kPage = QStringLiteral("http://h/dir/page.htm");

QStringList addresses(const QStringList& lines)
{
    QStringList out;
    for (const QString& l : lines)
        out.append(l.left(l.indexOf(u' ')));
    return out;
}

QList<QByteArray> styleValues(const QByteArray& css)
{
    const StyleScan scan = scanStyleSheet(css);
    return QList<QByteArray>(scan.addresses.begin(), scan.addresses.end());
}

} // namespace

TEST(Requisites, EveryKindJoinsTheImagesAndNoneBecomesALink)
{
    const PageFindings f = analyseContent(
        "<html><head>"
        "<link rel=\"stylesheet\" href=\"css/main.css\"><LINK REL='Shortcut Icon' HREF='/favicon.ico'>"
        "<link rel=apple-touch-icon href=touch.png><link rel=preload as=font href=f.woff2>"
        "<link rel=next href=two.htm><link rel=\"alternate\" href=feed.xml><link rel=preload as=fetch "
        "href=d.json>"
        "<style type=\"text/css\">@import \"css/print.css\"; p { background: url( 'img/p.png' ) }</style>"
        "<script src=app.js></script></head><body>"
        "<img srcset=\"s-480.jpg 480w, s-800.jpg 800w,s-1x.jpg, data:image/png;base64,AA== 2x\" "
        "src=\"s.jpg\">"
        "<picture><source type=\"image/webp\" srcset=\"p.webp 1x, p@2x.webp 2x\"><img src=p.jpg></picture>"
        "<video poster=poster.jpg src=movie.mp4></video><source src=sound.ogg>"
        "<div style=\"background-image:url(img/div.png#part)\">x</div>"
        "<a href=\"two.htm\" style='background:url(\"img/a.png\")'>2</a>"
        "<svg><use xlink:href=\"icons.svg#home\"></use><image href=\"img/svg.png\"/></svg>"
        "</body></html>",
        kPage);
    EXPECT_EQ(addresses(f.ImageLinks),
              QStringList({"http://h/dir/css/main.css", "http://h/favicon.ico", "http://h/dir/touch.png",
                           "http://h/dir/f.woff2", "http://h/dir/css/print.css", "http://h/dir/img/p.png",
                           "http://h/dir/s-480.jpg", "http://h/dir/s-800.jpg", "http://h/dir/s-1x.jpg",
                           "http://h/dir/s.jpg", "http://h/dir/p.webp", "http://h/dir/p@2x.webp",
                           "http://h/dir/p.jpg", "http://h/dir/poster.jpg", "http://h/dir/img/div.png",
                           "http://h/dir/img/a.png", "http://h/dir/icons.svg", "http://h/dir/img/svg.png"}));
    // Documents named by link relations stay links; scripts are not stored unless run.
    EXPECT_EQ(addresses(f.PageLinks),
              QStringList({"http://h/dir/two.htm", "http://h/dir/feed.xml", "http://h/dir/d.json"}));
    EXPECT_FALSE(addresses(f.ImageLinks).contains("http://h/dir/app.js"));

    const PageFindings run = analyseContent("<script language=js src=app.js></script><script src=b.js>"
                                            "<link rel=preload as=script href=c.js>",
                                            kPage, {}, {.scripts = true});
    EXPECT_EQ(addresses(run.ImageLinks),
              QStringList({"http://h/dir/app.js", "http://h/dir/b.js", "http://h/dir/c.js"}));
}

// The src of an image was missed when a srcset came before it: " src" matched " srcset".
TEST(Requisites, TheSourceOfAnImageIsFoundAfterItsSrcset)
{
    const PageScan scan = scanPage("<img srcset=\"big.png 2x\" alt=x src=\"small.png\">");
    ASSERT_EQ(scan.addresses.size(), 2u);
    EXPECT_EQ(scan.addresses[0].kind, ScannedAddress::Kind::Requisite);
    EXPECT_EQ(scan.addresses[1].kind, ScannedAddress::Kind::Image);
    EXPECT_EQ(scan.addresses[1].value, "small.png");
    // data-src is not the source.
    const PageScan lazy = scanPage("<img data-src=lazy.png src=real.png>");
    ASSERT_EQ(lazy.addresses.size(), 1u);
    EXPECT_EQ(lazy.addresses[0].value, "real.png");
    // An image button whose type comes after its source.
    const PageScan button = scanPage("<input src=go.png type=\"IMAGE\"><input type=text src=no.png>");
    ASSERT_EQ(button.addresses.size(), 1u);
    EXPECT_EQ(button.addresses[0].value, "go.png");
}

TEST(Requisites, StyleBlocksEndAtTheirClosingTagAndHideNoLaterTag)
{
    const PageFindings f
        = analyseContent("<style>a:after { content: '<a href=in.htm>' } b { background: url(b.png) }</STYLE >"
                         "<a href=out.htm><style>i { background: url(i.png) }",
                         kPage);
    EXPECT_EQ(addresses(f.PageLinks), QStringList({"http://h/dir/out.htm"}));
    EXPECT_EQ(addresses(f.ImageLinks), QStringList({"http://h/dir/b.png", "http://h/dir/i.png"}));
}

TEST(StyleScanner, WhatASheetLoads)
{
    EXPECT_EQ(
        styleValues("@import 'a.css';@IMPORT url(\"b.css\") screen;@import \"c.css\" print;"
                    "/* url(comment.png) */ p{content:\"url(string.png)\";background:url(  d.png  )}"
                    "q{background:URL(e\\ f.png)}x{src:url(f.woff2?#iefix) format('woff2'),local('g')}"
                    "y{background:url(#svgfilter);background:url()}z{background:image-url(z.png)}"
                    "w{background:url(\\68 .png)} v{background:url(bad url.png)} u{background:url(ok.png)"),
        QList<QByteArray>(
            {"a.css", "b.css", "c.css", "d.png", "e f.png", "f.woff2?#iefix", "h.png", "ok.png"}));
    // The candidates of image-set, but not the types that qualify them.
    EXPECT_EQ(
        styleValues(
            "a{background:-webkit-image-set(\"1x.png\" 1x, url(2x.png) 2x, \"3x.avif\" type(\"image/avif\"))}"
            "b{content:\"no\"}"),
        QList<QByteArray>({"1x.png", "2x.png", "3x.avif"}));
    // A string is an import only right after @import; an import ends at its ";".
    EXPECT_EQ(styleValues("@import;'no.css' @import\n'yes.css'"), QList<QByteArray>({"yes.css"}));
    // A line end ends a string badly: the value is dropped, the scan goes on.
    EXPECT_EQ(styleValues("@import 'broken\n; a{b:url(c.png)}"), QList<QByteArray>({"c.png"}));
    EXPECT_EQ(scanStyleSheet("@charset \"iso-8859-1\"; a{}").charset, "iso-8859-1");
    // An address too long to be one is not kept.
    EXPECT_TRUE(styleValues("a{b:url(" + QByteArray(kMaxStyleAddressLength + 1, 'x') + ")}").isEmpty());
}

TEST(StyleScanner, AddressesAreTakenFromTheSheetsOwnAddressOnceEach)
{
    const QStringList lines = styleSheetRequisites(
        "@import url(../base.css); a{background:url(img/a.png)} b{background:url(IMG/A.PNG)}"
        "c{src:url(fonts/f.eot?#iefix)} d{src:url(fonts/f.eot?#other)} "
        "e{background:url(data:image/gif;base64,R0)}"
        "f{background:url(//cdn.example/x.png)} g{background:url(file:///etc/passwd)} h{background:url('sp "
        "ace.png')}",
        QStringLiteral("https://h/site/css/main.css"));
    EXPECT_EQ(addresses(lines),
              QStringList({"https://h/site/base.css", "https://h/site/css/img/a.png",
                           "https://h/site/css/fonts/f.eot?", "https://cdn.example/x.png",
                           "https://h/site/css/sp%20ace.png"}));
    EXPECT_EQ(lines[1], "https://h/site/css/img/a.png a.png");
}

// What the scanners do grows with the size of their input, whatever it is made of.
TEST(StyleScanner, LinearOnHostileInput)
{
    const auto grown = [](const QByteArray& head, const QByteArray& unit, qsizetype size) {
        QByteArray text = head;
        while (text.size() < size)
            text += unit;
        return text;
    };
    const char* const units[] = {"url(", "url(x", "url('",   "@import '",     "/*", "\\", "url(a)",
                                 "'\n",  "url( ", "@import", "image-set('a' "};
    for (const char* unit : units) {
        const qint64 one = scanStyleSheet(grown("", unit, 1 << 20)).bytesExamined;
        const qint64 two = scanStyleSheet(grown("", unit, 2 << 20)).bytesExamined;
        EXPECT_LT(static_cast<double>(two), 2.3 * static_cast<double>(one)) << unit;
        EXPECT_LT(one, qint64 {8} << 20) << unit;
    }
    // In pages: unclosed style blocks, style attributes, srcsets, link relations.
    const char* const pages[][2] = {
        {"", "<style>"},
        {"<style>", "url(a.png) "},
        {"", "<p style=\"background:url(x.png)\">"},
        {"", "<img srcset=\"a.png 1x, b.png 2x\">"},
        {"<img srcset=\"", "a.png 1x,"},
        {"<img ", "srcset srcset "},
        {"<link ", "rel=x rel=y "},
    };
    for (const auto& p : pages) {
        const qint64 one = scanPage(grown(p[0], p[1], 1 << 20)).bytesExamined;
        const qint64 two = scanPage(grown(p[0], p[1], 2 << 20)).bytesExamined;
        EXPECT_LT(static_cast<double>(two), 2.3 * static_cast<double>(one)) << p[1];
        EXPECT_LT(one, qint64 {64} << 20) << p[1];
    }
    // A megabyte of "url(" in a sheet costs no more than one address per distinct value.
    const QStringList many
        = styleSheetRequisites(grown("", "url(", 1 << 20), QStringLiteral("http://h/a.css"));
    EXPECT_TRUE(many.isEmpty());
}
