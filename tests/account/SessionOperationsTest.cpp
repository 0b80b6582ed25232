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

TEST_F(OperationsTest, RefreshFailureIsThrownAndChangesNothing) {
    finish(session->refresh());
    session->setErrorMessage(QString("раньше"));
    const struct {
        ScriptedResponse answer;
        QString text;
    } failures[] = {
        {ScriptedResponse::json(401, "x"), kExpired},
        {ScriptedResponse::json(503, R"({"error":"Сервер обновляется"})"), "Сервер обновляется"},
        {ScriptedResponse::json(200, R"({"members":[],"tasks":[{"id":"broken"}]})"),
         "Не удалось прочитать ответ сервера: нет нужных данных."},
    };
    for (const auto& failure : failures) {
        server.queue("GET", "/api/family", failure.answer);
        SignalLog log(*session);
        EXPECT_EQ(descriptionOf(finish(session->refresh())), failure.text);
        EXPECT_TRUE(log.names.isEmpty());
        EXPECT_EQ(session->tasks().size(), 1);
        EXPECT_EQ(session->errorMessage(), "раньше");
        EXPECT_TRUE(session->user()) << "only restore signs out";
    }
}

// --- preferences ---------------------------------------------------------------------

TEST_F(OperationsTest, UpdatePreferencesWritesBothAfterTheServerAgrees) {
    server.on("PATCH", "/api/preferences", ScriptedResponse::json(200, "{}"));
    session->setErrorMessage(QString("раньше"));
    finish(session->updatePreferences("EUR", "de"));
    EXPECT_FALSE(session->errorMessage());
    EXPECT_EQ(preferences.string("currencyCode"), "EUR");
    EXPECT_EQ(preferences.string("appLanguage"), "de");
    const auto sent = server.requestsTo("PATCH", "/api/preferences").value(0);
    EXPECT_EQ(jsonOf(sent.body), (QJsonObject{{"currency", "EUR"}, {"language", "de"}}));
    EXPECT_EQ(sent.header("Authorization"), "Bearer token-old");
}

TEST_F(OperationsTest, UpdatePreferencesNeedsJsonInTheAnswer) {
    preferences.setValue("currencyCode", "CNY");
    ScriptedResponse noContent;
    noContent.status = 204;
    const ScriptedResponse empties[] = {ScriptedResponse::json(200, ""), noContent};
    for (const auto& empty : empties) {
        server.queue("PATCH", "/api/preferences", empty);
        finish(session->updatePreferences("EUR", "de"));
        EXPECT_EQ(session->errorMessage(), "Не удалось прочитать ответ сервера: неверный формат данных.");
        EXPECT_EQ(preferences.string("currencyCode"), "CNY");
        EXPECT_FALSE(preferences.contains("appLanguage"));
    }
}

// --- pairing and invite codes -----------------------------------------------------------

TEST_F(OperationsTest, CreatingCodesSetsPayloadsAndFlagsInOrder) {
    server.on("POST", "/api/pairing/create", ScriptedResponse::json(200, R"({"qrPayload":"zanbeck://pair?token=p1","expiresAt":99})"));
    server.on("POST", "/api/family/parent-invite",
              ScriptedResponse::json(200, R"({"qrPayload":"zanbeck://family/parent?token=i1","expiresAt":99})"));
    SignalLog log(*session);
    auto pairing = session->createPairingCode();
    EXPECT_TRUE(session->isCreatingPairingCode());
    ASSERT_FALSE(finish(std::move(pairing)));
    EXPECT_EQ(session->pairingPayload(), "zanbeck://pair?token=p1");
    EXPECT_FALSE(session->isCreatingPairingCode());
    EXPECT_EQ(log.names,
              (QStringList{"isCreatingPairingCode", "errorMessage", "pairingPayload", "isCreatingPairingCode"}));
    EXPECT_EQ(server.requestsTo("POST", "/api/pairing/create").value(0).body, "{}");

    log.names.clear();
    auto invite = session->createFamilyInvite();
    EXPECT_TRUE(session->isCreatingFamilyInvite());
    ASSERT_FALSE(finish(std::move(invite)));
    EXPECT_EQ(session->familyInvitePayload(), "zanbeck://family/parent?token=i1");
    EXPECT_EQ(log.names,
              (QStringList{"isCreatingFamilyInvite", "errorMessage", "familyInvitePayload", "isCreatingFamilyInvite"}));
    EXPECT_EQ(jsonOf(server.requestsTo("POST", "/api/family/parent-invite").value(0).body),
              (QJsonObject{{"action", "create"}}));
    EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty()) << "codes are not followed by a refresh";

    finish(session->refresh());
    EXPECT_EQ(session->familyInvitePayload(), "zanbeck://family/parent?token=i1") << "refresh leaves the invite";
}

TEST_F(OperationsTest, FailedCodeRequestsKeepTheEarlierPayload) {
    server.queue("POST", "/api/pairing/create", ScriptedResponse::json(200, R"({"qrPayload":"old","expiresAt":1})"));
    finish(session->createPairingCode());
    server.queue("POST", "/api/pairing/create", ScriptedResponse::json(200, R"({"qrPayload":"new"})"));
    SignalLog log(*session);
    finish(session->createPairingCode());
    EXPECT_EQ(session->pairingPayload(), "old");
    EXPECT_EQ(session->errorMessage(), "Не удалось прочитать ответ сервера: нет нужных данных.");
    EXPECT_FALSE(session->isCreatingPairingCode());
    EXPECT_EQ(log.names, (QStringList{"isCreatingPairingCode", "errorMessage", "errorMessage", "isCreatingPairingCode"}));

    server.queue("POST", "/api/family/parent-invite", ScriptedResponse::json(401, ""));
    finish(session->createFamilyInvite());
    EXPECT_FALSE(session->familyInvitePayload());
    EXPECT_EQ(session->errorMessage(), kExpired);
    EXPECT_FALSE(session->isCreatingFamilyInvite());
    EXPECT_TRUE(session->user());
}

TEST(ClaimToken, ComesFromTheTokenQueryItemOrIsTheWholeCode) {
    EXPECT_EQ(AccountSession::tokenFromCode("zanbeck://pair?token=abc123&x=1"), "abc123");
    EXPECT_EQ(AccountSession::tokenFromCode("https://family.example.org/family/parent?v=2&token=a%20b%2Bc"), "a b+c");
    EXPECT_EQ(AccountSession::tokenFromCode("pair?token"), "");
    EXPECT_EQ(AccountSession::tokenFromCode("pair?token="), "");
    EXPECT_EQ(AccountSession::tokenFromCode("zanbeck://pair?token=first&token=second"), "first");
    for (const char* whole : {"zanbeck://pair", "zanbeck://pair?tok=1", "  ABC-123  ", "", "%%%?"})
        EXPECT_EQ(AccountSession::tokenFromCode(whole), whole) << whole;
}

TEST_F(OperationsTest, ClaimsSendTheTokenThenRefresh) {
    server.on("POST", "/api/pairing/claim", ScriptedResponse::json(200, R"({"ok":true})"));
    server.on("POST", "/api/family/parent-invite", ScriptedResponse::json(200, "{}"));
    session->setErrorMessage(QString("раньше"));
    finish(session->claim("zanbeck://pair?token=kid-7"));
    EXPECT_FALSE(session->errorMessage());
    EXPECT_EQ(jsonOf(server.requestsTo("POST", "/api/pairing/claim").value(0).body), (QJsonObject{{"token", "kid-7"}}));
    EXPECT_EQ(session->members().size(), 2);

    finish(session->claimFamilyInvite(" typed code "));
    EXPECT_EQ(jsonOf(server.requestsTo("POST", "/api/family/parent-invite").value(0).body),
              (QJsonObject{{"action", "claim"}, {"token", " typed code "}}));
    EXPECT_EQ(server.requestsTo("GET", "/api/family").size(), 2);
}

TEST_F(OperationsTest, FailedClaimShowsTheServersText) {
    server.on("POST", "/api/pairing/claim", ScriptedResponse::json(410, R"({"error":"Код устарел"})"));
    finish(session->claim("abc"));
    EXPECT_EQ(session->errorMessage(), "Код устарел");
    EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty());
}

// --- tasks ------------------------------------------------------------------------------

TEST_F(OperationsTest, AddTaskSendsTheRewardAsANumberThenRefreshes) {
    server.on("POST", "/api/tasks", ScriptedResponse::json(201, R"({"id":"t9"})"));
    finish(session->addTask("Помыть посуду", 12.5, "child-1"));
    EXPECT_FALSE(session->errorMessage());
    const QJsonObject sent = jsonOf(server.requestsTo("POST", "/api/tasks").value(0).body);
    EXPECT_EQ(sent["childId"].toString(), "child-1");
    EXPECT_EQ(sent["title"].toString(), "Помыть посуду");
    EXPECT_TRUE(sent["reward"].isDouble());
    EXPECT_DOUBLE_EQ(sent["reward"].toDouble(), 12.5);
    EXPECT_EQ(server.requestsTo("GET", "/api/family").size(), 1);
}

TEST_F(OperationsTest, NonFiniteRewardFailsBeforeAnythingIsSent) {
    session->setErrorMessage(QString("раньше"));
    finish(session->addTask("x", std::nan(""), "child-1"));
    ASSERT_TRUE(session->errorMessage());
    EXPECT_EQ(*session->errorMessage(), "Не удалось отправить задание: награда должна быть числом.");
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(OperationsTest, ActPassesTheActionThroughAndUnauthorizedKeepsTheUser) {
    server.on("PATCH", "/api/tasks", ScriptedResponse::json(200, "{}"));
    for (const char* action : {"complete", "approve", "return"}) {
        finish(session->act("t1", action));
        EXPECT_EQ(jsonOf(server.requests().value(server.requests().size() - 2).body),
                  (QJsonObject{{"id", "t1"}, {"action", action}}));
    }
    EXPECT_EQ(server.requestsTo("GET", "/api/family").size(), 3);

    server.on("PATCH", "/api/tasks", ScriptedResponse::json(401, "<html/>"));
    finish(session->act("t1", "approve"));
    EXPECT_EQ(session->errorMessage(), kExpired);
    EXPECT_TRUE(session->user());
    EXPECT_EQ(storedToken(), "token-old");
    EXPECT_TRUE(cachedUser());
}

TEST_F(OperationsTest, AcceptedChangeWhoseRefreshFailsReportsTheRefresh) {
    finish(session->refresh());
    server.on("POST", "/api/tasks", ScriptedResponse::json(200, "{}"));
    server.on("GET", "/api/family", ScriptedResponse::json(502, R"({"error":"Шлюз недоступен"})"));
    finish(session->addTask("Убрать игрушки", 3, "child-1"));
    EXPECT_EQ(session->errorMessage(), "Шлюз недоступен");
    EXPECT_EQ(session->tasks().size(), 1) << "the lists keep their earlier contents";
}

TEST_F(OperationsTest, OverlappingOperationsLastAnswerWinsAndEachClearsTheMessage) {
    ScriptedResponse slow = ScriptedResponse::json(500, R"({"error":"медленная ошибка"})");
    slow.held = true;
    server.queue("PATCH", "/api/tasks", slow);
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

TEST_F(OperationsTest, EveryOperationClearsAnEarlierMessageWhenItStarts) {
    server.setHandler([](const RecordedRequest&) { return ScriptedResponse::json(200, "{}"); });
    const std::function<QCoro::Task<>()> operations[] = {
        [&] { return session->updatePreferences("RUB", "ru"); },
        [&] { return session->createPairingCode(); },
        [&] { return session->claim("c"); },
        [&] { return session->createFamilyInvite(); },
        [&] { return session->claimFamilyInvite("c"); },
        [&] { return session->addTask("t", 1, "child-1"); },
        [&] { return session->act("t1", "complete"); },
        [&] { return session->login("a", "b"); },
    };
    for (const auto& start : operations) {
        session->setErrorMessage(QString("раньше"));
        auto running = start();
        EXPECT_FALSE(session->errorMessage()) << "cleared before the answer arrives";
        finish(std::move(running));
    }
}
