#include <gtest/gtest.h>
#include <sqlite3.h>

#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "ServerHarness.h"
#include "Database.h"
#include "ServerProcess.h"
#include "TempPostgres.h"

using nlohmann::json;

namespace {

std::string signIn(ApiClient& api, const std::string& email) {
    return api.post("/api/auth/login", json{{"email", email}, {"password", "password1"}}.dump())
        .json.value("sessionToken", "");
}

// The first column of every row of `sql`, as text, from either store.
std::vector<std::string> pragmaRows(const std::string& store, const char* sql) {
    std::vector<std::string> rows;
    if (family::isPostgresLocation(store)) {
        const auto db = family::openDatabase(store);
        auto s = db->prepare(sql);
        while (s.step()) rows.push_back(s.isNull(0) ? "NULL" : s.text(0));
        return rows;
    }
    const auto path = storeLocationOf(store);
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_exec(
        db, sql,
        [](void* out, int, char** values, char**) {
            static_cast<std::vector<std::string>*>(out)->push_back(values[0] ? values[0] : "NULL");
            return 0;
        },
        &rows, nullptr);
    sqlite3_close(db);
    return rows;
}

}  // namespace

// Task actions are acknowledged only after their transaction is on disk: a
// server killed without warning in the middle of a burst loses none of them.
TEST(Durability, NothingAcknowledgedIsLostWhenTheServerIsKilledMidBurst) {
    TempDir dir;
    SERVER_STORE_OR_SKIP(data, dir.filePath("data").toStdString());
    const bool sqlite = !family::isPostgresLocation(data);
    const std::string childId = seedStore(data,
                                          {{"mama@example.com", "Мама", "parent", "password1"},
                                           {"kid@example.com", "Coder", "child", "password1"}},
                                          true)[1]
                                    .id;
    ServerProcess server(data);
    const int port = server.start();
    ASSERT_GT(port, 0);
    ApiClient api("127.0.0.1", port);
    const std::string parent = signIn(api, "mama@example.com"), child = signIn(api, "kid@example.com");
    ASSERT_FALSE(parent.empty());
    ASSERT_FALSE(child.empty());

    constexpr int kTasks = 60;
    std::vector<std::string> ids;
    for (int i = 0; i < kTasks; ++i) {
        const auto answer = api.post(
            "/api/tasks",
            json{{"childId", childId}, {"title", "Задание " + std::to_string(i)}, {"reward", i + 1}}.dump(),
            parent);
        ASSERT_EQ(answer.status, 201);
        ids.push_back(answer.json["task"]["id"]);
    }

    // What the server acknowledged, per task: "complete" or "approve".
    std::mutex mutex;
    std::condition_variable acknowledgedMore;
    std::map<std::string, std::string> acknowledged;
    std::thread burst([&] {
        for (const auto& id : ids) {
            for (const auto& [who, action] : {std::pair{&child, "complete"}, std::pair{&parent, "approve"}}) {
                const int status =
                    api.send("PATCH", "/api/tasks", json{{"id", id}, {"action", action}}.dump(), *who, true)
                        .status;
                if (status == 0) return;  // the server is gone
                ASSERT_EQ(status, 200) << action;
                std::lock_guard lock(mutex);
                acknowledged[id] = action;
                acknowledgedMore.notify_all();
            }
        }
    });
    {
        std::unique_lock lock(mutex);
        acknowledgedMore.wait(lock, [&] { return acknowledged.size() >= kTasks / 3; });
    }
    server.stop(SIGKILL);
    burst.join();
    ASSERT_LT(acknowledged.size(), static_cast<std::size_t>(kTasks)) << "the burst ended before the kill";

    if (sqlite) EXPECT_EQ(pragmaRows(data, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});

    ServerProcess restarted(data);
    const int newPort = restarted.start();
    ASSERT_GT(newPort, 0);
    const auto answer = ApiClient("127.0.0.1", newPort).get("/api/family", parent);  // sessions survive too
    ASSERT_EQ(answer.status, 200);
    const json& family = answer.json;
    ASSERT_EQ(family["tasks"].size(), static_cast<std::size_t>(kTasks));
    for (const auto& task : family["tasks"]) {
        const auto it = acknowledged.find(task["id"]);
        const std::string status = task["status"];
        if (it == acknowledged.end()) {
            // Possibly applied without an answer, never more than one step.
            EXPECT_TRUE(status == "active" || status == "review") << task.dump();
        } else if (it->second == "complete") {
            EXPECT_TRUE(status == "review" || status == "done") << task.dump();
        } else {
            EXPECT_EQ(status, "done") << task.dump();
            EXPECT_EQ(task["approval_count"], 1);
        }
    }
    restarted.stop(SIGTERM);

    if (sqlite) {
        EXPECT_EQ(pragmaRows(data, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
        EXPECT_TRUE(pragmaRows(data, "PRAGMA foreign_key_check").empty());
    }
    // Approvals and status agree everywhere: only done tasks hold an approval here.
    EXPECT_EQ(pragmaRows(data,
                         "SELECT COUNT(*) FROM tasks t WHERE (t.status = 'done') <> "
                         "EXISTS (SELECT 1 FROM task_approvals a WHERE a.task_id = t.id)"),
              std::vector<std::string>{"0"});
    // The approval count kept on each task is the number of its approvals.
    EXPECT_EQ(pragmaRows(data,
                         "SELECT COUNT(*) FROM tasks t WHERE t.approval_count <> "
                         "(SELECT COUNT(*) FROM task_approvals a WHERE a.task_id = t.id)"),
              std::vector<std::string>{"0"});
}
