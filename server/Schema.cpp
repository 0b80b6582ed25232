#include "Schema.h"

#include "Database.h"

#include <string>

namespace family {

namespace {

// ---- SQLite ----

constexpr const char* kSqliteVersion1 = R"sql(
CREATE TABLE families (
    id            TEXT PRIMARY KEY,
    currency_code TEXT,
    language_code TEXT,
    created_at    INTEGER NOT NULL
);
CREATE TABLE users (
    id            TEXT PRIMARY KEY,
    email         TEXT NOT NULL UNIQUE COLLATE NOCASE,
    nickname      TEXT NOT NULL,
    role          TEXT NOT NULL CHECK (role IN ('parent', 'child')),
    password_hash TEXT NOT NULL,
    family_id     TEXT REFERENCES families(id),
    joined_at     INTEGER,
    created_at    INTEGER NOT NULL
);
CREATE INDEX users_family ON users(family_id);
CREATE TABLE sessions (
    selector      TEXT PRIMARY KEY,
    verifier_hash BLOB NOT NULL,
    user_id       TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    created_at    INTEGER NOT NULL,
    expires_at    INTEGER NOT NULL
);
CREATE INDEX sessions_user ON sessions(user_id);
CREATE TABLE codes (
    selector      TEXT PRIMARY KEY,
    verifier_hash BLOB NOT NULL,
    kind          TEXT NOT NULL CHECK (kind IN ('pairing', 'parent-invite')),
    user_id       TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    family_id     TEXT REFERENCES families(id) ON DELETE CASCADE,
    expires_at    INTEGER NOT NULL,
    used_at       INTEGER
);
CREATE TABLE tasks (
    seq           INTEGER PRIMARY KEY AUTOINCREMENT,
    id            TEXT NOT NULL UNIQUE,
    family_id     TEXT NOT NULL REFERENCES families(id),
    child_user_id TEXT NOT NULL REFERENCES users(id),
    title         TEXT NOT NULL,
    reward_cents  INTEGER NOT NULL CHECK (reward_cents > 0),
    status        TEXT NOT NULL CHECK (status IN ('active', 'review', 'done')),
    created_by    TEXT NOT NULL REFERENCES users(id),
    created_at    INTEGER NOT NULL,
    updated_at    INTEGER NOT NULL
);
CREATE INDEX tasks_family ON tasks(family_id);
CREATE TABLE task_approvals (
    task_id        TEXT NOT NULL REFERENCES tasks(id) ON DELETE CASCADE,
    parent_user_id TEXT NOT NULL REFERENCES users(id),
    approved_at    INTEGER NOT NULL,
    PRIMARY KEY (task_id, parent_user_id)
);
)sql";

// Version 2: the rules the server kept under its own lock become the
// database's (a parent holds slot 1 or 2 of a family, unique per family), the
// task list is one indexed query (the approval count lives on the task), and
// task creation remembers idempotency keys.
constexpr const char* kSqliteVersion2 = R"sql(
ALTER TABLE users ADD COLUMN parent_slot INTEGER CHECK (parent_slot IN (1, 2));
UPDATE users SET parent_slot = (
    SELECT COUNT(*) FROM users p
    WHERE p.family_id = users.family_id AND p.role = 'parent'
      AND (p.joined_at < users.joined_at OR (p.joined_at = users.joined_at AND p.rowid <= users.rowid)))
WHERE role = 'parent' AND family_id IS NOT NULL;
CREATE UNIQUE INDEX users_parent_slot ON users(family_id, parent_slot);
CREATE INDEX users_email_lower ON users(lower(email));
ALTER TABLE tasks ADD COLUMN approval_count INTEGER NOT NULL DEFAULT 0 CHECK (approval_count >= 0);
UPDATE tasks SET approval_count = (SELECT COUNT(*) FROM task_approvals a WHERE a.task_id = tasks.id);
DROP INDEX tasks_family;
CREATE INDEX tasks_family_seq ON tasks(family_id, seq);
CREATE TABLE task_requests (
    user_id         TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    idempotency_key TEXT NOT NULL,
    task_id         TEXT NOT NULL,
    created_at      INTEGER NOT NULL,
    PRIMARY KEY (user_id, idempotency_key)
);
)sql";

// Version 3: a task a parent returned keeps the moment until the child
// reports it done again, so that a parent acting on a card that is out of
// date hears why.
constexpr const char* kSqliteVersion3 = R"sql(
ALTER TABLE tasks ADD COLUMN returned_at INTEGER;
)sql";

// Version 4: a task's idempotency keys are forgotten by age, per account, on
// every creation; without an index on the age that reads every key the
// account still has.
constexpr const char* kSqliteVersion4 = R"sql(
CREATE INDEX task_requests_age ON task_requests(user_id, created_at);
)sql";

// ---- PostgreSQL: the same tables at the newest version, made in one step ----

constexpr const char* kPostgresVersion3 = R"sql(
CREATE TABLE families (
    id            TEXT PRIMARY KEY,
    currency_code TEXT,
    language_code TEXT,
    created_at    BIGINT NOT NULL
);
CREATE TABLE users (
    seq           BIGINT GENERATED ALWAYS AS IDENTITY UNIQUE,
    id            TEXT PRIMARY KEY,
    email         TEXT NOT NULL,
    nickname      TEXT NOT NULL,
    role          TEXT NOT NULL CHECK (role IN ('parent', 'child')),
    password_hash TEXT NOT NULL,
    family_id     TEXT REFERENCES families(id),
    parent_slot   INTEGER CHECK (parent_slot IN (1, 2)),
    joined_at     BIGINT,
    created_at    BIGINT NOT NULL
);
CREATE UNIQUE INDEX users_email_lower ON users(lower(email));
CREATE INDEX users_family ON users(family_id);
CREATE UNIQUE INDEX users_parent_slot ON users(family_id, parent_slot);
CREATE TABLE sessions (
    selector      TEXT PRIMARY KEY,
    verifier_hash BYTEA NOT NULL,
    user_id       TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    created_at    BIGINT NOT NULL,
    expires_at    BIGINT NOT NULL
);
CREATE INDEX sessions_user ON sessions(user_id);
CREATE INDEX sessions_expiry ON sessions(expires_at);
CREATE TABLE codes (
    selector      TEXT PRIMARY KEY,
    verifier_hash BYTEA NOT NULL,
    kind          TEXT NOT NULL CHECK (kind IN ('pairing', 'parent-invite')),
    user_id       TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    family_id     TEXT REFERENCES families(id) ON DELETE CASCADE,
    expires_at    BIGINT NOT NULL,
    used_at       BIGINT
);
CREATE TABLE tasks (
    seq            BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    id             TEXT NOT NULL UNIQUE,
    family_id      TEXT NOT NULL REFERENCES families(id),
    child_user_id  TEXT NOT NULL REFERENCES users(id),
    title          TEXT NOT NULL,
    reward_cents   BIGINT NOT NULL CHECK (reward_cents > 0),
    status         TEXT NOT NULL CHECK (status IN ('active', 'review', 'done')),
    created_by     TEXT NOT NULL REFERENCES users(id),
    created_at     BIGINT NOT NULL,
    updated_at     BIGINT NOT NULL,
    approval_count INTEGER NOT NULL DEFAULT 0 CHECK (approval_count >= 0),
    returned_at    BIGINT
);
CREATE INDEX tasks_family_seq ON tasks(family_id, seq);
CREATE TABLE task_approvals (
    task_id        TEXT NOT NULL REFERENCES tasks(id) ON DELETE CASCADE,
    parent_user_id TEXT NOT NULL REFERENCES users(id),
    approved_at    BIGINT NOT NULL,
    PRIMARY KEY (task_id, parent_user_id)
);
CREATE TABLE task_requests (
    user_id         TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    idempotency_key TEXT NOT NULL,
    task_id         TEXT NOT NULL,
    created_at      BIGINT NOT NULL,
    PRIMARY KEY (user_id, idempotency_key)
);
)sql";

// A PostgreSQL database made at version 2 gains what version 3 added.
constexpr const char* kPostgresFrom2 = R"sql(
ALTER TABLE tasks ADD COLUMN returned_at BIGINT;
)sql";

// Version 4, as in SQLite.
constexpr const char* kPostgresFrom3 = R"sql(
CREATE INDEX task_requests_age ON task_requests(user_id, created_at);
)sql";

bool hasColumn(Database& db, const char* table, const char* column) {
    auto s = db.prepare(std::string("SELECT COUNT(*) FROM pragma_table_info('") + table + "') WHERE name = ?");
    s.bind(1, std::string_view(column));
    return s.step() && s.integer(0) > 0;
}

// Runs one step unless another process has already taken the database past
// it; `run` gets the version found and does what that version lacks.
template <class Run>
void apply(Database& db, int version, Run run) {
    Transaction tx(db);
    const int found = db.lockedSchemaVersion();
    if (found > kSchemaVersion)
        throw DatabaseError("the database has schema version " + std::to_string(found) +
                            ", newer than this server understands (" + std::to_string(kSchemaVersion) + ")");
    if (found >= version) return;
    // Only a database that holds nothing is set up afresh: one that lost its
    // schema (an emptied file, a dropped version row) would otherwise start a
    // new, empty service, and every account and family would vanish silently.
    if (found == 0) {
        if (const auto why = db.whyNotNew())
            throw DatabaseError(db.describe() + " " + *why +
                                ". It is refused rather than taken for a new, empty store: restore it from a backup, "
                                "or, to start a new store, " +
                                (db.kind() == Database::Kind::Sqlite ? "remove the file" : "use an empty database"));
    }
    run(found);
    db.setSchemaVersion(version);
    tx.commit();
}

}  // namespace

void migrate(Database& db) {
    if (db.kind() == Database::Kind::Postgres) {
        apply(db, 3, [&](int found) { db.exec(found >= 2 ? kPostgresFrom2 : kPostgresVersion3); });
        apply(db, 4, [&](int) { db.exec(kPostgresFrom3); });
        return;
    }
    {
        // An earlier build wrote a version 2 of its own: version 1 and the
        // returned_at column alone. It takes the rest of version 2 here and
        // is then at version 3, its tasks' returned moments kept.
        Transaction tx(db);
        if (db.lockedSchemaVersion() == 2 && hasColumn(db, "tasks", "returned_at") &&
            !hasColumn(db, "tasks", "approval_count")) {
            db.exec(kSqliteVersion2);
            db.setSchemaVersion(3);
            tx.commit();
        }
    }
    apply(db, 1, [&](int) { db.exec(kSqliteVersion1); });
    apply(db, 2, [&](int) { db.exec(kSqliteVersion2); });
    apply(db, 3, [&](int) { db.exec(kSqliteVersion3); });
    apply(db, 4, [&](int) { db.exec(kSqliteVersion4); });
}

}  // namespace family
