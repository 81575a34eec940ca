#include "tests/support/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <stdexcept>

namespace glanix::test {

namespace {

EVP_PKEY* newKey()
{
    EVP_PKEY* key = EVP_EC_gen("P-256");
    if (!key)
        throw std::runtime_error("EC key generation failed");
    return key;
}

QByteArray pem(EVP_PKEY* key)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray out(data, size);
    BIO_free(bio);
    return out;
}

QByteArray pem(X509* cert)
{
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    QByteArray out(data, size);
    BIO_free(bio);
    return out;
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
    if (!ext)
        throw std::runtime_error("bad certificate extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

// A certificate for `key`, signed by `issuerKey` (itself when no issuer is given).
X509* makeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
                      long notBeforeDays, long notAfterDays, const char* altNames, bool ca, long serial)
{
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), notBeforeDays * 86400);
    X509_gmtime_adj(X509_getm_notAfter(cert), notAfterDays * 86400);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Glanix tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName),
                               -1, -1, 0);
    X509* signer = issuer ? issuer : cert;
    X509_set_issuer_name(cert, X509_get_subject_name(signer));
    addExtension(cert, signer, NID_basic_constraints, ca ? "critical,CA:TRUE" : "CA:FALSE");
    addExtension(cert, signer, NID_subject_key_identifier, "hash");
    if (ca) {
        addExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(cert, signer, NID_authority_key_identifier, "keyid");
        addExtension(cert, signer, NID_key_usage, "critical,digitalSignature");
        addExtension(cert, signer, NID_ext_key_usage, "serverAuth");
        addExtension(cert, signer, NID_subject_alt_name, altNames);
    }
    X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256());
    return cert;
}

PemPair leaf(X509* ca, EVP_PKEY* caKey, long from, long to, const char* altNames, long serial)
{
    EVP_PKEY* key = newKey();
    X509* cert = makeCertificate(key, "localhost", ca, caKey, from, to, altNames, false, serial);
    PemPair out {pem(cert), pem(key)};
    X509_free(cert);
    EVP_PKEY_free(key);
    return out;
}

constexpr const char* kLocalNames = "DNS:localhost,IP:127.0.0.1,IP:::1";

} // namespace

TestCertificates::TestCertificates()
{
    EVP_PKEY* caKey = newKey();
    X509* ca = makeCertificate(caKey, "Glanix test CA", nullptr, nullptr, -2, 60, nullptr, true, 1);
    m_caPem = pem(ca);
    m_server = leaf(ca, caKey, -1, 30, kLocalNames, 2);
    m_wrongHost = leaf(ca, caKey, -1, 30, "DNS:wrong.example.invalid", 3);
    m_expired = leaf(ca, caKey, -30, -1, kLocalNames, 4);

    EVP_PKEY* selfKey = newKey();
    X509* self = makeCertificate(selfKey, "localhost", nullptr, nullptr, -1, 30, kLocalNames, false, 5);
    m_selfSigned = {pem(self), pem(selfKey)};
    X509_free(self);
    EVP_PKEY_free(selfKey);
    X509_free(ca);
    EVP_PKEY_free(caKey);
}

} // namespace glanix::test
