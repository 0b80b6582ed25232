#include "ServerHarness.h"

#include <QFile>

using nlohmann::json;

class AuthEndpoints : public ServerTest {};

TEST_F(AuthEndpoints, SignInAnswersTheUserAndALongRandomToken) {
    const auto parent = addAccount("mama@example.com", "Мама", "parent");
    const auto answer =
        api_->post("/api/auth/login", json{{"email", "mama@example.com"}, {"password", "password1"}}.dump());
    ASSERT_EQ(answer.status, 200) << answer.body;
    const auto& user = answer.json["user"];
    EXPECT_EQ(user["id"], parent.id);
    EXPECT_EQ(user["email"], "mama@example.com");
    EXPECT_EQ(user["nickname"], "Мама");
    EXPECT_EQ(user["role"], "parent");
    ASSERT_TRUE(answer.json["sessionToken"].is_string());
    // 256 bits of base64 alone take 43 characters.
    EXPECT_GE(answer.json["sessionToken"].get<std::string>().size(), 43u);

    const auto again = login("mama@example.com");
    EXPECT_NE(again, answer.json["sessionToken"]);
    EXPECT_EQ(api_->get("/api/auth/me", again).status, 200);
    EXPECT_EQ(api_->get("/api/auth/me", answer.json["sessionToken"]).status, 200);
}

TEST_F(AuthEndpoints, EmailIsMatchedIgnoringCaseAndOuterSpaces) {
    addAccount("Kid@Example.com", "Coder", "child");
    EXPECT_FALSE(login("  kid@EXAMPLE.com ").empty());
}

TEST_F(AuthEndpoints, WrongCredentialsAreRefusedWithTheSameTextAndNot401) {
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

TEST_F(AuthEndpoints, MalformedSignInBodiesAre400) {
    for (const std::string body : {"", "not json", "[]", "\"x\"", R"({"email":"a@b.c"})",
                                   R"({"email":1,"password":"password1"})", R"({"email":"a@b.c","password":null})"}) {
        const auto answer = api_->post("/api/auth/login", body);
        EXPECT_EQ(answer.status, 400) << body;
        EXPECT_FALSE(answer.error().empty()) << body;
    }
}

TEST_F(AuthEndpoints, MeAnswersTheSignedInUser) {
    const auto child = addAccount("kid@example.com", "Coder", "child");
    const auto answer = api_->get("/api/auth/me", tokenFor(child));
    ASSERT_EQ(answer.status, 200);
    EXPECT_EQ(answer.json["user"], json({{"id", child.id}, {"email", "kid@example.com"}, {"nickname", "Coder"},
                                         {"role", "child"}}));
}

TEST_F(AuthEndpoints, EveryAuthorizedEndpointAnswers401WithoutAValidToken) {
    const auto parent = addAccount("mama@example.com", "Мама", "parent");
    const auto token = tokenFor(parent);
    std::string mangled = token;
    auto& flipped = mangled[mangled.size() - 10];
    flipped = flipped == 'A' ? 'B' : 'A';  // right selector, wrong secret
    for (const std::string& bad : {std::string(), std::string("nonsense"), mangled}) {
        const Answer answers[] = {
            api_->get("/api/auth/me", bad),
            api_->get("/api/family", bad),
            api_->patch("/api/preferences", R"({"currency":"USD","language":"en"})", bad),
            api_->post("/api/pairing/create", "{}", bad),
            api_->post("/api/pairing/claim", R"({"token":"x"})", bad),
            api_->post("/api/family/parent-invite", R"({"action":"create"})", bad),
            api_->post("/api/tasks", R"({"childId":"x","title":"t","reward":1})", bad),
            api_->patch("/api/tasks", R"({"id":"x","action":"complete"})", bad),
        };
        for (const auto& answer : answers) {
            EXPECT_EQ(answer.status, 401) << "token '" << bad << "': " << answer.body;
            EXPECT_FALSE(answer.error().empty());
        }
    }
}

TEST_F(AuthEndpoints, TokensExpireAfterTheirLifetime) {
    const auto parent = addAccount("mama@example.com", "Мама", "parent");
    const auto token = tokenFor(parent);
    advance(30LL * 24 * 3600 - 1);
    EXPECT_EQ(api_->get("/api/family", token).status, 200);
    advance(1);
    const auto expired = api_->get("/api/family", token);
    EXPECT_EQ(expired.status, 401);
    EXPECT_EQ(expired.error(), "Сессия истекла. Войдите снова.");
}

TEST_F(AuthEndpoints, OnlyAHashOfTheTokenSecretIsStored) {
    const auto parent = addAccount("mama@example.com", "Мама", "parent");
    const auto token = tokenFor(parent);
    const auto secret = QByteArray::fromStdString(token.substr(token.find('.') + 1));
    ASSERT_GE(secret.size(), 43);
    for (const char* suffix : {"", "-wal"}) {
        QFile file(dir_.filePath(QStringLiteral("family.sqlite3") + suffix));
        if (!file.open(QIODevice::ReadOnly)) continue;
        EXPECT_FALSE(file.readAll().contains(secret)) << suffix;
    }
}
