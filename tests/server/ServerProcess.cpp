#include "ServerProcess.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "Database.h"

std::vector<family::Account> seedStore(const std::string& dataDir,
                                       const std::vector<family::NewAccount>& accounts, bool sameFamily) {
    const bool postgres = family::isPostgresLocation(dataDir);
    if (!postgres) std::filesystem::create_directories(dataDir);
    family::StoreSettings settings;
    settings.minimalPasswordCost = true;
    family::FamilyStore store(postgres ? dataDir : dataDir + "/family.sqlite3", family::systemClock, settings);
    return store.addAccounts(accounts, sameFamily);
}

ServerProcess::ServerProcess(std::string dataDir) : dataDir_(std::move(dataDir)) {}

ServerProcess::~ServerProcess() {
    if (running()) stop(SIGTERM);
}

int ServerProcess::start() {
    int fds[2];
    if (pipe(fds) != 0) return 0;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        const char* storeOption = family::isPostgresLocation(dataDir_) ? "--database" : "--data";
        execl(ZANBECK_SERVER_EXECUTABLE, ZANBECK_SERVER_EXECUTABLE, "serve", storeOption, dataDir_.c_str(),
              "--host", "127.0.0.1", "--port", "0", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    FILE* out = fdopen(fds[0], "r");
    int port = 0;
    char line[1024];
    while (port == 0 && std::fgets(line, sizeof line, out)) {
        if (const char* at = std::strstr(line, "listening on http://127.0.0.1:")) {
            port = std::atoi(at + std::strlen("listening on http://127.0.0.1:"));
        }
    }
    std::fclose(out);  // the server ignores SIGPIPE; later lines are dropped
    if (port == 0) stop(SIGKILL);
    return port;
}

void ServerProcess::stop(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}
