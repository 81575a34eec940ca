#include "store/Addresses.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace glanix;

namespace {

struct Resolution {
    const char* base;
    const char* link;
    const char* expected;
};

class ResolveURLTest : public ::testing::TestWithParam<Resolution> { };

TEST_P(ResolveURLTest, GivesTheAbsoluteAddress)
{
    const Resolution& r = GetParam();
    EXPECT_EQ(ResolveURL(r.base, r.link), QString::fromUtf8(r.expected)) << r.base << " + " << r.link;
}

INSTANTIATE_TEST_SUITE_P(
    Relative, ResolveURLTest,
    ::testing::Values(Resolution {"http://servera", "p.gif", "http://servera/p.gif"},
                      Resolution {"http://servera/d/e/x.htm", "../y.htm", "http://servera/d/y.htm"},
                      Resolution {"http://servera/dir", "p.gif", "http://servera/dir/p.gif"},
                      Resolution {"http://servera/x.htm", "/img/p.gif", "http://servera/img/p.gif"},
                      Resolution {"http://servera/x.htm", "#top", "http://servera/x.htm"},
                      Resolution {"http://servera/x.htm", "www.serverb/p.htm", "http://www.serverb/p.htm"},
                      Resolution {"http://servera/x.htm?q=1", "y.htm", "http://servera/y.htm"},
                      Resolution {"http://servera/x.htm", "./y.htm", "http://servera/y.htm"},
                      Resolution {"http://servera/d/x.htm", "y.htm#part", "http://servera/d/y.htm"},
                      // Climbing stops at the server.
                      Resolution {"http://servera/x.htm", "../../../y.htm", "http://servera/y.htm"},
                      Resolution {"http://servera/a/", "../b/", "http://servera/b/"}));

INSTANTIATE_TEST_SUITE_P(
    AbsoluteAndSpecial, ResolveURLTest,
    ::testing::Values(
        Resolution {"http://servera/x.htm", "http://serverb/p.htm", "http://serverb/p.htm"},
        Resolution {"http://servera/x.htm", "HTTPS://serverb/p.htm", "HTTPS://serverb/p.htm"},
        Resolution {"http://servera/", "ftp://files/a.zip", "ftp://files/a.zip"},
        Resolution {"http://servera/", "news://group", "news://group"},
        Resolution {"http://servera/", "mailto:someone@servera", ""},
        Resolution {"http://servera/", "javascript:void(0)", ""},
        Resolution {"http://servera/", "data:image/gif;base64,R0lG", ""},
        Resolution {"http://servera/x.htm", "http://servera/go?u=http://serverb/p.htm",
                    "http://serverb/p.htm"},
        Resolution {"http://servera/x.htm", "go?u=https://serverb/p.htm", "https://serverb/p.htm"},
        Resolution {"http://servera/x.htm", "go?u=HtTp://serverb/p.htm", "HtTp://serverb/p.htm"},
        // The first carried address wins, whatever its scheme.
        Resolution {"http://servera/x.htm", "go?a=https://b/1&c=http://c/2", "https://b/1&c=http://c/2"},
        Resolution {"http://servera/x.htm", "go?a=http://b/1&c=https://c/2", "http://b/1&c=https://c/2"},
        Resolution {"http://servera/x.htm", "www.serverb:8080/p.htm", "http://www.serverb:8080/p.htm"},
        // Tabs and line breaks inside a link never reach an address.
        Resolution {"http://servera/x.htm", " y\r\n.htm\t", "http://servera/y.htm"}));

// An https page's links stay https; protocol-relative links take the page's scheme.
INSTANTIATE_TEST_SUITE_P(
    SchemeOfTheBase, ResolveURLTest,
    ::testing::Values(Resolution {"https://servera/x.htm", "/img/p.gif", "https://servera/img/p.gif"},
                      Resolution {"https://servera:8443/d/x.htm", "/p.gif", "https://servera:8443/p.gif"},
                      Resolution {"https://servera/d/e/x.htm", "../y.htm", "https://servera/d/y.htm"},
                      Resolution {"https://servera", "p.gif", "https://servera/p.gif"},
                      Resolution {"https://s/x.htm", "../../p.gif", "https://s/p.gif"},
                      Resolution {"https://servera/x.htm", "//cdn.host/a.js", "https://cdn.host/a.js"},
                      Resolution {"http://servera/x.htm", "//cdn.host/a.js", "http://cdn.host/a.js"}));

// Dot segments anywhere in the path are worked out, so that one document has one address;
// the query and the server are left alone.
INSTANTIATE_TEST_SUITE_P(
    DotSegments, ResolveURLTest,
    ::testing::Values(
        Resolution {"http://servera/x.htm", "/x/../../b.html", "http://servera/b.html"},
        Resolution {"http://servera/d/x.htm", "e/./f/../g.htm", "http://servera/d/e/g.htm"},
        Resolution {"http://servera/d/x.htm", "e/%2E%2e/g.htm", "http://servera/d/g.htm"},
        Resolution {"http://servera/d/x.htm", "e/.%2e/.%2E/g.htm", "http://servera/g.htm"},
        Resolution {"http://servera/d/x.htm", "e/..", "http://servera/d/"},
        Resolution {"http://servera/d/x.htm", "http://serverb/a/./b/../c.htm", "http://serverb/a/c.htm"},
        Resolution {"https://servera:8443/d/x.htm", "//serverb/../p.gif", "https://serverb/p.gif"},
        Resolution {"http://servera/x.htm", "/a/../s?u=../x/./y#f", "http://servera/s?u=../x/./y"},
        Resolution {"http://servera/x.htm", "/.well-known/a", "http://servera/.well-known/a"},
        Resolution {"http://servera/x.htm", "/a..b/c.htm", "http://servera/a..b/c.htm"}));

TEST(Addresses, RemoveDotSegmentsFollowsTheRfc)
{
    // The examples of RFC 3986, 5.2.4, and paths that try to climb out.
    EXPECT_EQ(RemoveDotSegments("/a/b/c/./../../g"), "/a/g");
    EXPECT_EQ(RemoveDotSegments("mid/content=5/../6"), "mid/6");
    EXPECT_EQ(RemoveDotSegments("/a//../b"), "/a/b");
    EXPECT_EQ(RemoveDotSegments("/../../../etc/passwd"), "/etc/passwd");
    EXPECT_EQ(RemoveDotSegments("/%2e%2e/%2E%2E/etc"), "/etc");
    EXPECT_EQ(RemoveDotSegments("/a/."), "/a/");
    EXPECT_EQ(RemoveDotSegments("/.."), "/");
    EXPECT_EQ(RemoveDotSegments("/a/b/"), "/a/b/");
    EXPECT_EQ(RemoveDotSegments(""), "");
}

TEST(Addresses, ServerPartKeepsSchemeHostAndPort)
{
    EXPECT_EQ(ServerPart("http://servera/dir/p.htm"), "http://servera");
    EXPECT_EQ(ServerPart("https://servera:8443/dir/"), "https://servera:8443");
    EXPECT_EQ(ServerPart("http://a/x"), "http://a");
    EXPECT_EQ(ServerPart("http://servera"), "http://servera");
    EXPECT_EQ(ServerPart("http://servera?q=/x"), "http://servera");
    const QString longHost = "http://" + QString(80, u'h') + ".example/p.htm";
    EXPECT_EQ(ServerPart(longHost), longHost.left(longHost.indexOf(u'/', 8)));
}

TEST(Addresses, DirectoryPartGivesTheFolder)
{
    EXPECT_EQ(DirectoryPart(""), "");
    EXPECT_EQ(DirectoryPart("http://servera/dir/page.htm"), "http://servera/dir/");
    EXPECT_EQ(DirectoryPart("http://servera/dir"), "http://servera/dir/");
    EXPECT_EQ(DirectoryPart("http://servera/dir/"), "http://servera/dir/");
    EXPECT_EQ(DirectoryPart("http://servera"), "http://servera/");
    EXPECT_EQ(DirectoryPart("http://a"), "http://a/");
    EXPECT_EQ(DirectoryPart("https://servera/d/p.htm"), "https://servera/d/");
    EXPECT_EQ(DirectoryPart("https://a"), "https://a/");
    EXPECT_EQ(DirectoryPart("http://servera/p.php?u=x/y.htm"), "http://servera/");
}

TEST(Addresses, FirstWordSplitsAtTheFirstBlank)
{
    EXPECT_EQ(FirstWord("http://a/x.gif x.gif"), "http://a/x.gif");
    EXPECT_EQ(AfterFirstWord("http://a/x.gif my file.gif"), "my file.gif");
    EXPECT_EQ(FirstWord("alone"), "alone");
    EXPECT_EQ(AfterFirstWord("alone"), "");
}

} // namespace
