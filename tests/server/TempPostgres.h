#pragma once

#include <string>

// A throwaway PostgreSQL cluster in a temporary folder: initdb and pg_ctl run
// as an unprivileged user (nobody when the tests run as root, since initdb
// refuses root), reachable only through a Unix socket in that folder, stopped
// and removed with the object.
class TempPostgres {
public:
    // durable: fsync on, as a real server runs (for measurements); the tests
    // leave it off, since the cluster dies with them.
    explicit TempPostgres(bool durable = false);
    ~TempPostgres();
    TempPostgres(const TempPostgres&) = delete;
    TempPostgres& operator=(const TempPostgres&) = delete;

    // Empty when the cluster runs; otherwise why it does not (not installed, failed to start).
    const std::string& problem() const { return problem_; }
    bool installed() const { return !bin_.empty(); }
    // A new empty database in the cluster, as a libpq URI.
    std::string newDatabase();
    // Ends every session connected to the database of `uri` (pg_terminate_backend); returns how many.
    int endSessions(const std::string& uri);
    // Restarts the cluster as after a crash (pg_ctl restart -m immediate) and waits until it
    // takes connections again; false when it did not come back.
    bool restartImmediately();
    // Stops the cluster as a crash would (pg_ctl stop -m immediate), and starts it again.
    bool stopImmediately();
    bool startAgain();

private:
    // Runs a pg_ctl command as the cluster's owner; true when it succeeded.
    bool pgCtl(const std::string& arguments) const;

    std::string folder_;
    std::string bin_;
    std::string problem_;
    std::string options_;  // the server's own settings, given again at each start
    bool started_ = false;
    int databases_ = 0;
};

// True when ZANBECK_TEST_STORE=postgresql: the store tests then run against
// PostgreSQL instead of SQLite.
bool testsUsePostgres();

// This test process's own cluster, started on first use and stopped at exit.
TempPostgres& sharedPostgres();

// What a test's server runs on: the data folder itself (SQLite), or a new
// database in the shared cluster as a "postgresql://" URI. Empty when
// PostgreSQL is wanted but not installed; a cluster that is installed and fails
// to start is a test failure. Call it through SERVER_STORE_OR_SKIP.
std::string testServerStore(const std::string& dataDir);
// The FamilyStore location of such a store: the URI, or the SQLite file in the folder.
std::string storeLocationOf(const std::string& store);

#define SERVER_STORE_OR_SKIP(variable, dataDir)                                                        \
    const std::string variable = testServerStore(dataDir);                                            \
    if (variable.empty()) {                                                                            \
        if (sharedPostgres().installed()) FAIL() << "PostgreSQL did not start: " << sharedPostgres().problem(); \
        GTEST_SKIP() << "PostgreSQL cannot run here: " << sharedPostgres().problem();                 \
    }
