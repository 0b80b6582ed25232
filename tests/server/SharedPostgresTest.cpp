#include <barrier>
#include <functional>
#include <thread>

#include "ServerHarness.h"
#include "ServerProcess.h"
#include "TempPostgres.h"

using nlohmann::json;

namespace {

std::string signIn(ApiClient& api, const std::string& email) {
    return api.post("/api/auth/login", json{{"email", email}, {"password", "password1"}}.dump())
        .json.value("sessionToken", "");
}

std::string tokenOf(const Answer& code) {
    const std::string payload = code.json.value("qrPayload", "");
    return payload.substr(payload.find("token=") + 6);
}

// Runs the two requests at the same moment, one per thread, and returns both answers.
std::pair<Answer, Answer> atOnce(const std::function<Answer()>& a, const std::function<Answer()>& b) {
    std::barrier start(2);
    Answer first, second;
    std::thread other([&] {
        start.arrive_and_wait();
        second = b();
    });
    start.arrive_and_wait();
    first = a();
    other.join();
    return {first, second};
}

}  // namespace

// Two server processes on one PostgreSQL database, as behind a load balancer:
// the rules hold because the database keeps them, not a lock in either process.
class TwoProcessesOnePostgres : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sharedPostgres().installed()) GTEST_SKIP() << "PostgreSQL cannot run here: " << sharedPostgres().problem();
        database_ = sharedPostgres().newDatabase();
        ASSERT_FALSE(database_.empty()) << "PostgreSQL did not start: " << sharedPostgres().problem();
    }
    void start(const std::vector<family::NewAccount>& accounts, bool sameFamily) {
        accounts_ = seedStore(database_, accounts, sameFamily);
        a_.emplace(database_);
        b_.emplace(database_);
        const int portA = a_->start(), portB = b_->start();
        ASSERT_GT(portA, 0);
        ASSERT_GT(portB, 0);
        apiA_.emplace("127.0.0.1", portA);
        apiB_.emplace("127.0.0.1", portB);
    }

    std::string database_;
    std::vector<family::Account> accounts_;
    std::optional<ServerProcess> a_, b_;
    std::optional<ApiClient> apiA_, apiB_;
};

TEST_F(TwoProcessesOnePostgres, ConcurrentApprovalsByBothParentsCountOnceEach) {
    start({{"mama@example.com", "Мама", "parent", "password1"},
           {"papa@example.com", "Папа", "parent", "password1"},
           {"kid@example.com", "Coder", "child", "password1"}},
          true);
    const auto mama = signIn(*apiA_, "mama@example.com"), papa = signIn(*apiB_, "papa@example.com");
    const auto kid = signIn(*apiA_, "kid@example.com");
    constexpr int kTasks = 30;
    std::vector<std::string> ids;
    for (int i = 0; i < kTasks; ++i) {
        auto made = (i % 2 ? *apiA_ : *apiB_)
                        .post("/api/tasks", json{{"childId", accounts_[2].id}, {"title", "Дело"}, {"reward", 1}}.dump(),
                              i % 2 ? mama : papa);
        ASSERT_EQ(made.status, 201) << made.body;
        ids.push_back(made.json["task"]["id"]);
        ASSERT_EQ((i % 2 ? *apiB_ : *apiA_).patch("/api/tasks", json{{"id", ids.back()}, {"action", "complete"}}.dump(), kid).status,
                  200);
    }
    for (const auto& id : ids) {
        const auto body = [&](const char* action) { return json{{"id", id}, {"action", action}}.dump(); };
        const auto [byMama, byPapa] = atOnce([&] { return apiA_->patch("/api/tasks", body("approve"), mama); },
                                             [&] { return apiB_->patch("/api/tasks", body("approve"), papa); });
        EXPECT_EQ(byMama.status, 200) << byMama.body;
        EXPECT_EQ(byPapa.status, 200) << byPapa.body;
    }
    for (const auto& task : apiB_->get("/api/family", mama).json["tasks"]) {
        EXPECT_EQ(task["status"], "done") << task.dump();
        EXPECT_EQ(task["approval_count"], 2) << task.dump();
    }
}

TEST_F(TwoProcessesOnePostgres, ACodeClaimedFromBothProcessesAtOnceIsUsedOnceAndNoThirdParentJoins) {
    constexpr int kRounds = 12;
    std::vector<family::NewAccount> accounts{{"mama@example.com", "Мама", "parent", "password1"},
                                             {"other@example.com", "Сосед", "parent", "password1"}};
    for (int i = 0; i < kRounds; ++i) {
        accounts.push_back({"kid" + std::to_string(i) + "@example.com", "Ребёнок", "child", "password1"});
        accounts.push_back({"head" + std::to_string(i) + "@example.com", "Глава", "parent", "password1"});
        accounts.push_back({"p" + std::to_string(i) + "@example.com", "Второй", "parent", "password1"});
        accounts.push_back({"q" + std::to_string(i) + "@example.com", "Третий", "parent", "password1"});
    }
    start(accounts, false);
    const auto mama = signIn(*apiA_, "mama@example.com"), other = signIn(*apiB_, "other@example.com");
    for (int i = 0; i < kRounds; ++i) {
        const auto n = std::to_string(i);
        // A child's code, claimed by two parents of two families through two processes.
        const auto code = tokenOf(apiA_->post("/api/pairing/create", "{}", signIn(*apiA_, "kid" + n + "@example.com")));
        const auto claim = json{{"token", code}}.dump();
        const auto [byMama, byOther] = atOnce([&] { return apiA_->post("/api/pairing/claim", claim, mama); },
                                              [&] { return apiB_->post("/api/pairing/claim", claim, other); });
        EXPECT_EQ((byMama.status == 200) + (byOther.status == 200), 1) << byMama.body << " / " << byOther.body;
        EXPECT_EQ(byMama.status + byOther.status, 200 + 409) << byMama.body << " / " << byOther.body;

        // Two invites of one family with one parent, claimed by two more at once: one joins.
        const auto head = signIn(*apiA_, "head" + n + "@example.com");
        const auto inviteA = tokenOf(apiA_->post("/api/family/parent-invite", R"({"action":"create"})", head));
        const auto inviteB = tokenOf(apiB_->post("/api/family/parent-invite", R"({"action":"create"})", head));
        const auto p = signIn(*apiA_, "p" + n + "@example.com"), q = signIn(*apiB_, "q" + n + "@example.com");
        const auto [byP, byQ] = atOnce(
            [&] { return apiA_->post("/api/family/parent-invite", json{{"action", "claim"}, {"token", inviteA}}.dump(), p); },
            [&] { return apiB_->post("/api/family/parent-invite", json{{"action", "claim"}, {"token", inviteB}}.dump(), q); });
        EXPECT_EQ((byP.status == 200) + (byQ.status == 200), 1) << byP.body << " / " << byQ.body;
        const auto refused = byP.status == 200 ? byQ : byP;
        EXPECT_EQ(refused.status, 409);
        EXPECT_EQ(refused.error(), "В семье уже два родителя.");
        EXPECT_EQ(apiB_->get("/api/family", head).json["members"].size(), 2u);
    }
    const auto mamaFamily = apiB_->get("/api/family", mama).json["members"].size();
    const auto otherFamily = apiA_->get("/api/family", other).json["members"].size();
    EXPECT_EQ(mamaFamily + otherFamily - 2, static_cast<std::size_t>(kRounds));  // every child in exactly one
}
