// The real executable on PostgreSQL while the database goes away and comes
// back, and on a database that lost its schema version.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "Database.h"
#include "RawConnection.h"
#include "ServerHarness.h"
#include "ServerProcess.h"
#include "TempPostgres.h"

using nlohmann::json;
using namespace std::chrono_literals;

namespace {

constexpr const char* kUnavailable = "Сервис временно недоступен. Попробуйте ещё раз через минуту.";

int linesWith(const std::string& log, const std::string& text) {
    int count = 0;
    for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
}

// A database of its own in the shared cluster, or a skip where PostgreSQL cannot run.
#define NEW_DATABASE_OR_SKIP(variable)                                                                     \
    if (!sharedPostgres().installed()) GTEST_SKIP() << "PostgreSQL cannot run here: " << sharedPostgres().problem(); \
    const std::string variable = sharedPostgres().newDatabase();                                          \
    ASSERT_FALSE(variable.empty()) << "PostgreSQL did not start: " << sharedPostgres().problem()

// What a stream of clients saw: every answer is a success or the 503 of an
// unreachable database (with Retry-After); anything else is kept to be shown.
struct Stream {
    std::mutex mutex;
    std::set<std::string> acknowledged;  // ids of the tasks answered 201
    std::multiset<std::string> titles;   // of those tasks
    std::atomic<int> successes{0};
    std::atomic<int> unavailable{0};
    std::vector<std::string> wrong;

    void note(const std::string& what, const Answer& answer, int success) {
        if (answer.status == success) {
            ++successes;
            return;
        }
        if (answer.status == 503 && answer.error() == kUnavailable && retryAfter(answer) > 0) {
            ++unavailable;
            return;
        }
        std::lock_guard lock(mutex);
        wrong.push_back(what + ": " + std::to_string(answer.status) + " " + answer.head + answer.body);
    }
    // Waits until `more` successes beyond those seen so far came in, for at most a
    // generous while (against a hang, not a measure of speed).
    bool resumes(int more) {
        const int goal = successes + more;
        for (const auto until = std::chrono::steady_clock::now() + 60s;
             successes < goal && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(5ms);
        return successes >= goal;
    }
};

}  // namespace

// The database restarts as after a crash, or an administrator ends the
// server's sessions, or it is down for a while, under a stream of writes and
// reads: the server answers 503 meanwhile, logs one line when the database
// goes and one when it is back, mends its connections, and loses nothing it
// acknowledged. A write is never repeated behind the client's back, so no task
// is made twice.
TEST(PostgresOutage, TheServerMendsItsConnectionsAndLosesNothingAcknowledged) {
    NEW_DATABASE_OR_SKIP(database);
    const auto childId = seedParentAndChild(database)[1]
                             .id;
    ServerProcess server(database);
    const int port = server.start();
    ASSERT_GT(port, 0);
    ApiClient api("127.0.0.1", port);
    const auto parent = api.post("/api/auth/login", R"({"email":"mama@example.com","password":"password1"})")
                            .json.value("sessionToken", "");
    ASSERT_FALSE(parent.empty());

    Stream writes, reads;
    std::atomic<bool> running{true};
    std::vector<std::thread> clients;
    for (int w = 0; w < 4; ++w)
        clients.emplace_back([&, w] {
            for (int i = 0; running; ++i) {
                // No Idempotency-Key: a write the server ran twice would show as two tasks.
                const auto title = "Задание " + std::to_string(w) + "-" + std::to_string(i);
                const auto answer = api.send("POST", "/api/tasks",
                                             json{{"childId", childId}, {"title", title}, {"reward", 1}}.dump(),
                                             parent, true);
                if (answer.status == 201) {
                    std::lock_guard lock(writes.mutex);
                    writes.acknowledged.insert(answer.json["task"]["id"].get<std::string>());
                    writes.titles.insert(title);
                }
                writes.note("POST /api/tasks", answer, 201);
                if (answer.status != 201) std::this_thread::sleep_for(10ms);
            }
        });
    clients.emplace_back([&] {
        for (int i = 0; running; ++i) {
            const auto path = i % 2 ? "/api/family" : "/api/auth/me";
            const auto answer = api.send("GET", path, "", parent, true);
            reads.note(std::string("GET ") + path, answer, 200);
            if (answer.status != 200) std::this_thread::sleep_for(10ms);
        }
    });

    ASSERT_TRUE(writes.resumes(20));
    EXPECT_GT(sharedPostgres().endSessions(database), 0);
    EXPECT_TRUE(writes.resumes(40)) << "after every session of the server was ended";
    EXPECT_TRUE(reads.resumes(20)) << "after every session of the server was ended";

    ASSERT_TRUE(sharedPostgres().restartImmediately());
    EXPECT_TRUE(writes.resumes(40)) << "after the database restarted";
    EXPECT_TRUE(reads.resumes(20)) << "after the database restarted";

    ASSERT_TRUE(sharedPostgres().stopImmediately());
    const int unavailableBefore = writes.unavailable + reads.unavailable;
    for (const auto until = std::chrono::steady_clock::now() + 60s;
         writes.unavailable + reads.unavailable < unavailableBefore + 40 && std::chrono::steady_clock::now() < until;)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(sharedPostgres().startAgain());
    EXPECT_TRUE(writes.resumes(40)) << "after the database was down and started again";
    EXPECT_TRUE(reads.resumes(20)) << "after the database was down and started again";

    running = false;
    for (auto& client : clients) client.join();
    for (const auto* stream : {&writes, &reads})
        for (std::size_t i = 0; i < std::min<std::size_t>(stream->wrong.size(), 5); ++i)
            ADD_FAILURE() << stream->wrong[i] << " (" << stream->wrong.size() << " such answers)";
    EXPECT_GE(writes.unavailable + reads.unavailable, unavailableBefore + 40) << "answered while the database was down";

    const auto family = api.get("/api/family", parent);
    ASSERT_EQ(family.status, 200) << family.body;
    std::set<std::string> stored;
    std::map<std::string, int> storedTitles;
    for (const auto& task : family.json["tasks"]) {
        stored.insert(task["id"].get<std::string>());
        ++storedTitles[task["title"].get<std::string>()];
    }
    for (const auto& id : writes.acknowledged) EXPECT_TRUE(stored.count(id)) << "acknowledged task " << id << " lost";
    for (const auto& [title, count] : storedTitles) EXPECT_EQ(count, 1) << title;

    EXPECT_EQ(server.stop(SIGTERM), 0);
    const auto log = server.log();
    // One line when the database went away, one when it was back: per outage, never per request.
    const int outages = linesWith(log, " is unreachable: ");
    EXPECT_GE(outages, 1) << log;
    EXPECT_LE(outages, 2) << log;
    EXPECT_EQ(linesWith(log, " is reachable again after "), outages) << log;
    EXPECT_EQ(linesWith(log, "500 on "), 0) << log;
    // Only a change whose COMMIT was cut off (at most one per writer each time) is logged on its own.
    EXPECT_LE(linesWith(log, "503 on "), 4 * 3) << log;
}

// A database whose schema lost its version row while it still holds the
// tables is not taken for a new one: the start is refused, naming it.
TEST(PostgresSchema, ADatabaseWithTablesButNoVersionIsRefusedAtStart) {
    NEW_DATABASE_OR_SKIP(database);
    seedStore(database, {{"mama@example.com", "Мама", "parent", "password1"}}, false);
    family::openDatabase(database)->exec("DELETE FROM schema_version");

    ServerProcess server(database);
    EXPECT_EQ(server.start(), 0) << server.output();
    EXPECT_TRUE(WIFEXITED(server.exitStatus()) && WEXITSTATUS(server.exitStatus()) != 0) << server.exitStatus();
    const auto log = server.log();
    EXPECT_NE(log.find("not started: PostgreSQL database " + database.substr(database.find("@/") + 2,
                                                                             database.find('?') - database.find("@/") - 2)),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("no schema version"), std::string::npos) << log;
    // Nothing was made or changed in it: the accounts are all still there.
    const auto db = family::openDatabase(database);
    auto users = db->prepare("SELECT COUNT(*) FROM users");
    ASSERT_TRUE(users.step());
    EXPECT_EQ(users.integer(0), 1);
}

// PostgreSQL syncs on the database server: every connection the store opens
// waits for its commit to be flushed there.
TEST(PostgresStore, EveryConnectionCommitsSynchronously) {
    NEW_DATABASE_OR_SKIP(database);
    const auto connection = family::openDatabase(database);
    auto setting = connection->prepare("SELECT current_setting('synchronous_commit')");
    ASSERT_TRUE(setting.step());
    EXPECT_NE(setting.text(0), "off");
}
