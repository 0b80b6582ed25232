#include "Sqlite.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include <chrono>
#include <map>
#include <thread>

namespace family {

namespace {

// The error numbers of the connection's last failed system calls: the one
// SQLite keeps for the connection (possibly a later call's), and those the
// database file and its write-ahead log each kept of their own last failure.
std::vector<int> systemErrors(sqlite3* db) {
    std::vector<int> errors{sqlite3_system_errno(db)};
    int error = 0;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_LAST_ERRNO, &error) == SQLITE_OK) errors.push_back(error);
    sqlite3_file* log = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) == SQLITE_OK && log && log->pMethods &&
        log->pMethods->xFileControl(log, SQLITE_FCNTL_LAST_ERRNO, &error) == SQLITE_OK)
        errors.push_back(error);
    return errors;
}

// What the disk itself refuses, in words for the log; nothing for any other
// failure. SQLite names a full disk itself; a write refused for another
// reason is told by its error number, or by the file system's own state.
std::optional<std::string> unwritableCause(sqlite3* db, const std::string& path) {
    const int primary = sqlite3_extended_errcode(db) & 0xff;
    if (primary == SQLITE_FULL) return "the disk is full";
    if (primary != SQLITE_IOERR && primary != SQLITE_CANTOPEN && primary != SQLITE_READONLY) return std::nullopt;
    const auto errors = systemErrors(db);
    const auto was = [&](int error) { return std::find(errors.begin(), errors.end(), error) != errors.end(); };
    struct statvfs disk {};
    const auto folder = std::filesystem::path(path).parent_path();
    const bool known = ::statvfs(folder.empty() ? "." : folder.c_str(), &disk) == 0;
    if (was(EROFS) || (known && (disk.f_flag & ST_RDONLY))) return "the file system is read-only";
    if (was(ENOSPC) || (known && disk.f_bavail == 0)) return "the disk is full";
    if (was(EDQUOT)) return "the disk quota is used up";
    if (primary == SQLITE_READONLY) return "the database file is read-only";
    return std::nullopt;
}

// The connection's last failure as the store sees it; one that the disk
// refused starts an episode of its database (logged once, not per request).
[[noreturn]] void fail(sqlite3* db, std::string_view what, const std::string& path, Episode* unwritable,
                       std::string message = {}) {
    if (!db) throw DatabaseError(std::string(what) + ": out of memory");
    if (message.empty()) message = sqlite3_errmsg(db);
    const int code = sqlite3_extended_errcode(db);
    auto kind = DatabaseError::Other;
    if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY) kind = DatabaseError::Conflict;
    if ((code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED) kind = DatabaseError::Retry;
    if (const auto cause = unwritableCause(db, path)) {
        kind = DatabaseError::Unwritable;
        if (unwritable) unwritable->begin(*cause + " (" + message + ")");
    }
    throw DatabaseError(std::string(what) + ": " + message, kind);
}

// A statement compiled once per connection and kept: compiling costs more than
// running most of the store's statements.
struct CachedStatement {
    sqlite3_stmt* stmt = nullptr;
    bool inUse = false;
};

class SqliteCursor final : public Cursor {
public:
    SqliteCursor(sqlite3* db, const std::string& path, Episode& unwritable, std::string_view sql)
        : db_(db), path_(path), unwritable_(unwritable) {
        if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
            fail(db_, "prepare", path_, &unwritable_);
    }
    SqliteCursor(sqlite3* db, const std::string& path, Episode& unwritable, CachedStatement& cached)
        : db_(db), path_(path), unwritable_(unwritable), stmt_(cached.stmt), cached_(&cached) {
        cached.inUse = true;
    }
    ~SqliteCursor() override {
        if (!cached_) {
            sqlite3_finalize(stmt_);
            return;
        }
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        cached_->inUse = false;
    }

    void bindText(int index, std::string_view text) override {
        if (sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) !=
            SQLITE_OK)
            fail(db_, "bind", path_, &unwritable_);
    }
    void bindInteger(int index, std::int64_t value) override {
        if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK) fail(db_, "bind", path_, &unwritable_);
    }
    void bindBlob(int index, const std::vector<unsigned char>& blob) override {
        if (sqlite3_bind_blob(stmt_, index, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT) !=
            SQLITE_OK)
            fail(db_, "bind", path_, &unwritable_);
    }
    void bindNull(int index) override {
        if (sqlite3_bind_null(stmt_, index) != SQLITE_OK) fail(db_, "bind", path_, &unwritable_);
    }
    bool step() override {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fail(db_, "step", path_, &unwritable_);
    }
    std::string text(int column) const override {
        const auto* p = sqlite3_column_text(stmt_, column);
        return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(stmt_, column))
                 : std::string();
    }
    std::int64_t integer(int column) const override { return sqlite3_column_int64(stmt_, column); }
    std::vector<unsigned char> blob(int column) const override {
        const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(stmt_, column));
        return p ? std::vector<unsigned char>(p, p + sqlite3_column_bytes(stmt_, column))
                 : std::vector<unsigned char>();
    }
    bool isNull(int column) const override { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

private:
    sqlite3* db_;
    const std::string& path_;
    Episode& unwritable_;
    sqlite3_stmt* stmt_ = nullptr;
    CachedStatement* cached_ = nullptr;
};

class SqliteDatabase final : public Database {
public:
    explicit SqliteDatabase(const std::string& path)
        : path_(path),
          unwritable_(Episode::of(path, "unwritable", "cannot save changes to " + path,
                                  "changes to " + path + " are saved again")) {
        // Only a file that is not there makes a new database; one that is
        // there, even empty, was some store's (see whyNotNew).
        struct stat status {};
        existed_ = ::stat(path.c_str(), &status) == 0;
        existingSize_ = existed_ ? status.st_size : 0;
        // One connection per thread: no mutex of SQLite's own is needed on it.
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
            std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
            sqlite3_close(db_);
            db_ = nullptr;
            throw DatabaseError("cannot open " + path + ": " + message);
        }
        // A writer waits here for another connection's write to end; what is
        // still busy after this is retried by the store.
        sqlite3_busy_handler(db_, &SqliteDatabase::waitForLock, nullptr);
        try {
            exec("PRAGMA foreign_keys = ON");
            // WAL keeps readers and the writer apart; FULL syncs every commit so an
            // acknowledged change survives a crash of the process or of the machine.
            // A file that was there without a schema is refused before anything
            // is written to it (see whyNotNew), so it keeps even its journal mode.
            if (!existed_ || lockedSchemaVersion() != 0) exec("PRAGMA journal_mode = WAL");
            exec("PRAGMA synchronous = FULL");
        } catch (const DatabaseError& e) {
            close();
            // "file is not a database" and the like, with the file named.
            throw DatabaseError("cannot open " + path + ": " + e.what(), e.kind());
        }
    }
    ~SqliteDatabase() override { close(); }

    // SQLite's own busy timeout sleeps in steps of up to 100 ms, so a queue of
    // writers hands the lock on slowly; a write takes well under a millisecond,
    // so poll in short, slowly growing naps instead, for up to about 5 s.
    static int waitForLock(void*, int attempt) {
        constexpr int kMaxAttempts = 20000;
        if (attempt >= kMaxAttempts) return 0;
        const int micros = attempt < 20 ? 20 : attempt < 200 ? 100 : 250;
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
        return 1;
    }

    Kind kind() const override { return Kind::Sqlite; }
    std::string describe() const override { return "the database file " + path_; }

    void exec(std::string_view sql) override {
        char* message = nullptr;
        if (sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            std::string text = message ? message : "unknown error";
            sqlite3_free(message);
            fail(db_, "SQL failed", path_, &unwritable_, text);
        }
    }
    Statement prepare(std::string_view sql) override {
        auto found = statements_.find(sql);
        if (found == statements_.end()) {
            CachedStatement cached;
            if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                   &cached.stmt, nullptr) != SQLITE_OK)
                fail(db_, "prepare", path_, &unwritable_);
            found = statements_.emplace(std::string(sql), cached).first;
        }
        // The same text still running (a statement inside a loop over itself) gets one of its own.
        if (found->second.inUse) return Statement(std::make_unique<SqliteCursor>(db_, path_, unwritable_, sql));
        return Statement(std::make_unique<SqliteCursor>(db_, path_, unwritable_, found->second));
    }
    std::int64_t changes() const override { return sqlite3_changes(db_); }

    // IMMEDIATE takes the write lock at once, so a write transaction never
    // fails half-way on a lock upgrade.
    void begin(Mode mode) override {
        exec(mode == Mode::Write ? "BEGIN IMMEDIATE" : "BEGIN");
        writing_ = mode == Mode::Write;
    }
    void commit() override {
        const bool writing = std::exchange(writing_, false);
        exec("COMMIT");
        // Only a write that reached the disk ends an episode; reads go on through one.
        if (writing) unwritable_.end();
    }
    void rollback() override {
        writing_ = false;
        exec("ROLLBACK");
    }

    int lockedSchemaVersion() override {
        auto stmt = prepare("PRAGMA user_version");
        return stmt.step() ? static_cast<int>(stmt.integer(0)) : 0;
    }
    void setSchemaVersion(int version) override { exec("PRAGMA user_version = " + std::to_string(version)); }
    std::optional<std::string> whyNotNew() override {
        if (!existed_) return std::nullopt;
        if (existingSize_ == 0)
            return std::string(
                "is empty (0 bytes), yet it was there before the server opened it (perhaps a failed copy or a "
                "truncated file)");
        return std::string("holds no family schema (its schema version is 0)");
    }
    const char* insertionOrder() const override { return "rowid"; }
    std::optional<std::int64_t> othersChanges() override {
        auto stmt = prepare("PRAGMA data_version");
        if (!stmt.step()) return std::nullopt;
        return stmt.integer(0);
    }

private:
    void close() {
        for (auto& [sql, cached] : statements_) sqlite3_finalize(cached.stmt);
        statements_.clear();
        sqlite3_close(db_);
        db_ = nullptr;
    }

    std::string path_;
    Episode& unwritable_;
    bool existed_ = false;
    std::int64_t existingSize_ = 0;
    bool writing_ = false;
    sqlite3* db_ = nullptr;
    std::map<std::string, CachedStatement, std::less<>> statements_;
};

}  // namespace

std::unique_ptr<Database> openSqlite(const std::string& path) { return std::make_unique<SqliteDatabase>(path); }

}  // namespace family
