#include "TempPostgres.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "Database.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUnprivilegedUser = "nobody";
constexpr const char* kSuperuser = "zanbeck";

// The newest installed server's programs (Debian keeps them per major version).
std::string postgresBin() {
    std::string best;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec)) {
        const auto bin = entry.path() / "bin";
        if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") && bin.string() > best) best = bin.string();
    }
    return best;
}

}  // namespace

TempPostgres::TempPostgres(bool durable) {
    bin_ = postgresBin();
    if (bin_.empty()) {
        problem_ = "no PostgreSQL server under /usr/lib/postgresql (scripts/setup installs postgresql)";
        return;
    }
    char pattern[] = "/tmp/zanbeck-pg-XXXXXX";
    if (!mkdtemp(pattern)) {
        problem_ = "cannot make a temporary folder";
        return;
    }
    folder_ = pattern;
    std::string as;
    if (geteuid() == 0) {
        const passwd* user = getpwnam(kUnprivilegedUser);
        // Search only for others: a server process without root's power over
        // file modes still reaches the socket inside.
        if (!user || chown(folder_.c_str(), user->pw_uid, user->pw_gid) != 0 || chmod(folder_.c_str(), 0711) != 0) {
            problem_ = std::string("cannot hand ") + folder_ + " to the user " + kUnprivilegedUser;
            return;
        }
        as = std::string("runuser -u ") + kUnprivilegedUser + " -- ";
    }
    const std::string init = as + bin_ + "/initdb -D " + folder_ + "/data -U " + kSuperuser +
                             " -A trust --no-sync -E UTF8 --locale=C.UTF-8 --no-instructions > " + folder_ +
                             "/initdb.log 2>&1";
    if (std::system(init.c_str()) != 0) {
        problem_ = "initdb failed (see " + folder_ + "/initdb.log)";
        return;
    }
    // Unix socket only, in the private folder.
    options_ = "-c listen_addresses= -k " + folder_ + (durable ? "" : " -c fsync=off") + " -c max_connections=300";
    if (!pgCtl("-l " + folder_ + "/server.log -w -o \"" + options_ + "\" start")) {
        problem_ = "pg_ctl start failed (see " + folder_ + "/server.log)";
        return;
    }
    started_ = true;
}

TempPostgres::~TempPostgres() {
    if (started_) pgCtl("-m immediate stop");
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
}

std::string TempPostgres::newDatabase() {
    if (!started_) return {};
    const std::string base = std::string("postgresql://") + kSuperuser + "@/";
    const std::string query = "?host=" + folder_;
    const std::string name = "family" + std::to_string(++databases_);
    family::openDatabase(base + "postgres" + query)->exec("CREATE DATABASE " + name);
    return base + name + query;
}

bool TempPostgres::pgCtl(const std::string& arguments) const {
    const std::string as = geteuid() == 0 ? std::string("runuser -u ") + kUnprivilegedUser + " -- " : "";
    return std::system((as + bin_ + "/pg_ctl -D " + folder_ + "/data " + arguments + " > /dev/null 2>&1").c_str()) == 0;
}

int TempPostgres::endSessions(const std::string& uri) {
    if (!started_) return 0;
    const auto from = uri.find("@/") + 2;  // as newDatabase() writes it
    const auto name = uri.substr(from, uri.find('?', from) - from);
    const auto admin = family::openDatabase(std::string("postgresql://") + kSuperuser + "@/postgres?host=" + folder_);
    auto ended = admin->prepare(
        "SELECT COUNT(*) FROM (SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
        "WHERE datname = ? AND pid <> pg_backend_pid()) AS t");
    ended.bind(1, name);
    return ended.step() ? static_cast<int>(ended.integer(0)) : 0;
}

bool TempPostgres::restartImmediately() { return started_ && pgCtl("-l " + folder_ + "/server.log -m immediate -w restart"); }

bool TempPostgres::stopImmediately() { return started_ && pgCtl("-m immediate -w stop"); }

bool TempPostgres::startAgain() {
    return started_ && pgCtl("-l " + folder_ + "/server.log -w -o \"" + options_ + "\" start");
}

bool testsUsePostgres() {
    const char* store = std::getenv("ZANBECK_TEST_STORE");
    return store && std::string(store) == "postgresql";
}

TempPostgres& sharedPostgres() {
    static TempPostgres cluster;
    return cluster;
}

std::string testServerStore(const std::string& dataDir) {
    if (!testsUsePostgres()) {
        fs::create_directories(dataDir);
        return dataDir;
    }
    return sharedPostgres().newDatabase();
}

std::string storeLocationOf(const std::string& store) {
    return family::isPostgresLocation(store) ? store : store + "/family.sqlite3";
}
