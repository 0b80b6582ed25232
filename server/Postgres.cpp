#include "Postgres.h"

#include <libpq-fe.h>

#include <cstdlib>
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

DatabaseError::Kind kindOf(const PGresult* result, PGconn* conn) {
    if (PQstatus(conn) != CONNECTION_OK) return DatabaseError::Retry;  // reconnected on the next begin()
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    if (!state) return DatabaseError::Other;
    const std::string_view code(state);
    if (code == "40001" || code == "40P01" || code == "55P03") return DatabaseError::Retry;
    if (code == "23505") return DatabaseError::Conflict;
    if (code.substr(0, 2) == "08" || code == "57P01") return DatabaseError::Retry;
    return DatabaseError::Other;
}

[[noreturn]] void fail(PGconn* conn, PGresult* result, std::string_view what) {
    std::string message = result ? PQresultErrorMessage(result) : PQerrorMessage(conn);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    const auto kind = kindOf(result, conn);
    PQclear(result);
    throw DatabaseError(std::string(what) + ": " + message, kind);
}

struct Result {
    PGresult* handle = nullptr;
    ~Result() { PQclear(handle); }
};

class PostgresDatabase;

class PostgresCursor final : public Cursor {
public:
    PostgresCursor(PostgresDatabase& db, std::string name, int parameters)
        : db_(db), name_(std::move(name)), values_(parameters), binary_(parameters, 0) {}

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
    std::vector<std::optional<std::string>> values_;
    std::vector<int> binary_;
    Result result_;
    int row_ = -1;
};

class PostgresDatabase final : public Database {
public:
    explicit PostgresDatabase(const std::string& uri) : conn_(PQconnectdb(uri.c_str())) {
        if (PQstatus(conn_) != CONNECTION_OK) {
            std::string message = conn_ ? PQerrorMessage(conn_) : "out of memory";
            while (!message.empty() && message.back() == '\n') message.pop_back();
            PQfinish(conn_);
            throw DatabaseError("cannot connect to " + describePostgres(uri) + ": " + message);
        }
        PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
        exec("SET client_encoding = 'UTF8'");
    }
    ~PostgresDatabase() override { PQfinish(conn_); }

    Kind kind() const override { return Kind::Postgres; }

    void exec(std::string_view sql) override {
        Result result{PQexec(conn_, std::string(sql).c_str())};
        const auto status = PQresultStatus(result.handle);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            fail(conn_, std::exchange(result.handle, nullptr), "SQL failed");
        changes_ = std::atoll(PQcmdTuples(result.handle));
    }

    Statement prepare(std::string_view sql) override {
        auto found = prepared_.find(std::string(sql));
        if (found == prepared_.end()) {
            int parameters = 0;
            const auto text = numberedParameters(sql, parameters);
            const std::string name = "s" + std::to_string(prepared_.size());
            Result result{PQprepare(conn_, name.c_str(), text.c_str(), 0, nullptr)};
            if (PQresultStatus(result.handle) != PGRES_COMMAND_OK)
                fail(conn_, std::exchange(result.handle, nullptr), "prepare");
            found = prepared_.emplace(std::string(sql), Prepared{name, parameters}).first;
        }
        return Statement(std::make_unique<PostgresCursor>(*this, found->second.name, found->second.parameters));
    }

    std::int64_t changes() const override { return changes_; }

    void begin(Mode mode) override {
        if (PQstatus(conn_) != CONNECTION_OK) {
            // The server restarted or the connection broke: start afresh.
            PQreset(conn_);
            prepared_.clear();
            if (PQstatus(conn_) != CONNECTION_OK) fail(conn_, nullptr, "reconnect");
        }
        // Writes run at READ COMMITTED: each statement sees what committed
        // before it, and the store locks the rows it decides on.
        exec(mode == Mode::Write ? "BEGIN" : "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    }
    void commit() override { exec("COMMIT"); }
    void rollback() override {
        if (PQstatus(conn_) == CONNECTION_OK) exec("ROLLBACK");
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
    const char* insertionOrder() const override { return "seq"; }

    PGresult* run(const std::string& name, const std::vector<std::optional<std::string>>& values,
                  const std::vector<int>& binary) {
        std::vector<const char*> pointers;
        std::vector<int> lengths;
        for (const auto& v : values) {
            pointers.push_back(v ? v->data() : nullptr);
            lengths.push_back(v ? static_cast<int>(v->size()) : 0);
        }
        PGresult* result = PQexecPrepared(conn_, name.c_str(), static_cast<int>(values.size()), pointers.data(),
                                          lengths.data(), binary.data(), 0);
        const auto status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) fail(conn_, result, "step");
        changes_ = std::atoll(PQcmdTuples(result));
        return result;
    }

private:
    struct Prepared {
        std::string name;
        int parameters;
    };
    PGconn* conn_;
    std::unordered_map<std::string, Prepared> prepared_;
    std::int64_t changes_ = 0;
};

bool PostgresCursor::step() {
    if (row_ < 0 && !result_.handle) result_.handle = db_.run(name_, values_, binary_);
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
