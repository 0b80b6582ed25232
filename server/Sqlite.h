#pragma once

#include "Database.h"

namespace family {

// Opens (or creates) an SQLite file in WAL mode: readers on their own
// connections run beside the one writer.
std::unique_ptr<Database> openSqlite(const std::string& path);

}  // namespace family
