#include "Postgres.h"

#include <libpq-fe.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace family {

namespace {

// The store writes `?` and `?N`; PostgreSQL numbers its parameters `$N`. Our
// SQL holds no question mark inside a quoted literal, but one is skipped anyway.
std::string numberedParameters(std::string_view sql, int& count) {
    std::string out;
    out.reserve(sql.size() + 16);
    int next = 0;
    count = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'') quoted = !quoted;
        if (c != '?' || quoted) {
            out += c;
            continue;
        }
        std::size_t end = i + 1;
        while (end < sql.size() && sql[end] >= '0' && sql[end] <= '9') ++end;
        const int number = end > i + 1 ? std::atoi(std::string(sql.substr(i + 1, end - i - 1)).c_str()) : ++next;
        count = std::max(count, number);
        out += '$' + std::to_string(number);
        i = end - 1;
    }
    return out;
}

// A failed statement's error code and text, as the store sees it.
struct Failure {
    DatabaseError::Kind kind = DatabaseError::Other;
    std::string message;
    std::string cause;  // for Unwritable: what is at fault, in words
};

// libpq's message on one line, as the log takes it.
std::string oneLine(std::string_view message) {
    std::string out;
    for (const char c : message) {
        const bool blank = c == '\n' || c == '\t' || c == ' ';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

Failure failureOf(const PGresult* result, PGconn* conn) {
    Failure failure;
    failure.message = oneLine(result ? PQresultErrorMessage(result) : conn ? PQerrorMessage(conn) : "out of memory");
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const std::string_view code(state ? state : "");
    // A broken connection, an administrator ending the session, a server
    // shutting down or still starting: nothing more can run on this
    // connection. libpq's own failures carry no code; a send that failed
    // leaves the connection looking good until the next read.
    if (!conn || PQstatus(conn) != CONNECTION_OK || code.empty() || code.substr(0, 2) == "08" ||
        code == "57P01" || code == "57P02" || code == "57P03")
        failure.kind = DatabaseError::Unreachable;
    else if (code == "40001" || code == "40P01" || code == "55P03")
        failure.kind = DatabaseError::Retry;
    else if (code == "23505")
        failure.kind = DatabaseError::Conflict;
    else if (code == "53100")
        failure.kind = DatabaseError::Unwritable, failure.cause = "the database server's disk is full";
    else if (code == "25006")
        failure.kind = DatabaseError::Unwritable, failure.cause = "the database is read-only";
    return failure;
}

std::int64_t steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// While the database is unreachable, the process tries to connect at most
// once per pause, whichever request thread's turn it is; the others are
// answered at once. Service resumes within a pause of the database's return.
constexpr std::int64_t kReconnectPauseMs = 250;

// Whether one database can be reached, shared by every connection of the process to it.
class Reach {
public:
    explicit Reach(const std::string& name) : outage_(name + " is unreachable", name + " is reachable again") {}

    // True when this thread may try to connect now: always while the
    // database is thought reachable; during an outage, one thread at a time
    // (a connection attempt may hang until connect_timeout), a pause after the last.
    bool mayAttempt() {
        if (!outage_.underWay()) return true;
        return steadyMilliseconds() >= nextAttempt_ && !attempting_.exchange(true);
    }
    void failed(const std::string& cause) {
        nextAttempt_ = steadyMilliseconds() + kReconnectPauseMs;
        attempting_ = false;
        // A database never reached is a refused start, which says so itself.
        if (reachedOnce_) outage_.begin(cause);
    }
    void reached() {
        attempting_ = false;
        reachedOnce_ = true;
        outage_.end();
    }

    static Reach& of(const std::string& uri) {
        static std::mutex mutex;
        static std::unordered_map<std::string, std::unique_ptr<Reach>> all;
        std::lock_guard lock(mutex);
        auto& reach = all[uri];
        if (!reach) reach = std::make_unique<Reach>(describePostgres(uri));
        return *reach;
    }

private:
    Episode outage_;
    std::atomic<bool> reachedOnce_{false};
    std::atomic<bool> attempting_{false};
    std::atomic<std::int64_t> nextAttempt_{0};
};

struct Result {
    PGresult* handle = nullptr;
    ~Result() { PQclear(handle); }
};

class PostgresDatabase;

class PostgresCursor final : public Cursor {
public:
    PostgresCursor(PostgresDatabase& db, std::string name, int parameters, std::uint64_t session)
        : db_(db), name_(std::move(name)), session_(session), values_(parameters), binary_(parameters, 0) {}

    void bindText(int index, std::string_view text) override { set(index, std::string(text), false); }
    void bindInteger(int index, std::int64_t value) override { set(index, std::to_string(value), false); }
    void bindBlob(int index, const std::vector<unsigned char>& blob) override {
        set(index, std::string(blob.begin(), blob.end()), true);
    }
    void bindNull(int index) override { values_.at(index - 1).reset(); }

    bool step() override;
    std::string text(int column) const override {
        return std::string(PQgetvalue(result_.handle, row_, column), PQgetlength(result_.handle, row_, column));
    }
    std::int64_t integer(int column) const override {
        return std::strtoll(PQgetvalue(result_.handle, row_, column), nullptr, 10);
    }
    std::vector<unsigned char> blob(int column) const override {
        std::size_t length = 0;
        auto* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(PQgetvalue(result_.handle, row_, column)),
                                      &length);
        std::vector<unsigned char> out(bytes, bytes + length);
        PQfreemem(bytes);
        return out;
    }
    bool isNull(int column) const override { return PQgetisnull(result_.handle, row_, column) != 0; }

private:
    void set(int index, std::string value, bool binary) {
        values_.at(index - 1) = std::move(value);
        binary_.at(index - 1) = binary ? 1 : 0;
    }

    PostgresDatabase& db_;
    std::string name_;
    std::uint64_t session_;  // the connection's session the statement was prepared in
    std::vector<std::optional<std::string>> values_;
    std::vector<int> binary_;
    Result result_;
    int row_ = -1;
};

// One libpq connection that mends itself: every use outside a transaction
// first replaces a connection known to be broken (the database restarted, an
// administrator ended the session), and a broken connection inside a
// transaction fails the transaction as Unreachable (nothing of it is stored)
// or, when COMMIT itself was under way, as CommitUnknown.
class PostgresDatabase final : public Database {
public:
    explicit PostgresDatabase(const std::string& uri)
        : uri_(uri),
          reach_(Reach::of(uri)),
          unwritable_(Episode::of(uri, "unwritable", "cannot save changes to " + describePostgres(uri),
                                  "changes to " + describePostgres(uri) + " are saved again")) {
        connect();
    }
    ~PostgresDatabase() override {
        if (conn_) PQfinish(conn_);
    }

    Kind kind() const override { return Kind::Postgres; }
    std::string describe() const override { return describePostgres(uri_); }

    void exec(std::string_view sql) override {
        usable();
        Result result{PQexec(conn_, std::string(sql).c_str())};
        const auto status = PQresultStatus(result.handle);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(result.handle, "SQL failed");
        changes_ = std::atoll(PQcmdTuples(result.handle));
    }

    Statement prepare(std::string_view sql) override {
        usable();
        auto found = prepared_.find(std::string(sql));
        if (found == prepared_.end()) {
            int parameters = 0;
            const auto text = numberedParameters(sql, parameters);
            // Never reused on this connection object, so a statement of an
            // earlier session can never run another one's text.
            const std::string name = "s" + std::to_string(++statements_);
            Result result{PQprepare(conn_, name.c_str(), text.c_str(), 0, nullptr)};
            if (PQresultStatus(result.handle) != PGRES_COMMAND_OK) fail(result.handle, "prepare");
            found = prepared_.emplace(std::string(sql), Prepared{name, parameters}).first;
        }
        return Statement(
            std::make_unique<PostgresCursor>(*this, found->second.name, found->second.parameters, session_));
    }

    std::int64_t changes() const override { return changes_; }

    void begin(Mode mode) override {
        // Writes run at READ COMMITTED: each statement sees what committed
        // before it, and the store locks the rows it decides on.
        const char* sql = mode == Mode::Write ? "BEGIN" : "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY";
        try {
            exec(sql);
        } catch (const DatabaseError& e) {
            // A connection that died while idle is found out only now; BEGIN
            // does nothing, so it is sent once more on a fresh connection.
            if (e.kind() != DatabaseError::Unreachable) throw;
            exec(sql);
        }
        inTransaction_ = true;
        writing_ = mode == Mode::Write;
    }
    void commit() override {
        const bool writing = std::exchange(writing_, false);
        inTransaction_ = false;
        if (broken_ || PQstatus(conn_) != CONNECTION_OK)
            throw DatabaseError("the connection to " + describe() + " broke before COMMIT", DatabaseError::Unreachable);
        Result result{PQexec(conn_, "COMMIT")};
        if (PQresultStatus(result.handle) != PGRES_COMMAND_OK) {
            auto failure = failureOf(result.handle, conn_);
            if (failure.kind == DatabaseError::Unreachable && writing) {
                broken_ = true;
                throw DatabaseError("the connection to " + describe() + " broke during COMMIT (" + failure.message +
                                        "): the change may or may not be stored",
                                    DatabaseError::CommitUnknown);
            }
            fail(result.handle, "COMMIT");
        }
        if (writing) unwritable_.end();
    }
    void rollback() override {
        inTransaction_ = writing_ = false;
        // A broken connection's transaction ended with it on the server.
        if (!broken_ && PQstatus(conn_) == CONNECTION_OK) exec("ROLLBACK");
    }

    int lockedSchemaVersion() override {
        exec("SELECT pg_advisory_xact_lock(7826001)");  // one migrating process at a time
        exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
        auto s = prepare("SELECT version FROM schema_version");
        return s.step() ? static_cast<int>(s.integer(0)) : 0;
    }
    void setSchemaVersion(int version) override {
        exec("DELETE FROM schema_version");
        exec("INSERT INTO schema_version (version) VALUES (" + std::to_string(version) + ")");
    }
    std::optional<std::string> whyNotNew() override {
        auto s = prepare(
            "SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = current_schema() "
            "AND table_name <> 'schema_version'");
        if (!s.step() || s.integer(0) == 0) return std::nullopt;
        return "holds " + std::to_string(s.integer(0)) + " tables but no schema version (the table schema_version has no row)";
    }
    const char* insertionOrder() const override { return "seq"; }

    PGresult* run(const std::string& name, std::uint64_t session, const std::vector<std::optional<std::string>>& values,
                  const std::vector<int>& binary) {
        // Prepared in a session that has since ended: the statement is gone with it.
        if (session != session_ || broken_)
            throw DatabaseError("the connection to " + describe() + " broke", DatabaseError::Unreachable);
        std::vector<const char*> pointers;
        std::vector<int> lengths;
        for (const auto& v : values) {
            pointers.push_back(v ? v->data() : nullptr);
            lengths.push_back(v ? static_cast<int>(v->size()) : 0);
        }
        PGresult* result = PQexecPrepared(conn_, name.c_str(), static_cast<int>(values.size()), pointers.data(),
                                          lengths.data(), binary.data(), 0);
        const auto status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            Result owned{result};
            fail(result, "step");
        }
        changes_ = std::atoll(PQcmdTuples(result));
        return result;
    }

private:
    struct Prepared {
        std::string name;
        int parameters;
    };

    // Opens the first connection, or replaces a broken one.
    void connect() {
        if (!reach_.mayAttempt())
            throw DatabaseError(describe() + " is unreachable; the next attempt to connect is due shortly",
                                DatabaseError::Unreachable);
        if (conn_) {
            PQreset(conn_);
        } else {
            // Settings that survive PQreset. Over TCP, a connection attempt
            // gives up after 5 s and a peer that vanished is noticed within
            // about 25 s rather than the system's two hours. The URI's own
            // values win over these.
            const char* keywords[] = {"connect_timeout", "keepalives_idle", "keepalives_interval", "keepalives_count",
                                      "client_encoding", "dbname", nullptr};
            const char* values[] = {"5", "10", "5", "3", "UTF8", uri_.c_str(), nullptr};
            conn_ = PQconnectdbParams(keywords, values, 1);
        }
        prepared_.clear();
        ++session_;
        if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
            const std::string message = oneLine(conn_ ? PQerrorMessage(conn_) : "out of memory");
            reach_.failed(message);
            broken_ = true;
            throw DatabaseError("cannot connect to " + describe() + ": " + message, DatabaseError::Unreachable);
        }
        PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
        broken_ = false;
        reach_.reached();
    }

    // Before every use: outside a transaction a broken connection is
    // replaced; inside one, the transaction is lost with it.
    void usable() {
        if (!broken_ && PQstatus(conn_) == CONNECTION_OK) return;
        broken_ = true;
        if (inTransaction_)
            throw DatabaseError("the connection to " + describe() + " broke inside a transaction",
                                DatabaseError::Unreachable);
        connect();
    }

    [[noreturn]] void fail(PGresult* result, std::string_view what) {
        const auto failure = failureOf(result, conn_);
        if (failure.kind == DatabaseError::Unreachable) broken_ = true;
        if (failure.kind == DatabaseError::Unwritable) unwritable_.begin(failure.cause + " (" + failure.message + ")");
        throw DatabaseError(std::string(what) + ": " + failure.message, failure.kind);
    }

    const std::string uri_;
    Reach& reach_;
    Episode& unwritable_;
    PGconn* conn_ = nullptr;
    bool broken_ = false;
    bool inTransaction_ = false;
    bool writing_ = false;
    std::uint64_t session_ = 0;     // counts the connections made, so a cursor knows its own
    std::uint64_t statements_ = 0;  // names the prepared statements
    std::unordered_map<std::string, Prepared> prepared_;
    std::int64_t changes_ = 0;
};

bool PostgresCursor::step() {
    if (row_ < 0 && !result_.handle) result_.handle = db_.run(name_, session_, values_, binary_);
    ++row_;
    return row_ < PQntuples(result_.handle);
}

}  // namespace

std::unique_ptr<Database> openPostgres(const std::string& uri) { return std::make_unique<PostgresDatabase>(uri); }

std::string describePostgres(const std::string& uri) {
    PQconninfoOption* options = PQconninfoParse(uri.c_str(), nullptr);
    if (!options) return "PostgreSQL (an unreadable connection URI)";
    std::string host, port, name;
    for (auto* o = options; o->keyword; ++o) {
        if (!o->val) continue;
        const std::string_view key(o->keyword);
        if (key == "host") host = o->val;
        if (key == "port") port = o->val;
        if (key == "dbname") name = o->val;
    }
    PQconninfoFree(options);
    std::string out = "PostgreSQL database " + (name.empty() ? std::string("(default)") : name);
    if (!host.empty()) out += " on " + host + (port.empty() ? "" : ":" + port);
    return out;
}

}  // namespace family
