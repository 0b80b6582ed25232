#include "Cli.h"

#include "DemoFamily.h"
#include "FamilyServer.h"
#include "Database.h"
#include "FamilyStore.h"
#include "Postgres.h"
#include "ServerLog.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace family {

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  zanbeck-family-server serve (--data DIR | --database URI) [--host ADDRESS] [--port N]\n"
    "                              [--cert FILE --key FILE] [--demo] [--session-days N]\n"
    "                              [--trusted-proxy ADDRESS]\n"
    "      Serves the family protocol. Plain HTTP is allowed on loopback only (default 127.0.0.1:8787);\n"
    "      any other address needs --cert and --key (PEM) for HTTPS. --port 0 picks a free port.\n"
    "      --data keeps everything in an SQLite file in DIR; --database postgresql://... keeps it in\n"
    "      PostgreSQL, which several server processes may share.\n"
    "      --demo makes a demo parent and child on the first start and prints their sign-in details\n"
    "      (kept in --data DIR, which it needs).\n"
    "      --trusted-proxy: requests from this reverse proxy count against the sign-in limits by the\n"
    "      last address of their X-Forwarded-For field.\n"
    "  zanbeck-family-server add-account (--data DIR | --database URI) --email ADDRESS --nickname NAME\n"
    "                                    --role parent|child\n"
    "      Adds an account; the password (at least 8 characters) is read from standard input.\n"
    "  zanbeck-family-server list-accounts (--data DIR | --database URI)\n"
    "      Lists the accounts: id, role, e-mail, nickname, family.\n";

constexpr const char* kDatabaseName = "family.sqlite3";
// How long a stop waits for the requests under way before it drops them.
constexpr auto kStopGrace = std::chrono::seconds(5);

struct Arguments {
    std::string command;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
};

Arguments parse(int argc, const char* const* argv, const std::set<std::string>& valueOptions,
                const std::set<std::string>& flagOptions) {
    Arguments args;
    args.command = argc > 1 ? argv[1] : "";
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (flagOptions.count(option)) {
            args.flags.insert(option);
        } else if (valueOptions.count(option)) {
            if (i + 1 >= argc) throw std::invalid_argument(option + " needs a value");
            args.values[option] = argv[++i];
        } else {
            throw std::invalid_argument("unknown option " + option);
        }
    }
    return args;
}

std::string required(const Arguments& args, const std::string& option) {
    const auto it = args.values.find(option);
    if (it == args.values.end() || it->second.empty()) throw std::invalid_argument(option + " is required");
    return it->second;
}

int integer(const Arguments& args, const std::string& option, int fallback, int low, int high) {
    const auto it = args.values.find(option);
    if (it == args.values.end()) return fallback;
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(it->second, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != it->second.size() || value < low || value > high)
        throw std::invalid_argument(option + " must be a whole number from " + std::to_string(low) + " to " +
                                    std::to_string(high));
    return value;
}

std::filesystem::path dataFolder(const Arguments& args) {
    std::filesystem::path dir = required(args, "--data");
    // A folder made here is the owner's alone; an existing one keeps its mode.
    if (std::filesystem::create_directories(dir))
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    return dir;
}

std::string databasePath(const std::filesystem::path& dir) { return (dir / kDatabaseName).string(); }

// The store named on the command line: PostgreSQL with --database, else the
// SQLite file in --data.
std::string storeLocation(const Arguments& args) {
    const auto database = args.values.find("--database");
    if (database == args.values.end()) return databasePath(dataFolder(args));
    if (!isPostgresLocation(database->second))
        throw std::invalid_argument("--database takes a PostgreSQL URI (postgresql://...)");
    return database->second;
}

std::string storeDescription(const std::string& location) {
    return isPostgresLocation(location) ? describePostgres(location)
                                        : std::filesystem::path(location).parent_path().string();
}

std::string readPassword(std::istream& in, std::ostream& err) {
    const bool terminal = &in == &std::cin && isatty(STDIN_FILENO);
    termios saved{};
    if (terminal) {
        err << "Password: " << std::flush;
        tcgetattr(STDIN_FILENO, &saved);
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string password;
    std::getline(in, password);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        err << '\n';
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return password;
}

int addAccount(const Arguments& args, std::istream& in, std::ostream& out, std::ostream& err) {
    const auto location = storeLocation(args);
    NewAccount account{required(args, "--email"), required(args, "--nickname"), required(args, "--role"), ""};
    account.password = readPassword(in, err);
    FamilyStore store(location);
    const auto made = store.addAccount(account);
    out << "Added " << made.role << " " << made.email << " (" << made.nickname << "), id " << made.id << '\n';
    return 0;
}

int listAccounts(const Arguments& args, std::ostream& out) {
    FamilyStore store(storeLocation(args));
    const auto accounts = store.listAccounts();
    if (accounts.empty()) out << "No accounts.\n";
    for (const auto& a : accounts)
        out << a.id << '\t' << a.role << '\t' << a.email << '\t' << a.nickname << '\t'
            << (a.familyId ? "family " + *a.familyId : std::string("no family")) << '\n';
    return 0;
}

void printDemo(const std::optional<DemoCredentials>& demo, const std::filesystem::path& dir, std::ostream& out,
               std::ostream& err) {
    if (!demo) {
        err << "Demo family not made: one of " << kDemoParentEmail << " and " << kDemoChildEmail
            << " is already taken by another account.\n";
        return;
    }
    auto line = [&](const char* who, const char* app, const std::string& email,
                    const std::optional<std::string>& password) {
        out << "  " << who << " (" << app << "): e-mail " << email << "  password "
            << (password ? *password : "(unknown: " + (dir / kDemoFileName).string() + " is missing)") << '\n';
    };
    out << (demo->created ? "Demo family created. Sign in with:\n" : "Demo family. Sign in with:\n");
    line("parent", "zanbeck-parent", demo->parentEmail, demo->parentPassword);
    line("child ", "zanbeck", demo->childEmail, demo->childPassword);
    if (!demo->saved) err << "Could not save the demo passwords to " << (dir / kDemoFileName) << "; note them now.\n";
}

// Blocks the stop signals in this thread, and so in every thread started
// after it, until serve() returns: one waiting thread takes them, and the
// server stops between requests instead of in the middle of one.
class StopSignals {
public:
    StopSignals() {
        sigemptyset(&set_);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set_, signal);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    }
    ~StopSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    int wait() const {
        int received = 0;
        sigwait(&set_, &received);
        return received;
    }

private:
    sigset_t set_{};
    sigset_t previous_{};
};

void requireWritable(const std::filesystem::path& file, bool create) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC | (create ? O_CREAT | O_EXCL : 0), 0600);
    if (fd < 0)
        throw std::runtime_error((create ? "the data folder " + file.parent_path().string()
                                         : file.string()) +
                                 " is not writable (" + std::strerror(errno) +
                                 "): the server needs to write its database there");
    ::close(fd);
    if (create) ::unlink(file.c_str());
}

// SQLite opens a database it may not write read-only without a word, and every
// change would then fail; refuse to start instead.
void requireWritableData(const std::filesystem::path& dir) {
    requireWritable(dir / (".write-check-" + std::to_string(getpid())), true);
    for (const auto& name : {std::string(kDatabaseName), std::string(kDatabaseName) + "-wal",
                             std::string(kDatabaseName) + "-shm"})
        if (std::filesystem::exists(dir / name)) requireWritable(dir / name, false);
}

int serve(const Arguments& args, std::ostream& out, std::ostream& err) {
    StoreSettings settings;
    settings.sessionLifetime = static_cast<std::int64_t>(integer(args, "--session-days", 30, 1, 3650)) * 24 * 3600;
    ListenOptions listen;
    if (args.values.count("--host")) listen.host = args.values.at("--host");
    listen.port = integer(args, "--port", 8787, 0, 65535);
    if (args.values.count("--cert")) listen.certificateFile = args.values.at("--cert");
    if (args.values.count("--key")) listen.keyFile = args.values.at("--key");
    if (args.values.count("--trusted-proxy")) listen.trustedProxy = args.values.at("--trusted-proxy");
    FamilyServer::checkListenOptions(listen);  // before anything is written
    const StopSignals stopSignals;  // before the store or the server starts a thread
    const auto descriptors = raiseDescriptorLimit();
    signal(SIGPIPE, SIG_IGN);
    const bool demoWanted = args.flags.count("--demo") > 0;
    if (demoWanted && !args.values.count("--data"))
        throw std::invalid_argument("--demo keeps the demo passwords in --data DIR, which is required with it");
    const auto location = storeLocation(args);
    const std::filesystem::path dir = args.values.count("--data") ? dataFolder(args) : std::filesystem::path();
    // Only an SQLite store lives in the data folder; PostgreSQL checks its own rights.
    if (!isPostgresLocation(location)) requireWritableData(dir);

    {
        FamilyStore store(location, systemClock, settings);
        FamilyServer server(store, listen);
        std::optional<DemoCredentials> demo;
        if (demoWanted) demo = ensureDemoFamily(store, dir);
        server.bind();

        const std::string description = storeDescription(location);
        const std::string capacity =
            "up to " + std::to_string(server.maxConnections()) + " connections (descriptors: soft limit " +
            std::to_string(descriptors.soft) + ", hard limit " + std::to_string(descriptors.hard) + ")";
        out << "Zanbeck family server listening on " << server.origin() << " (data in " << description
            << "), " << capacity << "\n";
        if (demoWanted) printDemo(demo, dir, out, err);
        out << std::flush;
        logLine("started: listening on " + server.origin() + ", data in " + description + ", " + capacity);

        std::thread waiter([&server, &stopSignals] {
            const int received = stopSignals.wait();
            logLine(std::string("stopping on SIG") + sigabbrev_np(received) + ": finishing the requests under way");
            server.shutdown(kStopGrace);
        });
        server.run();
        waiter.join();
    }  // the store closes here, folding its write-ahead log back into the database
    logLine("stopped");
    out << "Stopped.\n" << std::flush;
    return 0;
}

}  // namespace

int runCli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err) {
    try {
        const std::string command = argc > 1 ? argv[1] : "";
        if (command == "serve") {
            // Every refused start says so in its one line.
            try {
                return serve(parse(argc, argv,
                                   {"--data", "--database", "--host", "--port", "--cert", "--key", "--session-days",
                                    "--trusted-proxy"},
                                   {"--demo"}),
                             out, err);
            } catch (const std::invalid_argument& e) {
                throw std::invalid_argument(std::string("not started: ") + e.what());
            } catch (const std::exception& e) {
                throw std::runtime_error(std::string("not started: ") + e.what());
            }
        }
        if (command == "add-account")
            return addAccount(parse(argc, argv, {"--data", "--database", "--email", "--nickname", "--role"}, {}), in, out, err);
        if (command == "list-accounts") return listAccounts(parse(argc, argv, {"--data", "--database"}, {}), out);
        if (command == "--help" || command == "-h" || command == "help") {
            out << kUsage;
            return 0;
        }
        err << (command.empty() ? "No command given.\n" : "Unknown command " + command + ".\n") << kUsage;
        return 2;
    } catch (const std::invalid_argument& e) {
        err << "zanbeck-family-server: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << "zanbeck-family-server: " << e.what() << '\n';
        return 1;
    }
}

}  // namespace family
