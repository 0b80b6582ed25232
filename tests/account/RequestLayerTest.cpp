#include "AccountTestSupport.h"

#include "account/FamilyServerClient.h"
#include "account/FamilyServerConfig.h"
#include "account/SessionTokenStore.h"

#include <QNetworkReply>

using namespace accounttest;

// The replies a client still holds once the deletions it asked for have run:
// a request that ended, however, leaves none.
struct FamilyServerClientProbe {
    static qsizetype repliesAlive(const FamilyServerClient& client) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return client.manager_.findChildren<QNetworkReply*>().size();
    }
};

namespace {

// The request layer on its own, against the scripted server.
class RequestLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.listen());
        client = std::make_unique<FamilyServerClient>(server.origin(), token);
    }

    void storeToken(const QByteArray& value) { keychain.items.insert({AccountSession::kTokenService, QString()}, value); }

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

ScriptedResponse raw(const QByteArray& response) {
    ScriptedResponse r;
    r.rawResponse = response;
    return r;
}

// A status line, then the connection drops before the announced body is complete.
ScriptedResponse cutOff(const QByteArray& statusLine, const QByteArray& partialBody) {
    return raw("HTTP/1.1 " + statusLine + "\r\nContent-Type: application/json\r\nContent-Length: 64\r\n"
               "Connection: close\r\n\r\n" + partialBody);
}

enum Outcome { success, refused, unauthorized, transport, other };

Outcome outcomeOf(const std::exception_ptr& failure) {
    if (!failure) return success;
    try {
        std::rethrow_exception(failure);
    } catch (const AccountError& error) {
        return error.kind() == AccountError::Kind::unauthorized ? unauthorized : refused;
    } catch (const TransportError&) {
        return transport;
    } catch (...) {
    }
    return other;
}

}  // namespace

TEST_F(RequestLayerTest, AnswersAreSuccessOnlyFromTwoHundredToTwoNinetyNine) {
    ScriptedResponse html401 = ScriptedResponse::json(401, "<html><body>401 Unauthorized</body></html>");
    html401.headers = {{"Content-Type", "text/html"}};
    const struct {
        const char* name;
        bool authorize;
        ScriptedResponse response;
        Outcome outcome;
        QString text;  // the answer's body on success, else the failure's description
    } cases[] = {
        {"200", true, ScriptedResponse::json(200, R"({"a":1})"), success, R"({"a":1})"},
        {"299", true, ScriptedResponse::json(299, R"({"b":2})"), success, R"({"b":2})"},
        {"300 with text", true, ScriptedResponse::json(300, R"({"error":"Выбор невозможен"})"), refused,
         "Выбор невозможен"},
        {"lone 199", true, raw("HTTP/1.1 199 Scripted\r\nContent-Length: 2\r\nConnection: close\r\n\r\n{}"),
         refused, "Ошибка сервера"},
        {"500 with text", true,
         ScriptedResponse::json(500, R"j({"error":"База данных недоступна (код 7)"})j"), refused,
         "База данных недоступна (код 7)"},
        {"500 with another key", true, ScriptedResponse::json(500, R"({"message":"nope"})"), refused,
         "Ошибка сервера"},
        {"404 empty", true, ScriptedResponse::json(404, ""), refused, "Ошибка сервера"},
        {"401 authorized", true, html401, unauthorized, "Сессия истекла. Войдите снова."},
        // Sign-in is not authorized: its 401 is the server's refusal, told in its own words.
        {"401 sign-in", false, html401, refused, "Ошибка сервера"},
        {"401 sign-in with text", false,
         ScriptedResponse::json(401, R"({"error":"Неверный e-mail или пароль"})"), refused,
         "Неверный e-mail или пароль"},
        // A complete-looking prefix of a success must not pass for the answer,
        // nor a cut-off 401 count as the server refusing the token.
        {"cut 200", true, cutOff("200 OK", "{}"), transport, "Сервер неожиданно закрыл соединение."},
        {"cut 401", true, cutOff("401 Unauthorized", R"({"error":)"), transport,
         "Сервер неожиданно закрыл соединение."},
        {"cut 500", true, cutOff("500 Internal Server Error", R"({"error":"Сбой"})"), transport,
         "Сервер неожиданно закрыл соединение."},
    };
    for (const auto& c : cases) {
        server.queue("POST", "/api/tasks", c.response);
        const auto failure = run("POST", "/api/tasks", c.authorize, QByteArray("{}"));
        EXPECT_EQ(outcomeOf(failure), c.outcome) << c.name << ": " << descriptionOf(failure).toStdString();
        const QString seen = c.outcome == success ? QString::fromUtf8(answer) : descriptionOf(failure);
        EXPECT_EQ(seen, c.text) << c.name;
    }
}

TEST_F(RequestLayerTest, SetsTheProtocolHeadersAndTheTokenOnlyWhenAskedAndStored) {
    server.setHandler([](const RecordedRequest&) { return ScriptedResponse::json(200, "{}"); });
    ASSERT_FALSE(run("GET", "/api/family", true));  // no token stored: sent anyway, without the header
    storeToken("secret-token");
    ASSERT_FALSE(run("GET", "/api/family", true));
    ASSERT_FALSE(run("PATCH", "/api/tasks", true, QByteArray(R"({"id":"t","action":"approve"})")));
    ASSERT_FALSE(run("POST", "/api/auth/login", false, QByteArray("{}")));

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4);
    EXPECT_FALSE(requests[0].hasHeader("Authorization"));
    EXPECT_EQ(requests[1].target, "/api/family");
    EXPECT_TRUE(requests[1].body.isEmpty());
    EXPECT_EQ(requests[2].method, "PATCH");
    EXPECT_EQ(requests[2].body, R"({"id":"t","action":"approve"})");
    EXPECT_FALSE(requests[3].hasHeader("Authorization")) << "sign-in never carries a token";
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(requests[i].header("Content-Type"), "application/json") << i;
        EXPECT_EQ(requests[i].header("x-zanbeck-client"), "ios") << i;
    }
    EXPECT_EQ(requests[1].header("Authorization"), "Bearer secret-token");
    EXPECT_EQ(requests[2].header("Authorization"), "Bearer secret-token");
}

TEST_F(RequestLayerTest, KeychainThatCannotAnswerStopsAnAuthorizedRequest) {
    server.on("GET", "/api/family", ScriptedResponse::json(200, "{}"));
    keychain.failReads = true;
    EXPECT_TRUE(failedWith<KeychainError>(run("GET", "/api/family", true)));
    EXPECT_TRUE(server.requests().isEmpty()) << "a request without its token would earn a 401";
    EXPECT_FALSE(run("GET", "/api/family", false)) << "sign-in needs no token, so it still goes out";
}

TEST_F(RequestLayerTest, RequestsWithoutAnAnswerFailWithRussianTexts) {
    ScriptedResponse silent = ScriptedResponse::json(200, "{}");
    silent.held = true;  // never answered
    server.on("GET", "/api/family", silent);
    const struct {
        const char* name;
        QUrl origin;
        QString text;
    } cases[] = {
        {"refused", deadOrigin(), "Не удалось подключиться к серверу: соединение отклонено."},
        {"silent", server.origin(), "Сервер не ответил вовремя. Попробуйте ещё раз."},
        {"plain http elsewhere", QUrl("http://family.example.org"), "Адрес сервера не защищён: разрешено только https."},
    };
    storeToken("secret-token");
    for (const auto& c : cases) {
        client = std::make_unique<FamilyServerClient>(c.origin, token);
        client->setTimeout(std::chrono::milliseconds(200));
        const auto failure = run("GET", "/api/family", true);
        EXPECT_TRUE(failedWith<TransportError>(failure)) << c.name;
        EXPECT_EQ(descriptionOf(failure), c.text) << c.name;
    }
}

TEST_F(RequestLayerTest, EveryRequestEndsAtItsDeadlineWithTheTimeOutsMessage) {
    // Each byte comes well within the time-out between bytes; only the deadline ends these.
    const auto trickled = [](ScriptedResponse response) {
        response.trickle = std::chrono::milliseconds(40);
        return response;
    };
    const QByteArray longHead = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nX-Padding: " +
                                QByteArray(400, 'p') + "\r\nContent-Length: 2\r\n\r\n{}";
    const QByteArray longBody = "{" + QByteArray(4000, ' ') + "}";
    const struct {
        const char* name;
        ScriptedResponse response;
    } cases[] = {
        {"head a byte at a time", trickled(raw(longHead))},
        {"answer a byte at a time", trickled(ScriptedResponse::json(200, longBody))},
        {"refusal a byte at a time", trickled(ScriptedResponse::json(500, R"({"error":")" + longBody + "\"}"))},
    };
    storeToken("secret-token");
    client->setDeadline(std::chrono::milliseconds(1000));
    for (const auto& c : cases) {
        server.queue("GET", "/api/auth/me", c.response);
        const auto failure = run("GET", "/api/auth/me", true);
        EXPECT_TRUE(failedWith<TransportError>(failure)) << c.name;
        EXPECT_EQ(descriptionOf(failure), "Сервер не ответил вовремя. Попробуйте ещё раз.") << c.name;
        EXPECT_EQ(FamilyServerClientProbe::repliesAlive(*client), 0) << c.name;
    }
    // A quick answer is not cut by the deadline of an earlier request.
    server.queue("GET", "/api/auth/me", ScriptedResponse::json(200, R"({"ok":1})"));
    EXPECT_FALSE(run("GET", "/api/auth/me", true));
    EXPECT_EQ(answer, R"({"ok":1})");
}

TEST_F(RequestLayerTest, AnswersLongerThanTheLimitAreRefusedWithoutBeingReadWhole) {
    constexpr qint64 limit = 64 * 1024;
    constexpr qint64 flood = 64 * 1024 * 1024;
    client->setMaxAnswerBytes(limit);
    const auto padded = [](qint64 size) { return "{" + QByteArray(size - 2, ' ') + "}"; };
    const auto shaped = [](ScriptedResponse response, std::optional<qint64> announced, qint64 flooded = 0,
                           bool keepOpen = false) {
        response.announcedLength = announced;
        response.floodBytes = flooded;
        response.keepOpen = keepOpen;
        return response;
    };
    constexpr qint64 unannounced = -1;
    const QString tooLarge = "Ответ сервера слишком большой, запрос прерван. Попробуйте ещё раз позже.";
    const struct {
        const char* name;
        ScriptedResponse response;
        QString text;  // empty: the answer is taken whole
    } cases[] = {
        {"at the limit", ScriptedResponse::json(200, padded(limit)), {}},
        {"at the limit, length unannounced", shaped(ScriptedResponse::json(200, padded(limit)), unannounced), {}},
        {"a byte over", ScriptedResponse::json(200, padded(limit + 1)), tooLarge},
        {"a byte over, length unannounced", shaped(ScriptedResponse::json(200, padded(limit + 1)), unannounced),
         tooLarge},
        // Refused on its head: the body it announces never comes.
        {"announced over, nothing follows", shaped(ScriptedResponse::json(200, {}), flood, 0, true), tooLarge},
        {"refusal announced over, nothing follows", shaped(ScriptedResponse::json(500, {}), flood, 0, true),
         tooLarge},
        {"flood", shaped(ScriptedResponse::json(200, {}), std::nullopt, flood), tooLarge},
        {"flood, length unannounced", shaped(ScriptedResponse::json(200, {}), unannounced, flood), tooLarge},
        {"refusal flooding, length unannounced", shaped(ScriptedResponse::json(500, {}), unannounced, flood),
         tooLarge},
    };
    for (const auto& c : cases) {
        const qint64 floodedBefore = server.floodedBytes();
        server.queue("GET", "/api/family", c.response);
        const auto failure = run("GET", "/api/family", true);
        if (c.text.isEmpty()) {
            EXPECT_FALSE(failure) << c.name << ": " << descriptionOf(failure).toStdString();
            EXPECT_EQ(answer.size(), limit) << c.name;
        } else {
            EXPECT_TRUE(failedWith<TransportError>(failure)) << c.name;
            EXPECT_EQ(descriptionOf(failure), c.text) << c.name;
        }
        // The client stops taking the flood once it is past the limit.
        EXPECT_LT(server.floodedBytes() - floodedBefore, flood / 4) << c.name;
        EXPECT_EQ(FamilyServerClientProbe::repliesAlive(*client), 0) << c.name;
    }
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
    EXPECT_TRUE(failedWith<TransportError>(run("GET", "/api/family", true)));
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

TEST(FamilyServerOrigin, HttpsAnywhereHttpOnlyOnLoopbackAndPathsAppended) {
    for (const char* ok : {"https://family.example.org", "https://10.0.0.5:8443", "http://127.0.0.1:8787",
                           "http://127.8.0.1", "http://localhost:9000", "http://[::1]:8787"})
        EXPECT_TRUE(isAllowedFamilyServerOrigin(QUrl(ok))) << ok;
    for (const char* bad : {"http://family.example.org", "http://192.168.1.10:8787", "http://127.0.0.1.example.org",
                            "ftp://127.0.0.1", "http://", "not a url", "http://[::ffff:10.0.0.1]"})
        EXPECT_FALSE(isAllowedFamilyServerOrigin(QUrl(bad))) << bad;
    EXPECT_TRUE(isAllowedFamilyServerOrigin(QUrl(defaultFamilyServerUrl())));

    InMemoryKeychain keychain;
    SessionTokenStore token(keychain);
    EXPECT_EQ(FamilyServerClient(QUrl("https://family.example.org"), token).urlFor("/api/family").toString(),
              "https://family.example.org/api/family");
    EXPECT_EQ(FamilyServerClient(QUrl("https://family.example.org/zanbeck/"), token).urlFor("/api/tasks").toString(),
              "https://family.example.org/zanbeck/api/tasks");
}
