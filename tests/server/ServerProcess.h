#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "FamilyStore.h"

// `dataDir` below may also be a "postgresql://" URI: the store is then that database.

// Creates the data folder and its store with these accounts (cheap password
// hashing), as an operator would before the first start.
std::vector<family::Account> seedStore(const std::string& dataDir,
                                       const std::vector<family::NewAccount>& accounts, bool sameFamily);
// The usual pair: "mama@example.com" (parent) and "kid@example.com" (child
// Coder) in one family, both with "password1"; the parent first.
std::vector<family::Account> seedParentAndChild(const std::string& dataDir);

// The real zanbeck-family-server executable, started on 127.0.0.1 with a free
// port over a data folder, as an operator would run it. Run by root, it runs
// without root's power to write where the file modes forbid it.
class ServerProcess {
public:
    // `extraArguments` follow the usual ones, so a later "--port N" wins.
    explicit ServerProcess(std::string dataDir, std::vector<std::string> extraArguments = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // The server runs with this descriptor limit, soft and hard (0: as the test's).
    void limitDescriptors(std::size_t limit) { descriptorLimit_ = limit; }
    // Starts the server and waits until it says it listens; returns the port,
    // or 0 when it exited first (exitStatus() then tells how).
    int start();
    // Sends `signal`, waits for the process to end and returns its wait status.
    int stop(int signal);
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Runs this executable instead of the build's own server (a load tool
    // comparing two builds); call before start().
    void useExecutable(std::string path) { executable_ = std::move(path); }
    int exitStatus() const { return status_; }
    // What it wrote to standard output and standard error; whole once it has ended.
    std::string output() const { return output_; }
    std::string log() const;

private:
    void reap();

    std::string dataDir_;
    std::vector<std::string> extraArguments_;
    std::string executable_;  // empty: the build's own
    std::string logPath_;
    pid_t pid_ = -1;
    std::FILE* out_ = nullptr;
    std::string output_;
    int status_ = -1;
    std::size_t descriptorLimit_ = 0;
};
