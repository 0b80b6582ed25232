#include "ServerHarness.h"
#include "TempPostgres.h"

#include <QFile>

#include <functional>
#include <thread>

#include "ApiError.h"

using nlohmann::json;

TEST_F(ServerTest, SignInAnswersTheUserAndAFreshLongTokenThatMeAccepts) {
    const auto parent = addAccount("Mama@Example.com", "Мама", "parent");
    const auto answer =
        api_->post("/api/auth/login", json{{"email", "  mama@EXAMPLE.com "}, {"password", "password1"}}.dump());
    ASSERT_EQ(answer.status, 200) << answer.body;
    const json user{{"id", parent.id}, {"email", "Mama@Example.com"}, {"nickname", "Мама"}, {"role", "parent"}};
    EXPECT_EQ(answer.json["user"], user);
    ASSERT_TRUE(answer.json["sessionToken"].is_string());
    const std::string first = answer.json["sessionToken"];
    EXPECT_GE(first.size(), 43u) << "256 bits of base64 alone take 43 characters";

    const auto second = login("mama@example.com");
    EXPECT_NE(second, first);
    for (const auto& token : {first, second}) {
        const auto me = api_->get("/api/auth/me", token);
        ASSERT_EQ(me.status, 200) << me.body;
        EXPECT_EQ(me.json["user"], user);
    }
}

TEST_F(ServerTest, WrongCredentialsAreRefusedAlikeAndNotAs401) {
    addAccount("mama@example.com", "Мама", "parent");
    const auto wrongPassword =
        api_->post("/api/auth/login", json{{"email", "mama@example.com"}, {"password", "password2"}}.dump());
    const auto unknownEmail =
        api_->post("/api/auth/login", json{{"email", "papa@example.com"}, {"password", "password1"}}.dump());
    EXPECT_EQ(wrongPassword.status, 403);
    EXPECT_EQ(unknownEmail.status, 403);
    EXPECT_EQ(wrongPassword.error(), "Неверная электронная почта или пароль.");
    EXPECT_EQ(unknownEmail.error(), wrongPassword.error());
    EXPECT_FALSE(wrongPassword.json.contains("sessionToken"));
}

TEST_F(ServerTest, TokensExpireAfterTheirLifetimeAndOnlyTheirHashIsStored) {
    const auto token = tokenFor(addAccount("mama@example.com", "Мама", "parent"));
    const auto secret = QByteArray::fromStdString(token.substr(token.find('.') + 1));
    ASSERT_GE(secret.size(), 43);
    for (const char* suffix : {"", "-wal"}) {
        QFile file(dir_.filePath(QStringLiteral("family.sqlite3") + suffix));
        if (file.open(QIODevice::ReadOnly)) {
            EXPECT_FALSE(file.readAll().contains(secret)) << suffix;
        }
    }

    advance(30LL * 24 * 3600 - 1);
    EXPECT_EQ(api_->get("/api/family", token).status, 200);
    advance(1);
    const auto expired = api_->get("/api/family", token);
    EXPECT_EQ(expired.status, 401);
    EXPECT_EQ(expired.error(), "Сессия истекла. Войдите снова.");
}

namespace {

// Who a token signs in as, as one thread sees it: refused (401) or an account.
struct Seen {
    int status = 200;
    std::string id;
    std::optional<std::string> familyId;
    bool operator==(const Seen&) const = default;
};

Seen seenBy(family::FamilyStore& store, const std::string& token) {
    try {
        const auto account = store.authenticate(token);
        return Seen{200, account.id, account.familyId};
    } catch (const family::ApiError& e) {
        return Seen{e.status(), {}, {}};
    }
}

// What a thread that has kept no session sees: the store as it is now.
Seen seenFresh(family::FamilyStore& store, const std::string& token) {
    Seen seen;
    std::thread([&] { seen = seenBy(store, token); }).join();
    return seen;
}

}  // namespace

// Every thread keeps the sessions it looked up. Each change of this process
// that moves an account to another family or ends one of its sessions is seen
// by the very next request on every other thread that kept the session (this
// test's thread, and the server's); a change that touches no session and no
// account leaves every kept session standing, not looked up again.
TEST_F(FamilyTest, AKeptSessionStandsUntilAChangeTouchesItsAccountOrItsSessions) {
    if (testsUsePostgres()) GTEST_SKIP() << "sessions are kept only beside SQLite";
    pair(mamaToken_, kidToken_);
    const auto task = addTask(mamaToken_, kid_.id);
    const auto son = addAccount("son@example.com", "Сын", "child");
    const auto aunt = addAccount("aunt@example.com", "Тётя", "parent");
    const auto uncle = addAccount("uncle@example.com", "Дядя", "parent");
    const auto grandma = addAccount("grandma@example.com", "Бабушка", "parent");
    const auto sonToken = tokenFor(son), auntToken = tokenFor(aunt), uncleToken = tokenFor(uncle);
    const auto grandmasFirst = tokenFor(grandma);
    constexpr std::int64_t kPastEveryExpiry = 31LL * 24 * 3600;
    const struct {
        const char* change;
        std::function<void()> make;
        std::vector<std::string> changed;  // tokens whose kept session must be looked up again
    } changes[] = {
        {"a task made", [&] { addTask(mamaToken_, kid_.id, 3, "Второе"); }, {}},
        {"completed", [&] { EXPECT_EQ(act(kidToken_, task, "complete").status, 200); }, {}},
        {"approved", [&] { EXPECT_EQ(act(mamaToken_, task, "approve").status, 200); }, {}},
        {"a family's preferences",
         [&] { EXPECT_EQ(api_->patch("/api/preferences", R"({"currency":"USD","language":"ru"})", mamaToken_).status, 200); },
         {}},
        {"a sign-in", [&] { login("papa@example.com"); }, {}},
        {"a child paired", [&] { EXPECT_EQ(claimPairing(mamaToken_, pairingCodeOf(sonToken)).status, 200); },
         {sonToken}},
        {"a parent joined by an invite", [&] { EXPECT_EQ(claimInvite(papaToken_, inviteCode(mamaToken_)).status, 200); },
         {papaToken_}},
        {"preferences of a parent without a family",
         [&] { EXPECT_EQ(api_->patch("/api/preferences", R"({"currency":"EUR","language":"ru"})", auntToken).status, 200); },
         {auntToken}},
        {"an invite made by a parent without a family", [&] { EXPECT_EQ(createInvite(uncleToken).status, 201); },
         {uncleToken}},
        // Its first session expired and went with the sign-in; a clock that
        // then steps back must not bring it back.
        {"a sign-in that ends the account's expired sessions",
         [&] {
             advance(kPastEveryExpiry);
             login(grandma.email);
             advance(-kPastEveryExpiry);
         },
         {grandmasFirst}},
    };
    const std::vector<std::string> tokens{mamaToken_, papaToken_, kidToken_,  sonToken,
                                          auntToken,  uncleToken, grandmasFirst};
    constexpr int kRequests = 24;  // more than the server has threads, so every thread keeps each session
    for (const auto& c : changes) {
        SCOPED_TRACE(c.change);
        for (const auto& token : tokens) {
            ASSERT_EQ(seenBy(*store_, token).status, 200);  // this thread keeps it
            for (int i = 0; i < kRequests; ++i) ASSERT_EQ(api_->get("/api/auth/me", token).status, 200);
        }
        c.make();
        const auto lookUps = store_->sessionLookUps();
        std::vector<Seen> seen;
        for (const auto& token : tokens) seen.push_back(seenBy(*store_, token));
        EXPECT_EQ(store_->sessionLookUps() - lookUps, c.changed.size()) << "sessions looked up again";
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const auto now = seenFresh(*store_, tokens[i]);
            EXPECT_EQ(seen[i], now) << "token " << i << ": kept " << seen[i].familyId.value_or("no family")
                                    << ", stored " << now.familyId.value_or("no family");
            for (int r = 0; r < kRequests; ++r)
                ASSERT_EQ(api_->get("/api/auth/me", tokens[i]).status, now.status) << "token " << i << ", request " << r;
        }
    }
    EXPECT_EQ(seenFresh(*store_, grandmasFirst).status, 401);
    EXPECT_EQ(seenFresh(*store_, sonToken).familyId, seenFresh(*store_, mamaToken_).familyId);
}
