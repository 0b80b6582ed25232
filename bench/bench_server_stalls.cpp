// Family reads from 16 keep-alive clients, with and without 40 connections that
// send half a request head and stall: the stalled ones must cost the others
// little (their p99 within 2x of the run without them).
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
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
    ServedFamily() {
        family::StoreSettings settings;
        settings.minimalPasswordCost = true;
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
        const auto answer = client.Post("/api/auth/login", R"({"email":"mama@example.com","password":"password1"})",
                                        "application/json");
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

ServedFamily& served() {
    static ServedFamily family;
    return family;
}

// A connection from 127.0.0.2 that sends half a head and then nothing.
int stalledConnection(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    inet_pton(AF_INET, "127.0.0.2", &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from);
    connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    const std::string half = "GET /api/family HTTP/1.1\r\nHost: 127.0.0.1\r\nX-";
    send(fd, half.data(), half.size(), MSG_NOSIGNAL);
    return fd;
}

void BM_FamilyReadsBesideStalledConnections(benchmark::State& state) {
    auto& family = served();
    std::vector<int> stalled;
    for (int i = 0; i < state.range(0); ++i) stalled.push_back(stalledConnection(family.port));
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
                    const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
                    if (!answer || answer->status != 200) return;
                    perClient[c].push_back(took.count());
                }
            });
        for (auto& client : clients) client.join();
        for (const auto& own : perClient) latencies.insert(latencies.end(), own.begin(), own.end());
    }
    for (const int fd : stalled) close(fd);
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

}  // namespace

BENCHMARK(BM_FamilyReadsBesideStalledConnections)->Arg(0)->Arg(40)->Iterations(5)->UseRealTime()->Unit(
    benchmark::kMillisecond);
