#include "Database.h"

#include "Postgres.h"
#include "Sqlite.h"

namespace family {

bool isPostgresLocation(std::string_view location) {
    return location.substr(0, 13) == "postgresql://" || location.substr(0, 11) == "postgres://";
}

std::unique_ptr<Database> openDatabase(const std::string& location) {
    return isPostgresLocation(location) ? openPostgres(location) : openSqlite(location);
}

}  // namespace family
