#pragma once

namespace family {

class Database;

// The schema version this build writes (SQLite: PRAGMA user_version;
// PostgreSQL: the table schema_version).
inline constexpr int kSchemaVersion = 4;

// Brings a database up to kSchemaVersion, one step per version, each in its own
// transaction. Refuses a database written by a newer build.
void migrate(Database& db);

}  // namespace family
