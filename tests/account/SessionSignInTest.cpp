#include "AccountTestSupport.h"

#include <QHostAddress>
#include <QTcpServer>

using namespace accounttest;

namespace {
const QString kOffline = "Нет связи с сервером. Вход сохранён, данные доступны офлайн.";
const QString kWrongRole = "Этот аккаунт предназначен для другой версии приложения.";
}  // namespace

// --- creation from local state ------------------------------------------------

TEST_F(SessionTest, StartsWithTheCachedUserOfTheBuildRoleBeforeAnyRequest) {
    const auto session = signedInSession();
    ASSERT_TRUE(session->user());
    EXPECT_EQ(session->user()->id, "child-1");
    EXPECT_EQ(session->user()->nickname, "Аня");
    EXPECT_TRUE(session->members().isEmpty());
    EXPECT_FALSE(session->errorMessage());
    EXPECT_FALSE(session->isBusy());
    EXPECT_EQ(session->baseURL(), server.origin());
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(SessionTest, StartsSignedOutWithoutAUsableCache) {
    storeToken("token-old");
    storeCachedUser(kParentUser);  // the other build's user
    EXPECT_FALSE(makeSession()->user());
    EXPECT_EQ(cachedUser(), kParentUser) << "the stored data stays for the other build";

    storeCachedUser("{not json");
    EXPECT_FALSE(makeSession()->user());

    keychain.items.clear();
    storeCachedUser(kChildUser);  // a cache without a token
    EXPECT_FALSE(makeSession()->user());
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(SessionTest, ParentBuildTakesTheCachedParent) {
    setBuildRole("parent");
    EXPECT_EQ(signedInSession(kParentUser)->user()->role, AppAccountRole::parent);
}

TEST_F(SessionTest, KeychainThatCannotAnswerAtStartKeepsTheCachedUser) {
    storeCachedUser(kChildUser);
    keychain.failReads = true;
    const auto session = makeSession();
    ASSERT_TRUE(session->user());
    EXPECT_EQ(session->user()->id, "child-1");
}

// --- sign-in ---------------------------------------------------------------------

TEST_F(SessionTest, SignInStoresTokenAdoptsCachesAndRefreshes) {
    server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kChildUser)));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    const auto session = makeSession();
    session->setErrorMessage(QString("старое сообщение"));
    SignalLog log(*session);

    EXPECT_FALSE(finish(session->login("Anya@Family.ru ", "пароль 1")));

    EXPECT_EQ(log.names, (QStringList{"isBusy", "errorMessage", "user", "members", "tasks", "isBusy"}));
    ASSERT_TRUE(session->user());
    EXPECT_EQ(session->user()->email, "anya@family.ru");
    EXPECT_EQ(storedToken(), "token-new");
    EXPECT_EQ(FamilyWire::decode<FamilyUser>(cachedUser().value()), *session->user());
    EXPECT_EQ(session->members().size(), 2);
    EXPECT_EQ(session->tasks().value(0).title, "Полить цветы");
    EXPECT_FALSE(session->errorMessage());
    EXPECT_FALSE(session->isBusy());

    const auto login = server.requestsTo("POST", "/api/auth/login").value(0);
    EXPECT_EQ(jsonOf(login.body), (QJsonObject{{"email", "Anya@Family.ru "}, {"password", "пароль 1"}}));
    EXPECT_FALSE(login.hasHeader("Authorization"));
    EXPECT_EQ(server.requestsTo("GET", "/api/family").value(0).header("Authorization"), "Bearer token-new");
}

TEST_F(SessionTest, SignInNeverCarriesTheStoredToken) {
    const auto session = signedInSession();
    server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kChildUser)));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    finish(session->login("a", "b"));
    EXPECT_FALSE(server.requestsTo("POST", "/api/auth/login").value(0).hasHeader("Authorization"));
    EXPECT_EQ(storedToken(), "token-new") << "a new sign-in replaces the token";
}

TEST_F(SessionTest, SignInFailuresLeaveEverythingAsBefore) {
    struct Case {
        const char* name;
        ScriptedResponse answer;
        QString message;
    };
    const Case cases[] = {
        {"other role", ScriptedResponse::json(200, authAnswer(kParentUser)), kWrongRole},
        {"no token", ScriptedResponse::json(200, authAnswer(kChildUser, nullptr)),
         "Сервер не вернул сохранённую сессию."},
        {"empty token", ScriptedResponse::json(200, authAnswer(kChildUser, "")), "Сервер не вернул сохранённую сессию."},
        {"401 with text", ScriptedResponse::json(401, R"({"error":"Неверный пароль"})"), "Неверный пароль"},
        {"500 without text", ScriptedResponse::json(500, "<h1>oops</h1>"), "Ошибка сервера"},
        {"undecodable", ScriptedResponse::json(200, R"({"user":{"id":"x"},"sessionToken":"t"})"),
         "Не удалось прочитать ответ сервера: нет нужных данных."},
    };
    for (const Case& c : cases) {
        keychain.items.clear();
        preferences.remove(AccountSession::kCachedUserKey);
        server.queue("POST", "/api/auth/login", c.answer);
        const auto session = makeSession();
        finish(session->login("a@b.ru", "pw"));
        EXPECT_EQ(session->errorMessage(), c.message) << c.name;
        EXPECT_FALSE(session->user()) << c.name;
        EXPECT_FALSE(storedToken()) << c.name;
        EXPECT_FALSE(cachedUser()) << c.name;
        EXPECT_FALSE(session->isBusy()) << c.name;
    }
    EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty());
}

TEST_F(SessionTest, SignInWithoutNetworkShowsTheTransportText) {
    // The server drops the connection without answering.
    server.on("POST", "/api/auth/login", ScriptedResponse{.rawResponse = "garbage that is not HTTP\r\n\r\n"});
    const auto session = makeSession();
    finish(session->login("a", "b"));
    EXPECT_EQ(session->errorMessage(), "Сервер неожиданно закрыл соединение.");
    EXPECT_FALSE(session->user());
    EXPECT_FALSE(storedToken());
    EXPECT_FALSE(session->isBusy());
}

TEST_F(SessionTest, SignInWhoseTokenCannotBeStoredAdoptsNothing) {
    // An earlier sign-in of someone else stays exactly as it was.
    const auto session = signedInSession();
    server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(
        R"({"id":"child-2","email":"misha@family.ru","nickname":"Миша","role":"child"})")));
    keychain.failWrites = true;
    finish(session->login("misha@family.ru", "pw"));

    EXPECT_EQ(session->errorMessage(), "Не удалось сохранить вход в хранилище ключей. Вход не выполнен.");
    EXPECT_EQ(session->user()->id, "child-1");
    EXPECT_EQ(FamilyWire::decode<FamilyUser>(cachedUser().value()).id, "child-1");
    EXPECT_EQ(storedToken(), "token-old");
    EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty());
    EXPECT_FALSE(session->isBusy());
}

TEST_F(SessionTest, SignInWhoseRefreshIsUnauthorizedStaysSignedIn) {
    server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kChildUser)));
    server.on("GET", "/api/family", ScriptedResponse::json(401, "Unauthorized"));
    const auto session = makeSession();
    finish(session->login("a", "b"));
    EXPECT_EQ(session->errorMessage(), "Сессия истекла. Войдите снова.");
    EXPECT_TRUE(session->user());
    EXPECT_EQ(storedToken(), "token-new");
    EXPECT_TRUE(cachedUser());
    EXPECT_FALSE(session->isBusy());
}

TEST_F(SessionTest, OverlappingSignInsEachApplyWhenTheirAnswerArrives) {
    ScriptedResponse slow = ScriptedResponse::json(200, authAnswer(kChildUser, "token-slow"));
    slow.held = true;
    server.queue("POST", "/api/auth/login", slow);
    server.queue("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(
        R"({"id":"child-2","email":"misha@family.ru","nickname":"Миша","role":"child"})", "token-fast")));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    const auto session = makeSession();

    auto first = session->login("anya", "pw");
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
    auto second = session->login("misha", "pw");
    ASSERT_TRUE(waitUntil([&] { return second.isReady(); }));
    EXPECT_EQ(session->user()->id, "child-2");
    EXPECT_FALSE(first.isReady());
    EXPECT_FALSE(session->isBusy()) << "the flag reports only that some sign-in ended";

    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return first.isReady(); }));
    EXPECT_EQ(session->user()->id, "child-1") << "the last answer to arrive wins";
    EXPECT_EQ(storedToken(), "token-slow");
}

// --- restore ---------------------------------------------------------------------

TEST_F(SessionTest, RestoreWithoutTokenSignsOutAndForgetsTheCache) {
    storeCachedUser(kChildUser);
    const auto session = makeSession();
    session->setErrorMessage(QString("раньше"));
    finish(session->restore());
    EXPECT_FALSE(session->user());
    EXPECT_FALSE(cachedUser());
    EXPECT_EQ(session->errorMessage(), "раньше");
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(SessionTest, RestoreWithAValidTokenConfirmsUserAndRefreshes) {
    const auto session = signedInSession();
    session->setErrorMessage(QString("раньше"));
    const QByteArray renamed = R"({"id":"child-1","email":"anya@family.ru","nickname":"Анечка","role":"child"})";
    server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(renamed)));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    SignalLog log(*session);

    finish(session->restore());

    EXPECT_EQ(log.names, (QStringList{"user", "members", "tasks"}));
    EXPECT_EQ(session->user()->nickname, "Анечка");
    EXPECT_EQ(FamilyWire::decode<FamilyUser>(cachedUser().value()).nickname, "Анечка");
    EXPECT_EQ(session->members().size(), 2);
    EXPECT_EQ(session->errorMessage(), "раньше") << "restore never clears the message";
    EXPECT_EQ(server.requestsTo("GET", "/api/auth/me").value(0).header("Authorization"), "Bearer token-old");
}

TEST_F(SessionTest, RestoreAnsweredUnauthorizedSignsOutButKeepsTheLists) {
    const auto session = signedInSession();
    server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(kChildUser)));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    finish(session->restore());
    ASSERT_EQ(session->tasks().size(), 1);

    // Here the refresh, not the user check, is refused.
    server.on("GET", "/api/family", ScriptedResponse::json(401, "<html>no</html>"));
    finish(session->restore());

    EXPECT_FALSE(session->user());
    EXPECT_FALSE(storedToken());
    EXPECT_FALSE(cachedUser());
    EXPECT_EQ(session->tasks().size(), 1);
    EXPECT_EQ(session->members().size(), 2);
    EXPECT_FALSE(session->errorMessage());
}

TEST_F(SessionTest, RestoreWhoseUserCheckIsUnauthorizedSignsOut) {
    const auto session = signedInSession();
    server.on("GET", "/api/auth/me", ScriptedResponse::json(401, R"({"error":"expired"})"));
    finish(session->restore());
    EXPECT_FALSE(session->user());
    EXPECT_FALSE(storedToken());
    EXPECT_FALSE(cachedUser());
    EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty());
}

TEST_F(SessionTest, RestoreOfflineKeepsTheCachedAccount) {
    QTcpServer probe;  // a port that nothing listens on any more
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QUrl deadOrigin(QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort()));
    probe.close();

    const ScriptedResponse failures[] = {ScriptedResponse::json(500, R"({"error":"maintenance"})"),
                                         ScriptedResponse::json(200, "not json"),
                                         ScriptedResponse::json(200, meAnswer(R"({"id":"child-1"})"))};
    for (int round = 0; round < 4; ++round) {
        storeToken("token-old");
        storeCachedUser(kChildUser);
        std::unique_ptr<AccountSession> session;
        if (round < 3) {
            server.queue("GET", "/api/auth/me", failures[round]);
            session = makeSession();
        } else {
            session = std::make_unique<AccountSession>(keychain, preferences, deadOrigin);
        }
        finish(session->restore());
        EXPECT_EQ(session->errorMessage(), kOffline) << round;
        ASSERT_TRUE(session->user()) << round;
        EXPECT_EQ(session->user()->id, "child-1");
        EXPECT_EQ(storedToken(), "token-old");
        EXPECT_TRUE(cachedUser());
    }
}

TEST_F(SessionTest, RestoreWhenTheKeychainCannotAnswerTakesTheOfflinePath) {
    const auto session = signedInSession();
    keychain.failReads = true;
    finish(session->restore());
    EXPECT_EQ(session->errorMessage(), kOffline);
    EXPECT_TRUE(session->user());
    EXPECT_EQ(storedToken(), "token-old");
    EXPECT_TRUE(cachedUser());
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(SessionTest, RestoreOfAUserOfTheOtherRoleAdoptsNothing) {
    const auto session = signedInSession();
    server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(kParentUser)));
    finish(session->restore());
    EXPECT_EQ(session->errorMessage(), kWrongRole);
    EXPECT_EQ(session->user()->id, "child-1");
    EXPECT_EQ(FamilyWire::decode<FamilyUser>(cachedUser().value()).id, "child-1");
    EXPECT_EQ(storedToken(), "token-old");
    EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty());
}

// --- sign-out --------------------------------------------------------------------

TEST_F(SessionTest, SignOutClearsEverythingButTheMessage) {
    const auto session = signedInSession();
    server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(kChildUser)));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    server.on("POST", "/api/pairing/create", ScriptedResponse::json(200, R"({"qrPayload":"p","expiresAt":1})"));
    server.on("POST", "/api/family/parent-invite", ScriptedResponse::json(200, R"({"qrPayload":"i","expiresAt":1})"));
    finish(session->restore());
    finish(session->createPairingCode());
    finish(session->createFamilyInvite());
    session->setErrorMessage(QString("Ошибка раньше"));
    const qsizetype requestsBefore = server.requests().size();

    session->logout();

    EXPECT_FALSE(session->user());
    EXPECT_TRUE(session->members().isEmpty());
    EXPECT_TRUE(session->tasks().isEmpty());
    EXPECT_FALSE(session->pairingPayload());
    EXPECT_FALSE(session->familyInvitePayload());
    EXPECT_FALSE(storedToken());
    EXPECT_FALSE(cachedUser());
    EXPECT_EQ(session->errorMessage(), "Ошибка раньше");
    EXPECT_EQ(server.requests().size(), requestsBefore);
    EXPECT_FALSE(makeSession()->user()) << "a new start stays signed out";
}

TEST_F(SessionTest, SessionDestroyedWhileARequestRunsDoesNotResumeIt) {
    ScriptedResponse slow = ScriptedResponse::json(200, authAnswer(kChildUser));
    slow.held = true;
    server.on("POST", "/api/auth/login", slow);
    auto session = makeSession();
    auto running = session->login("a", "b");
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    session.reset();
    server.releaseHeld();
    ASSERT_TRUE(waitUntil([&] { return server.answersDue() == 1; }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(running.isReady());
    EXPECT_FALSE(storedToken()) << "nothing of the late answer was applied";
}
