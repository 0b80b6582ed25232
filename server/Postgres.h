#pragma once

#include "Database.h"

namespace family {

// Connects to PostgreSQL with a libpq connection URI. Several server processes
// may share the database: every rule the store keeps is kept by a constraint,
// a row lock or a conditional update inside the transaction.
std::unique_ptr<Database> openPostgres(const std::string& uri);

// The URI with any password left out, for messages and logs.
std::string describePostgres(const std::string& uri);

}  // namespace family
