// Load tool for the family server (not a test, not run by ctest): starts one or
// more real server processes over one store and drives them from N keep-alive
// clients on loopback for a bounded time per phase, reporting requests per
// second and p50/p99 latency:
//   - mixed: each client creates, completes and approves tasks in its own
//     family, with a refresh (GET /api/family) after each task;
//   - writes: the same without the refresh;
//     after each of the two, no task the server acknowledged may be lost or
//     made twice, nor be in another state than the last one acknowledged;
//   - reads: one family (2 parents, 2 children, 20 tasks) from 64 connections
//     and, when nginx is installed, the same bytes from nginx serving a file;
//   - reads beside writes: the same reads while the N clients run the write
//     path in their own families, each side against its figure alone;
//   - isolation: small-family reads alone and beside one client reading a
//     family of 48,000 tasks back to back.
//
// Each phase also prints the CPU time the server processes and the tool itself
// spent, per request, how often a server thread gave up its CPU to wait, per
// request, and how busy the machine's CPUs were.
//
//   zanbeck-family-load [--clients 16] [--seconds 10] [--servers 1]
//                       [--postgres | --database postgresql://...] [--read-connections 64]
//                       [--big-tasks 48000 (0: no isolation phase)] [--isolation-clients 8]
//                       [--server-executable PATH (another build's server)]
//                       [--side-by-side (only writes alone, reads alone and both together, a
//                        second each in turn)]
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "Database.h"
#include "FamilyStore.h"
#include "ServerProcess.h"
#include "TempPostgres.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using asio::ip::tcp;
using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    int clients = 16;
    int seconds = 10;
    int servers = 1;
    int readConnections = 64;
    int bigTasks = 48000;      // 0: no isolation phase
    int isolationClients = 8;  // small-family readers beside the big family
    bool postgres = false;
    std::string database;
    std::string serverExecutable;  // empty: this build's
    bool sideBySideOnly = false;   // only the three side-by-side phases, interleaved
};

// CPU seconds (user and system) a process has used, from /proc/<pid>/stat.
double processCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + (pid > 0 ? std::to_string(pid) : std::string("self")) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto afterName = text.rfind(')');
    if (afterName == std::string::npos) return 0;
    std::istringstream fields(text.substr(afterName + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Fields 3 to 13 come before utime (14) and stime (15).
    for (int i = 3; i <= 13 && fields >> field; ++i) {}
    fields >> utime >> stime;
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// Times the threads of a process gave up their CPU to wait (a lock, a
// condition, a socket), summed over /proc/<pid>/task/*/status.
double voluntarySwitches(pid_t pid) {
    double sum = 0;
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "status");
        for (std::string line; std::getline(in, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) sum += std::stod(line.substr(24));
    }
    return sum;
}

// Busy and all CPU time of the whole machine, from /proc/stat.
std::pair<double, double> machineCpuSeconds() {
    std::ifstream in("/proc/stat");
    std::string cpu;
    unsigned long long v[8] = {};
    in >> cpu >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5] >> v[6] >> v[7];
    const double tick = double(sysconf(_SC_CLK_TCK));
    unsigned long long all = 0;
    for (const auto x : v) all += x;
    return {double(all - v[3] - v[4]) / tick, double(all) / tick};  // idle and I/O wait are not busy
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    double one = 0, five = 0, fifteen = 0;
    in >> one >> five >> fifteen;
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", one, five, fifteen);
    return text;
}

// The CPU a phase cost: the server processes', the tool's own and the
// machine's, over one stretch or added up over several.
class CpuMeter {
public:
    explicit CpuMeter(std::vector<pid_t> servers) : servers_(std::move(servers)) { restart(); }
    // Forgets what was counted and counts from now.
    void restart() {
        total_ = {};
        resume();
    }
    void resume() { from_ = now(); }
    // Adds what was spent since the last restart() or resume().
    void pause() {
        const auto to = now();
        for (std::size_t i = 0; i < total_.size(); ++i) total_[i] += to[i] - from_[i];
    }
    void report(const char* what, double requests) {
        pause();
        const auto [server, waits, tool, busy, all] = total_;
        std::printf("  cpu, %s: server %.2f s (%.1f us a request, %.2f waits a request), tool %.2f s "
                    "(%.1f us a request), machine busy %.0f %% of %ld CPUs\n",
                    what, server, requests > 0 ? 1e6 * server / requests : 0.0,
                    requests > 0 ? waits / requests : 0.0, tool, requests > 0 ? 1e6 * tool / requests : 0.0,
                    all > 0 ? 100 * busy / all : 0.0, sysconf(_SC_NPROCESSORS_ONLN));
        total_ = {};
        resume();
    }

private:
    // Server CPU seconds, server waits, tool CPU seconds, machine busy and all CPU seconds.
    using Counts = std::array<double, 5>;
    Counts now() const {
        Counts counts{};
        for (const auto pid : servers_) {
            counts[0] += processCpuSeconds(pid);
            counts[1] += voluntarySwitches(pid);
        }
        counts[2] = processCpuSeconds(0);
        std::tie(counts[3], counts[4]) = machineCpuSeconds();
        return counts;
    }
    std::vector<pid_t> servers_;
    Counts from_{}, total_{};
};

// One keep-alive HTTP/1.1 connection; reconnects after a failure.
class Connection {
public:
    explicit Connection(int port) : port_(port) {}

    // Status 0 when there was no answer.
    std::pair<int, std::string> send(http::verb verb, const std::string& target, const std::string& token,
                                     const std::string& body = {}, const std::string& key = {}) {
        try {
            if (!socket_.is_open()) socket_.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port_));
            http::request<http::string_body> req{verb, target, 11};
            req.set(http::field::host, "127.0.0.1");
            if (!token.empty()) req.set(http::field::authorization, "Bearer " + token);
            if (!key.empty()) req.set("Idempotency-Key", key);
            if (!body.empty()) req.set(http::field::content_type, "application/json");
            req.body() = body;
            req.prepare_payload();
            http::write(socket_, req);
            http::response_parser<http::string_body> parser;
            parser.body_limit(boost::none);  // a big family's answer is several megabytes
            http::read(socket_, buffer_, parser);
            auto res = parser.release();
            if (!res.keep_alive()) close();
            return {res.result_int(), std::move(res.body())};
        } catch (const std::exception&) {
            close();
            return {0, {}};
        }
    }

private:
    void close() {
        beast::error_code ignored;
        socket_.close(ignored);
        buffer_.clear();
    }
    int port_;
    asio::io_context io_;
    tcp::socket socket_{io_};
    beast::flat_buffer buffer_;
};

struct Latencies {
    std::mutex mutex;
    std::vector<double> micros;
    long failures = 0;
    void add(std::vector<double>& mine, long failed) {
        std::lock_guard lock(mutex);
        micros.insert(micros.end(), mine.begin(), mine.end());
        failures += failed;
    }
    double percentile(double q) {
        std::sort(micros.begin(), micros.end());
        return micros.empty() ? 0.0 : micros[std::size_t(q * (micros.size() - 1))];
    }
    std::size_t count() const { return micros.size(); }
    void report(const char* what, double seconds) {
        const auto at = [&](double q) { return percentile(q); };
        std::printf("%-44s %9.0f req/s   p50 %7.2f ms   p99 %7.2f ms   (%zu requests, %ld failed)\n", what,
                    micros.size() / seconds, at(0.5) / 1000, at(0.99) / 1000, micros.size(), failures);
    }
    double rate(double seconds) const { return micros.size() / seconds; }
};

std::string signIn(int port, const std::string& email) {
    Connection c(port);
    const auto [status, body] =
        c.send(http::verb::post, "/api/auth/login", "", json{{"email", email}, {"password", "password1"}}.dump());
    if (status != 200) throw std::runtime_error("cannot sign in " + email + ": " + std::to_string(status));
    return json::parse(body)["sessionToken"];
}

// What one client's family should hold: each acknowledged task and the last
// state the server acknowledged for it.
struct Ledger {
    std::map<std::string, std::string> tasks;
    long unanswered = 0;  // writes that got no answer: they may or may not have happened
};

// Create, complete and approve one task after another; with `refresh`, the
// parent reads the family after each, as the app does.
void taskClient(int port, const std::string& parent, const std::string& child, const std::string& childId,
                bool refresh, Clock::time_point end, Ledger& ledger, std::vector<double>& micros, long& failed) {
    Connection p(port), c(port);
    int n = static_cast<int>(ledger.tasks.size() + ledger.unanswered);  // keys stay new across phases
    const auto timed = [&](Connection& conn, http::verb verb, const char* target, const std::string& token,
                           const std::string& body, const std::string& key = {}) {
        const auto begin = Clock::now();
        auto answer = conn.send(verb, target, token, body, key);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
        if (answer.first / 100 != 2) ++failed;
        return answer;
    };
    while (Clock::now() < end) {
        const auto key = childId + "-" + std::to_string(++n);
        const auto made = timed(p, http::verb::post, "/api/tasks", parent,
                                json{{"childId", childId}, {"title", "Задание " + std::to_string(n)}, {"reward", 1}}.dump(),
                                key);
        if (made.first != 201) {
            ++ledger.unanswered;
            continue;
        }
        const std::string id = json::parse(made.second)["task"]["id"];
        ledger.tasks[id] = "active";
        const auto act = [&](Connection& conn, const std::string& token, const char* action, const char* after) {
            const auto answer =
                timed(conn, http::verb::patch, "/api/tasks", token, json{{"id", id}, {"action", action}}.dump());
            if (answer.first == 200) ledger.tasks[id] = after;
            else ++ledger.unanswered;
            return answer.first == 200;
        };
        if (act(c, child, "complete", "review")) act(p, parent, "approve", "done");
        if (refresh) timed(p, http::verb::get, "/api/family", parent, "");
    }
}

// Reads each client's family and compares it with what the server acknowledged.
bool checkLedgers(int port, const std::vector<std::string>& parents, const std::vector<Ledger>& ledgers) {
    long lost = 0, duplicated = 0, wrong = 0, extra = 0, acknowledged = 0;
    for (std::size_t i = 0; i < parents.size(); ++i) {
        const auto [status, body] = Connection(port).send(http::verb::get, "/api/family", parents[i]);
        if (status != 200) throw std::runtime_error("cannot read a family after the run");
        std::map<std::string, int> seen;
        std::map<std::string, std::string> state;
        const auto family = json::parse(body);
        for (const auto& task : family["tasks"]) {
            ++seen[task["id"]];
            state[task["id"]] = task["status"];
        }
        for (const auto& [id, times] : seen) {
            if (times > 1) duplicated += times - 1;
            if (!ledgers[i].tasks.count(id)) ++extra;
        }
        for (const auto& [id, last] : ledgers[i].tasks) {
            ++acknowledged;
            if (!seen.count(id)) ++lost;
            else if (state[id] != last && ledgers[i].unanswered == 0) ++wrong;
        }
    }
    std::printf("after the run: %ld acknowledged tasks, %ld lost, %ld duplicated, %ld in another state, "
                "%ld unacknowledged extra\n",
                acknowledged, lost, duplicated, wrong, extra);
    return lost == 0 && duplicated == 0 && wrong == 0;
}

void readClient(int port, const std::string& target, const std::string& token, Clock::time_point end,
                std::vector<double>& micros, long& failed) {
    Connection conn(port);
    while (Clock::now() < end) {
        const auto begin = Clock::now();
        const auto [status, body] = conn.send(http::verb::get, target, token);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - begin).count());
        if (status != 200) ++failed;
    }
}

// `connections` clients reading `target` back to back for the run's time,
// beside `alongside` (given the end) on a thread of its own when set.
std::unique_ptr<Latencies> readLatencies(const std::vector<int>& ports, const std::string& token, int connections,
                                         const Options& options,
                                         const std::function<void(Clock::time_point)>& alongside,
                                         const std::string& target = "/api/family") {
    auto all = std::make_unique<Latencies>();
    const auto end = Clock::now() + std::chrono::seconds(options.seconds);
    std::vector<std::thread> threads;
    if (alongside) threads.emplace_back([&] { alongside(end); });
    for (int i = 0; i < connections; ++i)
        threads.emplace_back([&, i] {
            std::vector<double> micros;
            long failed = 0;
            readClient(ports[i % ports.size()], target, token, end, micros, failed);
            all->add(micros, failed);
        });
    for (auto& t : threads) t.join();
    return all;
}

double readPhase(const char* what, const std::vector<int>& ports, const std::string& target, const std::string& token,
                 int connections, const Options& options, CpuMeter* cpu) {
    Latencies all;
    if (cpu) cpu->restart();
    const auto end = Clock::now() + std::chrono::seconds(options.seconds);
    std::vector<std::thread> threads;
    for (int i = 0; i < connections; ++i)
        threads.emplace_back([&, i] {
            std::vector<double> micros;
            long failed = 0;
            readClient(ports[i % ports.size()], target, token, end, micros, failed);
            all.add(micros, failed);
        });
    for (auto& t : threads) t.join();
    all.report(what, options.seconds);
    if (cpu) cpu->report(what, double(all.count()));
    return all.rate(options.seconds);
}

int freePort() {
    asio::io_context io;
    tcp::acceptor acceptor(io, tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    return acceptor.local_endpoint().port();
}

// nginx serving `body` from a file at /api/family, with as many workers as the
// family server has worker threads. Returns its pid and port, or nothing when
// nginx is not installed.
std::optional<std::pair<pid_t, int>> startNginx(const std::filesystem::path& folder, const std::string& body) {
    const char* binary = "/usr/sbin/nginx";
    if (access(binary, X_OK) != 0) return std::nullopt;
    std::filesystem::create_directories(folder);
    chmod(folder.c_str(), 0755);
    std::ofstream(folder / "family.json") << body;
    chmod((folder / "family.json").c_str(), 0644);
    const int port = freePort();
    const unsigned workers = std::clamp(std::thread::hardware_concurrency(), 2u, 8u);
    std::ofstream(folder / "nginx.conf")
        << (geteuid() == 0 ? "user nobody nogroup;\n" : "") << "worker_processes " << workers << ";\n"
        << "daemon off;\npid " << (folder / "nginx.pid").string() << ";\nerror_log " << (folder / "error.log").string()
        << ";\nevents { worker_connections 1024; }\nhttp {\n  access_log off;\n  keepalive_requests 1000000;\n"
        << "  client_body_temp_path " << folder.string() << ";\n  proxy_temp_path " << folder.string() << ";\n"
        << "  fastcgi_temp_path " << folder.string() << ";\n  uwsgi_temp_path " << folder.string() << ";\n"
        << "  scgi_temp_path " << folder.string() << ";\n"
        << "  server {\n    listen 127.0.0.1:" << port << ";\n    location = /api/family {\n"
        << "      default_type application/json;\n      alias " << (folder / "family.json").string() << ";\n    }\n  }\n}\n";
    const pid_t pid = fork();
    if (pid == 0) {
        execl(binary, binary, "-c", (folder / "nginx.conf").c_str(), "-p", folder.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100; ++i) {  // until it answers
        if (Connection(port).send(http::verb::get, "/api/family", "").first == 200) return std::pair{pid, port};
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return std::nullopt;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto next = [&] {
            if (i + 1 >= argc) throw std::invalid_argument(a + " needs a value");
            return std::string(argv[++i]);
        };
        if (a == "--clients") o.clients = std::stoi(next());
        else if (a == "--seconds") o.seconds = std::stoi(next());
        else if (a == "--servers") o.servers = std::stoi(next());
        else if (a == "--read-connections") o.readConnections = std::stoi(next());
        else if (a == "--big-tasks") o.bigTasks = std::stoi(next());
        else if (a == "--isolation-clients") o.isolationClients = std::stoi(next());
        else if (a == "--postgres") o.postgres = true;
        else if (a == "--database") o.database = next();
        else if (a == "--server-executable") o.serverExecutable = next();
        else if (a == "--side-by-side") o.sideBySideOnly = true;
        else throw std::invalid_argument("unknown option " + a);
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) try {
    const Options options = parse(argc, argv);
    signal(SIGPIPE, SIG_IGN);
    char pattern[] = "/tmp/zanbeck-load-XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern);
    chmod(folder.c_str(), 0755);  // nginx's workers run as nobody and read a file inside
    std::optional<TempPostgres> cluster;
    std::string store = options.database;
    if (store.empty() && options.postgres) {
        cluster.emplace(true);
        if (!cluster->problem().empty()) throw std::runtime_error("PostgreSQL: " + cluster->problem());
        store = cluster->newDatabase();
    }
    if (store.empty()) store = (folder / "data").string();
    std::printf("store: %s, %d server process(es), %d clients for %d s; load average at the start %s\n",
                family::isPostgresLocation(store) ? "PostgreSQL" : "SQLite", options.servers, options.clients,
                options.seconds, loadAverage().c_str());
    if (!options.serverExecutable.empty()) std::printf("server: %s\n", options.serverExecutable.c_str());

    // One family per client, and the family the read phase reads.
    std::vector<family::NewAccount> accounts;
    for (int i = 0; i < options.clients; ++i) {
        accounts.push_back({"p" + std::to_string(i) + "@load.test", "Родитель", "parent", "password1"});
        accounts.push_back({"c" + std::to_string(i) + "@load.test", "Ребёнок", "child", "password1"});
    }
    std::vector<std::string> childIds;
    {
        std::vector<family::NewAccount> pair(2);
        for (int i = 0; i < options.clients; ++i) {
            pair[0] = accounts[2 * i];
            pair[1] = accounts[2 * i + 1];
            childIds.push_back(seedStore(store, pair, true)[1].id);
        }
    }
    const auto readFamily = seedStore(store,
                                      {{"mama@load.test", "Мама", "parent", "password1"},
                                       {"papa@load.test", "Папа", "parent", "password1"},
                                       {"kid1@load.test", "Первый", "child", "password1"},
                                       {"kid2@load.test", "Вторая", "child", "password1"}},
                                      true);
    // The big family, made through the store from many threads at once so
    // that its tasks share commits.
    std::string bigParent;
    if (options.bigTasks > 0) {
        const auto big = seedStore(store,
                                   {{"big@load.test", "Большая", "parent", "password1"},
                                    {"bigkid@load.test", "Ребёнок", "child", "password1"}},
                                   true);
        family::FamilyStore bigStore(storeLocationOf(store));
        std::atomic<int> next{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 32; ++t)
            threads.emplace_back([&] {
                for (int i; (i = next++) < options.bigTasks;)
                    bigStore.addTask(big[0], big[1].id, "Задание из большой семьи номер " + std::to_string(i), 7.5);
            });
        for (auto& t : threads) t.join();
        bigParent = "big@load.test";
    }

    std::vector<std::unique_ptr<ServerProcess>> servers;
    std::vector<int> ports;
    for (int i = 0; i < options.servers; ++i) {
        servers.push_back(std::make_unique<ServerProcess>(store));
        if (!options.serverExecutable.empty()) servers.back()->useExecutable(options.serverExecutable);
        ports.push_back(servers.back()->start());
        if (ports.back() == 0) throw std::runtime_error("the server did not start");
    }
    std::vector<pid_t> pids;
    for (const auto& server : servers) pids.push_back(server->pid());
    CpuMeter cpu(pids);

    std::vector<std::string> parents, children;
    for (int i = 0; i < options.clients; ++i) {
        parents.push_back(signIn(ports[i % ports.size()], accounts[2 * i].email));
        children.push_back(signIn(ports[i % ports.size()], accounts[2 * i + 1].email));
    }

    // Task phases, each client in its own family: the app's calls with a
    // refresh after each task, while the families are still small, then the
    // write path alone. After each, nothing acknowledged may be lost and
    // nothing made twice.
    std::vector<Ledger> ledgers(options.clients);
    bool intact = true;
    double writesAlone = 0;
    // Every client runs the app's task calls in its own family until `end`.
    const auto taskClients = [&](bool refresh, Clock::time_point end, Latencies& into) {
        std::vector<std::thread> threads;
        for (int i = 0; i < options.clients; ++i)
            threads.emplace_back([&, i] {
                std::vector<double> micros;
                long failed = 0;
                taskClient(ports[i % ports.size()], parents[i], children[i], childIds[i], refresh, end, ledgers[i],
                           micros, failed);
                into.add(micros, failed);
            });
        for (auto& t : threads) t.join();
    };
    for (const bool refresh : {true, false}) {
        if (options.sideBySideOnly) break;
        Latencies latencies;
        cpu.restart();
        taskClients(refresh, Clock::now() + std::chrono::seconds(options.seconds), latencies);
        const char* phase = refresh ? "mixed (create, complete, approve, refresh)" : "writes (create, complete, approve)";
        latencies.report(phase, options.seconds);
        cpu.report(phase, double(latencies.count()));
        if (!refresh) writesAlone = latencies.rate(options.seconds);
        intact = checkLedgers(ports[0], parents, ledgers) && intact;
    }

    // Read phase: one family of 2 parents, 2 children and 20 tasks.
    const int readPort = ports[0];
    const auto mama = signIn(readPort, "mama@load.test");
    for (int i = 0; i < 20; ++i) {
        Connection c(readPort);
        c.send(http::verb::post, "/api/tasks", mama,
               json{{"childId", readFamily[2 + i % 2].id}, {"title", "Задание на неделю номер " + std::to_string(i)},
                    {"reward", 12.5}}
                   .dump());
    }
    const auto body = Connection(readPort).send(http::verb::get, "/api/family", mama).second;
    std::printf("GET /api/family: %zu bytes\n", body.size());
    if (options.sideBySideOnly) {
        // Writes alone, reads alone and both together, a second each in turn
        // for the run's time per phase: on a machine whose other load comes
        // and goes, all three meet it alike.
        const auto writers = [&](Clock::time_point end, Latencies& into) { taskClients(false, end, into); };
        const auto readers = [&](Clock::time_point end, Latencies& into) {
            std::vector<std::thread> threads;
            for (int i = 0; i < options.readConnections; ++i)
                threads.emplace_back([&, i] {
                    std::vector<double> micros;
                    long failed = 0;
                    readClient(ports[i % ports.size()], "/api/family", mama, end, micros, failed);
                    into.add(micros, failed);
                });
            for (auto& t : threads) t.join();
        };
        Latencies writesAloneSlices, readsAloneSlices, readsBeside, writesBeside;
        CpuMeter writesCpu(pids), readsCpu(pids), bothCpu(pids);
        for (int slice = 0; slice < options.seconds; ++slice) {
            const auto second = [] { return Clock::now() + std::chrono::seconds(1); };
            writesCpu.resume();
            writers(second(), writesAloneSlices);
            writesCpu.pause();
            readsCpu.resume();
            readers(second(), readsAloneSlices);
            readsCpu.pause();
            bothCpu.resume();
            const auto end = second();
            std::thread writing([&] { writers(end, writesBeside); });
            readers(end, readsBeside);
            writing.join();
            bothCpu.pause();
        }
        const double seconds = options.seconds;
        writesAloneSlices.report("writes alone (1 s slices)", seconds);
        writesCpu.report("writes alone", double(writesAloneSlices.count()));
        readsAloneSlices.report("GET /api/family alone (1 s slices)", seconds);
        readsCpu.report("reads alone", double(readsAloneSlices.count()));
        readsBeside.report("GET /api/family beside the writers", seconds);
        writesBeside.report("writes beside the readers", seconds);
        bothCpu.report("reads and writes side by side", double(readsBeside.count() + writesBeside.count()));
        const auto share = [](double beside, double alone) { return alone > 0 ? 100 * beside / alone : 0.0; };
        std::printf("side by side: reads %.1f %% of reads alone (goal: at least 80 %%), writes %.1f %% of writes "
                    "alone (goal: at least 50 %%)\n",
                    share(readsBeside.rate(seconds), readsAloneSlices.rate(seconds)),
                    share(writesBeside.rate(seconds), writesAloneSlices.rate(seconds)));
        intact = checkLedgers(ports[0], parents, ledgers) && intact;
        std::printf("load average at the end %s\n", loadAverage().c_str());
        servers.clear();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
        return intact ? 0 : 1;
    }
    const double server =
        readPhase("GET /api/family, family server", ports, "/api/family", mama, options.readConnections, options, &cpu);
    // Reads beside writes: the same readers while every client runs the
    // write path in its own family; a change must not cost the readers of
    // other families their kept answers.
    {
        Latencies writes;
        cpu.restart();
        const auto reads =
            readLatencies(ports, mama, options.readConnections, options,
                          [&](Clock::time_point end) { taskClients(false, end, writes); });
        reads->report("GET /api/family beside the writers", options.seconds);
        writes.report("writes beside the readers", options.seconds);
        cpu.report("reads and writes side by side", double(reads->count() + writes.count()));
        const auto share = [](double beside, double alone) { return alone > 0 ? 100 * beside / alone : 0.0; };
        std::printf(
            "side by side: reads %.1f %% of reads alone (goal: at least 80 %%), writes %.1f %% of writes "
            "alone (goal: at least 50 %%)\n",
            share(reads->rate(options.seconds), server), share(writes.rate(options.seconds), writesAlone));
        intact = checkLedgers(ports[0], parents, ledgers) && intact;
    }

    if (auto nginx = startNginx(folder / "nginx", body)) {
        const double file = readPhase("GET /api/family, nginx (same bytes, a file)", {nginx->second}, "/api/family",
                                      "", options.readConnections, options, nullptr);
        std::printf("family server / nginx: %.1f %%\n", file > 0 ? 100 * server / file : 0.0);
        kill(nginx->first, SIGQUIT);
        waitpid(nginx->first, nullptr, 0);
    } else {
        std::printf("nginx is not installed: no comparison\n");
    }

    // Isolation: small-family reads alone, then beside one client reading the
    // big family back to back.
    if (!bigParent.empty()) {
        const auto big = signIn(readPort, bigParent);
        const auto bigBody = Connection(readPort).send(http::verb::get, "/api/family", big).second;
        std::printf("big family: %d tasks, %zu bytes\n", options.bigTasks, bigBody.size());
        const auto alone = readLatencies(ports, mama, options.isolationClients, options, {});
        Latencies bigReads;
        const auto beside = readLatencies(ports, mama, options.isolationClients, options, [&](Clock::time_point end) {
            std::vector<double> micros;
            long failed = 0;
            readClient(readPort, "/api/family", big, end, micros, failed);
            bigReads.add(micros, failed);
        });
        const auto p99Alone = alone->percentile(0.99), p99Beside = beside->percentile(0.99);
        alone->report("small-family reads alone", options.seconds);
        beside->report("small-family reads beside the big family", options.seconds);
        bigReads.report("big-family reads", options.seconds);
        std::printf("the big family's reads add %.2f ms to the small families' p99\n", (p99Beside - p99Alone) / 1000);
    }

    std::printf("load average at the end %s\n", loadAverage().c_str());
    servers.clear();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    return intact ? 0 : 1;
} catch (const std::exception& e) {
    std::fprintf(stderr, "zanbeck-family-load: %s\n", e.what());
    return 1;
}
