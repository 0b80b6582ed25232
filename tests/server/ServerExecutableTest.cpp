// The real executable as an operator runs it: how it stops, starts, logs, and
// holds clients that misbehave, each concern in one test.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "RawConnection.h"
#include "ServerHarness.h"
#include "ServerProcess.h"

using nlohmann::json;
using namespace std::chrono_literals;

namespace {

// A parent and a child in one family, in a fresh data folder.
struct SeededFamily {
    SeededFamily() : data(dir.filePath("data").toStdString()) {
        childId = seedStore(data,
                            {{"mama@example.com", "Мама", "parent", "password1"},
                             {"kid@example.com", "Coder", "child", "password1"}},
                            true)[1]
                      .id;
    }
    std::string database() const { return data + "/family.sqlite3"; }

    TempDir dir;
    std::string data;
    std::string childId;
};

// A seeded family served by the real executable.
struct ServedFamily : SeededFamily {
    explicit ServedFamily(std::vector<std::string> arguments = {})
        : server(data, std::move(arguments)), port(server.start()), api("127.0.0.1", port) {}

    ServerProcess server;
    int port;
    ApiClient api;
};

std::string signIn(ApiClient& api, const std::string& email) {
    const auto answer = api.post("/api/auth/login", json{{"email", email}, {"password", "password1"}}.dump());
    EXPECT_EQ(answer.status, 200) << answer.body;
    return answer.json.value("sessionToken", "");
}

Answer rawSignIn(int port, const std::string& source, const std::string& email, const std::string& password,
                 const std::string& fields = "") {
    const auto body = json{{"email", email}, {"password", password}}.dump();
    RawConnection connection(
        port,
        requestHead("POST /api/auth/login HTTP/1.1",
                    fields + "Connection: close\r\nContent-Length: " + std::to_string(body.size()) + "\r\n") +
            body,
        source);
    return connection.answer();
}

bool exitedCleanly(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

int linesWith(const std::string& log, const std::string& text) {
    int count = 0;
    for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
}

}  // namespace

TEST(ServerExecutable, EveryStopSignalFinishesTheWritesUnderWayAndClosesTheDatabase) {
    SeededFamily family;
    std::mutex mutex;
    std::set<std::string> acknowledged;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sigabbrev_np(signal));
        ServerProcess server(family.data);
        const int port = server.start();
        ASSERT_GT(port, 0);
        ApiClient api("127.0.0.1", port);
        const auto parent = signIn(api, "mama@example.com");

        std::atomic<int> acknowledgedHere{0};
        std::vector<std::thread> writers;
        for (int w = 0; w < 4; ++w)
            writers.emplace_back([&, w] {
                for (int i = 0;; ++i) {
                    const auto title = "Задание " + std::to_string(w) + "-" + std::to_string(i);
                    const auto answer =
                        api.send("POST", "/api/tasks",
                                 json{{"childId", family.childId}, {"title", title}, {"reward", 1}}.dump(),
                                 parent, true);
                    if (answer.status == 0) return;  // the server has stopped listening
                    ASSERT_EQ(answer.status, 201) << answer.body;
                    std::lock_guard lock(mutex);
                    acknowledged.insert(answer.json["task"]["id"].get<std::string>());
                    ++acknowledgedHere;
                }
            });
        while (acknowledgedHere < 20) std::this_thread::sleep_for(2ms);
        const int status = server.stop(signal);
        for (auto& writer : writers) writer.join();

        EXPECT_TRUE(exitedCleanly(status)) << "wait status " << status << "\n" << server.log();
        EXPECT_NE(server.output().find("Stopped."), std::string::npos) << server.output();
        EXPECT_FALSE(std::filesystem::exists(family.database() + "-wal"));
    }

    ServerProcess restarted(family.data);
    const int port = restarted.start();
    ASSERT_GT(port, 0);
    ApiClient api("127.0.0.1", port);
    std::set<std::string> stored;
    const auto answer = api.get("/api/family", signIn(api, "mama@example.com"));
    ASSERT_EQ(answer.status, 200) << answer.body;
    for (const auto& task : answer.json["tasks"]) stored.insert(task["id"].get<std::string>());
    EXPECT_TRUE(std::includes(stored.begin(), stored.end(), acknowledged.begin(), acknowledged.end()))
        << acknowledged.size() << " acknowledged, " << stored.size() << " stored";
}

TEST(ServerExecutable, RefusesToStartOnADataFolderOrDatabaseItCannotWrite) {
    struct Case {
        const char* what;
        bool folder;  // the folder read-only, else the database file
    };
    for (const auto& c : {Case{"folder", true}, Case{"database", false}}) {
        SCOPED_TRACE(c.what);
        SeededFamily family;
        const auto target = c.folder ? family.data : family.database();
        ASSERT_EQ(chmod(target.c_str(), c.folder ? 0500 : 0400), 0);
        ServerProcess server(family.data);
        EXPECT_EQ(server.start(), 0) << server.output();
        EXPECT_TRUE(WIFEXITED(server.exitStatus()) && WEXITSTATUS(server.exitStatus()) != 0)
            << server.exitStatus();
        const auto log = server.log();
        EXPECT_NE(log.find("not started: "), std::string::npos) << log;
        EXPECT_NE(log.find("is not writable"), std::string::npos) << log;
        chmod(target.c_str(), 0700);
    }
}

TEST(ServerExecutable, LogsStartsStopsFailuresAndRefusalsWithoutSecrets) {
    ServedFamily family;
    ASSERT_GT(family.port, 0);
    auto& server = family.server;
    auto& api = family.api;
    const int port = family.port;
    const auto parent = signIn(api, "mama@example.com");
    const auto child = signIn(api, "kid@example.com");
    const std::string payload = api.post("/api/pairing/create", "{}", child).json.value("qrPayload", "");
    const auto code = payload.substr(payload.find("token=") + 6);
    ASSERT_FALSE(code.empty());

    const std::string wrong = "wrong-password-7";
    const auto wrongSignIn = [&] {
        return api.send("POST", "/api/auth/login",
                        json{{"email", "mama@example.com"}, {"password", wrong}}.dump(), "");
    };
    for (int i = 0; i < 5; ++i) ASSERT_EQ(wrongSignIn().status, 403);
    EXPECT_EQ(wrongSignIn().status, 429);

    // A fault under the server: the tasks' table goes away.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(family.database().c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "ALTER TABLE tasks RENAME TO tasks_moved", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(api.get("/api/family", parent).status, 500);

    SeededFamily other;
    ServerProcess second(other.data, {"--port", std::to_string(port)});
    EXPECT_EQ(second.start(), 0);
    EXPECT_EQ(linesWith(second.log(), "not started: cannot listen on 127.0.0.1:" + std::to_string(port)), 1)
        << second.log();

    EXPECT_TRUE(exitedCleanly(server.stop(SIGTERM)));
    const auto log = server.log();
    EXPECT_EQ(linesWith(log, "started: listening on http://127.0.0.1:" + std::to_string(port)), 1) << log;
    EXPECT_EQ(linesWith(log, "stopping on SIGTERM"), 1) << log;
    EXPECT_EQ(linesWith(log, "zanbeck-family-server: stopped\n"), 1) << log;
    EXPECT_EQ(linesWith(log, "refused with 429"), 1) << log;
    EXPECT_EQ(linesWith(log, "500 on GET /api/family: "), 1) << log;
    EXPECT_NE(log.find("no such table"), std::string::npos) << "the cause is named: " << log;
    for (const auto& secret : {parent, child, code, std::string("password1"), wrong})
        EXPECT_EQ(log.find(secret), std::string::npos) << secret;
}

TEST(ServerExecutable, StalledConnectionsNeverShutOutTheirAddressNorKeepAliveClients) {
    ServedFamily family;
    const int port = family.port;
    ASSERT_GT(port, 0);

    std::vector<std::unique_ptr<RawConnection>> stalled;
    for (int i = 0; i < 64; ++i)
        stalled.push_back(std::make_unique<RawConnection>(
            port, "GET /api/family HTTP/1.1\r\nHost: 127.0.0.1\r\nX-", "127.0.0.2"));
    const auto asked = std::chrono::steady_clock::now();
    RawConnection neighbour(port, requestHead("GET /api/auth/me HTTP/1.1"), "127.0.0.2");
    EXPECT_EQ(neighbour.answer().status, 401);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s);

    // Once they have stalled, a newcomer takes the oldest one's place, which is told why.
    std::this_thread::sleep_for(1200ms);
    RawConnection newcomer(port, requestHead("GET /api/auth/me HTTP/1.1"), "127.0.0.2");
    EXPECT_EQ(newcomer.answer().status, 401);
    const auto closed = stalled.front()->answer();
    EXPECT_EQ(closed.status, 503);
    EXPECT_GT(retryAfter(closed), 0) << closed.head;
    EXPECT_FALSE(closed.error().empty());
    EXPECT_TRUE(stalled.back()->waiting());

    // Four times the limit of keep-alive clients from one address, all open at once, each asking twice.
    std::vector<std::unique_ptr<RawConnection>> clients;
    for (int i = 0; i < 256; ++i) clients.push_back(std::make_unique<RawConnection>(port, "", "127.0.0.3"));
    for (int round = 0; round < 2; ++round) {
        for (auto& client : clients) client->write(requestHead("GET /api/auth/me HTTP/1.1"));
        int answered = 0;
        for (auto& client : clients) answered += client->answer().status == 401;
        EXPECT_EQ(answered, 256) << "round " << round;
    }
}

TEST(ServerExecutable, ASignInFloodNeitherStarvesFamilyReadsNorGoesUnanswered) {
    ServedFamily family;
    const int port = family.port;
    ASSERT_GT(port, 0);
    const auto parent = signIn(family.api, "mama@example.com");

    // A few failures a minute for one account from one address, then 429 there even with the right password.
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rawSignIn(port, "127.0.0.3", "mama@example.com", "wrong one").status, 403);
    const auto limited = rawSignIn(port, "127.0.0.3", "mama@example.com", "password1");
    EXPECT_EQ(limited.status, 429);
    EXPECT_EQ(limited.error(), "Слишком много неудачных попыток входа. Попробуйте через минуту.");
    EXPECT_GT(retryAfter(limited), 0);
    EXPECT_LE(retryAfter(limited), 60);
    // And a few a minute for one address, whatever account it names.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rawSignIn(port, "127.0.0.5", "nobody" + std::to_string(i) + "@example.com", "x").status,
                  403);
    EXPECT_EQ(rawSignIn(port, "127.0.0.5", "someone@example.com", "x").status, 429);

    // 128 clients, each from its own address, trying unknown accounts (a full-cost
    // password check each) until the reads below are done.
    using Clock = std::chrono::steady_clock;
    struct Timed {
        Answer answer;
        Clock::time_point asked, answered;
    };
    std::atomic<bool> flooding{true};
    std::mutex mutex;
    std::vector<Timed> signIns;
    std::vector<std::thread> flood;
    for (int i = 0; i < 128; ++i)
        flood.emplace_back([&, i] {
            const auto source = "127.0.1." + std::to_string(i + 1);
            for (int n = 0; flooding; ++n) {
                const auto asked = Clock::now();
                auto answer = rawSignIn(port, source,
                                        "x" + std::to_string(i) + "-" + std::to_string(n) + "@example.com",
                                        "wrong password");
                const auto answered = Clock::now();
                const bool busy = answer.status == 503;
                {
                    std::lock_guard lock(mutex);
                    signIns.push_back({std::move(answer), asked, answered});
                }
                if (busy) std::this_thread::sleep_for(10ms);
            }
        });
    std::this_thread::sleep_for(300ms);
    const auto readsAsked = Clock::now();
    std::vector<Clock::duration> reads;
    for (int i = 0; i < 20; ++i) {
        const auto asked = Clock::now();
        EXPECT_EQ(family.api.get("/api/family", parent).status, 200);
        reads.push_back(Clock::now() - asked);
    }
    const auto readsAnswered = Clock::now();
    flooding = false;
    for (auto& thread : flood) thread.join();

    // Each sign-in checked while the reads ran waited its turn in the full queue.
    // A read waiting behind password checks would wait as long; beside them, it
    // waits for a thread only on a machine busy with other work, which slows the
    // checks (on their lowered priority) at least as much. So the slowest read
    // is set against the typical sign-in checked at the same time, not a clock.
    std::vector<Clock::duration> checked;
    for (const auto& s : signIns)
        if (s.answer.status == 403 && s.asked < readsAnswered && s.answered > readsAsked)
            checked.push_back(s.answered - s.asked);
    ASSERT_GE(checked.size(), 3u) << "the flood kept the password checks busy while the reads ran";
    std::nth_element(checked.begin(), checked.begin() + checked.size() / 2, checked.end());
    const auto typicalCheck = checked[checked.size() / 2];
    const auto slowestRead = *std::max_element(reads.begin(), reads.end());
    const auto ms = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
    EXPECT_LT(slowestRead, typicalCheck) << "slowest read " << ms(slowestRead) << " ms, typical checked sign-in "
                                         << ms(typicalCheck) << " ms of " << checked.size();
    std::map<int, int> byStatus;
    for (const auto& [answer, asked, answered] : signIns) {
        ++byStatus[answer.status];
        if (answer.status == 503) {
            EXPECT_EQ(answer.error(), "Сервер занят: слишком много входов одновременно. Попробуйте ещё раз.");
            EXPECT_GT(retryAfter(answer), 0);
        }
    }
    EXPECT_GT(byStatus[403], 0);
    EXPECT_GT(byStatus[503], 0) << "the queue is bounded";
    for (const auto& [status, count] : byStatus)
        EXPECT_TRUE(status == 403 || status == 429 || status == 503) << count << " answered " << status;
}

TEST(ServerExecutable, BehindATrustedProxyEachForwardedClientHasItsOwnSignInLimit) {
    ServedFamily family({"--trusted-proxy", "127.0.0.6"});
    const int port = family.port;
    ASSERT_GT(port, 0);
    const auto fail = [&](const std::string& source, const std::string& client, int n) {
        return rawSignIn(port, source, "nobody" + std::to_string(n) + "@example.com", "x",
                         "X-Forwarded-For: 198.51.100.9, " + client + "\r\n")
            .status;
    };
    for (int i = 0; i < 10; ++i) ASSERT_EQ(fail("127.0.0.6", "203.0.113.1", i), 403);
    EXPECT_EQ(fail("127.0.0.6", "203.0.113.1", 10), 429);
    EXPECT_EQ(fail("127.0.0.6", "203.0.113.2", 11), 403) << "another client behind the proxy";
    // From anywhere else the field is the client's own word, and ignored.
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(fail("127.0.0.7", "203.0.113." + std::to_string(20 + i), 20 + i), 403);
    EXPECT_EQ(fail("127.0.0.7", "203.0.113.99", 30), 429);
}
