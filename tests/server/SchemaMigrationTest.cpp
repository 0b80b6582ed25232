#include <gtest/gtest.h>
#include <sqlite3.h>

#include "ApiError.h"
#include "FamilyStore.h"
#include "Schema.h"
#include "ServerHarness.h"
#include "support/TempDir.h"

using nlohmann::json;

namespace {

// A family as the first schema kept it: two parents, a child, a task in review
// with one parent's approval and a task that is done.
constexpr const char* kVersion1Family = R"sql(
CREATE TABLE families (id TEXT PRIMARY KEY, currency_code TEXT, language_code TEXT, created_at INTEGER NOT NULL);
CREATE TABLE users (id TEXT PRIMARY KEY, email TEXT NOT NULL UNIQUE COLLATE NOCASE, nickname TEXT NOT NULL,
    role TEXT NOT NULL CHECK (role IN ('parent', 'child')), password_hash TEXT NOT NULL,
    family_id TEXT REFERENCES families(id), joined_at INTEGER, created_at INTEGER NOT NULL);
CREATE INDEX users_family ON users(family_id);
CREATE TABLE sessions (selector TEXT PRIMARY KEY, verifier_hash BLOB NOT NULL,
    user_id TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE, created_at INTEGER NOT NULL, expires_at INTEGER NOT NULL);
CREATE INDEX sessions_user ON sessions(user_id);
CREATE TABLE codes (selector TEXT PRIMARY KEY, verifier_hash BLOB NOT NULL,
    kind TEXT NOT NULL CHECK (kind IN ('pairing', 'parent-invite')),
    user_id TEXT NOT NULL REFERENCES users(id) ON DELETE CASCADE,
    family_id TEXT REFERENCES families(id) ON DELETE CASCADE, expires_at INTEGER NOT NULL, used_at INTEGER);
CREATE TABLE tasks (seq INTEGER PRIMARY KEY AUTOINCREMENT, id TEXT NOT NULL UNIQUE,
    family_id TEXT NOT NULL REFERENCES families(id), child_user_id TEXT NOT NULL REFERENCES users(id),
    title TEXT NOT NULL, reward_cents INTEGER NOT NULL CHECK (reward_cents > 0),
    status TEXT NOT NULL CHECK (status IN ('active', 'review', 'done')), created_by TEXT NOT NULL REFERENCES users(id),
    created_at INTEGER NOT NULL, updated_at INTEGER NOT NULL);
CREATE INDEX tasks_family ON tasks(family_id);
CREATE TABLE task_approvals (task_id TEXT NOT NULL REFERENCES tasks(id) ON DELETE CASCADE,
    parent_user_id TEXT NOT NULL REFERENCES users(id), approved_at INTEGER NOT NULL,
    PRIMARY KEY (task_id, parent_user_id));
INSERT INTO families VALUES ('f1', NULL, NULL, 1);
INSERT INTO users VALUES ('mama', 'Mama@Example.com', 'Мама', 'parent', 'x', 'f1', 10, 1);
INSERT INTO users VALUES ('papa', 'papa@example.com', 'Папа', 'parent', 'x', 'f1', 20, 2);
INSERT INTO users VALUES ('kid', 'kid@example.com', 'Coder', 'child', 'x', 'f1', 15, 3);
INSERT INTO tasks VALUES (1, 't-review', 'f1', 'kid', 'Убрал комнату', 500, 'review', 'mama', 1, 1);
INSERT INTO tasks VALUES (2, 't-done', 'f1', 'kid', 'Полил цветы', 100, 'done', 'mama', 1, 1);
INSERT INTO task_approvals VALUES ('t-review', 'papa', 5);
INSERT INTO task_approvals VALUES ('t-done', 'mama', 5);
INSERT INTO task_approvals VALUES ('t-done', 'papa', 6);
PRAGMA user_version = 1;
)sql";

// What an earlier build's own version 2 added to the first schema: the moment
// a parent returned a task, here on a task the child has to do again.
constexpr const char* kReturnedOnlyVersion2 = R"sql(
ALTER TABLE tasks ADD COLUMN returned_at INTEGER;
INSERT INTO tasks VALUES (3, 't-back', 'f1', 'kid', 'Вынес мусор', 200, 'active', 'mama', 1, 1, 7);
PRAGMA user_version = 2;
)sql";

std::string seededDatabase(const TempDir& dir, std::initializer_list<const char*> scripts) {
    const auto path = dir.filePath("family.sqlite3").toStdString();
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    for (const char* sql : scripts) EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    return path;
}

int userVersion(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr);
    const int version = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int(s, 0) : -1;
    sqlite3_finalize(s);
    sqlite3_close(db);
    return version;
}

}  // namespace

// A database an earlier build took to a version 2 of its own (the returned
// moment alone) gains the rest and keeps its records, its returned task among them.
TEST(SchemaMigration, AnEarlierVersionTwoKeepsItsReturnedTasks) {
    TempDir dir;
    const auto path = seededDatabase(dir, {kVersion1Family, kReturnedOnlyVersion2});
    {
        family::StoreSettings settings;
        settings.minimalPasswordCost = true;
        family::FamilyStore store(path, family::systemClock, settings);
        const auto mama = store.findAccountByEmail("mama@example.com");
        ASSERT_TRUE(mama);
        const auto family = store.family(*mama);
        ASSERT_EQ(family["tasks"].size(), 3u);
        EXPECT_EQ(family["tasks"][0]["id"], "t-back");
        EXPECT_EQ(family["tasks"][2]["approval_count"], 1);  // t-review, counted onto the task
        try {
            store.actOnTask(*mama, "t-back", "approve");
            ADD_FAILURE() << "approved a task that was returned";
        } catch (const family::ApiError& e) {
            EXPECT_EQ(e.status(), 409);
            EXPECT_STREQ(e.what(), "Задание уже вернули ребёнку.");
        }
        EXPECT_THROW(store.createParentInvite(*mama), std::exception);  // both parent slots taken
    }
    EXPECT_EQ(userVersion(path), family::kSchemaVersion);
}

// A database the previous build wrote opens with every record and rule intact:
// approval counts move onto the tasks, the two parents take the two slots, and
// e-mails stay case-blind.
TEST(SchemaMigration, AVersionOneDatabaseKeepsItsFamilyTasksAndApprovals) {
    TempDir dir;
    const auto path = dir.filePath("family.sqlite3").toStdString();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, kVersion1Family, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);

    family::StoreSettings settings;
    settings.minimalPasswordCost = true;
    family::FamilyStore store(path, family::systemClock, settings);
    const auto mama = store.findAccountByEmail("mama@example.COM");
    ASSERT_TRUE(mama);
    const auto papa = *store.findAccountByEmail("papa@example.com");

    const auto family = store.family(*mama);
    ASSERT_EQ(family["members"].size(), 3u);
    EXPECT_EQ(family["members"][0]["id"], "mama");  // in the order they joined
    EXPECT_EQ(family["members"][1]["id"], "kid");
    ASSERT_EQ(family["tasks"].size(), 2u);
    const struct {
        const char* id;
        int approvals;
        int mine;
    } expected[] = {{"t-done", 2, 1}, {"t-review", 1, 0}};  // newest first
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(family["tasks"][i]["id"], expected[i].id);
        EXPECT_EQ(family["tasks"][i]["approval_count"], expected[i].approvals) << expected[i].id;
        EXPECT_EQ(family["tasks"][i]["required_approvals"], 2);
        EXPECT_EQ(family["tasks"][i]["current_user_approved"], expected[i].mine) << expected[i].id;
    }

    // The migrated count goes on from where it was: mama's approval finishes the task.
    EXPECT_EQ(store.actOnTask(*mama, "t-review", "approve")["task"]["status"], "done");
    EXPECT_THROW(store.actOnTask(papa, "t-review", "approve"), std::exception);
    // Both slots are taken: an invite cannot even be made for a third parent.
    EXPECT_THROW(store.createParentInvite(*mama), std::exception);
    // The e-mail stays unique whatever its case.
    EXPECT_THROW(store.addAccount({"MAMA@example.com", "Другая", "parent", "password1"}), std::invalid_argument);
}
