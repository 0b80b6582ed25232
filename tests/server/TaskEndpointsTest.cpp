#include "ServerHarness.h"

using nlohmann::json;

class TaskEndpoints : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        mama_ = addAccount("mama@example.com", "Мама", "parent");
        kid_ = addAccount("kid@example.com", "Coder", "child");
        mamaToken_ = tokenFor(mama_);
        kidToken_ = tokenFor(kid_);
        pair(mamaToken_, kidToken_);
    }
    void addSecondParent() {
        papa_ = addAccount("papa@example.com", "Папа", "parent");
        papaToken_ = tokenFor(papa_);
        const auto invite = api_->post("/api/family/parent-invite", R"({"action":"create"})", mamaToken_);
        const auto claim = api_->post(
            "/api/family/parent-invite",
            json{{"action", "claim"}, {"token", tokenOf(invite.json["qrPayload"])}}.dump(), papaToken_);
        ASSERT_EQ(claim.status, 200) << claim.body;
    }
    Answer create(const json& body, const std::string& token) { return api_->post("/api/tasks", body.dump(), token); }
    json task(const std::string& token, const std::string& id) { return taskIn(familyOf(token), id); }

    family::Account mama_, papa_, kid_;
    std::string mamaToken_, papaToken_, kidToken_;
};

TEST_F(TaskEndpoints, RewardsAreStoredAsRoundedWholeCents) {
    const std::pair<double, int> cases[] = {{12.5, 1250}, {25, 2500}, {0.125, 13}, {19.999, 2000}, {0.01, 1},
                                            {1.005, 101}, {12.345, 1235}, {0.994, 99}};
    for (const auto& [reward, cents] : cases) {
        const auto answer = create({{"childId", kid_.id}, {"title", "Задание"}, {"reward", reward}}, mamaToken_);
        ASSERT_EQ(answer.status / 100, 2) << answer.body;
        EXPECT_EQ(answer.json["task"]["reward_cents"], cents) << reward;
        EXPECT_EQ(answer.json["task"]["status"], "active");
    }
}

TEST_F(TaskEndpoints, TheTitleIsTrimmedAndMustNotBeEmpty) {
    const auto id = addTask(mamaToken_, kid_.id, 5, "  Убрал комнату \n");
    EXPECT_EQ(task(kidToken_, id)["title"], "Убрал комнату");
    const auto empty = create({{"childId", kid_.id}, {"title", " \t "}, {"reward", 5}}, mamaToken_);
    EXPECT_EQ(empty.status, 400);
    EXPECT_EQ(empty.error(), "Введите название задания.");
    EXPECT_EQ(create({{"childId", kid_.id}, {"title", std::string(201, 'a')}, {"reward", 5}}, mamaToken_).status, 400);
}

TEST_F(TaskEndpoints, ARewardMustBeAFiniteNumberAboveZero) {
    for (const json& reward : {json(0), json(-5), json(0.004), json(1e12), json("10"), json(nullptr), json(true)}) {
        const auto answer = create({{"childId", kid_.id}, {"title", "Задание"}, {"reward", reward}}, mamaToken_);
        EXPECT_EQ(answer.status, 400) << reward.dump();
        EXPECT_FALSE(answer.error().empty());
    }
    EXPECT_EQ(create({{"childId", kid_.id}, {"title", "Задание"}}, mamaToken_).status, 400);
    // JSON has no infinity; an out-of-range literal must not slip through either.
    EXPECT_EQ(api_->post("/api/tasks", R"({"childId":")" + kid_.id + R"(","title":"t","reward":1e400})", mamaToken_)
                  .status,
              400);
    EXPECT_TRUE(familyOf(mamaToken_)["tasks"].empty());
}

TEST_F(TaskEndpoints, OnlyAParentMayGiveTasksAndOnlyToItsOwnChildren) {
    const auto childTry = create({{"childId", kid_.id}, {"title", "Задание"}, {"reward", 5}}, kidToken_);
    EXPECT_EQ(childTry.status, 403);
    EXPECT_EQ(childTry.error(), "Создавать задания может только родитель.");

    const auto stranger = addAccount("stranger@example.com", "Чужой", "child");
    EXPECT_EQ(create({{"childId", stranger.id}, {"title", "Задание"}, {"reward", 5}}, mamaToken_).status, 403);
    EXPECT_EQ(create({{"childId", mama_.id}, {"title", "Задание"}, {"reward", 5}}, mamaToken_).status, 403);
    EXPECT_EQ(create({{"childId", "no-such-id"}, {"title", "Задание"}, {"reward", 5}}, mamaToken_).status, 403);
}

TEST_F(TaskEndpoints, TheChildCompletesAndOneParentApprovesToDone) {
    const auto id = addTask(mamaToken_, kid_.id);
    const auto completed = act(kidToken_, id, "complete");
    ASSERT_EQ(completed.status, 200) << completed.body;
    EXPECT_EQ(completed.json["task"]["status"], "review");
    EXPECT_EQ(task(mamaToken_, id)["status"], "review");

    const auto approved = act(mamaToken_, id, "approve");
    ASSERT_EQ(approved.status, 200) << approved.body;
    EXPECT_EQ(approved.json["task"]["status"], "done");
    const auto done = task(mamaToken_, id);
    EXPECT_EQ(done["approval_count"], 1);
    EXPECT_EQ(done["required_approvals"], 1);
    EXPECT_EQ(done["current_user_approved"], 1);
}

TEST_F(TaskEndpoints, WithTwoParentsEachMustApproveOnce) {
    addSecondParent();
    const auto id = addTask(mamaToken_, kid_.id);
    ASSERT_EQ(act(kidToken_, id, "complete").status, 200);

    ASSERT_EQ(act(mamaToken_, id, "approve").status, 200);
    const auto mamaView = task(mamaToken_, id);
    EXPECT_EQ(mamaView["status"], "review");
    EXPECT_EQ(mamaView["approval_count"], 1);
    EXPECT_EQ(mamaView["required_approvals"], 2);
    EXPECT_EQ(mamaView["current_user_approved"], 1);
    EXPECT_EQ(task(papaToken_, id)["current_user_approved"], 0);

    const auto twice = act(mamaToken_, id, "approve");
    EXPECT_EQ(twice.status, 409);
    EXPECT_EQ(twice.error(), "Вы уже подтвердили это задание.");
    EXPECT_EQ(task(mamaToken_, id)["approval_count"], 1);

    ASSERT_EQ(act(papaToken_, id, "approve").status, 200);
    const auto done = task(papaToken_, id);
    EXPECT_EQ(done["status"], "done");
    EXPECT_EQ(done["approval_count"], 2);
}

TEST_F(TaskEndpoints, ReturningSendsTheTaskBackAndForgetsTheApprovals) {
    addSecondParent();
    const auto id = addTask(mamaToken_, kid_.id);
    ASSERT_EQ(act(kidToken_, id, "complete").status, 200);
    ASSERT_EQ(act(mamaToken_, id, "approve").status, 200);
    const auto returned = act(papaToken_, id, "return");
    ASSERT_EQ(returned.status, 200) << returned.body;
    EXPECT_EQ(returned.json["task"]["status"], "active");
    EXPECT_EQ(returned.json["task"]["approval_count"], 0);

    ASSERT_EQ(act(kidToken_, id, "complete").status, 200);
    EXPECT_EQ(task(mamaToken_, id)["current_user_approved"], 0);
    EXPECT_EQ(act(mamaToken_, id, "approve").status, 200);  // her vote counts afresh
    EXPECT_EQ(task(mamaToken_, id)["status"], "review");
}

TEST_F(TaskEndpoints, ActionsOutOfOrderAre409) {
    const auto id = addTask(mamaToken_, kid_.id);
    EXPECT_EQ(act(mamaToken_, id, "approve").status, 409);
    EXPECT_EQ(act(mamaToken_, id, "return").status, 409);
    ASSERT_EQ(act(kidToken_, id, "complete").status, 200);
    const auto again = act(kidToken_, id, "complete");
    EXPECT_EQ(again.status, 409);
    EXPECT_EQ(again.error(), "Задание уже ждёт проверки.");
    ASSERT_EQ(act(mamaToken_, id, "approve").status, 200);
    EXPECT_EQ(act(mamaToken_, id, "return").status, 409);
    EXPECT_EQ(act(kidToken_, id, "complete").status, 409);
    EXPECT_EQ(task(mamaToken_, id)["status"], "done");
}

TEST_F(TaskEndpoints, WrongRoleForAnActionIs403) {
    const auto id = addTask(mamaToken_, kid_.id);
    const auto parentCompletes = act(mamaToken_, id, "complete");
    EXPECT_EQ(parentCompletes.status, 403);
    EXPECT_EQ(parentCompletes.error(), "Отметить задание выполненным может только ребёнок.");
    ASSERT_EQ(act(kidToken_, id, "complete").status, 200);
    EXPECT_EQ(act(kidToken_, id, "approve").status, 403);
    EXPECT_EQ(act(kidToken_, id, "return").status, 403);
    EXPECT_EQ(task(mamaToken_, id)["status"], "review");
}

TEST_F(TaskEndpoints, TasksOutsideTheAccountsViewAreUnknown) {
    const auto sibling = addAccount("sis@example.com", "Сестра", "child");
    const auto siblingToken = tokenFor(sibling);
    pair(mamaToken_, siblingToken);
    const auto id = addTask(mamaToken_, kid_.id);
    const auto notHers = act(siblingToken, id, "complete");
    EXPECT_EQ(notHers.status, 404);
    EXPECT_EQ(notHers.error(), "Задание не найдено.");

    const auto otherParent = addAccount("other@example.com", "Чужой", "parent");
    ASSERT_EQ(act(kidToken_, id, "complete").status, 200);
    EXPECT_EQ(act(tokenFor(otherParent), id, "approve").status, 404);
    EXPECT_EQ(act(mamaToken_, "no-such-task", "approve").status, 404);
    EXPECT_EQ(task(mamaToken_, id)["approval_count"], 0);
}

TEST_F(TaskEndpoints, MalformedActionRequestsAre400) {
    const auto id = addTask(mamaToken_, kid_.id);
    EXPECT_EQ(act(kidToken_, id, "finish").status, 400);
    EXPECT_EQ(api_->patch("/api/tasks", json{{"id", id}}.dump(), kidToken_).status, 400);
    EXPECT_EQ(api_->patch("/api/tasks", json{{"id", 5}, {"action", "complete"}}.dump(), kidToken_).status, 400);
    EXPECT_EQ(api_->patch("/api/tasks", "{", kidToken_).status, 400);
    EXPECT_EQ(task(kidToken_, id)["status"], "active");
}

TEST_F(TaskEndpoints, TheNewestTaskComesFirst) {
    const auto first = addTask(mamaToken_, kid_.id, 1, "Первое");
    const auto second = addTask(mamaToken_, kid_.id, 2, "Второе");
    const auto tasks = familyOf(kidToken_)["tasks"];
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0]["id"], second);
    EXPECT_EQ(tasks[1]["id"], first);
}
