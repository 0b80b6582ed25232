#include "ServerHarness.h"

using nlohmann::json;

class FamilyEndpoint : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        parent_ = addAccount("mama@example.com", "Мама", "parent");
        child_ = addAccount("kid@example.com", "Coder", "child");
        parentToken_ = tokenFor(parent_);
        childToken_ = tokenFor(child_);
    }
    family::Account parent_, child_;
    std::string parentToken_, childToken_;
};

TEST_F(FamilyEndpoint, AnAccountWithoutAFamilySeesItselfAndNoPreferences) {
    const auto family = familyOf(parentToken_);
    EXPECT_EQ(family["members"], json::array({{{"id", parent_.id}, {"nickname", "Мама"}, {"role", "parent"}}}));
    EXPECT_EQ(family["tasks"], json::array());
    EXPECT_FALSE(family.contains("preferences"));
}

TEST_F(FamilyEndpoint, ListsMembersAndTasksWithTheRecordTypesTheAppDecodes) {
    pair(parentToken_, childToken_);
    const auto taskId = addTask(parentToken_, child_.id, 12.5);
    const auto family = familyOf(parentToken_);
    ASSERT_EQ(family["members"].size(), 2u);
    EXPECT_EQ(family["members"][1], json({{"id", child_.id}, {"nickname", "Coder"}, {"role", "child"}}));
    const auto task = taskIn(family, taskId);
    EXPECT_TRUE(task["id"].is_string());
    EXPECT_EQ(task["title"], "Убрал комнату");
    EXPECT_TRUE(task["reward_cents"].is_number_integer());
    EXPECT_EQ(task["reward_cents"], 1250);
    EXPECT_EQ(task["status"], "active");
    EXPECT_EQ(task["child_user_id"], child_.id);
    EXPECT_EQ(task["child_nickname"], "Coder");
    EXPECT_TRUE(task["approval_count"].is_number_integer());
    EXPECT_EQ(task["required_approvals"], 1);
    // The app fails to decode a boolean here: it must be the integer 0 or 1.
    ASSERT_TRUE(task["current_user_approved"].is_number_integer());
    EXPECT_EQ(task["current_user_approved"], 0);
}

TEST_F(FamilyEndpoint, AChildSeesOnlyItsOwnTasks) {
    const auto sibling = addAccount("sis@example.com", "Сестра", "child");
    pair(parentToken_, childToken_);
    pair(parentToken_, tokenFor(sibling));
    const auto mine = addTask(parentToken_, child_.id, 5, "Помыл полы :)");
    addTask(parentToken_, sibling.id, 7, "Сделал домашнее задание");

    const auto childView = familyOf(childToken_);
    EXPECT_EQ(childView["members"].size(), 3u);
    ASSERT_EQ(childView["tasks"].size(), 1u);
    EXPECT_EQ(childView["tasks"][0]["id"], mine);
    EXPECT_FALSE(childView["tasks"][0].contains("current_user_approved"));
    EXPECT_EQ(familyOf(parentToken_)["tasks"].size(), 2u);
}

TEST_F(FamilyEndpoint, PreferencesSetByTheParentReachTheChild) {
    pair(parentToken_, childToken_);
    EXPECT_FALSE(familyOf(childToken_).contains("preferences"));
    const auto answer = api_->patch("/api/preferences", R"({"currency":"USD","language":"en_US"})", parentToken_);
    ASSERT_EQ(answer.status, 200) << answer.body;
    EXPECT_TRUE(answer.json.is_object());
    EXPECT_EQ(familyOf(childToken_)["preferences"], json({{"currency_code", "USD"}, {"language_code", "en_US"}}));
}

TEST_F(FamilyEndpoint, PreferencesAreFamilyWideSoAChildsEchoIsAccepted) {
    pair(parentToken_, childToken_);
    ASSERT_EQ(api_->patch("/api/preferences", R"({"currency":"RUB","language":"auto"})", childToken_).status, 200);
    EXPECT_EQ(familyOf(parentToken_)["preferences"], json({{"currency_code", "RUB"}, {"language_code", "auto"}}));
}

TEST_F(FamilyEndpoint, MalformedPreferencesAre400AndChangeNothing) {
    ASSERT_EQ(api_->patch("/api/preferences", R"({"currency":"KZT","language":"ru"})", parentToken_).status, 200);
    for (const std::string body : {R"({"currency":"usd","language":"en"})", R"({"currency":"US","language":"en"})",
                                   R"({"currency":"USD","language":""})", R"({"currency":"USD","language":"e n"})",
                                   R"({"currency":"USD"})", R"({"currency":5,"language":"en"})", "[]"}) {
        const auto answer = api_->patch("/api/preferences", body, parentToken_);
        EXPECT_EQ(answer.status, 400) << body;
        EXPECT_FALSE(answer.error().empty()) << body;
    }
    EXPECT_EQ(familyOf(parentToken_)["preferences"]["currency_code"], "KZT");
}
