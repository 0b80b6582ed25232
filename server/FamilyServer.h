#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace family {

class FamilyStore;

struct SignInOptions {
    int threads = 2;              // Argon2id checks at once, each with tens of megabytes
    std::size_t queue = 32;       // waiting and running; beyond it a sign-in is answered 503 at once
    int failuresPerAddress = 10;  // failed sign-ins a minute before 429
    int failuresPerAccount = 5;
};

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
    // Connections from one address still waiting for a whole request head;
    // past it the address's oldest stalled one is closed. Connections with a
    // request under way never count, so a household or a reverse proxy
    // behind one address is not shut out.
    int maxConnectionsPerAddress = 64;
    // A waiting connection counts as stalled, and may be closed for a new
    // one, once it has waited this long.
    std::chrono::milliseconds stalledAfter{1000};
    SignInOptions signIns;
    // A reverse proxy's address: requests from it are counted against the
    // sign-in limits by the last address of their X-Forwarded-For field.
    std::string trustedProxy;
};

// True for addresses that never leave the machine: 127.0.0.0/8, ::1, "localhost".
bool isLoopbackHost(std::string_view host);

// The family protocol over HTTP(S), answering from a FamilyStore. Plain HTTP
// is offered on loopback only; anything else needs a certificate and key.
// Connections are served event-driven, so a slow or stalled client holds a
// socket but never a thread; only complete requests reach the store.
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
    // Serves until stop() or shutdown(); call after bind().
    void run();
    // Drops every connection at once.
    void stop();
    // Stops accepting, closes idle connections, lets the requests under way
    // finish for up to `grace`, then stops; run() returns. Any thread.
    void shutdown(std::chrono::milliseconds grace);
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
