#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace family {

class FamilyStore;

// The demo child's nickname and e-mail are the ones the app recognises as its
// demo account, which it opens with the demo ledger.
inline constexpr const char* kDemoParentEmail = "parent@zanbeck.app";
inline constexpr const char* kDemoParentNickname = "Родитель";
inline constexpr const char* kDemoChildEmail = "coder@zanbeck.app";
inline constexpr const char* kDemoChildNickname = "Coder";
inline constexpr const char* kDemoFileName = "demo-accounts.txt";

struct DemoCredentials {
    std::string parentEmail = kDemoParentEmail;
    std::string childEmail = kDemoChildEmail;
    // Absent when the demo family exists but its password file has been removed.
    std::optional<std::string> parentPassword;
    std::optional<std::string> childPassword;
    bool created = false;
    bool saved = true;  // the password file was written
};

// On the first start makes a parent and a child in one family with random
// passwords, kept in <dataDir>/demo-accounts.txt (owner-only) so that later
// starts can print them again. Returns nullopt when only one of the two demo
// e-mails is taken (an operator's own account): nothing is made then.
std::optional<DemoCredentials> ensureDemoFamily(FamilyStore& store, const std::filesystem::path& dataDir);

}  // namespace family
