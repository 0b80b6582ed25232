#include "Database.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <mutex>

#include "Postgres.h"
#include "ServerLog.h"
#include "Sqlite.h"

namespace family {

namespace {

std::int64_t steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void Episode::begin(const std::string& cause) {
    std::int64_t none = 0;
    // Only the request that finds none under way logs; every other one meeting it stays quiet.
    if (since_.compare_exchange_strong(none, std::max<std::int64_t>(1, steadyMilliseconds())))
        logLine(what_ + ": " + cause);
}

void Episode::end() {
    if (since_.load(std::memory_order_relaxed) == 0) return;
    const auto began = since_.exchange(0);
    if (began == 0) return;
    const auto seconds = (steadyMilliseconds() - began + 500) / 1000;
    logLine(over_ + " after " + std::to_string(seconds) + " s");
}

bool Episode::underWay() const { return since_.load() != 0; }

Episode& Episode::of(const std::string& database, const std::string& condition, std::string what,
                     std::string over) {
    static std::mutex mutex;
    static std::map<std::pair<std::string, std::string>, std::unique_ptr<Episode>> episodes;
    std::lock_guard lock(mutex);
    auto& episode = episodes[{database, condition}];
    if (!episode) episode = std::make_unique<Episode>(std::move(what), std::move(over));
    return *episode;
}

bool isPostgresLocation(std::string_view location) {
    return location.substr(0, 13) == "postgresql://" || location.substr(0, 11) == "postgres://";
}

std::unique_ptr<Database> openDatabase(const std::string& location) {
    return isPostgresLocation(location) ? openPostgres(location) : openSqlite(location);
}

}  // namespace family
