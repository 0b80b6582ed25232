#include "ServerHarness.h"

#include <QFile>

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
