#include <gtest/gtest.h>

#include "ServerProcess.h"
#include "TempPostgres.h"
#include "account/AccountSession.h"
#include "account/AccountTestSupport.h"
#include "account/BundleInfo.h"
#include "services/Preferences.h"
#include "support/FakeKeychain.h"
#include "support/TempDir.h"

using accounttest::finish;

namespace {

// One device: its own keychain, its own preferences file and build role.
struct Device {
    Device(const TempDir& dir, const char* name, const char* role, int port)
        : role(role), preferences(dir.filePath(QString::fromLatin1(name) + ".ini")) {
        session = std::make_unique<AccountSession>(keychain, preferences,
                                                   QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)));
    }
    // The build role is read during sign-in, so each device signs in as its own build.
    void signIn(const QString& email) {
        ScopedBundleInfo build(QJsonObject{{"ZanbeckRole", role}});
        finish(session->login(email, QStringLiteral("password1")));
    }
    // A missing task fails the test without ending the run, so the server process is still stopped.
    FamilyTask task(const QString& id) const {
        for (const auto& t : session->tasks())
            if (t.id == id) return t;
        ADD_FAILURE() << "no task " << id.toStdString() << " on this device";
        return {};
    }
    QString error() const { return session->errorMessage().value_or(QString()); }

    const char* role;
    InMemoryKeychain keychain;
    Preferences preferences;
    std::unique_ptr<AccountSession> session;
};

}  // namespace

// The app's own account client against the real server executable: the whole
// road of one money task, from pairing to the second parent's approval.
TEST(EndToEnd, TheAppsAccountClientRunsTheFamilyRoadAgainstTheRealServer) {
    TempDir dir;
    SERVER_STORE_OR_SKIP(data, dir.filePath("data").toStdString());
    seedStore(data,
              {{"mama@example.com", "Мама", "parent", "password1"},
               {"papa@example.com", "Папа", "parent", "password1"},
               {"kid@example.com", "Coder", "child", "password1"}},
              false);
    ServerProcess server(data);
    const int port = server.start();
    ASSERT_GT(port, 0);

    Device kid(dir, "kid", "child", port);
    Device mama(dir, "mama", "parent", port);
    Device papa(dir, "papa", "parent", port);
    kid.signIn("kid@example.com");
    mama.signIn("mama@example.com");
    papa.signIn("papa@example.com");
    ASSERT_TRUE(kid.session->user()) << kid.error().toStdString();
    ASSERT_TRUE(mama.session->user()) << mama.error().toStdString();
    ASSERT_TRUE(papa.session->user()) << papa.error().toStdString();
    const QString kidId = kid.session->user()->id;

    // The child shows a pairing code; the parent claims it.
    finish(kid.session->createPairingCode());
    ASSERT_TRUE(kid.session->pairingPayload()) << kid.error().toStdString();
    finish(mama.session->claim(*kid.session->pairingPayload()));
    EXPECT_EQ(mama.error(), QString());
    ASSERT_EQ(mama.session->members().size(), 2);
    EXPECT_EQ(mama.session->members()[1].id, kidId);
    EXPECT_EQ(mama.session->members()[1].role, AppAccountRole::child);

    // The second parent joins by invite.
    finish(mama.session->createFamilyInvite());
    ASSERT_TRUE(mama.session->familyInvitePayload()) << mama.error().toStdString();
    finish(papa.session->claimFamilyInvite(*mama.session->familyInvitePayload()));
    EXPECT_EQ(papa.error(), QString());
    EXPECT_EQ(papa.session->members().size(), 3);

    // A task for the child, reported done, approved by both parents.
    finish(mama.session->addTask(QStringLiteral("Убрал комнату"), 12.5, kidId));
    EXPECT_EQ(mama.error(), QString());
    ASSERT_EQ(mama.session->tasks().size(), 1);
    const QString taskId = mama.session->tasks()[0].id;
    EXPECT_EQ(mama.session->tasks()[0].reward_cents, 1250);
    EXPECT_EQ(mama.session->tasks()[0].required_approvals, 2);

    ASSERT_FALSE(finish(kid.session->refresh()));
    finish(kid.session->act(taskId, QStringLiteral("complete")));
    EXPECT_EQ(kid.error(), QString());
    EXPECT_EQ(kid.task(taskId).status, "review");

    finish(mama.session->act(taskId, QStringLiteral("approve")));
    EXPECT_EQ(mama.error(), QString());
    EXPECT_EQ(mama.task(taskId).status, "review");
    EXPECT_EQ(mama.task(taskId).approval_count, 1);
    EXPECT_EQ(mama.task(taskId).current_user_approved, 1);

    finish(mama.session->act(taskId, QStringLiteral("approve")));
    EXPECT_EQ(mama.error(), QStringLiteral("Вы уже подтвердили это задание."));

    finish(papa.session->act(taskId, QStringLiteral("approve")));
    EXPECT_EQ(papa.error(), QString());
    EXPECT_EQ(papa.task(taskId).status, "done");
    EXPECT_EQ(papa.task(taskId).approval_count, 2);

    // The parent's currency and language reach the child's preferences.
    finish(mama.session->updatePreferences(QStringLiteral("USD"), QStringLiteral("en")));
    EXPECT_EQ(mama.error(), QString());
    EXPECT_NE(kid.preferences.string("currencyCode"), "USD");
    ASSERT_FALSE(finish(kid.session->refresh()));
    EXPECT_EQ(kid.preferences.string("currencyCode"), "USD");
    EXPECT_EQ(kid.preferences.string("appLanguage"), "en");
    EXPECT_EQ(kid.task(taskId).status, "done");

    // A stored sign-in is confirmed by the server on the next start.
    {
        ScopedBundleInfo build(QJsonObject{{"ZanbeckRole", "child"}});
        AccountSession restarted(kid.keychain, kid.preferences,
                                 QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)));
        ASSERT_TRUE(restarted.user());
        finish(restarted.restore());
        EXPECT_EQ(restarted.errorMessage(), std::nullopt);
        EXPECT_EQ(restarted.user()->id, kidId);
        EXPECT_EQ(restarted.tasks().size(), 1);
    }
}
