#pragma once

#include <iosfwd>

namespace family {

// The whole command line of zanbeck-family-server: serve, add-account,
// list-accounts. Returns the process exit code.
int runCli(int argc, const char* const* argv, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace family
