#include "Sqlite.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cstdint>
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
        static const bool quiet = [] {
            sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
            return true;
        }();
        (void)quiet;
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
        // Under the write lock: the next commit to the file is this one.
        writeBeganAt_ = writing_ && watch_ ? commitsSeen() : std::nullopt;
    }
    void commit() override {
        const bool writing = std::exchange(writing_, false);
        const auto began = std::exchange(writeBeganAt_, std::nullopt);
        if (began) {
            // The commit counter moves by one, as a 32-bit word, with each commit.
            watch_->committing(static_cast<std::uint32_t>(*began + 1));
            logWritten_ = false;
        }
        try {
            exec("COMMIT");
        } catch (...) {
            if (began) watch_->committed(false);
            throw;
        }
        if (began) watch_->committed(logWritten_);
        // Only a write that reached the disk ends an episode; reads go on through one.
        if (writing) unwritable_.end();
    }
    void rollback() override {
        writing_ = false;
        writeBeganAt_.reset();
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
    // The commit counter in the header of the write-ahead log's shared index,
    // which every connection of every process maps and which a commit updates
    // once it is on disk, before its writer can answer anyone. PRAGMA
    // data_version would begin and end a read transaction (two locks on the
    // index file and SQLite mutexes shared with the writer) on every family
    // read, and it does not move with the connection's own commits.
    std::optional<std::int64_t> commitsSeen() override {
        const auto* header = walIndexHeader();
        if (!header) return std::nullopt;
        // Version, unused, the commit counter, then a byte that says the index is set up.
        constexpr std::uint32_t kWalIndexVersion = 3007000;
        const auto* initialised = reinterpret_cast<const unsigned char*>(header) + 12;
        if (__atomic_load_n(&header[0], __ATOMIC_ACQUIRE) != kWalIndexVersion ||
            __atomic_load_n(initialised, __ATOMIC_ACQUIRE) == 0)
            return std::nullopt;
        return __atomic_load_n(&header[2], __ATOMIC_ACQUIRE);
    }

    // SQLite calls its hook after each commit that wrote to the log (one
    // that changed nothing writes nothing), and only then; the hook replaces
    // its automatic checkpoint, so it checkpoints as that would.
    void watchCommits(CommitWatch* watch) override {
        watch_ = watch;
        sqlite3_wal_hook(db_, &SqliteDatabase::logWritten, this);
    }

private:
    static int logWritten(void* self, sqlite3* db, const char* name, int frames) {
        static_cast<SqliteDatabase*>(self)->logWritten_ = true;
        constexpr int kCheckpointFrames = 1000;  // SQLite's own default
        if (frames >= kCheckpointFrames) sqlite3_wal_checkpoint_v2(db, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        return SQLITE_OK;
    }

    // The first page of the shared index as SQLite itself maps it (the same
    // mapping stays until the connection closes): an index file opened and
    // closed here would release every lock the process holds on it. Only a
    // database in WAL mode has one.
    const std::uint32_t* walIndexHeader() {
        if (walIndexProbed_) return walIndex_;
        walIndexProbed_ = true;
        auto mode = prepare("PRAGMA journal_mode");
        if (!mode.step() || mode.text(0) != "wal") return nullptr;
        sqlite3_file* file = nullptr;
        if (sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
            !file->pMethods || file->pMethods->iVersion < 2 || !file->pMethods->xShmMap)
            return nullptr;
        constexpr int kWalIndexPage = 32768;  // SQLite maps its index in regions of this size
        void volatile* region = nullptr;
        if (file->pMethods->xShmMap(file, 0, kWalIndexPage, 0, &region) != SQLITE_OK || !region) return nullptr;
        walIndex_ = const_cast<const std::uint32_t*>(static_cast<volatile std::uint32_t*>(region));
        return walIndex_;
    }

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
    bool walIndexProbed_ = false;
    CommitWatch* watch_ = nullptr;
    std::optional<std::int64_t> writeBeganAt_;  // the commits seen when this write transaction began
    bool logWritten_ = false;
    const std::uint32_t* walIndex_ = nullptr;
    sqlite3* db_ = nullptr;
    std::map<std::string, CachedStatement, std::less<>> statements_;
};

}  // namespace

std::unique_ptr<Database> openSqlite(const std::string& path) { return std::make_unique<SqliteDatabase>(path); }

}  // namespace family
