#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace family {

class FamilyStore;

struct ListenOptions {
    std::string host = "127.0.0.1";
    int port = 8787;              // 0 picks a free port
    std::string certificateFile;  // both set: HTTPS
    std::string keyFile;
    std::size_t maxBodyBytes = 64 * 1024;  // judged from Content-Length before the body is read: 413
    std::size_t maxHeadBytes = 16 * 1024;  // request line and header fields together: 431
    // From the moment a connection can take a request (just opened, or idle
    // after an answer) its whole head must arrive within this, however slowly
    // the bytes trickle; an idle keep-alive connection is closed after it too.
    std::chrono::seconds headDeadline{10};
    std::chrono::seconds transferDeadline{30};  // reading one body, writing one answer
    // A household's devices may share one address; more than this are refused.
    int maxConnectionsPerAddress = 64;
};

// True for addresses that never leave the machine: 127.0.0.0/8, ::1, "localhost".
bool isLoopbackHost(std::string_view host);

// The family protocol over HTTP(S), answering from a FamilyStore. Plain HTTP
// is offered on loopback only; anything else needs a certificate and key.
// Connections are served event-driven, so a slow or stalled client holds a
// socket but never a thread; only complete requests reach the worker threads
// that call the store.
class FamilyServer {
public:
    // Throws std::invalid_argument for a non-loopback host without TLS, or a
    // certificate or key that cannot be loaded.
    FamilyServer(FamilyStore& store, ListenOptions options);
    ~FamilyServer();

    // The host and TLS rules alone (no files are read); throws std::invalid_argument.
    static void checkListenOptions(const ListenOptions& options);

    // Binds the socket and returns the port (useful with port 0). Throws on failure.
    int bind();
    // Serves until stop(); call after bind().
    void run();
    void stop();
    bool usesTls() const { return tls_; }
    std::string origin() const;

private:
    void accept();

    struct Impl;
    FamilyStore& store_;
    ListenOptions options_;
    bool tls_ = false;
    int port_ = 0;
    std::unique_ptr<Impl> d_;
};

}  // namespace family
