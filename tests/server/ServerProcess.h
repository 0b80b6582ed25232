#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "FamilyStore.h"

// `dataDir` below may also be a "postgresql://" URI: the store is then that database.

// Creates the data folder and its store with these accounts (cheap password
// hashing), as an operator would before the first start.
std::vector<family::Account> seedStore(const std::string& dataDir,
                                       const std::vector<family::NewAccount>& accounts, bool sameFamily);

// The real zanbeck-family-server executable, started on 127.0.0.1 with a free
// port over a data folder, as an operator would run it.
class ServerProcess {
public:
    explicit ServerProcess(std::string dataDir);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the server and waits until it says it listens; returns the port,
    // or 0 when it exited first.
    int start();
    // Sends `signal` and waits for the process to end.
    void stop(int signal);
    bool running() const { return pid_ > 0; }

private:
    std::string dataDir_;
    pid_t pid_ = -1;
};
