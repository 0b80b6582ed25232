#include "AccountTestSupport.h"

#include "account/AccountError.h"
#include "account/FamilyServerClient.h"
#include "account/FamilyServerConfig.h"
#include "account/SessionTokenStore.h"

#include <QHostAddress>
#include <QTcpServer>

using namespace accounttest;

namespace {

// The request layer on its own, against the scripted server.
class RequestLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.listen());
        client = std::make_unique<FamilyServerClient>(server.origin(), token);
    }

    void storeToken(const QByteArray& value) {
        keychain.items.insert({AccountSession::kTokenService, QString()}, value);
    }

    static QCoro::Task<> exchangeInto(FamilyServerClient& c, QByteArray method, QString path, bool authorize,
                                      std::optional<QByteArray> body, QByteArray& out) {
        out = co_await c.exchange(path, method, body, authorize);
    }

    // Runs one exchange; returns its failure (nullptr on success). The body of
    // a successful answer lands in `answer`.
    std::exception_ptr run(const QByteArray& method, const QString& path, bool authorize,
                           std::optional<QByteArray> body = std::nullopt) {
        answer.clear();
        return finish(exchangeInto(*client, method, path, authorize, std::move(body), answer));
    }

    InMemoryKeychain keychain;
    SessionTokenStore token{keychain};
    ScriptedHttpServer server;
    std::unique_ptr<FamilyServerClient> client;
    QByteArray answer;
};

template <class E>
bool failedWith(const std::exception_ptr& failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const E&) {
        return true;
    } catch (...) {
    }
    return false;
}

}  // namespace

TEST_F(RequestLayerTest, OnlyTwoHundredToTwoNinetyNineIsSuccess) {
    server.queue("GET", "/api/family", ScriptedResponse::json(200, R"({"a":1})"));
    EXPECT_FALSE(run("GET", "/api/family", true));
    EXPECT_EQ(answer, R"({"a":1})");

    server.queue("GET", "/api/family", ScriptedResponse::json(299, R"({"b":2})"));
    EXPECT_FALSE(run("GET", "/api/family", true));
    EXPECT_EQ(answer, R"({"b":2})");

    server.queue("GET", "/api/family", ScriptedResponse::json(300, R"({"error":"Выбор невозможен"})"));
    const auto at300 = run("GET", "/api/family", true);
    EXPECT_TRUE(failedWith<AccountError>(at300));
    EXPECT_EQ(descriptionOf(at300), "Выбор невозможен");

    // 1xx is informational in HTTP; a lone 199 never becomes a successful answer.
    ScriptedResponse informational;
    informational.rawResponse = "HTTP/1.1 199 Scripted\r\nContent-Type: application/json\r\n"
                                "Content-Length: 2\r\nConnection: close\r\n\r\n{}";
    server.queue("GET", "/api/family", informational);
    EXPECT_TRUE(run("GET", "/api/family", true));
}

TEST_F(RequestLayerTest, UnauthorizedOnlyForAnAuthorizedRequest) {
    ScriptedResponse html;
    html.status = 401;
    html.body = "<html><body>401 Unauthorized</body></html>";
    html.headers.emplaceBack("Content-Type", "text/html");
    server.on("GET", "/api/family", html);
    server.on("POST", "/api/auth/login", html);

    const auto family = run("GET", "/api/family", true);
    ASSERT_TRUE(failedWith<AccountError>(family));
    EXPECT_EQ(descriptionOf(family), "Сессия истекла. Войдите снова.");

    const auto login = run("POST", "/api/auth/login", false, QByteArray("{}"));
    ASSERT_TRUE(failedWith<AccountError>(login));
    EXPECT_EQ(descriptionOf(login), "Ошибка сервера");

    // The server's own text on a 401 to the sign-in is what the user sees.
    server.on("POST", "/api/auth/login", ScriptedResponse::json(401, R"({"error":"Неверный e-mail или пароль"})"));
    EXPECT_EQ(descriptionOf(run("POST", "/api/auth/login", false, QByteArray("{}"))), "Неверный e-mail или пароль");
}

TEST_F(RequestLayerTest, FailureTextIsTheServersErrorOrServerError) {
    server.queue("POST", "/api/tasks", ScriptedResponse::json(500, R"j({"error":"База данных недоступна (код 7)"})j"));
    EXPECT_EQ(descriptionOf(run("POST", "/api/tasks", true, QByteArray("{}"))), "База данных недоступна (код 7)");
    server.queue("POST", "/api/tasks", ScriptedResponse::json(500, R"({"message":"nope"})"));
    EXPECT_EQ(descriptionOf(run("POST", "/api/tasks", true, QByteArray("{}"))), "Ошибка сервера");
    server.queue("POST", "/api/tasks", ScriptedResponse::json(404, ""));
    EXPECT_EQ(descriptionOf(run("POST", "/api/tasks", true, QByteArray("{}"))), "Ошибка сервера");
}

TEST_F(RequestLayerTest, SetsTheProtocolHeadersOnEveryMethod) {
    storeToken("secret-token");
    server.on("GET", "/api/family", ScriptedResponse::json(200, "{}"));
    server.on("PATCH", "/api/tasks", ScriptedResponse::json(200, "{}"));
    ASSERT_FALSE(run("GET", "/api/family", true));
    ASSERT_FALSE(run("PATCH", "/api/tasks", true, QByteArray(R"({"id":"t","action":"approve"})")));

    ASSERT_EQ(server.requests().size(), 2);
    const RecordedRequest get = server.requests()[0];
    EXPECT_EQ(get.method, "GET");
    EXPECT_EQ(get.target, "/api/family");
    EXPECT_EQ(get.header("Content-Type"), "application/json");
    EXPECT_EQ(get.header("x-zanbeck-client"), "ios");
    EXPECT_EQ(get.header("Authorization"), "Bearer secret-token");
    EXPECT_TRUE(get.body.isEmpty());

    const RecordedRequest patch = server.requests()[1];
    EXPECT_EQ(patch.method, "PATCH");
    EXPECT_EQ(patch.header("Content-Type"), "application/json");
    EXPECT_EQ(patch.body, R"({"id":"t","action":"approve"})");
}

TEST_F(RequestLayerTest, AuthorizationOnlyWhenAskedAndStored) {
    server.on("GET", "/api/family", ScriptedResponse::json(200, "{}"));
    server.on("POST", "/api/auth/login", ScriptedResponse::json(200, "{}"));

    ASSERT_FALSE(run("GET", "/api/family", true));  // no token stored: sent anyway, without the header
    storeToken("t0ken");
    ASSERT_FALSE(run("POST", "/api/auth/login", false, QByteArray("{}")));

    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_FALSE(server.requests()[0].hasHeader("Authorization"));
    EXPECT_FALSE(server.requests()[1].hasHeader("Authorization"));
}

TEST_F(RequestLayerTest, KeychainThatCannotAnswerStopsAnAuthorizedRequest) {
    server.on("GET", "/api/family", ScriptedResponse::json(200, "{}"));
    keychain.failReads = true;
    const auto failure = run("GET", "/api/family", true);
    EXPECT_TRUE(failedWith<KeychainError>(failure));
    EXPECT_TRUE(server.requests().isEmpty()) << "a request without its token would earn a 401";
    // Sign-in needs no token, so it still goes out.
    EXPECT_FALSE(run("GET", "/api/family", false));
}

TEST_F(RequestLayerTest, TransportFailuresHaveRussianTexts) {
    QTcpServer probe;  // a port that nothing listens on any more
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    client = std::make_unique<FamilyServerClient>(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)), token);
    const auto refused = run("GET", "/api/family", true);
    EXPECT_TRUE(failedWith<TransportError>(refused));
    EXPECT_EQ(descriptionOf(refused), "Не удалось подключиться к серверу: соединение отклонено.");
}

TEST_F(RequestLayerTest, AnAnswerCutOffMidBodyIsATransportFailure) {
    // The status line arrives, then the connection drops before the announced
    // body is complete: no answer at all, whatever the status line said.
    auto cutOff = [](const QByteArray& statusLine, const QByteArray& partialBody) {
        ScriptedResponse r;
        r.rawResponse = "HTTP/1.1 " + statusLine + "\r\nContent-Type: application/json\r\nContent-Length: 64\r\n"
                        "Connection: close\r\n\r\n" + partialBody;
        return r;
    };
    // A complete-looking JSON prefix of a success must not pass for the answer.
    server.queue("PATCH", "/api/tasks", cutOff("200 OK", "{}"));
    const auto success = run("PATCH", "/api/tasks", true, QByteArray("{}"));
    EXPECT_TRUE(failedWith<TransportError>(success));
    EXPECT_EQ(descriptionOf(success), "Сервер неожиданно закрыл соединение.");

    // Nor may a cut-off 401 count as the server refusing the token.
    server.queue("GET", "/api/family", cutOff("401 Unauthorized", R"({"error":)"));
    EXPECT_TRUE(failedWith<TransportError>(run("GET", "/api/family", true)));
}

TEST_F(RequestLayerTest, SilentServerTimesOut) {
    ScriptedResponse slow = ScriptedResponse::json(200, "{}");
    slow.held = true;  // never answered
    server.on("GET", "/api/family", slow);
    client->setTimeout(std::chrono::milliseconds(200));
    const auto failure = run("GET", "/api/family", true);
    EXPECT_TRUE(failedWith<TransportError>(failure));
    EXPECT_EQ(descriptionOf(failure), "Сервер не ответил вовремя. Попробуйте ещё раз.");
}

TEST_F(RequestLayerTest, RedirectsStayWithinTheOrigin) {
    storeToken("secret-token");
    ScriptedHttpServer elsewhere;
    ASSERT_TRUE(elsewhere.listen());
    elsewhere.on("GET", "/api/family", ScriptedResponse::json(200, "{}"));

    ScriptedResponse away;
    away.status = 302;
    away.headers.emplaceBack("Location", elsewhere.origin().toString().toUtf8() + "/api/family");
    server.queue("GET", "/api/family", away);
    const auto refused = run("GET", "/api/family", true);
    EXPECT_TRUE(failedWith<TransportError>(refused));
    EXPECT_TRUE(elsewhere.requests().isEmpty()) << "the token went to another origin";

    ScriptedResponse here;
    here.status = 307;
    here.headers.emplaceBack("Location", "/api/family/v2");
    server.queue("GET", "/api/family", here);
    server.on("GET", "/api/family/v2", ScriptedResponse::json(200, R"({"moved":true})"));
    EXPECT_FALSE(run("GET", "/api/family", true));
    EXPECT_EQ(answer, R"({"moved":true})");
    EXPECT_EQ(server.requestsTo("GET", "/api/family/v2").value(0).header("Authorization"), "Bearer secret-token");
}

TEST_F(RequestLayerTest, PlainHttpToAnotherHostIsNeverSent) {
    client = std::make_unique<FamilyServerClient>(QUrl("http://family.example.org"), token);
    storeToken("secret-token");
    const auto failure = run("GET", "/api/family", true);
    EXPECT_TRUE(failedWith<TransportError>(failure));
    EXPECT_EQ(descriptionOf(failure), "Адрес сервера не защищён: разрешено только https.");
}

TEST(FamilyServerOrigin, HttpsAnywhereHttpOnlyOnLoopback) {
    for (const char* ok : {"https://family.example.org", "https://10.0.0.5:8443", "http://127.0.0.1:8787",
                           "http://127.8.0.1", "http://localhost:9000", "http://[::1]:8787"})
        EXPECT_TRUE(isAllowedFamilyServerOrigin(QUrl(ok))) << ok;
    for (const char* bad : {"http://family.example.org", "http://192.168.1.10:8787", "http://127.0.0.1.example.org",
                            "ftp://127.0.0.1", "http://", "not a url", "http://[::ffff:10.0.0.1]"})
        EXPECT_FALSE(isAllowedFamilyServerOrigin(QUrl(bad))) << bad;
    EXPECT_TRUE(isAllowedFamilyServerOrigin(QUrl(defaultFamilyServerUrl())));
}

TEST(FamilyServerUrl, PathsAreAppendedToTheOrigin) {
    InMemoryKeychain keychain;
    SessionTokenStore token(keychain);
    EXPECT_EQ(FamilyServerClient(QUrl("https://family.example.org"), token).urlFor("/api/family").toString(),
              "https://family.example.org/api/family");
    EXPECT_EQ(FamilyServerClient(QUrl("https://family.example.org/zanbeck/"), token).urlFor("/api/tasks").toString(),
              "https://family.example.org/zanbeck/api/tasks");
}
