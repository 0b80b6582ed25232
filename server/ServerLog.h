#pragma once

#include <string_view>

namespace family {

// One line to standard error, where the service manager's journal picks it up.
// Lines are written whole even from several threads. Callers never put a
// token, password or code in a line: they name requests by method and path.
void logLine(std::string_view line);

}  // namespace family
