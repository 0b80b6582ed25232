// Answers that arrive after the user signed out, or after someone else signed
// in, belong to a session that is gone: they must change nothing.
#include "AccountTestSupport.h"

using namespace accounttest;

namespace {

const QByteArray kFamilyWithPreferences = R"({"members":[{"id":"child-1","nickname":"Аня","role":"child"}],
    "tasks":[],"preferences":{"currency_code":"RUB","language_code":"ru"}})";
const QByteArray kOtherFamily = R"({"members":[{"id":"child-2","nickname":"Миша","role":"child"}],"tasks":[]})";

using Operation = std::function<QCoro::Task<>(AccountSession&)>;

// The answer a case holds back until the race is set up.
struct HeldAnswer {
    QByteArray method, path;
    ScriptedResponse response;
};

HeldAnswer heldAt(const QByteArray& method, const QByteArray& path, int status, const QByteArray& body) {
    return {method, path, held(ScriptedResponse::json(status, body))};
}

class SignOutRaceTest : public SessionTest {
protected:
    // Each case of a table starts from the same clean device.
    std::unique_ptr<AccountSession> freshSignedInSession() {
        preferences.remove("currencyCode");
        preferences.remove("appLanguage");
        server.clearRequests();
        return signedInSession();
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
        EXPECT_FALSE(session.isBusy() || session.isCreatingPairingCode() || session.isCreatingFamilyInvite()) << what;
        EXPECT_FALSE(makeSession()->user()) << what << ": a new start must stay signed out too";
    }
};

}  // namespace

TEST_F(SignOutRaceTest, AnswersArrivingAfterSignOutChangeNothing) {
    server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(kChildUser)));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kFamilyWithPreferences));
    server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kChildUser)));
    const Operation restore = [](AccountSession& s) { return s.restore(); };
    const Operation refresh = [](AccountSession& s) { return s.refresh(); };
    const Operation login = [](AccountSession& s) { return s.login("anya@family.ru", "pw"); };
    const Operation act = [](AccountSession& s) { return s.act("t1", "complete"); };
    const Operation preferences = [](AccountSession& s) { return s.updatePreferences("EUR", "de"); };
    const Operation pairing = [](AccountSession& s) { return s.createPairingCode(); };
    const Operation invite = [](AccountSession& s) { return s.createFamilyInvite(); };
    const HeldAnswer family = heldAt("GET", "/api/family", 200, kFamilyWithPreferences);
    // A restore that signs out ends the session as surely as the user does.
    const std::function<void(AccountSession&)> tokenGone = [&](AccountSession& s) {
        keychain.items.clear();
        finish(s.restore());
    };
    const std::function<void(AccountSession&)> restoreRefused = [&](AccountSession& s) {
        server.queue("GET", "/api/auth/me", ScriptedResponse::json(401, ""));
        finish(s.restore());
    };
    const struct {
        const char* name;
        Operation start;
        HeldAnswer answer;
        std::function<void(AccountSession&)> signOut;  // logout() unless set
    } cases[] = {
        {"restore confirmed", restore, heldAt("GET", "/api/auth/me", 200, meAnswer(kChildUser))},
        {"restore server error", restore, heldAt("GET", "/api/auth/me", 500, R"({"error":"x"})")},
        {"restore undecodable", restore, heldAt("GET", "/api/auth/me", 200, "not json")},
        {"restore other role", restore, heldAt("GET", "/api/auth/me", 200, meAnswer(kParentUser))},
        {"restore unauthorized", restore, heldAt("GET", "/api/auth/me", 401, "")},
        {"restore's refresh", restore, family},
        {"refresh", refresh, family},
        {"refresh, then a restore without token", refresh, family, tokenGone},
        {"refresh, then a refused restore", refresh, family, restoreRefused},
        {"sign-in", login, heldAt("POST", "/api/auth/login", 200, authAnswer(kChildUser))},
        {"sign-in's refresh", login, heldAt("GET", "/api/family", 500, R"({"error":"сбой"})")},
        {"act", act, heldAt("PATCH", "/api/tasks", 200, "{}")},
        {"act refused", act, heldAt("PATCH", "/api/tasks", 401, "")},
        {"add task", [](AccountSession& s) { return s.addTask("Полить цветы", 5, "child-1"); },
         heldAt("POST", "/api/tasks", 201, R"({"id":"t9"})")},
        {"claim", [](AccountSession& s) { return s.claim("zanbeck://pair?token=p"); },
         heldAt("POST", "/api/pairing/claim", 200, "{}")},
        {"preferences", preferences, heldAt("PATCH", "/api/preferences", 200, "{}")},
        {"preferences refused", preferences, heldAt("PATCH", "/api/preferences", 401, "")},
        {"pairing code", pairing,
         heldAt("POST", "/api/pairing/create", 200, R"({"qrPayload":"p","expiresAt":1})")},
        {"pairing code refused", pairing, heldAt("POST", "/api/pairing/create", 500, "")},
        {"invite", invite,
         heldAt("POST", "/api/family/parent-invite", 200, R"({"qrPayload":"i","expiresAt":1})")},
        {"invite refused", invite, heldAt("POST", "/api/family/parent-invite", 500, R"({"error":"сбой"})")},
    };
    for (const auto& c : cases) {
        const auto session = freshSignedInSession();
        session->setErrorMessage(QString("раньше"));
        server.queue(c.answer.method, c.answer.path, c.answer.response);
        SignalLog log(*session);
        auto running = c.start(*session);
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; })) << c.name << ": the request never arrived";
        if (c.signOut) c.signOut(*session);
        else session->logout();
        ASSERT_FALSE(session->user()) << c.name;
        // Only the running flags may still go off; expectSignedOut checks them.
        auto fieldsOf = [](QStringList names) {
            names.removeIf([](const QString& name) { return name.startsWith("is"); });
            return names;
        };
        const QStringList announced = fieldsOf(log.names);
        const auto message = session->errorMessage();
        const qsizetype requests = server.requests().size();

        server.releaseHeld();
        EXPECT_FALSE(finish(std::move(running))) << c.name << ": a dropped answer is no failure";

        expectSignedOut(*session, c.name);
        EXPECT_EQ(fieldsOf(log.names), announced) << c.name << ": nothing is announced after the sign-out";
        EXPECT_EQ(session->errorMessage(), message) << c.name << ": nothing to report for a session that is gone";
        EXPECT_EQ(server.requests().size(), requests) << c.name << ": nothing is sent for nobody";
    }
}

TEST_F(SignOutRaceTest, TheOldSessionsAnswerDoesNotOverwriteANewSignIn) {
    server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(kOtherChild, "token-misha")));
    server.on("GET", "/api/family", ScriptedResponse::json(200, kOtherFamily));
    const Operation restore = [](AccountSession& s) { return s.restore(); };
    const Operation refresh = [](AccountSession& s) { return s.refresh(); };
    const HeldAnswer oldFamily = heldAt("GET", "/api/family", 200, kFamilyWithPreferences);
    const struct {
        const char* name;
        Operation start;
        HeldAnswer answer;
        bool signOutFirst;
    } cases[] = {
        {"refresh, then sign-out", refresh, oldFamily, true},
        {"refresh, then sign-in over it", refresh, oldFamily, false},
        {"restore confirmed", restore, heldAt("GET", "/api/auth/me", 200, meAnswer(kChildUser)), true},
        {"restore unauthorized", restore, heldAt("GET", "/api/auth/me", 401, ""), true},
        {"restore server error", restore, heldAt("GET", "/api/auth/me", 500, ""), true},
    };
    for (const auto& c : cases) {
        const auto session = freshSignedInSession();
        server.queue(c.answer.method, c.answer.path, c.answer.response);
        auto old = c.start(*session);
        ASSERT_TRUE(waitUntil([&] { return server.heldCount() == 1; })) << c.name;
        if (c.signOutFirst) session->logout();
        finish(session->login("misha@family.ru", "pw"));
        ASSERT_EQ(session->user().value_or(FamilyUser{}).id, "child-2") << c.name;

        server.releaseHeld();
        finish(std::move(old));
        EXPECT_EQ(session->user().value_or(FamilyUser{}).id, "child-2") << c.name;
        EXPECT_EQ(FamilyWire::decode<FamilyUser>(cachedUser().value_or("")).id, "child-2") << c.name;
        EXPECT_EQ(storedToken(), "token-misha") << c.name << ": the new token must survive the old answer";
        EXPECT_EQ(session->members().size(), 1) << c.name;
        EXPECT_EQ(session->members().value(0).id, "child-2") << c.name;
        EXPECT_FALSE(preferences.contains("currencyCode")) << c.name;
        EXPECT_FALSE(session->errorMessage()) << c.name;
    }
}
