#include "Schema.h"

#include "Sqlite.h"

#include <string>

namespace family {

namespace {

constexpr const char* kVersion1 = R"sql(
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

// A task a parent returned keeps the moment until the child reports it done
// again, so that a parent acting on a card that is out of date hears why.
constexpr const char* kVersion2 = R"sql(
ALTER TABLE tasks ADD COLUMN returned_at INTEGER;
)sql";

int userVersion(Database& db) {
    auto stmt = db.prepare("PRAGMA user_version");
    return stmt.step() ? static_cast<int>(stmt.integer(0)) : 0;
}

}  // namespace

void migrate(Database& db) {
    const int found = userVersion(db);
    if (found > kSchemaVersion)
        throw SqliteError("the database has schema version " + std::to_string(found) +
                          ", newer than this server understands (" + std::to_string(kSchemaVersion) + ")");
    if (found < 1) {
        Transaction tx(db);
        // Another process may have migrated between the read and the lock.
        if (userVersion(db) >= 1) return;
        db.exec(kVersion1);
        db.exec("PRAGMA user_version = 1");
        tx.commit();
    }
    if (userVersion(db) < 2) {
        Transaction tx(db);
        if (userVersion(db) >= 2) return;
        db.exec(kVersion2);
        db.exec("PRAGMA user_version = 2");
        tx.commit();
    }
}

}  // namespace family
