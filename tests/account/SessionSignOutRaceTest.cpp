// Answers that arrive after the user signed out, or after someone else signed
// in, belong to a session that is gone: they must change nothing.
#include "AccountTestSupport.h"

using namespace accounttest;

namespace {

const QByteArray kOtherChild = R"({"id":"child-2","email":"misha@family.ru","nickname":"Миша","role":"child"})";
const QByteArray kFamilyWithPreferences = R"({"members":[{"id":"child-1","nickname":"Аня","role":"child"}],
    "tasks":[],"preferences":{"currency_code":"RUB","language_code":"ru"}})";
const QByteArray kOtherFamily = R"({"members":[{"id":"child-2","nickname":"Миша","role":"child"}],"tasks":[]})";

ScriptedResponse held(ScriptedResponse response) {
    response.held = true;
    return response;
}

class SignOutRaceTest : public SessionTest {
protected:
    // Each case of a table starts from the same clean device.
    void forgetFamilyPreferences() {
        preferences.remove("currencyCode");
        preferences.remove("appLanguage");
    }

    // Starts an operation, waits until its request is held by the server,
    // signs out, lets the answer through and runs the operation to its end.
    void signOutWhileHeld(AccountSession& session, QCoro::Task<> running) {
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; })) << "the request never reached the server";
        session.logout();
        server.releaseHeld();
        finish(std::move(running));
    }

    // What a signed-out session must look like, whatever arrived late.
    void expectSignedOut(const AccountSession& session, const char* what) {
        EXPECT_FALSE(session.user()) << what;
        EXPECT_FALSE(cachedUser()) << what;
        EXPECT_FALSE(storedToken()) << what;
        EXPECT_TRUE(session.members().isEmpty()) << what;
        EXPECT_TRUE(session.tasks().isEmpty()) << what;
        EXPECT_FALSE(session.pairingPayload()) << what;
        EXPECT_FALSE(session.familyInvitePayload()) << what;
        EXPECT_FALSE(preferences.contains("currencyCode")) << what;
        EXPECT_FALSE(preferences.contains("appLanguage")) << what;
        EXPECT_FALSE(session.isBusy()) << what;
        EXPECT_FALSE(session.isCreatingPairingCode()) << what;
        EXPECT_FALSE(session.isCreatingFamilyInvite()) << what;
        EXPECT_FALSE(makeSession()->user()) << what << ": a new start must stay signed out too";
    }
};

}  // namespace

// --- restore ---------------------------------------------------------------------

TEST_F(SignOutRaceTest, RestoreAnsweredAfterSignOutChangesNothing) {
    const struct {
        const char* name;
        ScriptedResponse me;
    } answers[] = {
        {"confirmed", ScriptedResponse::json(200, meAnswer(kChildUser))},
        {"server error", ScriptedResponse::json(500, R"({"error":"maintenance"})")},
        {"undecodable", ScriptedResponse::json(200, "not json")},
        {"other role", ScriptedResponse::json(200, meAnswer(kParentUser))},
        {"unauthorized", ScriptedResponse::json(401, "")},
    };
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamilyWithPreferences));
    for (const auto& answer : answers) {
        server.clearRequests();
        forgetFamilyPreferences();
        const auto session = signedInSession();
        session->setErrorMessage(QString("раньше"));
        server.queue("GET", "/api/auth/me", held(answer.me));
        signOutWhileHeld(*session, session->restore());

        expectSignedOut(*session, answer.name);
        EXPECT_EQ(session->errorMessage(), "раньше") << answer.name << ": nothing to report for a session that is gone";
        EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty()) << answer.name;
    }
}

TEST_F(SignOutRaceTest, RestoreWhoseRefreshIsAnsweredAfterSignOutChangesNothing) {
    const auto session = signedInSession();
    server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(kChildUser)));
    server.queue("GET", "/api/family", held(ScriptedResponse::json(200, kFamilyWithPreferences)));
    signOutWhileHeld(*session, session->restore());
    expectSignedOut(*session, "restore");
    EXPECT_FALSE(session->errorMessage());
}

// --- refresh ---------------------------------------------------------------------

TEST_F(SignOutRaceTest, RefreshAnsweredAfterSignOutAppliesNeitherListsNorPreferences) {
    const auto session = signedInSession();
    server.queue("GET", "/api/family", held(ScriptedResponse::json(200, kFamilyWithPreferences)));
    SignalLog log(*session);
    auto running = session->refresh();
    ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
    session->logout();
    const QStringList signOutSignals = log.names;
    server.releaseHeld();
    EXPECT_FALSE(finish(std::move(running))) << "a dropped answer is no failure";

    expectSignedOut(*session, "refresh");
    EXPECT_EQ(log.names, signOutSignals) << "nothing is announced after the sign-out";
}

TEST_F(SignOutRaceTest, RefreshAnsweredAfterARestoreSignedOutChangesNothing) {
    server.on("GET", "/api/auth/me", ScriptedResponse::json(401, ""));
    for (const char* why : {"token gone", "unauthorized"}) {
        forgetFamilyPreferences();
        const auto session = signedInSession();
        server.queue("GET", "/api/family", held(ScriptedResponse::json(200, kFamilyWithPreferences)));
        auto running = session->refresh();
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
        if (QByteArray(why) == "token gone") keychain.items.clear();
        finish(session->restore());
        ASSERT_FALSE(session->user()) << why;
        server.releaseHeld();
        finish(std::move(running));
        expectSignedOut(*session, why);
    }
}

TEST_F(SignOutRaceTest, RefreshOfTheOldSessionDoesNotOverwriteANewSignIn) {
    for (const bool signOutFirst : {true, false}) {
        forgetFamilyPreferences();
        const auto session = signedInSession();
        server.queue("GET", "/api/family", held(ScriptedResponse::json(200, kFamilyWithPreferences)));
        auto old = session->refresh();
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
        if (signOutFirst) session->logout();
        server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kOtherChild)));
        server.on("GET", "/api/family", ScriptedResponse::json(200, kOtherFamily));
        finish(session->login("misha@family.ru", "pw"));
        ASSERT_EQ(session->members().value(0).id, "child-2");

        server.releaseHeld();
        finish(std::move(old));
        EXPECT_EQ(session->members().size(), 1) << signOutFirst;
        EXPECT_EQ(session->members().value(0).id, "child-2") << signOutFirst;
        EXPECT_FALSE(preferences.contains("currencyCode")) << signOutFirst;
    }
}

// --- family operations ---------------------------------------------------------------

TEST_F(SignOutRaceTest, FamilyOperationsAnsweredAfterSignOutChangeNothing) {
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamilyWithPreferences));
    const struct {
        const char* name;
        QByteArray method;
        QByteArray path;
        ScriptedResponse answer;
        std::function<QCoro::Task<>(AccountSession&)> start;
    } operations[] = {
        {"act", "PATCH", "/api/tasks", ScriptedResponse::json(200, "{}"),
         [](AccountSession& s) { return s.act("t1", "complete"); }},
        {"act refused", "PATCH", "/api/tasks", ScriptedResponse::json(401, ""),
         [](AccountSession& s) { return s.act("t1", "complete"); }},
        {"add task", "POST", "/api/tasks", ScriptedResponse::json(201, R"({"id":"t9"})"),
         [](AccountSession& s) { return s.addTask("Полить цветы", 5, "child-1"); }},
        {"claim", "POST", "/api/pairing/claim", ScriptedResponse::json(200, "{}"),
         [](AccountSession& s) { return s.claim("zanbeck://pair?token=p"); }},
        {"preferences", "PATCH", "/api/preferences", ScriptedResponse::json(200, "{}"),
         [](AccountSession& s) { return s.updatePreferences("EUR", "de"); }},
        {"preferences refused", "PATCH", "/api/preferences", ScriptedResponse::json(401, ""),
         [](AccountSession& s) { return s.updatePreferences("EUR", "de"); }},
        {"pairing code refused", "POST", "/api/pairing/create", ScriptedResponse::json(500, ""),
         [](AccountSession& s) { return s.createPairingCode(); }},
        {"pairing code", "POST", "/api/pairing/create", ScriptedResponse::json(200, R"({"qrPayload":"p","expiresAt":1})"),
         [](AccountSession& s) { return s.createPairingCode(); }},
        {"invite", "POST", "/api/family/parent-invite", ScriptedResponse::json(200, R"({"qrPayload":"i","expiresAt":1})"),
         [](AccountSession& s) { return s.createFamilyInvite(); }},
        {"invite refused", "POST", "/api/family/parent-invite", ScriptedResponse::json(500, R"({"error":"сбой"})"),
         [](AccountSession& s) { return s.createFamilyInvite(); }},
    };
    for (const auto& operation : operations) {
        server.clearRequests();
        forgetFamilyPreferences();
        const auto session = signedInSession();
        server.queue(operation.method, operation.path, held(operation.answer));
        signOutWhileHeld(*session, operation.start(*session));

        expectSignedOut(*session, operation.name);
        EXPECT_FALSE(session->errorMessage()) << operation.name;
        EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty()) << operation.name << ": no refresh for nobody";
    }
}

// --- sign-in against sign-out ----------------------------------------------------------

TEST_F(SignOutRaceTest, OldRestoreDoesNotOverwriteASignInThatFollowedTheSignOut) {
    const struct {
        const char* name;
        ScriptedResponse me;
    } answers[] = {
        {"confirmed", ScriptedResponse::json(200, meAnswer(kChildUser))},
        {"unauthorized", ScriptedResponse::json(401, "")},
        {"server error", ScriptedResponse::json(500, "")},
    };
    for (const auto& answer : answers) {
        forgetFamilyPreferences();
        const auto session = signedInSession();
        server.queue("GET", "/api/auth/me", held(answer.me));
        server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kOtherChild, "token-misha")));
        server.on("GET", "/api/family", ScriptedResponse::json(200, kOtherFamily));
        auto old = session->restore();
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; }));
        session->logout();
        finish(session->login("misha@family.ru", "pw"));
        ASSERT_EQ(session->user()->id, "child-2");

        server.releaseHeld();
        finish(std::move(old));
        ASSERT_TRUE(session->user()) << answer.name;
        EXPECT_EQ(session->user()->id, "child-2") << answer.name;
        EXPECT_EQ(FamilyWire::decode<FamilyUser>(cachedUser().value()).id, "child-2") << answer.name;
        EXPECT_EQ(storedToken(), "token-misha") << answer.name << ": the new token must survive the old answer";
        EXPECT_EQ(session->members().value(0).id, "child-2") << answer.name;
        EXPECT_FALSE(session->errorMessage()) << answer.name;
    }
}

TEST_F(SignOutRaceTest, SignInAnsweredAfterSignOutDoesNotSignIn) {
    const auto session = makeSession();
    server.queue("POST", "/api/auth/login", held(ScriptedResponse::json(200, authAnswer(kChildUser))));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamilyWithPreferences));
    signOutWhileHeld(*session, session->login("anya@family.ru", "pw"));
    expectSignedOut(*session, "sign-in");
    EXPECT_FALSE(session->errorMessage());
    EXPECT_TRUE(server.requestsTo("GET", "/api/family").isEmpty());
}

TEST_F(SignOutRaceTest, SignInWhoseRefreshIsAnsweredAfterSignOutStaysSignedOut) {
    const auto session = makeSession();
    server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kChildUser)));
    server.queue("GET", "/api/family", held(ScriptedResponse::json(500, R"({"error":"сбой"})")));
    signOutWhileHeld(*session, session->login("anya@family.ru", "pw"));
    expectSignedOut(*session, "sign-in refresh");
    EXPECT_FALSE(session->errorMessage()) << "the failure belongs to a session that is gone";
}
