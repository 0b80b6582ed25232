#include "AccountTestSupport.h"

using namespace accounttest;

namespace {
const QString kOffline = "Нет связи с сервером. Вход сохранён, данные доступны офлайн.";
const QString kWrongRole = "Этот аккаунт предназначен для другой версии приложения.";
const QString kEarlier = "раньше";
const QString kOfflineNothingLoaded =
    "Нет связи с сервером. Вход сохранён, но данных семьи на устройстве пока нет: они появятся, когда связь вернётся.";

}  // namespace

TEST_F(SessionTest, StartsFromLocalStateOnlyWithACachedUserOfTheBuildRole) {
    const struct {
        const char* name;
        const char* build;
        std::optional<QByteArray> token;
        QByteArray cache;
        bool keychainFails;
        const char* userId;  // nullptr: signed out
    } cases[] = {
        {"child", "child", "token-old", kChildUser, false, "child-1"},
        {"parent", "parent", "token-old", kParentUser, false, "parent-1"},
        {"the other build's user", "child", "token-old", kParentUser, false, nullptr},
        {"unreadable cache", "child", "token-old", "{not json", false, nullptr},
        {"no token", "child", std::nullopt, kChildUser, false, nullptr},
        {"token not UTF-8", "child", QByteArray("\xff\xfe"), kChildUser, false, nullptr},
        // A locked keychain is no evidence of a sign-out.
        {"keychain cannot answer", "child", std::nullopt, kChildUser, true, "child-1"},
    };
    for (const auto& c : cases) {
        keychain.items.clear();
        if (c.token) storeToken(*c.token);
        keychain.failReads = c.keychainFails;
        storeCachedUser(c.cache);
        setBuildRole(c.build);
        const auto session = makeSession();
        EXPECT_EQ(session->user() ? session->user()->id : QString(), QString::fromLatin1(c.userId)) << c.name;
        EXPECT_EQ(cachedUser(), c.cache) << c.name << ": the stored data stays";
        EXPECT_TRUE(session->members().isEmpty() && !session->errorMessage() && !session->isBusy()) << c.name;
    }
    EXPECT_TRUE(server.requests().isEmpty());
}

// --- sign-in ---------------------------------------------------------------------

TEST_F(SessionTest, SignInReplacesTheTokenAdoptsCachesAndRefreshes) {
    server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kOtherChild)));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    const auto session = signedInSession();
    session->setErrorMessage(QString("старое сообщение"));
    SignalLog log(*session);

    EXPECT_FALSE(finish(session->login("Misha@Family.ru ", "пароль 1")));

    EXPECT_EQ(log.names, (QStringList{"isBusy", "errorMessage", "user", "members", "tasks", "isBusy"}));
    ASSERT_TRUE(session->user());
    EXPECT_EQ(session->user()->id, "child-2");
    EXPECT_EQ(storedToken(), "token-new");
    EXPECT_EQ(FamilyWire::decode<FamilyUser>(cachedUser().value()), *session->user());
    EXPECT_EQ(session->members().size(), 2);
    EXPECT_EQ(session->tasks().value(0).title, "Полить цветы");
    EXPECT_FALSE(session->errorMessage());
    EXPECT_FALSE(session->isBusy());

    const auto login = server.requestsTo("POST", "/api/auth/login").value(0);
    EXPECT_EQ(jsonOf(login.body), (QJsonObject{{"email", "Misha@Family.ru "}, {"password", "пароль 1"}}));
    EXPECT_FALSE(login.hasHeader("Authorization")) << "sign-in never carries the stored token";
    EXPECT_EQ(server.requestsTo("GET", "/api/family").value(0).header("Authorization"), "Bearer token-new");
}

TEST_F(SessionTest, SignInFailuresLeaveTheEarlierSignInAsItWas) {
    const struct {
        const char* name;
        ScriptedResponse answer;
        bool keychainRefuses;
        QString message;
    } cases[] = {
        {"other role", ScriptedResponse::json(200, authAnswer(kParentUser)), false, kWrongRole},
        {"no token", ScriptedResponse::json(200, authAnswer(kOtherChild, nullptr)), false,
         "Сервер не вернул сохранённую сессию."},
        {"empty token", ScriptedResponse::json(200, authAnswer(kOtherChild, "")), false,
         "Сервер не вернул сохранённую сессию."},
        {"401 with text", ScriptedResponse::json(401, R"({"error":"Неверный пароль"})"), false, "Неверный пароль"},
        {"500 without text", ScriptedResponse::json(500, "<h1>oops</h1>"), false, "Ошибка сервера"},
        {"undecodable", ScriptedResponse::json(200, R"({"user":{"id":"x"},"sessionToken":"t"})"), false,
         "Не удалось прочитать ответ сервера: нет нужных данных."},
        {"not HTTP", ScriptedResponse{.rawResponse = "garbage that is not HTTP\r\n\r\n"}, false,
         "Сервер неожиданно закрыл соединение."},
        // Stored first: a token the keychain refuses must not leave the app looking signed in.
        {"keychain refuses", ScriptedResponse::json(200, authAnswer(kOtherChild)), true,
         "Не удалось сохранить вход в хранилище ключей. Вход не выполнен."},
    };
    for (const auto& c : cases) {
        const auto session = signedInSession();
        keychain.failWrites = c.keychainRefuses;
        server.on("POST", "/api/auth/login", c.answer);  // standing: the client may resend after a dropped line
        finish(session->login("misha@family.ru", "pw"));
        EXPECT_EQ(session->errorMessage(), c.message) << c.name;
        EXPECT_EQ(session->user().value_or(FamilyUser{}).id, "child-1") << c.name;
        EXPECT_EQ(storedToken(), "token-old") << c.name;
        EXPECT_EQ(cachedUser(), kChildUser) << c.name;
        EXPECT_FALSE(session->isBusy()) << c.name;
        keychain.failWrites = false;
    }
    EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty());
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
    server.queue("POST", "/api/auth/login", held(ScriptedResponse::json(200, authAnswer(kChildUser, "token-slow"))));
    server.queue("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kOtherChild, "token-fast")));
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

TEST_F(SessionTest, RestoreWithAValidTokenConfirmsUserAndRefreshes) {
    const auto session = signedInSession();
    session->setErrorMessage(kEarlier);
    const QByteArray renamed = R"({"id":"child-1","email":"anya@family.ru","nickname":"Анечка","role":"child"})";
    server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(renamed)));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    SignalLog log(*session);

    finish(session->restore());

    EXPECT_EQ(log.names, (QStringList{"user", "members", "tasks"}));
    EXPECT_EQ(session->user()->nickname, "Анечка");
    EXPECT_EQ(FamilyWire::decode<FamilyUser>(cachedUser().value()).nickname, "Анечка");
    EXPECT_EQ(session->members().size(), 2);
    EXPECT_EQ(session->errorMessage(), kEarlier) << "restore never clears the message";
    EXPECT_EQ(server.requestsTo("GET", "/api/auth/me").value(0).header("Authorization"), "Bearer token-old");
}

TEST_F(SessionTest, RestoreSignsOutOnlyWhenRefusedAndOtherwiseKeepsTheAccount) {
    const ScriptedResponse me = ScriptedResponse::json(200, meAnswer(kChildUser));
    const struct {
        const char* name;
        bool token;
        bool keychainFails;
        bool serverGone;
        std::optional<ScriptedResponse> me, family;
        bool signsOut;
        std::optional<QString> message;
    } cases[] = {
        // Nobody was signed in: a sign-in form's own message stays.
        {"no token", false, false, false, {}, {}, true, kEarlier},
        // A session ends: nothing of it is left on the sign-in form.
        {"user check refused", true, false, false, ScriptedResponse::json(401, R"({"error":"expired"})"), {}, true,
         std::nullopt},
        {"refresh refused", true, false, false, me, ScriptedResponse::json(401, "<html>no</html>"), true,
         std::nullopt},
        {"server error", true, false, false, ScriptedResponse::json(500, R"({"error":"maintenance"})"), {}, false,
         kOffline},
        {"not json", true, false, false, ScriptedResponse::json(200, "not json"), {}, false, kOffline},
        {"undecodable", true, false, false, ScriptedResponse::json(200, meAnswer(R"({"id":"child-1"})")), {}, false,
         kOffline},
        // The one case whose family never loaded: nothing is there to show offline.
        {"no server", true, false, true, {}, {}, false, kOfflineNothingLoaded},
        {"keychain cannot answer", true, true, false, {}, {}, false, kOffline},
        {"other role", true, false, false, ScriptedResponse::json(200, meAnswer(kParentUser)), {}, false, kWrongRole},
    };
    for (const auto& c : cases) {
        keychain.items.clear();
        keychain.failReads = false;
        if (c.token) storeToken("token-old");
        storeCachedUser(kChildUser);
        const auto session = c.serverGone ? std::make_unique<AccountSession>(keychain, preferences, deadOrigin())
                                          : makeSession();
        if (c.token && !c.serverGone) {  // lists from an earlier refresh, which every outcome keeps
            server.queue("GET", "/api/family", ScriptedResponse::json(200, kFamily));
            ASSERT_FALSE(finish(session->refresh())) << c.name;
        }
        const qsizetype members = session->members().size();
        server.clearRequests();
        session->setErrorMessage(kEarlier);
        keychain.failReads = c.keychainFails;
        if (c.me) server.queue("GET", "/api/auth/me", *c.me);
        if (c.family) server.queue("GET", "/api/family", *c.family);

        finish(session->restore());

        EXPECT_EQ(session->errorMessage(), c.message) << c.name;
        EXPECT_EQ(session->members().size(), members) << c.name;
        EXPECT_EQ(server.requests().size(), (c.me ? 1 : 0) + (c.family ? 1 : 0)) << c.name;
        keychain.failReads = false;
        if (c.signsOut) {
            EXPECT_FALSE(session->user()) << c.name;
            EXPECT_FALSE(storedToken()) << c.name;
            EXPECT_FALSE(cachedUser()) << c.name;
        } else {
            EXPECT_EQ(session->user().value_or(FamilyUser{}).id, "child-1") << c.name;
            EXPECT_EQ(storedToken(), "token-old") << c.name;
            EXPECT_EQ(cachedUser(), kChildUser) << c.name;
        }
    }
}

// --- sign-out --------------------------------------------------------------------

TEST_F(SessionTest, SignOutClearsEverythingAndTheMessageWithoutARequest) {
    const auto session = signedInSession();
    server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(kChildUser)));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    server.on("POST", "/api/pairing/create", ScriptedResponse::json(200, R"({"qrPayload":"p","expiresAt":1})"));
    server.on("POST", "/api/family/parent-invite", ScriptedResponse::json(200, R"({"qrPayload":"i","expiresAt":1})"));
    finish(session->restore());
    finish(session->createPairingCode());
    finish(session->createFamilyInvite());
    ASSERT_TRUE(session->pairingPayload() && session->familyInvitePayload() && !session->tasks().isEmpty());
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
    EXPECT_FALSE(session->errorMessage()) << "the previous account's message goes with it";
    EXPECT_FALSE(session->hasLoadedFamily());
    EXPECT_EQ(server.requests().size(), requestsBefore);
    EXPECT_FALSE(makeSession()->user()) << "a new start stays signed out";
}

TEST_F(SessionTest, SessionDestroyedWhileARequestRunsDoesNotResumeIt) {
    server.on("POST", "/api/auth/login", held(ScriptedResponse::json(200, authAnswer(kChildUser))));
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

TEST_F(SessionTest, ARestoresMessageLastsUntilTheFamilyLoadsAgainAndNoLonger) {
    const ScriptedResponse me = ScriptedResponse::json(200, meAnswer(kChildUser));
    const ScriptedResponse down = ScriptedResponse::json(503, R"({"error":"maintenance"})");
    const ScriptedResponse family = ScriptedResponse::json(200, kFamily);
    const ScriptedResponse busy = ScriptedResponse::json(500, R"({"error":"Сервер занят."})");
    const auto session = signedInSession();
    EXPECT_FALSE(session->hasLoadedFamily());

    // Started offline with nothing loaded: it says there is nothing to show.
    server.queue("GET", "/api/auth/me", down);
    finish(session->restore());
    EXPECT_EQ(session->errorMessage(), kOfflineNothingLoaded);
    EXPECT_FALSE(session->hasLoadedFamily());

    // The server is back: a pull to refresh that loads the family clears it.
    server.queue("GET", "/api/family", family);
    ASSERT_FALSE(finish(session->refresh()));
    EXPECT_FALSE(session->errorMessage());
    EXPECT_TRUE(session->hasLoadedFamily());

    // Offline again, now with a family loaded; the next restore that succeeds clears that.
    server.queue("GET", "/api/auth/me", down);
    finish(session->restore());
    EXPECT_EQ(session->errorMessage(), kOffline);
    server.queue("GET", "/api/auth/me", me);
    server.queue("GET", "/api/family", family);
    finish(session->restore());
    EXPECT_FALSE(session->errorMessage());

    // Another request's failure is not a restore's: loading the family leaves it.
    server.queue("PATCH", "/api/tasks", busy);
    finish(session->act("t1", "complete"));
    ASSERT_EQ(session->errorMessage(), "Сервер занят.");
    server.queue("GET", "/api/auth/me", me);
    server.queue("GET", "/api/family", family);
    finish(session->restore());
    EXPECT_EQ(session->errorMessage(), "Сервер занят.");
}
