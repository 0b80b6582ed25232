#include "ServerProcess.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Database.h"

namespace {

// Root may write anywhere whatever the modes say; the server under test must
// meet the modes as an unprivileged operator would.
void dropFileOverride() {
    if (geteuid() != 0) return;
    // Root's capabilities are refilled from the bounding set at exec.
    for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
        prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
}

}  // namespace

std::vector<family::Account> seedStore(const std::string& dataDir,
                                       const std::vector<family::NewAccount>& accounts, bool sameFamily) {
    const bool postgres = family::isPostgresLocation(dataDir);
    if (!postgres) std::filesystem::create_directories(dataDir);
    family::StoreSettings settings;
    settings.minimalPasswordCost = true;
    family::FamilyStore store(postgres ? dataDir : dataDir + "/family.sqlite3", family::systemClock, settings);
    return store.addAccounts(accounts, sameFamily);
}

ServerProcess::ServerProcess(std::string dataDir, std::vector<std::string> extraArguments)
    : dataDir_(std::move(dataDir)), extraArguments_(std::move(extraArguments)) {
    char path[] = "/tmp/zanbeck-server-log-XXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    logPath_ = path;
}

ServerProcess::~ServerProcess() {
    if (running()) stop(SIGTERM);
    if (out_) std::fclose(out_);
    std::filesystem::remove(logPath_);
}

int ServerProcess::start() {
    int fds[2];
    if (pipe(fds) != 0) return 0;
    const char* storeOption = family::isPostgresLocation(dataDir_) ? "--database" : "--data";
    std::vector<std::string> args{
        executable_.empty() ? ZANBECK_SERVER_EXECUTABLE : executable_, "serve", storeOption, dataDir_, "--host", "127.0.0.1", "--port", "0"};
    args.insert(args.end(), extraArguments_.begin(), extraArguments_.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(fds[1], STDOUT_FILENO);
        const int log = open(logPath_.c_str(), O_WRONLY | O_TRUNC);
        if (log >= 0) dup2(log, STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        dropFileOverride();
        if (descriptorLimit_ > 0) {
            const rlimit limit{descriptorLimit_, descriptorLimit_};
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    out_ = fdopen(fds[0], "r");
    int port = 0;
    char line[1024];
    constexpr const char* kListening = "listening on http://127.0.0.1:";
    while (port == 0 && std::fgets(line, sizeof line, out_)) {
        output_ += line;
        if (const char* at = std::strstr(line, kListening)) port = std::atoi(at + std::strlen(kListening));
    }
    if (port == 0) reap();  // it ended before listening
    return port;
}

int ServerProcess::stop(int signal) {
    if (pid_ <= 0) return status_;
    kill(pid_, signal);
    reap();
    return status_;
}

void ServerProcess::reap() {
    waitpid(pid_, &status_, 0);
    pid_ = -1;
    char chunk[4096];
    while (out_ && std::fgets(chunk, sizeof chunk, out_)) output_ += chunk;
}

std::string ServerProcess::log() const {
    std::ifstream in(logPath_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<family::Account> seedParentAndChild(const std::string& dataDir) {
    return seedStore(dataDir,
                     {{"mama@example.com", "Мама", "parent", "password1"},
                      {"kid@example.com", "Coder", "child", "password1"}},
                     true);
}
