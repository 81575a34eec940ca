// https, the proxy tunnel and IPv6.
#include "tests/engine/HttpTestSupport.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace glanix;
using namespace glanix::test;

namespace {

const TestCertificates& certificates()
{
    static const TestCertificates certs;
    return certs;
}

void trustTestCa(TracedClient& c)
{
    c.http.setTlsOptions({.extraCaPem = certificates().caPem()});
}

} // namespace

TEST(HttpTls, TrustedCertificateGivesTheDocument)
{
    TestServer server({.tls = true, .certificate = certificates().server()});
    server.setDocument("/s.html", {.body = "secret page"});
    for (const QString& url :
         {server.url("/s.html"), u"https://localhost:"_qs + QString::number(server.port()) + u"/s.html"_qs}) {
        TracedClient c(url);
        trustTestCa(c);
        ASSERT_TRUE(c.http.GetIfModified({}, 0, false, 0)) << c.http.StatusText.toStdString();
        EXPECT_EQ(c.http.StatusCode, 200);
        EXPECT_EQ(c.http.Stream, "secret page");
    }
    const RecordedRequest r = server.lastRequest();
    EXPECT_TRUE(r.tls);
    // 443 is https's own port; another one is named in the Host header.
    EXPECT_EQ(r.header("Host"), "localhost:" + QByteArray::number(server.port()));
}

TEST(HttpTls, BadCertificatesAreRefusedWithTheirReason)
{
    struct Case {
        PemPair certificate;
        bool trustTestCa;
        const char16_t* reason;
    };

    const Case cases[] = {
        {certificates().selfSigned(), true, u"auto-signé"},
        {certificates().wrongHost(), true, u"autre serveur"},
        {certificates().expired(), true, u"expiré"},
        {certificates().server(), false, u"autorité de certification inconnue"},
    };
    for (const Case& k : cases) {
        TestServer server({.tls = true, .certificate = k.certificate});
        server.setDocument("/s.html", {.body = "secret page"});
        TracedClient c(server.url("/s.html"));
        c.http.setTlsOptions(
            {.extraCaPem = k.trustTestCa ? certificates().caPem() : QByteArray(), .useSystemStore = false});
        EXPECT_FALSE(c.http.GetIfModified({}, 0, false, 0));
        EXPECT_EQ(c.http.StatusCode, kStatusProtocolError);
        EXPECT_TRUE(c.http.StatusText.startsWith(u"Certificat refusé pour 127.0.0.1 : "_qs))
            << c.http.StatusText.toStdString();
        EXPECT_TRUE(c.http.StatusText.contains(QString::fromUtf16(k.reason)))
            << c.http.StatusText.toStdString();
        EXPECT_TRUE(c.http.Stream.isEmpty());
        EXPECT_TRUE(server.requests().isEmpty()); // not a byte of the request was sent
    }
}

TEST(HttpTls, PlainServerOnAnHttpsAddressIsAHandshakeFailure)
{
    TestServer plain;
    TracedClient c(u"https://127.0.0.1:"_qs + QString::number(plain.port()) + u"/"_qs);
    trustTestCa(c);
    EXPECT_FALSE(c.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(c.http.StatusCode, kStatusProtocolError);
    EXPECT_TRUE(c.http.StatusText.startsWith(u"Échec de la négociation TLS avec 127.0.0.1"_qs))
        << c.http.StatusText.toStdString();
}

TEST(HttpTls, HttpsThroughAProxyTunnel)
{
    TestServer origin({.tls = true, .certificate = certificates().server()});
    origin.setDocument("/t.html", {.body = "tunnelled"});
    TestServer proxy({.proxy = true});
    TracedClient c(origin.url("/t.html"));
    trustTestCa(c);
    c.http.Proxy = proxy.authority();
    ASSERT_TRUE(c.http.GetIfModified({}, 0, false, 0)) << c.http.StatusText.toStdString();
    EXPECT_EQ(c.http.Stream, "tunnelled");
    const QByteArray authority = "127.0.0.1:" + QByteArray::number(origin.port());
    EXPECT_EQ(proxy.count("CONNECT"), 2); // HEAD and GET, one tunnel each
    EXPECT_EQ(proxy.lastRequest().target, authority);
    EXPECT_TRUE(c.traced(u" <- CONNECT "_qs + QString::fromLatin1(authority) + u" HTTP/1.0"_qs));
    EXPECT_EQ(origin.lastRequest().target, "/t.html"); // the proxy never sees the path

    // A proxy that refuses the tunnel is a protocol error naming it.
    TestServer refusing;
    TracedClient r(origin.url("/t.html"));
    trustTestCa(r);
    r.http.Proxy = refusing.authority();
    EXPECT_FALSE(r.http.GetIfModified({}, 0, false, 0));
    EXPECT_EQ(r.http.StatusCode, kStatusProtocolError);
    EXPECT_TRUE(r.http.StatusText.contains(u"refuse le tunnel"_qs)) << r.http.StatusText.toStdString();
}

TEST(HttpIpv6, LiteralAddressesAndLocalhost)
{
    TestServer server;
    if (server.port6() == 0)
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    server.setDocument("/six", {.body = "over ipv6"});
    TracedClient c(server.url6("/six"));
    ASSERT_TRUE(c.http.GetIfModified({}, 0, false, 0)) << c.http.StatusText.toStdString();
    EXPECT_EQ(c.http.Stream, "over ipv6");
    EXPECT_TRUE(server.lastRequest().ipv6);
    EXPECT_EQ(server.lastRequest().header("Host"), "[::1]:" + QByteArray::number(server.port6()));
    EXPECT_TRUE(c.tracedStartingWith(u" -- Socket "_qs));
    EXPECT_TRUE(c.trace.join(u'\n').contains(u"avec le serveur ::1 sur le port "_qs));

    TestServer secure({.tls = true, .certificate = certificates().server()});
    if (secure.port6() != 0) {
        secure.setDocument("/six", {.body = "secure ipv6"});
        TracedClient s(secure.url6("/six"));
        trustTestCa(s);
        ASSERT_TRUE(s.http.GetIfModified({}, 0, false, 0)) << s.http.StatusText.toStdString();
        EXPECT_EQ(s.http.Stream, "secure ipv6");
    }
}

TEST(HttpTls, ServerThatResetsTheConnectionIsAFailureNotASignal)
{
    // A listener that resets every connection at once: writes after that must not raise
    // SIGPIPE, which would end the whole program.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 8), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::thread resetter([listener] {
        for (int i = 0; i < 2; ++i) {
            const int fd = ::accept(listener, nullptr, nullptr);
            if (fd < 0)
                return;
            const linger abort {1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            ::close(fd);
        }
    });
    const QString url = u"https://127.0.0.1:"_qs + QString::number(ntohs(address.sin_port)) + u"/"_qs;
    for (int i = 0; i < 2; ++i) {
        TracedClient c(url);
        trustTestCa(c);
        EXPECT_FALSE(c.http.GetIfModified({}, 0, false, 0));
        EXPECT_LT(c.http.StatusCode, 0);
    }
    ::shutdown(listener, SHUT_RDWR);
    resetter.join();
    ::close(listener);
}
