// The SQLite store as the disk finds it: an emptied file, a full or read-only
// disk, and a commit that must be on the disk before it is acknowledged.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "Database.h"
#include "RawConnection.h"
#include "ServerHarness.h"
#include "ServerProcess.h"
#include "support/DiskSyncs.h"

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

constexpr const char* kCannotSave = "Не удаётся сохранить изменения. Попробуйте позже.";

int linesWith(const std::string& log, const std::string& text) {
    int count = 0;
    for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
    return count;
}

std::string signIn(ApiClient& api, const std::string& email) {
    return api.post("/api/auth/login", json{{"email", email}, {"password", "password1"}}.dump())
        .json.value("sessionToken", "");
}

void runSql(const std::string& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

// A file system of its own, small enough to fill, mounted for the test's
// life (only root may mount one).
class SmallDisk {
public:
    explicit SmallDisk(const char* size) {
        char pattern[] = "/tmp/zanbeck-small-disk-XXXXXX";
        if (!mkdtemp(pattern)) return;
        path_ = pattern;
        const std::string options = std::string("size=") + size + ",mode=0700";
        if (::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0) mounted_ = true;
        else problem_ = std::strerror(errno);
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
        if (!path_.empty()) ::rmdir(path_.c_str());
    }
    bool mounted() const { return mounted_; }
    const std::string& problem() const { return problem_; }
    const std::string& path() const { return path_; }

    // Writes a file until the disk takes no more.
    void fill() {
        std::ofstream filler(path_ + "/filler", std::ios::binary);
        const std::vector<char> block(4096, 'x');
        while (filler.write(block.data(), block.size()) && filler.flush()) {
        }
    }
    void makeRoom() { fs::remove(path_ + "/filler"); }

private:
    std::string path_;
    std::string problem_;
    bool mounted_ = false;
};

// SQLite's own hook for a system call of its Unix layer: while set, every
// write fails as on a file system the kernel remounted read-only after an
// error (one cannot be remounted so while the server holds files open on it).
class ReadOnlyWrites {
public:
    ReadOnlyWrites() : vfs_(sqlite3_vfs_find(nullptr)) {
        real_ = vfs_->xGetSystemCall(vfs_, "pwrite64");
        vfs_->xSetSystemCall(vfs_, "pwrite64", reinterpret_cast<sqlite3_syscall_ptr>(&ReadOnlyWrites::write));
    }
    ~ReadOnlyWrites() { vfs_->xSetSystemCall(vfs_, "pwrite64", nullptr); }
    void refuse(bool on) { refusing_ = on; }

private:
    static ssize_t write(int fd, const void* bytes, size_t size, off64_t offset) {
        if (refusing_) {
            errno = EROFS;
            return -1;
        }
        return reinterpret_cast<ssize_t (*)(int, const void*, size_t, off64_t)>(real_)(fd, bytes, size, offset);
    }

    sqlite3_vfs* vfs_;
    static inline sqlite3_syscall_ptr real_ = nullptr;
    static inline std::atomic<bool> refusing_{false};
};

// What this process writes to standard error (the server's log) meanwhile.
class CapturedLog {
public:
    CapturedLog() : file_(std::filesystem::temp_directory_path() / ("zanbeck-log-" + std::to_string(getpid()))) {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int fd = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~CapturedLog() {
        restore();
        fs::remove(file_);
    }
    std::string text() {
        restore();
        std::ifstream in(file_);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    void restore() {
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }

    fs::path file_;
    int saved_ = -1;
};

}  // namespace

// A database file that is there but holds nothing (a failed copy, a
// truncation, someone else's file) is refused at start, named, and left as it
// was; only a missing file makes a new store.
TEST(SqliteStore, OnlyAMissingDatabaseFileMakesANewStore) {
    struct Case {
        const char* what;
        std::function<void(const std::string& file)> make;
        bool starts;
    };
    const Case cases[] = {
        {"an empty file", [](const std::string& file) { std::ofstream(file, std::ios::binary); }, false},
        {"a database without the schema",
         [](const std::string& file) { runSql(file, "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('x');"); },
         false},
        {"no file", [](const std::string&) {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const auto data = dir.filePath("data").toStdString();
        fs::create_directories(data);
        const auto file = data + "/family.sqlite3";
        c.make(file);
        const auto size = fs::exists(file) ? fs::file_size(file) : 0;

        ServerProcess server(data);
        const int port = server.start();
        const auto log = server.log();
        if (c.starts) {
            EXPECT_GT(port, 0) << log;
            EXPECT_EQ(server.stop(SIGTERM), 0);
            EXPECT_TRUE(fs::exists(file));
            continue;
        }
        EXPECT_EQ(port, 0) << server.output();
        EXPECT_TRUE(WIFEXITED(server.exitStatus()) && WEXITSTATUS(server.exitStatus()) != 0) << server.exitStatus();
        EXPECT_EQ(linesWith(log, "not started: the database file " + file + " "), 1) << log;
        EXPECT_NE(log.find("restore it from a backup"), std::string::npos) << log;
        EXPECT_EQ(fs::file_size(file), size) << "the file is left as it was";
    }
}

// On a full disk, changes and sign-ins are answered 503 with Retry-After and
// a text the app can show, reads go on, the cause is logged once for the
// whole episode and its end once, and saving resumes when there is room again.
TEST(SqliteStore, OnAFullDiskChangesWaitWhileReadsGoOn) {
    if (geteuid() != 0) GTEST_SKIP() << "only root may mount the small file system this test fills";
    SmallDisk disk("2m");
    if (!disk.mounted()) GTEST_SKIP() << "a small file system cannot be mounted here: " << disk.problem();
    const auto data = disk.path() + "/data";
    const auto childId = seedParentAndChild(data)[1]
                             .id;
    ServerProcess server(data);
    const int port = server.start();
    ASSERT_GT(port, 0);
    ApiClient api("127.0.0.1", port);
    const auto parent = signIn(api, "mama@example.com");
    ASSERT_FALSE(parent.empty());
    const auto task = [&](const std::string& title) {
        return api.post("/api/tasks", json{{"childId", childId}, {"title", title}, {"reward", 5}}.dump(), parent);
    };

    disk.fill();
    for (int i = 0; i < 5; ++i) {
        const auto refused = task("Не сохранится " + std::to_string(i));
        EXPECT_EQ(refused.status, 503) << refused.body;
        EXPECT_EQ(refused.error(), kCannotSave);
        EXPECT_GT(retryAfter(refused), 0) << refused.head;
    }
    const auto signInRefused =
        api.post("/api/auth/login", R"({"email":"kid@example.com","password":"password1"})");
    EXPECT_EQ(signInRefused.status, 503) << signInRefused.body;
    EXPECT_EQ(signInRefused.error(), kCannotSave);
    EXPECT_GT(retryAfter(signInRefused), 0) << signInRefused.head;
    EXPECT_EQ(api.get("/api/auth/me", parent).status, 200);
    const auto read = api.get("/api/family", parent);
    EXPECT_EQ(read.status, 200) << read.body;
    EXPECT_EQ(read.json["tasks"].size(), 0u);

    disk.makeRoom();
    EXPECT_EQ(task("Сохранится").status, 201);
    const auto family = api.get("/api/family", parent).json;
    ASSERT_EQ(family["tasks"].size(), 1u);
    EXPECT_EQ(family["tasks"][0]["title"], "Сохранится");

    EXPECT_EQ(server.stop(SIGTERM), 0);
    const auto log = server.log();
    EXPECT_EQ(linesWith(log, "cannot save changes to " + data + "/family.sqlite3: the disk is full"), 1) << log;
    EXPECT_EQ(linesWith(log, "changes to " + data + "/family.sqlite3 are saved again"), 1) << log;
    EXPECT_EQ(linesWith(log, "500 on "), 0) << log;
    EXPECT_EQ(linesWith(log, "a batch of"), 0) << log;
}

// An acknowledged change is on the disk: every commit of the connection that
// writes is synced (a power loss takes nothing acknowledged), as the README
// promises, whether changes come one by one or many at once.
TEST(SqliteStore, EveryAcknowledgedCommitIsSynced) {
    TempDir dir;
    const auto data = dir.filePath("data").toStdString();
    const auto accounts = seedParentAndChild(data);
    family::StoreSettings settings;
    settings.minimalPasswordCost = true;
    family::FamilyStore store(data + "/family.sqlite3", family::systemClock, settings);
    disk_syncs::reset();
    constexpr int kChanges = 10;
    for (int i = 0; i < kChanges; ++i) store.addTask(accounts[0], accounts[1].id, "Задание " + std::to_string(i), 1);
    // One sync per commit at least; a store that syncs only at checkpoints, or never, makes none here.
    EXPECT_GE(disk_syncs::countIn(QString::fromStdString(data)), kChanges) << disk_syncs::folders().join(", ").toStdString();
}

// A reading connection learns of every commit to the file without a
// transaction of its own (kept answers and sessions are judged by it on every
// read), and the writing connection tells, before each of its commits, what
// the readers will see once it is made, and then whether it was: a reader
// that finds that number knows the latest commit is its own process's.
TEST(SqliteStore, TheCommitsSeenMoveWithEveryCommitAndTheWriterTellsItsOwn) {
    TempDir dir;
    const auto file = dir.filePath("family.sqlite3").toStdString();
    const auto reader = family::openDatabase(file);
    const auto writer = family::openDatabase(file);
    const auto other = family::openDatabase(file);
    struct Told final : family::CommitWatch {
        std::vector<std::int64_t> coming;
        std::vector<bool> made;
        void committing(std::int64_t next) override { coming.push_back(next); }
        void committed(bool m) override { made.push_back(m); }
    } told;
    writer->watchCommits(&told);
    other->exec("CREATE TABLE t (x INTEGER)");
    const auto transaction = [&](const char* sql, bool commit) {
        writer->begin(family::Database::Mode::Write);
        if (*sql) writer->exec(sql);
        if (commit) writer->commit();
        else writer->rollback();
    };
    enum Tells { Nothing, Made, NotMade };
    struct Step {
        const char* what;
        std::function<void()> step;
        bool moves;  // the commits seen move
        Tells tells;
    };
    const std::vector<Step> steps{
        {"nothing", [] {}, false, Nothing},
        {"another connection's commit", [&] { other->exec("INSERT INTO t VALUES (1)"); }, true, Nothing},
        // PRAGMA data_version stays here: a connection's own commits are not "changes by others".
        {"the reader's own commit", [&] { reader->exec("INSERT INTO t VALUES (2)"); }, true, Nothing},
        {"the writer's commit", [&] { transaction("INSERT INTO t VALUES (3)", true); }, true, Made},
        {"the writer's second commit", [&] { transaction("UPDATE t SET x = x + 1", true); }, true, Made},
        {"a read", [&] { other->exec("SELECT count(*) FROM t"); }, false, Nothing},
        {"a write rolled back", [&] { transaction("INSERT INTO t VALUES (4)", false); }, false, Nothing},
        {"a commit that changed nothing", [&] { transaction("", true); }, false, NotMade},
        {"a checkpoint", [&] { other->exec("PRAGMA wal_checkpoint(TRUNCATE)"); }, false, Nothing},
        {"the writer's commit after the log restarted", [&] { transaction("INSERT INTO t VALUES (5)", true); }, true,
         Made},
        {"another connection's commit after the writer's", [&] { other->exec("DELETE FROM t"); }, true, Nothing},
    };
    auto last = reader->commitsSeen();
    ASSERT_TRUE(last);
    for (const auto& step : steps) {
        told = {};
        step.step();
        const auto now = reader->commitsSeen();
        ASSERT_TRUE(now) << step.what;
        EXPECT_EQ(*now != *last, step.moves) << step.what;
        EXPECT_EQ(writer->commitsSeen(), now) << step.what;
        last = now;
        if (step.tells == Nothing) {
            EXPECT_TRUE(told.coming.empty() && told.made.empty()) << step.what;
            continue;
        }
        // The number told before the commit is the one after it, had it been made.
        EXPECT_EQ(told.coming, std::vector<std::int64_t>{step.tells == Made ? *now : *now + 1}) << step.what;
        EXPECT_EQ(told.made, std::vector<bool>{step.tells == Made}) << step.what;
    }
}

// On a file system that turned read-only, changes are answered 503 with the
// text the app shows and reads go on; the cause is logged once, and its end.
class SqliteReadOnly : public FamilyTest {};

TEST_F(SqliteReadOnly, OnAReadOnlyFileSystemChangesWaitWhileReadsGoOn) {
    pair(mamaToken_, kidToken_);
    ReadOnlyWrites disk;
    CapturedLog log;
    disk.refuse(true);
    for (int i = 0; i < 3; ++i) {
        const auto refused = api_->post(
            "/api/tasks", json{{"childId", kid_.id}, {"title", "Не сохранится"}, {"reward", 1}}.dump(), mamaToken_);
        EXPECT_EQ(refused.status, 503) << refused.body;
        EXPECT_EQ(refused.error(), kCannotSave);
        EXPECT_GT(retryAfter(refused), 0);
    }
    EXPECT_EQ(api_->get("/api/family", kidToken_).status, 200);
    disk.refuse(false);
    addTask(mamaToken_, kid_.id);
    EXPECT_EQ(familyOf(kidToken_)["tasks"].size(), 1u);

    const auto text = log.text();
    EXPECT_EQ(linesWith(text, "family.sqlite3: the file system is read-only"), 1) << text;
    EXPECT_EQ(linesWith(text, "family.sqlite3 are saved again"), 1) << text;
    EXPECT_EQ(linesWith(text, "500 on "), 0) << text;
}

// Each server thread keeps the sessions it looked up. A session ended or an
// account changed by another process's commit on the same file is seen on
// the very next request, by every thread, while other sessions stay valid.
TEST(SqliteStore, SessionsEndedOrChangedByAnotherProcessCountFromTheNextRequest) {
    struct Case {
        const char* what;
        const char* sql;  // %s: the account's id
        int status;
        const char* nickname;
    };
    const Case cases[] = {
        {"its sessions deleted (signed out everywhere)", "DELETE FROM sessions WHERE user_id = '%s'", 401, nullptr},
        {"its session expired", "UPDATE sessions SET expires_at = 1 WHERE user_id = '%s'", 401, nullptr},
        {"its nickname changed", "UPDATE users SET nickname = 'Мамочка' WHERE id = '%s'", 200, "Мамочка"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const auto data = dir.filePath("data").toStdString();
        const auto accounts = seedParentAndChild(data);
        ServerProcess server(data);
        const int port = server.start();
        ASSERT_GT(port, 0) << server.output();
        ApiClient api("127.0.0.1", port);
        const auto mama = signIn(api, "mama@example.com"), kid = signIn(api, "kid@example.com");
        ASSERT_FALSE(mama.empty());
        // Enough requests for every server thread to keep the session.
        for (int i = 0; i < 64; ++i) ASSERT_EQ(api.get("/api/auth/me", mama).status, 200);

        char sql[200];
        std::snprintf(sql, sizeof sql, c.sql, accounts[0].id.c_str());
        runSql(data + "/family.sqlite3", sql);

        for (int i = 0; i < 64; ++i) {
            const auto me = api.get("/api/auth/me", mama);
            ASSERT_EQ(me.status, c.status) << "request " << i << " after the change";
            if (c.nickname) {
                ASSERT_EQ(me.json["user"]["nickname"], c.nickname) << "request " << i;
            }
            ASSERT_EQ(api.get("/api/auth/me", kid).status, 200) << "another account's session stays";
        }
    }
}
