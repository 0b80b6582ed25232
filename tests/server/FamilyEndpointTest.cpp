#include "ServerHarness.h"

using nlohmann::json;

TEST_F(FamilyTest, AnAccountWithoutAFamilySeesItselfAndNoPreferences) {
    const auto family = familyOf(mamaToken_);
    EXPECT_EQ(family["members"], json::array({{{"id", mama_.id}, {"nickname", "Мама"}, {"role", "parent"}}}));
    EXPECT_EQ(family["tasks"], json::array());
    EXPECT_FALSE(family.contains("preferences"));
}

TEST_F(FamilyTest, ListsMembersAndTasksWithTheRecordTypesTheAppDecodes) {
    const auto sister = addAccount("sis@example.com", "Сестра", "child");
    pair(mamaToken_, kidToken_);
    pair(mamaToken_, tokenFor(sister));
    const auto first = addTask(mamaToken_, kid_.id, 12.5);
    addTask(mamaToken_, sister.id, 7, "Сделал домашнее задание");
    const auto newest = addTask(mamaToken_, kid_.id, 1, "Второе");

    const auto family = familyOf(mamaToken_);
    ASSERT_EQ(family["members"].size(), 3u);
    EXPECT_EQ(family["members"][1], json({{"id", kid_.id}, {"nickname", "Coder"}, {"role", "child"}}));
    ASSERT_EQ(family["tasks"].size(), 3u);
    EXPECT_EQ(family["tasks"][0]["id"], newest) << "the newest task comes first";
    const auto task = taskIn(family, first);
    EXPECT_EQ(task, json({{"id", first}, {"title", "Убрал комнату"}, {"reward_cents", 1250}, {"status", "active"},
                          {"child_user_id", kid_.id}, {"child_nickname", "Coder"}, {"approval_count", 0},
                          {"required_approvals", 1}, {"current_user_approved", 0}}));
    // The app fails to decode a boolean or a fraction in these.
    for (const char* key : {"reward_cents", "approval_count", "required_approvals", "current_user_approved"})
        EXPECT_TRUE(task[key].is_number_integer()) << key;

    const auto childView = familyOf(kidToken_);
    EXPECT_EQ(childView["members"].size(), 3u);
    ASSERT_EQ(childView["tasks"].size(), 2u) << "a child sees only its own tasks";
    EXPECT_EQ(childView["tasks"][1]["id"], first);
    EXPECT_FALSE(childView["tasks"][1].contains("current_user_approved"));
}

TEST_F(FamilyTest, PreferencesAreFamilyWideWhoeverSetsThem) {
    pair(mamaToken_, kidToken_);
    EXPECT_FALSE(familyOf(kidToken_).contains("preferences"));
    const auto answer = api_->patch("/api/preferences", R"({"currency":"USD","language":"en_US"})", mamaToken_);
    ASSERT_EQ(answer.status, 200) << answer.body;
    EXPECT_EQ(familyOf(kidToken_)["preferences"], json({{"currency_code", "USD"}, {"language_code", "en_US"}}));
    // The child's app echoes the family's preferences back.
    ASSERT_EQ(api_->patch("/api/preferences", R"({"currency":"RUB","language":"auto"})", kidToken_).status, 200);
    EXPECT_EQ(familyOf(mamaToken_)["preferences"], json({{"currency_code", "RUB"}, {"language_code", "auto"}}));
}

// Family answers may be kept between changes; whichever thread answers, and
// whoever wrote the change, a read after it is current, and each viewer gets
// their own answer.
TEST_F(FamilyTest, EveryReadAfterAChangeIsCurrentAndEachViewerGetsTheirOwn) {
    pair(mamaToken_, kidToken_);
    const auto task = addTask(mamaToken_, kid_.id);
    constexpr int kReads = 24;  // more than the server has threads, so every thread keeps answers
    const auto everyRead = [&](const std::string& token, const auto& check) {
        for (int i = 0; i < kReads; ++i) check(familyOf(token));
    };
    everyRead(mamaToken_, [&](const json& family) { EXPECT_EQ(family["tasks"].size(), 1u); });
    everyRead(kidToken_, [&](const json& family) {
        ASSERT_EQ(family["tasks"].size(), 1u);
        EXPECT_FALSE(family["tasks"][0].contains("current_user_approved"));
    });

    ASSERT_EQ(act(kidToken_, task, "complete").status, 200);
    everyRead(mamaToken_, [&](const json& family) { EXPECT_EQ(taskIn(family, task)["status"], "review"); });

    // Written through the store itself, not through a request.
    store_->addTask(mama_, kid_.id, "Второе", 3);
    everyRead(kidToken_, [&](const json& family) { EXPECT_EQ(family["tasks"].size(), 2u); });
    everyRead(mamaToken_, [&](const json& family) {
        ASSERT_EQ(family["tasks"].size(), 2u);
        EXPECT_EQ(family["tasks"][1].value("current_user_approved", -1), 0);
    });
}
