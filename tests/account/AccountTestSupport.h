#pragma once

#include "account/AccountError.h"
#include "account/AccountSession.h"
#include "account/BundleInfo.h"
#include "account/FamilyRecords.h"
#include "services/Preferences.h"
#include "support/FakeKeychain.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTcpServer>
#include <exception>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace accounttest {

using ::waitUntil;

inline QCoro::Task<> captureFailure(QCoro::Task<> task, std::exception_ptr& failure) {
    try {
        co_await task;
    } catch (...) {
        failure = std::current_exception();
    }
}

// Runs a task to its end and returns what it threw (nullptr when it did not).
inline std::exception_ptr finish(QCoro::Task<> task) {
    std::exception_ptr failure;
    bool done = false;
    auto runner = [](QCoro::Task<> t, std::exception_ptr& f, bool& d) -> QCoro::Task<> {
        co_await captureFailure(std::move(t), f);
        d = true;
    }(std::move(task), failure, done);
    EXPECT_TRUE(waitUntil([&] { return done; })) << "the operation did not finish";
    return failure;
}

inline QString descriptionOf(const std::exception_ptr& failure) {
    try {
        if (failure) std::rethrow_exception(failure);
    } catch (const LocalizedError& error) {
        return error.errorDescription();
    } catch (...) {
        return QStringLiteral("<not a LocalizedError>");
    }
    return {};
}

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

// An origin on this machine where nothing listens.
inline QUrl deadOrigin() {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort()));
}

inline QJsonObject jsonOf(const QByteArray& body) { return QJsonDocument::fromJson(body).object(); }

inline ScriptedResponse held(ScriptedResponse response) {
    response.held = true;
    return response;
}

inline const QByteArray kChildUser = R"({"id":"child-1","email":"anya@family.ru","nickname":"Аня","role":"child"})";
inline const QByteArray kOtherChild = R"({"id":"child-2","email":"misha@family.ru","nickname":"Миша","role":"child"})";
inline const QByteArray kParentUser = R"({"id":"parent-1","email":"mama@family.ru","nickname":"Мама","role":"parent"})";
inline const QByteArray kFamily = R"({"members":[{"id":"parent-1","nickname":"Мама","role":"parent"},
    {"id":"child-1","nickname":"Аня","role":"child"}],
    "tasks":[{"id":"t1","title":"Полить цветы","reward_cents":5000,"status":"active",
              "child_user_id":"child-1","child_nickname":"Аня"}]})";

inline QByteArray authAnswer(const QByteArray& user, const char* token = "token-new") {
    return token ? "{\"user\":" + user + ",\"sessionToken\":\"" + token + "\"}" : "{\"user\":" + user + "}";
}
inline QByteArray meAnswer(const QByteArray& user) { return "{\"user\":" + user + "}"; }

// Records the order in which the session announces its fields, for as long as it lives.
class SignalLog {
public:
    explicit SignalLog(AccountSession& session) {
        using S = AccountSession;
        const std::pair<void (S::*)(), const char*> announcements[] = {
            {&S::userChanged, "user"},
            {&S::membersChanged, "members"},
            {&S::tasksChanged, "tasks"},
            {&S::pairingPayloadChanged, "pairingPayload"},
            {&S::familyInvitePayloadChanged, "familyInvitePayload"},
            {&S::isBusyChanged, "isBusy"},
            {&S::isCreatingPairingCodeChanged, "isCreatingPairingCode"},
            {&S::isCreatingFamilyInviteChanged, "isCreatingFamilyInvite"},
            {&S::errorMessageChanged, "errorMessage"},
        };
        for (const auto& [signal, name] : announcements)
            QObject::connect(&session, signal, &receiver_, [this, name = name] { names.append(QString::fromLatin1(name)); });
    }
    QStringList names;

private:
    QObject receiver_;  // disconnects the log when it goes
};

// A session against a scripted server, with its own keychain, preferences
// and build role (the child's unless a test says otherwise).
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.listen()); }

    std::unique_ptr<AccountSession> makeSession() {
        return std::make_unique<AccountSession>(keychain, preferences, server.origin());
    }
    void setBuildRole(const char* role) { BundleInfo::setOverride(QJsonObject{{"ZanbeckRole", role}}); }
    void storeToken(const QByteArray& token) { keychain.items.insert({AccountSession::kTokenService, QString()}, token); }
    std::optional<QString> storedToken() const {
        auto it = keychain.items.find({AccountSession::kTokenService, QString()});
        return it == keychain.items.end() ? std::nullopt : std::optional<QString>(QString::fromUtf8(*it));
    }
    void storeCachedUser(const QByteArray& json) { preferences.setValue(AccountSession::kCachedUserKey, json); }
    std::optional<QByteArray> cachedUser() const { return preferences.data(AccountSession::kCachedUserKey); }
    // A signed-in session whose cached user has the build role.
    std::unique_ptr<AccountSession> signedInSession() {
        storeToken("token-old");
        storeCachedUser(kChildUser);
        return makeSession();
    }

    ScopedBundleInfo buildRole{QJsonObject{{"ZanbeckRole", "child"}}};
    TempDir dir;
    Preferences preferences{dir.filePath("preferences.ini")};
    InMemoryKeychain keychain;
    ScriptedHttpServer server;
};

}  // namespace accounttest
