#include "AccountTestSupport.h"

#include <cmath>

using namespace accounttest;

namespace {

const QString kExpired = "Сессия истекла. Войдите снова.";

class OperationsTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        session = signedInSession();
        server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    }
    std::unique_ptr<AccountSession> session;
};

using Operation = std::function<QCoro::Task<>(AccountSession&)>;

}  // namespace

// --- refresh -----------------------------------------------------------------------

TEST_F(OperationsTest, RefreshReplacesListsAndAppliesFamilyPreferences) {
    preferences.setValue("currencyCode", "USD");
    preferences.setValue("appLanguage", "en");
    finish(session->refresh());
    EXPECT_EQ(preferences.string("currencyCode"), "USD") << "no preferences in the answer: nothing written";
    EXPECT_EQ(preferences.string("appLanguage"), "en");

    QStringList written;
    QObject::connect(&preferences, &Preferences::changed, [&](const QString& key) { written.append(key); });
    server.on("GET", "/api/family", ScriptedResponse::json(200, R"({"members":[{"id":"p","nickname":"Папа","role":"parent"}],
        "tasks":[],"preferences":{"currency_code":"RUB","language_code":"ru"}})"));
    SignalLog log(*session);
    EXPECT_FALSE(finish(session->refresh()));
    EXPECT_EQ(log.names, (QStringList{"members", "tasks"}));
    EXPECT_EQ(session->members().value(0).nickname, "Папа");
    EXPECT_TRUE(session->tasks().isEmpty());
    EXPECT_EQ(preferences.string("currencyCode"), "RUB");
    EXPECT_EQ(preferences.string("appLanguage"), "ru");
    EXPECT_EQ(written, (QStringList{"currencyCode", "appLanguage"})) << "screens redraw on the change signal";
}

// --- the operations ---------------------------------------------------------------------

TEST_F(OperationsTest, EachOperationClearsTheMessageSendsItsRequestAndRefreshesAfterAChange) {
    server.setHandler([](const RecordedRequest& request) {
        return ScriptedResponse::json(200, R"({"qrPayload":"zanbeck://x?token=)" + request.path + R"(","expiresAt":99})");
    });
    const QStringList refreshed{"errorMessage", "members", "tasks"};
    const struct {
        const char* name;
        Operation start;
        QByteArray method, path;
        QJsonObject body;
        QStringList announced;  // ends in "tasks" when the change is followed by a refresh
    } cases[] = {
        {"preferences", [](AccountSession& s) { return s.updatePreferences("EUR", "de"); }, "PATCH",
         "/api/preferences", {{"currency", "EUR"}, {"language", "de"}}, {"errorMessage"}},
        {"pairing code", [](AccountSession& s) { return s.createPairingCode(); }, "POST", "/api/pairing/create", {},
         {"isCreatingPairingCode", "errorMessage", "pairingPayload", "isCreatingPairingCode"}},
        {"invite", [](AccountSession& s) { return s.createFamilyInvite(); }, "POST", "/api/family/parent-invite",
         {{"action", "create"}}, {"isCreatingFamilyInvite", "errorMessage", "familyInvitePayload", "isCreatingFamilyInvite"}},
        {"claim", [](AccountSession& s) { return s.claim("zanbeck://pair?token=kid-7"); }, "POST", "/api/pairing/claim",
         {{"token", "kid-7"}}, refreshed},
        {"claim invite", [](AccountSession& s) { return s.claimFamilyInvite(" typed code "); }, "POST",
         "/api/family/parent-invite", {{"action", "claim"}, {"token", " typed code "}}, refreshed},
        {"add task", [](AccountSession& s) { return s.addTask("Помыть посуду", 12.5, "child-1"); }, "POST",
         "/api/tasks", {{"childId", "child-1"}, {"title", "Помыть посуду"}, {"reward", 12.5}}, refreshed},
        {"complete", [](AccountSession& s) { return s.act("t1", "complete"); }, "PATCH", "/api/tasks",
         {{"id", "t1"}, {"action", "complete"}}, refreshed},
        {"approve", [](AccountSession& s) { return s.act("t1", "approve"); }, "PATCH", "/api/tasks",
         {{"id", "t1"}, {"action", "approve"}}, refreshed},
        {"return", [](AccountSession& s) { return s.act("t1", "return"); }, "PATCH", "/api/tasks",
         {{"id", "t1"}, {"action", "return"}}, refreshed},
    };
    for (const auto& c : cases) {
        server.clearRequests();
        session->setErrorMessage(QString("раньше"));
        SignalLog log(*session);
        auto running = c.start(*session);
        EXPECT_FALSE(session->errorMessage()) << c.name << ": cleared before the answer arrives";
        EXPECT_EQ(session->isCreatingPairingCode(), c.path == "/api/pairing/create") << c.name;
        EXPECT_EQ(session->isCreatingFamilyInvite(), c.body.value("action") == "create") << c.name;
        EXPECT_FALSE(finish(std::move(running))) << c.name;
        EXPECT_EQ(session->errorMessage(), std::nullopt) << c.name;
        EXPECT_EQ(log.names, c.announced) << c.name;

        const auto requests = server.requests();
        const bool refreshes = c.announced.last() == "tasks";
        ASSERT_EQ(requests.size(), refreshes ? 2 : 1) << c.name;
        EXPECT_EQ(requests[0].method, c.method) << c.name;
        EXPECT_EQ(requests[0].path, c.path) << c.name;
        EXPECT_TRUE(QJsonDocument::fromJson(requests[0].body).isObject()) << c.name;
        EXPECT_EQ(jsonOf(requests[0].body), c.body) << c.name;
        EXPECT_EQ(requests[0].header("Authorization"), "Bearer token-old") << c.name;
        EXPECT_EQ(requests.last().path, refreshes ? "/api/family" : c.path) << c.name;
    }
    EXPECT_EQ(preferences.string("currencyCode"), "EUR");
    EXPECT_EQ(preferences.string("appLanguage"), "de");
    EXPECT_EQ(session->pairingPayload(), "zanbeck://x?token=/api/pairing/create");
    EXPECT_EQ(session->familyInvitePayload(), "zanbeck://x?token=/api/family/parent-invite") << "refreshes leave it";
}

TEST_F(OperationsTest, AFailureShowsItsTextAndChangesNothingElse) {
    // Everything an operation could spoil: lists, both payloads, preferences, the sign-in.
    finish(session->refresh());
    server.queue("POST", "/api/pairing/create", ScriptedResponse::json(200, R"({"qrPayload":"old","expiresAt":1})"));
    server.queue("POST", "/api/family/parent-invite", ScriptedResponse::json(200, R"({"qrPayload":"old-i","expiresAt":1})"));
    finish(session->createPairingCode());
    finish(session->createFamilyInvite());
    preferences.setValue("currencyCode", "CNY");
    ScriptedResponse noContent;
    noContent.status = 204;
    const QString malformed = "Не удалось прочитать ответ сервера: неверный формат данных.";
    const QString missing = "Не удалось прочитать ответ сервера: нет нужных данных.";
    const Operation refresh = [](AccountSession& s) { return s.refresh(); };
    const struct {
        const char* name;
        Operation start;
        QByteArray method, path;
        std::optional<ScriptedResponse> answer;
        QString message;
        bool refreshFails = false;
    } cases[] = {
        // Only refresh throws, and it leaves the message alone.
        {"refresh unauthorized", refresh, "GET", "/api/family", ScriptedResponse::json(401, "x"), kExpired},
        {"refresh refused", refresh, "GET", "/api/family",
         ScriptedResponse::json(503, R"({"error":"Сервер обновляется"})"), "Сервер обновляется"},
        {"refresh undecodable", refresh, "GET", "/api/family",
         ScriptedResponse::json(200, R"({"members":[],"tasks":[{"id":"broken"}]})"), missing},
        {"claim refused", [](AccountSession& s) { return s.claim("abc"); }, "POST", "/api/pairing/claim",
         ScriptedResponse::json(410, R"({"error":"Код устарел"})"), "Код устарел"},
        {"act unauthorized", [](AccountSession& s) { return s.act("t1", "approve"); }, "PATCH", "/api/tasks",
         ScriptedResponse::json(401, "<html/>"), kExpired},
        {"preferences without a body", [](AccountSession& s) { return s.updatePreferences("EUR", "de"); }, "PATCH",
         "/api/preferences", ScriptedResponse::json(200, ""), malformed},
        {"preferences 204", [](AccountSession& s) { return s.updatePreferences("EUR", "de"); }, "PATCH",
         "/api/preferences", noContent, malformed},
        {"pairing code without expiry", [](AccountSession& s) { return s.createPairingCode(); }, "POST",
         "/api/pairing/create", ScriptedResponse::json(200, R"({"qrPayload":"new"})"), missing},
        {"invite unauthorized", [](AccountSession& s) { return s.createFamilyInvite(); }, "POST",
         "/api/family/parent-invite", ScriptedResponse::json(401, ""), kExpired},
        {"reward not a number", [](AccountSession& s) { return s.addTask("x", std::nan(""), "child-1"); }, "", "",
         std::nullopt, "Не удалось отправить задание: награда должна быть числом."},
        {"task accepted, refresh failed", [](AccountSession& s) { return s.addTask("Убрать игрушки", 3, "child-1"); },
         "POST", "/api/tasks", ScriptedResponse::json(200, "{}"), "Шлюз недоступен", true},
    };
    for (const auto& c : cases) {
        server.clearRequests();
        if (c.answer) server.queue(c.method, c.path, *c.answer);
        if (c.refreshFails) server.queue("GET", "/api/family", ScriptedResponse::json(502, R"({"error":"Шлюз недоступен"})"));
        session->setErrorMessage(QString("раньше"));

        SignalLog log(*session);

        const auto thrown = finish(c.start(*session));

        const bool throws = c.path == "/api/family";
        EXPECT_EQ(descriptionOf(thrown), throws ? c.message : QString()) << c.name;
        EXPECT_EQ(session->errorMessage(), throws ? "раньше" : c.message) << c.name;
        if (throws) {
            EXPECT_TRUE(log.names.isEmpty()) << c.name;
        }
        EXPECT_EQ(server.requests().size(), (c.answer ? 1 : 0) + (c.refreshFails ? 1 : 0)) << c.name;
        EXPECT_EQ(session->tasks().size(), 1) << c.name;
        EXPECT_EQ(session->members().size(), 2) << c.name;
        EXPECT_EQ(session->pairingPayload(), "old") << c.name;
        EXPECT_EQ(session->familyInvitePayload(), "old-i") << c.name;
        EXPECT_FALSE(session->isCreatingPairingCode() || session->isCreatingFamilyInvite()) << c.name;
        EXPECT_EQ(preferences.string("currencyCode"), "CNY") << c.name;
        EXPECT_FALSE(preferences.contains("appLanguage")) << c.name;
        EXPECT_TRUE(session->user()) << c.name << ": only restore signs out";
        EXPECT_EQ(storedToken(), "token-old") << c.name;
        EXPECT_TRUE(cachedUser()) << c.name;
    }
}

TEST_F(OperationsTest, AServerThatStallsTricklesOrFloodsEndsTheOperationAsATimeOutDoes) {
    ASSERT_FALSE(finish(session->refresh()));
    const QString timedOut = "Сервер не ответил вовремя. Попробуйте ещё раз.";
    ScriptedResponse silent = held(ScriptedResponse::json(200, "{}"));
    ScriptedResponse trickling = ScriptedResponse::json(200, "{" + QByteArray(4000, ' ') + "}");
    trickling.trickle = std::chrono::milliseconds(40);
    ScriptedResponse flooding = ScriptedResponse::json(200, {});
    flooding.floodBytes = 64 * 1024 * 1024;
    flooding.announcedLength = -1;
    const struct {
        const char* name;
        ScriptedResponse response;
        std::chrono::milliseconds timeout, deadline;
        QString message;
    } servers[] = {
        // What a time-out has always left; the others must leave the same.
        {"silent", silent, std::chrono::milliseconds(300), std::chrono::seconds(30), timedOut},
        {"trickling", trickling, std::chrono::seconds(60), std::chrono::milliseconds(1000), timedOut},
        {"flooding", flooding, std::chrono::seconds(60), std::chrono::seconds(30),
         "Ответ сервера слишком большой, запрос прерван. Попробуйте ещё раз позже."},
    };
    const struct {
        const char* name;
        Operation start;
        QByteArray method, path;
        QStringList announced;
        bool offline;  // restore shows its own message for any failure but a refusal
    } operations[] = {
        {"pairing code", [](AccountSession& s) { return s.createPairingCode(); }, "POST", "/api/pairing/create",
         {"isCreatingPairingCode", "errorMessage", "errorMessage", "isCreatingPairingCode"}, false},
        {"invite", [](AccountSession& s) { return s.createFamilyInvite(); }, "POST", "/api/family/parent-invite",
         {"isCreatingFamilyInvite", "errorMessage", "errorMessage", "isCreatingFamilyInvite"}, false},
        {"sign-in", [](AccountSession& s) { return s.login("anya@family.ru", "secret"); }, "POST",
         "/api/auth/login", {"isBusy", "errorMessage", "errorMessage", "isBusy"}, false},
        {"restore", [](AccountSession& s) { return s.restore(); }, "GET", "/api/auth/me", {"errorMessage"}, true},
    };
    session->setMaxAnswerBytes(64 * 1024);
    for (const auto& peer : servers) {
        session->setRequestTimeout(peer.timeout);
        session->setRequestDeadline(peer.deadline);
        for (const auto& op : operations) {
            server.on(op.method, op.path, peer.response);
            session->setErrorMessage(std::nullopt);
            SignalLog log(*session);
            EXPECT_FALSE(finish(op.start(*session))) << peer.name << ", " << op.name;
            EXPECT_EQ(log.names, op.announced) << peer.name << ", " << op.name;
            EXPECT_EQ(session->errorMessage(), op.offline ? AccountSession::offlineMessage() : peer.message)
                << peer.name << ", " << op.name;
            EXPECT_FALSE(session->isBusy() || session->isCreatingPairingCode() || session->isCreatingFamilyInvite())
                << peer.name << ", " << op.name;
            EXPECT_EQ(session->user().value_or(FamilyUser{}).id, "child-1") << peer.name << ", " << op.name;
            EXPECT_EQ(storedToken(), "token-old") << peer.name << ", " << op.name;
        }
    }
}

TEST(ClaimToken, ComesFromTheTokenQueryItemOrIsTheWholeCode) {
    const std::pair<const char*, const char*> items[] = {
        {"zanbeck://pair?token=abc123&x=1", "abc123"},
        {"https://family.example.org/p?v=2&token=a%20b%2Bc", "a b+c"},
        {"pair?token", ""},
        {"pair?token=", ""},
        {"zanbeck://pair?token=first&token=second", "first"}};
    for (const auto& [code, token] : items) EXPECT_EQ(AccountSession::tokenFromCode(code), token) << code;
    for (const char* whole : {"zanbeck://pair", "zanbeck://pair?tok=1", "  ABC-123  ", "", "%%%?"})
        EXPECT_EQ(AccountSession::tokenFromCode(whole), whole) << whole;
}

TEST_F(OperationsTest, OverlappingOperationsLastAnswerWins) {
    server.queue("PATCH", "/api/tasks", held(ScriptedResponse::json(500, R"({"error":"медленная ошибка"})")));
    server.queue("PATCH", "/api/tasks", ScriptedResponse::json(200, "{}"));

    auto first = session->act("t1", "approve");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
    auto second = session->act("t1", "return");
    ASSERT_TRUE(waitUntil([&] { return second.isReady(); }));
    EXPECT_FALSE(session->errorMessage());
    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return first.isReady(); }));
    EXPECT_EQ(session->errorMessage(), "медленная ошибка");
    EXPECT_EQ(session->tasks().size(), 1);
}

// A message that says the server could not be reached is untrue once the
// family loads again; any message the server itself gave stays until the next
// operation starts.
TEST_F(OperationsTest, ARefreshThatLoadsTheFamilyClearsAMessageAboutTheConnectionAndNoOther) {
    const quint16 port = server.port();
    const QString refused = "Не удалось подключиться к серверу: соединение отклонено.";
    const Operation approve = [](AccountSession& s) { return s.act("t1", "approve"); };
    const Operation claim = [](AccountSession& s) { return s.claim("abc"); };
    const struct {
        const char* name;
        Operation start;
        QByteArray method, path;
        std::optional<ScriptedResponse> answer;  // none: the server is down
        QString message;
        bool cleared;
    } cases[] = {
        {"action, server down", approve, "PATCH", "/api/tasks", std::nullopt, refused, true},
        {"claim, server down", claim, "POST", "/api/pairing/claim", std::nullopt, refused, true},
        {"pairing code, server down", [](AccountSession& s) { return s.createPairingCode(); }, "POST",
         "/api/pairing/create", std::nullopt, refused, true},
        {"line dropped", approve, "PATCH", "/api/tasks", ScriptedResponse{.rawResponse = "not HTTP\r\n\r\n"},
         "Сервер неожиданно закрыл соединение.", true},
        {"server busy", approve, "PATCH", "/api/tasks", ScriptedResponse::json(500, R"({"error":"Сервер занят."})"),
         "Сервер занят.", false},
        {"code used", claim, "POST", "/api/pairing/claim", ScriptedResponse::json(409, R"({"error":"Код занят"})"),
         "Код занят", false},
    };
    for (const auto& c : cases) {
        if (c.answer && !c.answer->rawResponse.isEmpty()) {
            server.on(c.method, c.path, *c.answer);  // standing: the client may send again after a dropped line
        } else if (c.answer) {
            server.queue(c.method, c.path, *c.answer);
        } else {
            server.close();
        }
        finish(c.start(*session));
        ASSERT_EQ(session->errorMessage(), c.message) << c.name;
        if (!c.answer) ASSERT_TRUE(server.listen(port)) << c.name;
        ASSERT_FALSE(finish(session->refresh())) << c.name;
        EXPECT_EQ(session->errorMessage(), c.cleared ? std::nullopt : std::optional<QString>(c.message)) << c.name;
        session->setErrorMessage(std::nullopt);
    }

    // Offline again after a refresh was asked: its answer predates the
    // failure it would otherwise clear.
    server.queue("GET", "/api/family", held(ScriptedResponse::json(200, kFamily)));
    auto refreshing = session->refresh();
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    server.close();
    finish(session->act("t1", "approve"));
    ASSERT_EQ(session->errorMessage(), refused);
    ASSERT_TRUE(server.listen(port));
    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return refreshing.isReady(); }));
    EXPECT_EQ(session->errorMessage(), refused);
    // And a refresh that fails leaves it.
    server.queue("GET", "/api/family", ScriptedResponse::json(503, R"({"error":"x"})"));
    EXPECT_TRUE(finish(session->refresh()));
    EXPECT_EQ(session->errorMessage(), refused);
    ASSERT_FALSE(finish(session->refresh()));
    EXPECT_FALSE(session->errorMessage());
}
