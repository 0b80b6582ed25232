#include "ServerHarness.h"

#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>

using nlohmann::json;

TEST(ListenRules, PlainHttpIsOnlyForLoopback) {
    for (const char* host : {"127.0.0.1", "127.8.9.10", "::1", "localhost"})
        EXPECT_TRUE(family::isLoopbackHost(host)) << host;
    for (const char* host : {"0.0.0.0", "::", "192.168.1.5", "128.0.0.1", "127.0.0.1.example.com"})
        EXPECT_FALSE(family::isLoopbackHost(host)) << host;

    TempDir dir;
    family::FamilyStore store(dir.filePath("family.sqlite3").toStdString());
    for (const char* host : {"0.0.0.0", "192.168.1.5", "::"}) {
        family::ListenOptions options;
        options.host = host;
        EXPECT_THROW(family::FamilyServer(store, options), std::invalid_argument) << host;
    }
    family::ListenOptions halfTls;
    halfTls.certificateFile = dir.filePath("cert.pem").toStdString();
    EXPECT_THROW(family::FamilyServer(store, halfTls), std::invalid_argument);
    family::ListenOptions missingFiles = halfTls;
    missingFiles.keyFile = dir.filePath("key.pem").toStdString();
    EXPECT_THROW(family::FamilyServer(store, missingFiles), std::invalid_argument);
}

namespace {

// A throwaway self-signed certificate for 127.0.0.1.
void writeSelfSigned(const std::string& certPath, const std::string& keyPath) {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    ASSERT_NE(key, nullptr);
    X509* cert = X509_new();
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -60);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1,
                               0);
    X509_set_issuer_name(cert, name);
    ASSERT_GT(X509_sign(cert, key, EVP_sha256()), 0);
    FILE* c = std::fopen(certPath.c_str(), "w");
    PEM_write_X509(c, cert);
    std::fclose(c);
    FILE* k = std::fopen(keyPath.c_str(), "w");
    PEM_write_PrivateKey(k, key, nullptr, nullptr, 0, nullptr, nullptr);
    std::fclose(k);
    X509_free(cert);
    EVP_PKEY_free(key);
}

}  // namespace

TEST(ListenRules, HttpsServesTheSameProtocolAndIsAllowedOnAnyAddress) {
    TempDir dir;
    const auto cert = dir.filePath("cert.pem").toStdString();
    const auto key = dir.filePath("key.pem").toStdString();
    writeSelfSigned(cert, key);
    family::StoreSettings settings;
    settings.minimalPasswordCost = true;
    family::FamilyStore store(dir.filePath("family.sqlite3").toStdString(), family::systemClock, settings);
    store.addAccount({"mama@example.com", "Мама", "parent", "password1"});

    family::ListenOptions anyAddress;
    anyAddress.host = "0.0.0.0";
    anyAddress.certificateFile = cert;
    anyAddress.keyFile = key;
    EXPECT_TRUE(family::FamilyServer(store, anyAddress).usesTls());

    family::ListenOptions options = anyAddress;
    options.host = "127.0.0.1";
    options.port = 0;
    family::FamilyServer server(store, options);
    const int port = server.bind();
    EXPECT_EQ(server.origin(), "https://127.0.0.1:" + std::to_string(port));
    std::thread thread([&] { server.run(); });

    httplib::SSLClient client("127.0.0.1", port);
    client.enable_server_certificate_verification(false);
    const auto signIn =
        client.Post("/api/auth/login", R"({"email":"mama@example.com","password":"password1"})", "application/json");
    ASSERT_TRUE(signIn);
    EXPECT_EQ(signIn->status, 200);
    const auto token = json::parse(signIn->body)["sessionToken"].get<std::string>();
    const auto family = client.Get("/api/family", httplib::Headers{{"Authorization", "Bearer " + token}});
    ASSERT_TRUE(family);
    EXPECT_EQ(family->status, 200);
    EXPECT_EQ(json::parse(family->body)["members"].size(), 1u);

    httplib::Client plain("127.0.0.1", port);
    plain.set_connection_timeout(2);
    plain.set_read_timeout(2);
    const auto refused = plain.Get("/api/family");
    EXPECT_TRUE(!refused || refused->status != 200);

    server.stop();
    thread.join();
}
