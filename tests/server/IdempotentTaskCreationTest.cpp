#include <httplib.h>

#include <barrier>
#include <set>
#include <thread>

#include "ServerHarness.h"
#include "ServerProcess.h"
#include "TempPostgres.h"

using nlohmann::json;

namespace {

struct Created {
    int status = 0;
    std::string taskId;
};

Created createTask(int port, const std::string& token, const std::string& childId, const std::string& title,
                   const std::string& key) {
    httplib::Client client("127.0.0.1", port);
    httplib::Headers headers{{"Authorization", "Bearer " + token}};
    if (!key.empty()) headers.emplace("Idempotency-Key", key);
    const auto result =
        client.Post("/api/tasks", headers, json{{"childId", childId}, {"title", title}, {"reward", 5}}.dump(),
                    "application/json");
    if (!result) return {};
    const auto body = json::parse(result->body, nullptr, false);
    Created created{result->status, ""};
    if (body.is_object() && body.contains("task")) created.taskId = body["task"].value("id", "");
    return created;
}

std::string signIn(int port, const std::string& email) {
    return ApiClient("127.0.0.1", port)
        .post("/api/auth/login", json{{"email", email}, {"password", "password1"}}.dump())
        .json.value("sessionToken", "");
}

}  // namespace

// A task sent again after a time-out carries the same Idempotency-Key: the
// server answers it with the task the first request made and makes no second.
TEST(IdempotentTaskCreation, ARepeatedKeyMakesOneTaskPerAccountEvenWhenRacingAndAfterARestart) {
    TempDir dir;
    SERVER_STORE_OR_SKIP(data, dir.filePath("data").toStdString());
    const auto accounts = seedStore(data,
                                    {{"mama@example.com", "Мама", "parent", "password1"},
                                     {"papa@example.com", "Папа", "parent", "password1"},
                                     {"kid@example.com", "Coder", "child", "password1"}},
                                    true);
    const std::string kid = accounts[2].id;
    ServerProcess server(data);
    int port = server.start();
    ASSERT_GT(port, 0);
    const auto mama = signIn(port, "mama@example.com"), papa = signIn(port, "papa@example.com");

    const auto first = createTask(port, mama, kid, "Полить цветы", "key-1");
    ASSERT_EQ(first.status, 201);
    std::set<std::string> made{first.taskId};
    const struct {
        const std::string& token;
        std::string title, key;
        bool sameAsFirst;
    } repeats[] = {
        {mama, "Полить цветы", "key-1", true},
        {mama, " Полить цветы\n", "key-1", true},  // the same title as the server keeps it
        {mama, "Полить цветы", "key-2", false},
        {papa, "Полить цветы", "key-1", false},  // another account's key is its own
        {mama, "Без ключа", "", false},
        {mama, "Без ключа", "", false},
    };
    for (const auto& r : repeats) {
        const auto again = createTask(port, r.token, kid, r.title, r.key);
        EXPECT_EQ(again.status, 201) << r.key;
        EXPECT_EQ(again.taskId == first.taskId, r.sameAsFirst) << r.key << " " << r.title;
        made.insert(again.taskId);
    }
    EXPECT_EQ(made.size(), 5u);

    // The same key on another task is refused and makes nothing: the client
    // would otherwise take the first task for the one it asked for.
    for (const auto& other : {json{{"childId", kid}, {"title", "Другое название"}, {"reward", 5}},
                              json{{"childId", kid}, {"title", "Полить цветы"}, {"reward", 6}},
                              json{{"childId", accounts[0].id}, {"title", "Полить цветы"}, {"reward", 5}}}) {
        const auto answer =
            httplib::Client("127.0.0.1", port)
                .Post("/api/tasks", {{"Authorization", "Bearer " + mama}, {"Idempotency-Key", "key-1"}},
                      other.dump(), "application/json");
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 422) << other.dump();
        EXPECT_EQ(json::parse(answer->body, nullptr, false).value("error", ""),
                  "Ключ Idempotency-Key уже использован для другого задания: название, награда или ребёнок "
                  "отличаются.")
            << other.dump();
    }
    EXPECT_EQ(createTask(port, mama, kid, "Полить цветы", "key-1").taskId, first.taskId)
        << "the first still answers";
    EXPECT_EQ(createTask(port, mama, kid, "Слишком длинный ключ", std::string(200, 'k')).status, 400);

    // Eight retries of one draft at once: one task, every answer names it.
    constexpr int kRacers = 8;
    std::barrier start(kRacers);
    std::vector<Created> raced(kRacers);
    std::vector<std::thread> racers;
    for (int i = 0; i < kRacers; ++i)
        racers.emplace_back([&, i] {
            start.arrive_and_wait();
            raced[i] = createTask(port, mama, kid, "Гонка", "key-race");
        });
    for (auto& t : racers) t.join();
    for (const auto& r : raced) {
        EXPECT_EQ(r.status, 201);
        EXPECT_EQ(r.taskId, raced[0].taskId);
    }
    made.insert(raced[0].taskId);

    // The keys are stored with the tasks, not held in the process.
    server.stop(SIGTERM);
    ServerProcess restarted(data);
    port = restarted.start();
    ASSERT_GT(port, 0);
    EXPECT_EQ(createTask(port, mama, kid, "Полить цветы", "key-1").taskId, first.taskId);
    const auto family = ApiClient("127.0.0.1", port).get("/api/family", mama).json;
    std::set<std::string> listed;
    for (const auto& task : family["tasks"]) listed.insert(task["id"].get<std::string>());
    EXPECT_EQ(listed, made);
}

// A key is remembered for a day at least; a key older than that may make a new task.
TEST_F(FamilyTest, AnIdempotencyKeyIsKeptForADayAndThenForgotten) {
    pair(mamaToken_, kidToken_);
    const auto mama = store_->authenticate(mamaToken_);
    const auto id = [&] { return store_->addTask(mama, kid_.id, "Вынести мусор", 3, "day-key")["task"]["id"]; };
    const auto first = id();
    advance(24 * 3600);
    EXPECT_EQ(id(), first);
    advance(family::kIdempotencyKeyLifetime);
    EXPECT_NE(id(), first);
    EXPECT_EQ(familyOf(mamaToken_)["tasks"].size(), 2u);
}
