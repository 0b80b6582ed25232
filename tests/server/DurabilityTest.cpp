#include "FamilyStore.h"
#include "ServerProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <thread>

using nlohmann::json;

namespace {

struct Client {
    int port;
    std::string token;
    // The answer's status, or 0 when the server did not answer.
    int send(const char* method, const std::string& path, const json& body, json* answer = nullptr) const {
        httplib::Client http("127.0.0.1", port);
        http.set_connection_timeout(5);
        const httplib::Headers headers{{"Authorization", "Bearer " + token}};
        httplib::Result result = std::string(method) == "GET" ? http.Get(path.c_str(), headers)
                                 : std::string(method) == "POST"
                                     ? http.Post(path.c_str(), headers, body.dump(), "application/json")
                                     : http.Patch(path.c_str(), headers, body.dump(), "application/json");
        if (!result) return 0;
        if (answer) *answer = json::parse(result->body, nullptr, false);
        return result->status;
    }
};

std::string signIn(int port, const std::string& email) {
    httplib::Client http("127.0.0.1", port);
    const auto result = http.Post("/api/auth/login", json{{"email", email}, {"password", "password1"}}.dump(),
                                  "application/json");
    return result && result->status == 200 ? json::parse(result->body)["sessionToken"].get<std::string>() : "";
}

std::vector<std::string> pragmaRows(const std::string& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::vector<std::string> rows;
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
    const std::string data = dir.filePath("data").toStdString();
    std::string childId;
    {
        std::filesystem::create_directories(data);
        family::StoreSettings settings;
        settings.minimalPasswordCost = true;
        family::FamilyStore store(data + "/family.sqlite3", family::systemClock, settings);
        const auto made = store.addAccounts({{"mama@example.com", "Мама", "parent", "password1"},
                                             {"kid@example.com", "Coder", "child", "password1"}},
                                            true);
        childId = made[1].id;
    }

    ServerProcess server(data);
    const int port = server.start();
    ASSERT_GT(port, 0);
    const Client parent{port, signIn(port, "mama@example.com")};
    const Client child{port, signIn(port, "kid@example.com")};
    ASSERT_FALSE(parent.token.empty());
    ASSERT_FALSE(child.token.empty());

    constexpr int kTasks = 60;
    std::vector<std::string> ids;
    for (int i = 0; i < kTasks; ++i) {
        json answer;
        ASSERT_EQ(parent.send("POST", "/api/tasks",
                              {{"childId", childId}, {"title", "Задание " + std::to_string(i)}, {"reward", i + 1}},
                              &answer),
                  201);
        ids.push_back(answer["task"]["id"]);
    }

    // What the server acknowledged, per task: "complete" or "approve".
    std::mutex mutex;
    std::condition_variable acknowledgedMore;
    std::map<std::string, std::string> acknowledged;
    std::thread burst([&] {
        for (const auto& id : ids) {
            for (const auto& [who, action] : {std::pair{&child, "complete"}, std::pair{&parent, "approve"}}) {
                const int status = who->send("PATCH", "/api/tasks", {{"id", id}, {"action", action}});
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

    const auto database = data + "/family.sqlite3";
    EXPECT_EQ(pragmaRows(database, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});

    ServerProcess restarted(data);
    const int newPort = restarted.start();
    ASSERT_GT(newPort, 0);
    const Client parentAgain{newPort, parent.token};  // sessions survive too
    json family;
    ASSERT_EQ(parentAgain.send("GET", "/api/family", {}, &family), 200);
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

    EXPECT_EQ(pragmaRows(database, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
    EXPECT_TRUE(pragmaRows(database, "PRAGMA foreign_key_check").empty());
    // Approvals and status agree everywhere: only done tasks hold an approval here.
    EXPECT_EQ(pragmaRows(database,
                         "SELECT COUNT(*) FROM tasks t WHERE (t.status = 'done') <> "
                         "EXISTS (SELECT 1 FROM task_approvals a WHERE a.task_id = t.id)"),
              std::vector<std::string>{"0"});
}
