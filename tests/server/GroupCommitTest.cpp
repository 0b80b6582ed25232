#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "Database.h"
#include "GroupCommit.h"
#include "ServerHarness.h"
#include "ServerProcess.h"
#include "TempPostgres.h"
#include "support/TempDir.h"

using family::Database;
using family::DatabaseError;
using family::GroupCommit;

namespace {

// What one caller's change does, after inserting its own row.
enum class Outcome {
    Kept,            // nothing more
    Thrown,          // inserts a second row, then refuses
    Conflict,        // inserts a row whose key is taken
    RaceLostOnce,    // reports a lost race the first time it runs
    EndsTransaction  // rolls back the whole transaction under the batch
};

struct Caller {
    Outcome outcome;
    bool keepsRow;  // its row is there afterwards
    const char* error;  // what it is told, or nullptr
};

constexpr Caller kCallers[] = {
    {Outcome::Kept, true, nullptr},
    {Outcome::Thrown, false, "refused"},
    {Outcome::Conflict, false, "UNIQUE"},
    {Outcome::RaceLostOnce, true, nullptr},
    {Outcome::EndsTransaction, false, "transaction"},
};

std::int64_t rowCount(Database& db, const std::string& where) {
    auto s = db.prepare("SELECT COUNT(*) FROM rows " + where);
    s.step();
    return s.integer(0);
}

}  // namespace

// Many callers at once, so batches hold several changes: each caller's fate is
// its own, whatever its neighbours in a batch did, and every acknowledged row
// is there once.
TEST(GroupCommit, EachChangeSucceedsOrFailsAloneWhateverItsNeighboursDo) {
    TempDir dir;
    const auto path = dir.filePath("store.sqlite3").toStdString();
    auto reader = family::openDatabase(path);
    reader->exec("CREATE TABLE rows (id INTEGER PRIMARY KEY, owner INTEGER)");
    reader->exec("INSERT INTO rows (id, owner) VALUES (-1, -1)");

    constexpr int kRounds = 12;
    constexpr int kPerOutcome = 6;
    constexpr int kThreads = kPerOutcome * static_cast<int>(std::size(kCallers));
    std::atomic<int> wrong{0};
    {
        GroupCommit writer(family::openDatabase(path), 4);
        std::barrier start(kThreads);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                const Caller& caller = kCallers[t % std::size(kCallers)];
                for (int round = 0; round < kRounds; ++round) {
                    const int id = t * kRounds + round;
                    int runs = 0;
                    start.arrive_and_wait();  // the callers of one round queue together
                    try {
                        writer.run([&](Database& db) {
                            ++runs;
                            db.prepare("INSERT INTO rows (id, owner) VALUES (?, ?)").bind(1, id).bind(2, t).run();
                            switch (caller.outcome) {
                            case Outcome::Kept:
                                break;
                            case Outcome::Thrown:
                                db.prepare("INSERT INTO rows (id, owner) VALUES (?, ?)")
                                    .bind(1, 100000 + id)
                                    .bind(2, t)
                                    .run();
                                throw std::runtime_error("refused");
                            case Outcome::Conflict:
                                db.prepare("INSERT INTO rows (id, owner) VALUES (-1, ?)").bind(1, t).run();
                                break;
                            case Outcome::RaceLostOnce:
                                if (runs == 1) throw DatabaseError("lost a race", DatabaseError::Retry);
                                break;
                            case Outcome::EndsTransaction:
                                db.exec("ROLLBACK");
                                break;
                            }
                        });
                        if (caller.error) ++wrong;
                    } catch (const std::exception& e) {
                        if (!caller.error || std::string(e.what()).find(caller.error) == std::string::npos) ++wrong;
                    }
                }
            });
        for (auto& thread : threads) thread.join();
    }
    EXPECT_EQ(wrong, 0);
    for (int t = 0; t < kThreads; ++t) {
        const Caller& caller = kCallers[t % std::size(kCallers)];
        EXPECT_EQ(rowCount(*reader, "WHERE owner = " + std::to_string(t)), caller.keepsRow ? kRounds : 0)
            << "caller " << t;
    }
    EXPECT_EQ(rowCount(*reader, "WHERE owner = -1"), 1);
}

namespace {

std::string signIn(int port, const std::string& email) {
    return ApiClient("127.0.0.1", port)
        .post("/api/auth/login", nlohmann::json{{"email", email}, {"password", "password1"}}.dump())
        .json.value("sessionToken", "");
}

}  // namespace

// Many clients creating tasks at once share commits; the server killed without
// warning in the middle loses none it acknowledged, and has made at most the
// one each client was waiting for.
TEST(ConcurrentChanges, EveryAcknowledgedChangeOfManyClientsSurvivesAKill) {
    using nlohmann::json;
    TempDir dir;
    SERVER_STORE_OR_SKIP(data, dir.filePath("data").toStdString());
    const auto accounts = seedStore(data,
                                    {{"mama@example.com", "Мама", "parent", "password1"},
                                     {"kid@example.com", "Coder", "child", "password1"}},
                                    true);
    ServerProcess server(data);
    const int port = server.start();
    ASSERT_GT(port, 0);
    const std::string parent = signIn(port, "mama@example.com");
    ASSERT_FALSE(parent.empty());

    constexpr int kClients = 16;
    constexpr std::size_t kBeforeKill = 400;
    std::mutex mutex;
    std::condition_variable acknowledgedMore;
    std::multiset<std::string> acknowledged;
    std::atomic<int> refused{0};
    std::vector<std::thread> clients;
    for (int c = 0; c < kClients; ++c)
        clients.emplace_back([&, c] {
            ApiClient api("127.0.0.1", port);
            for (int n = 0;; ++n) {
                const auto answer = api.send(
                    "POST", "/api/tasks",
                    json{{"childId", accounts[1].id}, {"title", "Задание " + std::to_string(c) + "-" + std::to_string(n)},
                         {"reward", 1}}
                        .dump(),
                    parent, true);
                if (answer.status == 0) return;  // the server is gone
                if (answer.status != 201) {
                    ++refused;
                    continue;
                }
                std::lock_guard lock(mutex);
                acknowledged.insert(answer.json["task"]["id"].get<std::string>());
                acknowledgedMore.notify_all();
            }
        });
    {
        std::unique_lock lock(mutex);
        acknowledgedMore.wait(lock, [&] { return acknowledged.size() >= kBeforeKill; });
    }
    server.stop(SIGKILL);
    for (auto& client : clients) client.join();
    EXPECT_EQ(refused, 0);

    ServerProcess restarted(data);
    const int newPort = restarted.start();
    ASSERT_GT(newPort, 0);
    const auto answer = ApiClient("127.0.0.1", newPort).get("/api/family", parent);
    ASSERT_EQ(answer.status, 200);
    std::multiset<std::string> stored;
    for (const auto& task : answer.json["tasks"]) stored.insert(task["id"].get<std::string>());
    for (const auto& id : acknowledged) {
        EXPECT_EQ(acknowledged.count(id), 1u) << id;
        EXPECT_EQ(stored.count(id), 1u) << id;
    }
    EXPECT_LE(stored.size(), acknowledged.size() + kClients);
    restarted.stop(SIGTERM);
}
