#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace httplib {
class Server;
}

namespace family {

class FamilyStore;

struct ListenOptions {
    std::string host = "127.0.0.1";
    int port = 8787;  // 0 picks a free port
    std::string certificateFile;  // both set: HTTPS
    std::string keyFile;
    std::size_t maxBodyBytes = 64 * 1024;
};

// True for addresses that never leave the machine: 127.0.0.0/8, ::1, "localhost".
bool isLoopbackHost(std::string_view host);

// The family protocol over HTTP(S), answering from a FamilyStore. Plain HTTP
// is offered on loopback only; anything else needs a certificate and key.
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
    void routes();

    FamilyStore& store_;
    ListenOptions options_;
    bool tls_ = false;
    int port_ = 0;
    std::unique_ptr<httplib::Server> http_;
};

}  // namespace family
