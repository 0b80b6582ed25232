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
    int failuresPerAccount = 5;   // for one account from one address
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
    // A body must keep pace: in every window of this length, at least
    // minBodyBytesPerSecond times its seconds must arrive (or the rest of the
    // body, when less is left), else it is answered 408 and closed.
    std::chrono::seconds bodyPaceWindow{5};
    std::size_t minBodyBytesPerSecond = 1024;
    // Connections from one address still waiting for a whole request (head
    // and body); past it the address's oldest idle keep-alive one is closed,
    // else its oldest stalled one. Connections whose request is being answered
    // never count, so a household or a reverse proxy behind one address is not
    // shut out.
    int maxConnectionsPerAddress = 64;
    // Open connections overall; 0: as many as the descriptor limit leaves
    // room for, beside the database's and the server's own descriptors.
    std::size_t maxConnections = 0;
    // A waiting connection counts as stalled, and may be closed for a new
    // one, once it has waited this long.
    std::chrono::milliseconds stalledAfter{1000};
    SignInOptions signIns;
    // A reverse proxy's address: requests from it are counted against the
    // sign-in limits by the last address of their X-Forwarded-For field.
    std::string trustedProxy;
};

// The process's descriptor limits, its soft limit first raised to the hard
// one: every connection holds a descriptor.
struct DescriptorLimits {
    std::size_t soft = 0;
    std::size_t hard = 0;
};
DescriptorLimits raiseDescriptorLimit();
// The connection cap that leaves room below `descriptors` for everything else.
std::size_t connectionCapFor(std::size_t descriptors);

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
    std::size_t maxConnections() const;
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
