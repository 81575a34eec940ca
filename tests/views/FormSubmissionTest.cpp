#include "views/FormSubmission.h"

#include "views/ViewUrls.h"

#include <gtest/gtest.h>

using namespace glanix;

TEST(FormSubmission, TheAddressCarriesTheFieldsAsTheEngineSendsThem)
{
    // The specials, a blank, a non-ASCII letter and a character beyond Latin-1.
    EXPECT_EQ(encodeFormValue(QString::fromUtf8("a b/c.d,e&f+g?h<i>\"#%{}|\\^~[]`;:='()é€-_!*")),
              "a+b%2Fc%2Ed%2Ce%26f%2Bg%3Fh%3Ci%3E%22%23%25%7B%7D%7C%5C%5E%7E%5B%5D%60%3B%3A%3D%27%28%29%E9%"
              "E2%82%AC-_!*");
    EXPECT_EQ(encodeFormValue("ligne\r\nsuite"), "ligne%0D%0Asuite");

    EXPECT_EQ(formSubmissionAddress("http://h/cherche", "GET", {{"q", "un deux"}, {"n", "3"}}),
              "http://h/cherche?q=un+deux&n=3");
    // POST doubles the "?"; an action that already ends in one keeps it.
    EXPECT_EQ(formSubmissionAddress("http://h/f?", "post", {{"a", "1"}}), "http://h/f??a=1");
    // A name repeated (any case) continues the value above it.
    EXPECT_EQ(formSubmissionAddress("http://h/f", "get", {{"s", "1"}, {"S", "2"}, {"t", ""}}),
              "http://h/f?s=1%0D%0A2&t=");
    EXPECT_EQ(formSubmissionAddress("http://h/f", "get", {}), "http://h/f?");
}

TEST(ViewRequests, OnlyTheStoreAnswersAView)
{
    const auto verdict = [](const char* url, bool document = false) {
        return requestVerdict(QUrl(QString::fromUtf8(url)), document);
    };
    EXPECT_EQ(verdict("glanix-http://h/a.gif").action, RequestVerdict::Allow);
    const RequestVerdict web = verdict("https://h:8443/s.css?x=1#y");
    ASSERT_EQ(web.action, RequestVerdict::Redirect);
    EXPECT_EQ(web.redirect.toString(), "glanix-https://h:8443/s.css?x=1#y");
    EXPECT_EQ(verdict("data:image/png;base64,AAAA").action, RequestVerdict::Allow);
    EXPECT_EQ(verdict("about:blank", true).action, RequestVerdict::Allow);
    for (const char* refused : {"file:///etc/passwd", "ftp://h/x", "ws://127.0.0.1:9/", "wss://h/",
                                "data:text/html,<b>x</b>", "blob:glanix-http://h/1", "chrome://settings",
                                "glanix-http:///nohost", "javascript:alert(1)", "about:config"})
        EXPECT_EQ(verdict(refused, QByteArray(refused).startsWith("data") ? true : false).action,
                  RequestVerdict::Block)
            << refused;
}
