#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace family {

class Database;

// Unix time in seconds; tests pass a clock they can move.
using Clock = std::function<std::int64_t()>;
std::int64_t systemClock();

struct Account {
    std::string id;
    std::string email;
    std::string nickname;
    std::string role;  // "parent" or "child"
    std::optional<std::string> familyId;
};

struct NewAccount {
    std::string email;
    std::string nickname;
    std::string role;
    std::string password;
};

struct StoreSettings {
    std::int64_t sessionLifetime = 30LL * 24 * 3600;
    std::int64_t codeLifetime = 10 * 60;  // the app tells the user a code lasts 10 minutes
    bool minimalPasswordCost = false;     // tests only: cheap Argon2id parameters
};

// Payload prefixes of the two QR codes. Only the invite contains "family/parent":
// the parent's app routes a scanned code by that substring.
inline constexpr std::string_view kPairingPayloadPrefix = "zanbeck://pair?token=";
inline constexpr std::string_view kInvitePayloadPrefix = "zanbeck://family/parent?token=";

// How long a task's idempotency key is remembered for its account.
inline constexpr std::int64_t kIdempotencyKeyLifetime = 24 * 3600 + 3600;
inline constexpr std::size_t kMaxIdempotencyKeyLength = 128;

// Accounts, sessions, families, codes and tasks in one SQLite or PostgreSQL
// database. Every public member is safe to call from several threads: each
// thread has a connection of its own, reads run side by side, and each change
// is one transaction whose rules the database itself keeps (constraints, row
// locks, conditional updates), so several processes may share a PostgreSQL
// database. Protocol members throw ApiError with the answer's status and text.
class FamilyStore {
public:
    // `location`: the path of an SQLite file, or a "postgresql://" URI.
    explicit FamilyStore(const std::string& location, Clock clock = systemClock, StoreSettings settings = {});
    ~FamilyStore();

    // Operator provisioning. Throws std::invalid_argument on bad input or a taken e-mail.
    Account addAccount(const NewAccount& account);
    // Several accounts at once, all or none; with sameFamily they share one new family.
    std::vector<Account> addAccounts(const std::vector<NewAccount>& accounts, bool sameFamily);
    std::vector<Account> listAccounts();
    std::optional<Account> findAccountByEmail(std::string_view email);

    struct SignIn {
        Account user;
        std::string token;
    };
    SignIn login(std::string_view email, std::string_view password);
    // The account behind a bearer token; ApiError 401 when it is unknown or expired.
    Account authenticate(std::string_view token);

    nlohmann::json family(const Account& viewer);
    // The same answer as JSON text, written without building a document: what GET /api/family sends.
    std::string familyText(const Account& viewer);
    // GET /api/family whole: the token's account (as authenticate) and its
    // family's answer, judged by one reading of what changed, so a kept
    // session and a kept answer together cost no database work beyond it.
    std::string familyTextFor(std::string_view token);
    nlohmann::json setPreferences(const Account& viewer, const std::string& currency, const std::string& language);
    nlohmann::json createPairingCode(const Account& viewer);
    nlohmann::json createParentInvite(const Account& viewer);
    nlohmann::json claimPairingCode(const Account& viewer, std::string_view token);
    nlohmann::json claimParentInvite(const Account& viewer, std::string_view token);
    // A repeated non-empty idempotency key of the same account answers the task
    // the first request made, and makes no other.
    nlohmann::json addTask(const Account& viewer, const std::string& childId, const std::string& title, double reward,
                           std::string_view idempotencyKey = {});
    nlohmann::json actOnTask(const Account& viewer, const std::string& taskId, const std::string& action);

    static nlohmann::json userJson(const Account& account);

    // How many family reads a thread's kept answer served (tests and benchmarks look).
    std::uint64_t keptAnswersServed() const;
    // How many sessions the threads that keep them looked up in the database (tests look).
    std::uint64_t sessionLookUps() const;

private:
    struct Look;
    struct SeenCommits;
    struct Impl;
    Account authenticate(std::string_view token, const Look& look);
    std::string familyText(const Account& viewer, const Look& look);
    std::unique_ptr<Impl> d_;
};

}  // namespace family
