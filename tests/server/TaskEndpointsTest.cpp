#include "ServerHarness.h"

using nlohmann::json;

class TaskEndpoints : public FamilyTest {
protected:
    void SetUp() override {
        FamilyTest::SetUp();
        if (!server_) return;
        pair(mamaToken_, kidToken_);
    }
};

TEST_F(TaskEndpoints, RewardsAreStoredAsRoundedWholeCentsAndTitlesTrimmed) {
    const std::pair<double, int> cases[] = {{12.5, 1250}, {25, 2500},   {0.125, 13},    {19.999, 2000},
                                            {0.01, 1},    {1.005, 101}, {12.345, 1235}, {0.994, 99}};
    for (const auto& [reward, cents] : cases) {
        const auto answer =
            api_->post("/api/tasks",
                       json{{"childId", kid_.id}, {"title", "  Убрал комнату \n"}, {"reward", reward}}.dump(),
                       mamaToken_);
        ASSERT_EQ(answer.status, 201) << answer.body;
        EXPECT_EQ(answer.json["task"]["reward_cents"], cents) << reward;
        EXPECT_EQ(answer.json["task"]["status"], "active");
        EXPECT_EQ(answer.json["task"]["title"], "Убрал комнату");
    }
}

// The error text of a repeated approval is checked end to end (EndToEndTest).
TEST_F(TaskEndpoints, WithTwoParentsEachApprovesOnceAndReturningForgetsTheApprovals) {
    joinAsSecondParent();
    const auto id = addTask(mamaToken_, kid_.id);
    ASSERT_EQ(act(kidToken_, id, "complete").status, 200);
    ASSERT_EQ(act(mamaToken_, id, "approve").status, 200);
    const auto mamaView = task(mamaToken_, id);
    EXPECT_EQ(mamaView["status"], "review");
    EXPECT_EQ(mamaView["approval_count"], 1);
    EXPECT_EQ(mamaView["required_approvals"], 2);
    EXPECT_EQ(mamaView["current_user_approved"], 1);
    EXPECT_EQ(task(papaToken_, id)["current_user_approved"], 0);
    EXPECT_EQ(act(mamaToken_, id, "approve").status, 409);
    EXPECT_EQ(task(mamaToken_, id)["approval_count"], 1);

    const auto returned = act(papaToken_, id, "return");
    ASSERT_EQ(returned.status, 200) << returned.body;
    EXPECT_EQ(returned.json["task"]["status"], "active");
    EXPECT_EQ(returned.json["task"]["approval_count"], 0);
    // Mama's card still offers both buttons: what she sends is refused with
    // the truth, the task was returned, not that it was never reported done.
    for (const char* action : {"approve", "return"}) {
        const auto late = act(mamaToken_, id, action);
        EXPECT_EQ(late.status, 409) << action;
        EXPECT_EQ(late.error(), "Задание уже вернули ребёнку.") << action;
    }

    ASSERT_EQ(act(kidToken_, id, "complete").status, 200);
    EXPECT_EQ(task(mamaToken_, id)["current_user_approved"], 0);
    ASSERT_EQ(act(mamaToken_, id, "approve").status, 200);  // her vote counts afresh
    EXPECT_EQ(task(mamaToken_, id)["status"], "review");
    ASSERT_EQ(act(papaToken_, id, "approve").status, 200);
    const auto done = task(papaToken_, id);
    EXPECT_EQ(done["status"], "done");
    EXPECT_EQ(done["approval_count"], 2);
}

TEST_F(TaskEndpoints, TheChildCompletesOneParentApprovesAndStepsOutOfOrderAre409) {
    const auto id = addTask(mamaToken_, kid_.id);
    const struct {
        std::string token, action;
        int status;
        const char* after;            // the task's status once the step is answered
        const char* error = nullptr;  // checked when given
    } steps[] = {
        {mamaToken_, "approve", 409, "active", "Ребёнок ещё не отметил задание выполненным."},
        {mamaToken_, "return", 409, "active"},
        {kidToken_, "complete", 200, "review"},
        {kidToken_, "complete", 409, "review", "Задание уже ждёт проверки."},
        {mamaToken_, "approve", 200, "done"},
        {mamaToken_, "return", 409, "done"},
        {kidToken_, "complete", 409, "done", "Задание уже выполнено."},
    };
    for (const auto& step : steps) {
        const auto answer = act(step.token, id, step.action);
        EXPECT_EQ(answer.status, step.status) << step.action << " to " << step.after << ": " << answer.body;
        EXPECT_EQ(task(mamaToken_, id)["status"], step.after) << step.action;
        if (step.status == 200) {
            EXPECT_EQ(answer.json["task"]["status"], step.after) << step.action;
        } else if (step.error) {
            EXPECT_EQ(answer.error(), step.error) << step.action;
        }
    }
    const auto done = task(mamaToken_, id);
    EXPECT_EQ(done["approval_count"], 1);
    EXPECT_EQ(done["required_approvals"], 1);
    EXPECT_EQ(done["current_user_approved"], 1);
}

TEST_F(TaskEndpoints, TasksOutsideTheAccountsViewAreUnknown) {
    const auto sisterToken = tokenFor(addAccount("sis@example.com", "Сестра", "child"));
    pair(mamaToken_, sisterToken);
    const auto id = addTask(mamaToken_, kid_.id);
    const auto notHers = act(sisterToken, id, "complete");
    EXPECT_EQ(notHers.status, 404);
    EXPECT_EQ(notHers.error(), "Задание не найдено.");

    ASSERT_EQ(act(kidToken_, id, "complete").status, 200);
    // Outside parents, with no family and with one of their own: a family id
    // of their own must not pass for the task's.
    const auto loner = tokenFor(addAccount("other@example.com", "Чужой", "parent"));
    const auto stranger = tokenFor(addAccount("stranger@example.com", "Сосед", "parent"));
    pair(stranger, tokenFor(addAccount("ownkid@example.com", "Свой", "child")));
    ASSERT_EQ(familyOf(stranger)["members"].size(), 2u);
    for (const auto& token : {loner, stranger}) {
        for (const char* action : {"approve", "return"}) {
            const auto answer = act(token, id, action);
            EXPECT_EQ(answer.status, 404) << action << ": " << answer.body;
            EXPECT_EQ(answer.error(), "Задание не найдено.") << action;
        }
    }
    EXPECT_TRUE(familyOf(stranger)["tasks"].empty());
    EXPECT_EQ(act(mamaToken_, "no-such-task", "approve").status, 404);
    const auto unchanged = task(mamaToken_, id);
    EXPECT_EQ(unchanged["status"], "review");
    EXPECT_EQ(unchanged["approval_count"], 0);
}

