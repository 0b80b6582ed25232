// Family reads from 16 keep-alive clients beside hostile ones: 40 connections
// that send half a request head and stall, or 128 clients flooding sign-ins
// with wrong passwords (a full-cost password check each). Either must cost the
// readers little: compare their p50 and p99 with the run beside nobody.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <thread>
#include <vector>

#include "FamilyServer.h"
#include "FamilyStore.h"

namespace {

constexpr int kClients = 16;
constexpr int kRequestsPerClient = 200;
constexpr int kTasks = 20;

// A family of a parent and a child with 20 tasks, served on a free loopback port.
struct ServedFamily {
    explicit ServedFamily(bool fullPasswordCost) {
        family::StoreSettings settings;
        settings.minimalPasswordCost = !fullPasswordCost;
        store = std::make_unique<family::FamilyStore>(dir.filePath("family.sqlite3").toStdString(),
                                                      family::systemClock, settings);
        const auto accounts = store->addAccounts({{"mama@example.com", "Мама", "parent", "password1"},
                                                  {"kid@example.com", "Coder", "child", "password1"}},
                                                 true);
        for (int i = 0; i < kTasks; ++i) store->addTask(accounts[0], accounts[1].id, "Задание", 10 + i);
        family::ListenOptions options;
        options.port = 0;
        server = std::make_unique<family::FamilyServer>(*store, options);
        port = server->bind();
        thread = std::thread([this] { server->run(); });
        httplib::Client client("127.0.0.1", port);
        const auto answer = client.Post(
            "/api/auth/login", R"({"email":"mama@example.com","password":"password1"})", "application/json");
        token = nlohmann::json::parse(answer->body)["sessionToken"];
    }
    ~ServedFamily() {
        server->stop();
        thread.join();
    }

    QTemporaryDir dir;
    std::unique_ptr<family::FamilyStore> store;
    std::unique_ptr<family::FamilyServer> server;
    std::thread thread;
    int port = 0;
    std::string token;
};

ServedFamily& served(bool fullPasswordCost) {
    static ServedFamily cheap(false), full(true);
    return fullPasswordCost ? full : cheap;
}

// A connection from `source` that sends `bytes`.
int connection(int port, const std::string& source, const std::string& bytes) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
    connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return fd;
}

// Sign-ins with a wrong password for unknown accounts, each from a fresh
// address so no per-address limit answers them early, until `flooding` ends.
std::vector<std::thread> signInFlood(int port, int clients, const std::atomic<bool>& flooding) {
    std::vector<std::thread> flood;
    for (int c = 0; c < clients; ++c)
        flood.emplace_back([port, c, &flooding] {
            for (int n = 0; flooding; ++n) {
                const auto body = R"({"email":"x)" + std::to_string(c) + "-" + std::to_string(n) +
                                  R"(@example.com","password":"wrong"})";
                const auto source = "127.1." + std::to_string(n % 250) + "." + std::to_string(c + 1);
                const int fd = connection(port, source,
                                          "POST /api/auth/login HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: "
                                          "close\r\nContent-Length: " +
                                              std::to_string(body.size()) + "\r\n\r\n" + body);
                char answer[1024];
                while (recv(fd, answer, sizeof answer, 0) > 0) {
                }
                close(fd);
            }
        });
    return flood;
}

// 16 keep-alive clients reading the family; their latencies in microseconds.
void timeFamilyReads(benchmark::State& state, ServedFamily& family) {
    std::vector<double> latencies;
    for (auto _ : state) {
        std::vector<std::vector<double>> perClient(kClients);
        std::vector<std::thread> clients;
        for (int c = 0; c < kClients; ++c)
            clients.emplace_back([&, c] {
                httplib::Client client("127.0.0.1", family.port);
                client.set_keep_alive(true);
                const httplib::Headers headers{{"Authorization", "Bearer " + family.token}};
                for (int i = 0; i < kRequestsPerClient; ++i) {
                    const auto start = std::chrono::steady_clock::now();
                    const auto answer = client.Get("/api/family", headers);
                    const std::chrono::duration<double, std::micro> took =
                        std::chrono::steady_clock::now() - start;
                    if (!answer || answer->status != 200) return;
                    perClient[c].push_back(took.count());
                }
            });
        for (auto& client : clients) client.join();
        for (const auto& own : perClient) latencies.insert(latencies.end(), own.begin(), own.end());
    }
    std::sort(latencies.begin(), latencies.end());
    const auto percentile = [&](double p) {
        return latencies.empty() ? 0.0 : latencies[static_cast<std::size_t>(p * (latencies.size() - 1))];
    };
    state.counters["p50_us"] = percentile(0.50);
    state.counters["p99_us"] = percentile(0.99);
    state.counters["answered"] = static_cast<double>(latencies.size());
    state.counters["reads_per_s"] =
        benchmark::Counter(static_cast<double>(latencies.size()), benchmark::Counter::kIsRate);
}

void BM_FamilyReadsBesideStalledConnections(benchmark::State& state) {
    auto& family = served(false);
    std::vector<int> stalled;
    for (int i = 0; i < state.range(0); ++i)
        stalled.push_back(
            connection(family.port, "127.0.0.2", "GET /api/family HTTP/1.1\r\nHost: 127.0.0.1\r\nX-"));
    timeFamilyReads(state, family);
    for (const int fd : stalled) close(fd);
}

void BM_FamilyReadsDuringSignInFlood(benchmark::State& state) {
    auto& family = served(true);
    std::atomic<bool> flooding{true};
    auto flood = signInFlood(family.port, static_cast<int>(state.range(0)), flooding);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the sign-in queue fills
    timeFamilyReads(state, family);
    flooding = false;
    for (auto& client : flood) client.join();
}

}  // namespace

BENCHMARK(BM_FamilyReadsBesideStalledConnections)
    ->Arg(0)
    ->Arg(40)
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FamilyReadsDuringSignInFlood)
    ->Arg(0)
    ->Arg(32)
    ->Arg(128)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
