#pragma once

#include <QByteArray>

// Certificates made at test time with the OpenSSL API, so that no key ever lies in the
// repository: a test CA, a server certificate it signs for localhost, 127.0.0.1 and ::1,
// and the bad ones a client must refuse. Keys are P-256, so making a set costs milliseconds.
//
//     TestCertificates certs;
//     TestServer server({.tls = true, .certificate = certs.server()});
//     client.setTlsOptions({.extraCaPem = certs.caPem()});
namespace glanix::test {

struct PemPair {
    QByteArray certificate;
    QByteArray key;
};

class TestCertificates {
public:
    TestCertificates();

    // The CA to trust (client option extraCaPem).
    const QByteArray& caPem() const { return m_caPem; }

    // Signed by the CA for localhost, 127.0.0.1 and ::1, valid from yesterday for 30 days.
    const PemPair& server() const { return m_server; }

    // Signed by the CA, valid, but for another host only.
    const PemPair& wrongHost() const { return m_wrongHost; }

    // Signed by the CA for the right hosts, expired yesterday.
    const PemPair& expired() const { return m_expired; }

    // Right hosts, valid dates, signed by itself.
    const PemPair& selfSigned() const { return m_selfSigned; }

private:
    QByteArray m_caPem;
    PemPair m_server;
    PemPair m_wrongHost;
    PemPair m_expired;
    PemPair m_selfSigned;
};

} // namespace glanix::test
