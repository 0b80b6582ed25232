#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace family {

// Thrown for every database failure; the HTTP layer turns it into a 500 unless
// the store handles the kind itself (the last three kinds are a 503: the
// service, not the request, is at fault, and the database layer logs each
// episode of them once).
class DatabaseError : public std::runtime_error {
public:
    enum Kind {
        Other,
        Conflict,  // a unique or primary key constraint refused the change
        Retry,     // busy, a serialization failure or a deadlock: run the transaction again
        // The database cannot be reached, or the connection broke before its
        // transaction's COMMIT was sent: nothing of the transaction is stored,
        // so it may run once more on a fresh connection.
        Unreachable,
        // The connection broke while COMMIT was under way: the change may or
        // may not be stored, so it is never run again blindly (a client that
        // repeats it with its Idempotency-Key learns which).
        CommitUnknown,
        // Nothing can be written: the disk is full or the file system or the
        // database is read-only. Reads go on.
        Unwritable,
    };
    explicit DatabaseError(const std::string& what, Kind kind = Other) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// One prepared statement of one driver. Parameters are numbered from 1.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual void bindText(int index, std::string_view text) = 0;
    virtual void bindInteger(int index, std::int64_t value) = 0;
    virtual void bindBlob(int index, const std::vector<unsigned char>& blob) = 0;
    virtual void bindNull(int index) = 0;
    // True while a row is available; false once the statement is done.
    virtual bool step() = 0;
    virtual std::string text(int column) const = 0;
    virtual std::int64_t integer(int column) const = 0;
    virtual std::vector<unsigned char> blob(int column) const = 0;
    virtual bool isNull(int column) const = 0;
};

class Statement {
public:
    explicit Statement(std::unique_ptr<Cursor> cursor) : cursor_(std::move(cursor)) {}

    Statement& bind(int index, std::string_view text) { return cursor_->bindText(index, text), *this; }
    Statement& bind(int index, const std::string& text) { return bind(index, std::string_view(text)); }
    Statement& bind(int index, const char* text) { return bind(index, std::string_view(text)); }
    Statement& bind(int index, std::int64_t value) { return cursor_->bindInteger(index, value), *this; }
    Statement& bind(int index, const std::vector<unsigned char>& blob) { return cursor_->bindBlob(index, blob), *this; }
    Statement& bindNull(int index) { return cursor_->bindNull(index), *this; }
    Statement& bind(int index, const std::optional<std::string>& text) {
        return text ? bind(index, std::string_view(*text)) : bindNull(index);
    }

    bool step() { return cursor_->step(); }
    // Runs a statement that returns no rows.
    void run() {
        while (step()) {
        }
    }

    std::string text(int column) const { return cursor_->text(column); }
    std::optional<std::string> optionalText(int column) const {
        if (isNull(column)) return std::nullopt;
        return text(column);
    }
    std::int64_t integer(int column) const { return cursor_->integer(column); }
    std::vector<unsigned char> blob(int column) const { return cursor_->blob(column); }
    bool isNull(int column) const { return cursor_->isNull(column); }

private:
    std::unique_ptr<Cursor> cursor_;
};

// One connection to the store's database. Not thread-safe by itself: the store
// gives every thread a connection of its own.
//
// The store writes one SQL text for both drivers: `?` and `?N` parameters, the
// subset of SQL that SQLite 3.40 and PostgreSQL 15 share (ON CONFLICT DO
// NOTHING, UPDATE ... RETURNING, IS NOT DISTINCT FROM). What differs (schema
// types, the schema version's home, transaction modes) lives in the drivers and
// in Schema.cpp.
// What a connection tells, on its own thread, around each commit of a write
// transaction begun on it.
class CommitWatch {
public:
    virtual ~CommitWatch() = default;
    // Just before the commit: what commitsSeen gives once it is made.
    virtual void committing(std::int64_t next) = 0;
    // Just after: whether it was made. A commit that changed nothing, or
    // failed, leaves the commits seen as they were, and only then may another
    // connection make `next`.
    virtual void committed(bool made) = 0;
};

class Database {
public:
    enum class Kind { Sqlite, Postgres };
    enum class Mode { Write, Read };

    virtual ~Database() = default;
    virtual Kind kind() const = 0;
    // The database for messages: the SQLite file's path, or PostgreSQL's name and host (never a password).
    virtual std::string describe() const = 0;
    // Statements without parameters, possibly several separated by semicolons.
    virtual void exec(std::string_view sql) = 0;
    virtual Statement prepare(std::string_view sql) = 0;
    // Rows changed by the statement that ran last.
    virtual std::int64_t changes() const = 0;
    // Write: serialised with every other write to the same rows (SQLite: with
    // every write). Read: one consistent snapshot.
    virtual void begin(Mode mode) = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // Inside a write transaction: the schema version, read after the lock that
    // keeps two processes from migrating at once.
    virtual int lockedSchemaVersion() = 0;
    virtual void setSchemaVersion(int version) = 0;
    // Inside the schema lock, with no schema version found: why the database
    // is not a new one the store may set up (an SQLite file that was there
    // before it was opened, empty or not; PostgreSQL tables without a version),
    // or nothing when it is new.
    virtual std::optional<std::string> whyNotNew() = 0;
    // A column that orders rows of `users` as they were inserted.
    virtual const char* insertionOrder() const = 0;
    // In a transaction or outside any: a number that moves with every commit
    // to the database, by any connection of any process, and with nothing
    // else. Nothing where the driver cannot tell.
    virtual std::optional<std::int64_t> commitsSeen() { return std::nullopt; }
    // Told around each commit of the connection's write transactions (see
    // CommitWatch); a driver without commitsSeen tells nothing.
    virtual void watchCommits(CommitWatch* watch) { (void)watch; }
};

// A condition of one database that lasts a while (unreachable, unable to
// save): logged once when it begins and once when it ends, however many
// requests meet it meanwhile. One per database and condition, shared by every
// connection of the process.
class Episode {
public:
    // `what` names the condition in the log: "PostgreSQL database x on y is unreachable".
    explicit Episode(std::string what, std::string over) : what_(std::move(what)), over_(std::move(over)) {}
    // Logs "<what>: <cause>" unless the episode is already under way.
    void begin(const std::string& cause);
    // Logs "<over> after N s" when an episode was under way.
    void end();
    bool underWay() const;

    // The process's episode of this name for this database, made on first use.
    static Episode& of(const std::string& database, const std::string& condition, std::string what,
                       std::string over);

private:
    std::string what_;
    std::string over_;
    std::atomic<std::int64_t> since_{0};  // steady-clock milliseconds, 0 while none is under way
};

// "postgresql://..." or "postgres://..." (a libpq connection URI) opens
// PostgreSQL; anything else is the path of an SQLite file.
bool isPostgresLocation(std::string_view location);
std::unique_ptr<Database> openDatabase(const std::string& location);

// BEGIN ... COMMIT; rolls back when left without commit(), for instance by an exception.
class Transaction {
public:
    using Mode = Database::Mode;
    static constexpr Mode Write = Mode::Write;
    static constexpr Mode Read = Mode::Read;

    explicit Transaction(Database& db, Mode mode = Write) : db_(db) { db_.begin(mode); }
    ~Transaction() {
        if (!done_) {
            try {
                db_.rollback();
            } catch (...) {
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit() {
        db_.commit();
        done_ = true;
    }

private:
    Database& db_;
    bool done_ = false;
};

}  // namespace family
