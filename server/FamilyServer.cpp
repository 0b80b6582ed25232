#include "FamilyServer.h"

#include <arpa/inet.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>
#include <limits>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "HeadWaits.h"
#include "HttpConnection.h"
#include "SignIns.h"

namespace family {

namespace asio = boost::asio;
using asio::ip::tcp;

namespace {

// Socket waits cost no thread, and reads are answered on the I/O threads
// themselves, one per core; sign-ins (password hashing) have threads of
// their own.
int ioThreads() { return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 2u, 8u)); }

// A change waits, mostly asleep, for the sync of the batch it was committed
// in; the more changes wait together, the more one sync carries. They wait on
// threads of their own, so readers never wait behind a sync.
constexpr int kChangeThreads = 32;
constexpr auto kAcceptRetry = std::chrono::milliseconds(100);
constexpr auto kShutdownPoll = std::chrono::milliseconds(20);
constexpr std::size_t kReservedDescriptors = 128;

std::size_t connectionCap(const ListenOptions& options) {
    if (options.maxConnections > 0) return options.maxConnections;
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return connectionCapFor(1024);
    return connectionCapFor(limit.rlim_cur == RLIM_INFINITY ? std::numeric_limits<std::size_t>::max()
                                                            : static_cast<std::size_t>(limit.rlim_cur));
}

}  // namespace

DescriptorLimits raiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return {};
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    const auto size = [](rlim_t value) {
        return value == RLIM_INFINITY ? std::numeric_limits<std::size_t>::max()
                                      : static_cast<std::size_t>(value);
    };
    return {size(limit.rlim_cur), size(limit.rlim_max)};
}

std::size_t connectionCapFor(std::size_t descriptors) {
    // The database (a connection per thread on PostgreSQL), the log, the
    // event loop and connections being refused need descriptors of their own.
    const std::size_t reserve = std::max<std::size_t>(kReservedDescriptors, descriptors / 8);
    return descriptors > 2 * reserve ? descriptors - reserve : std::max<std::size_t>(1, descriptors / 2);
}

bool isLoopbackHost(std::string_view host) {
    if (host == "localhost" || host == "::1") return true;
    in_addr v4{};
    const std::string text(host);
    if (inet_pton(AF_INET, text.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    return false;
}

struct FamilyServer::Impl {
    explicit Impl(const ListenOptions& options)
        : headWaits(options.maxConnectionsPerAddress, options.stalledAfter, connectionCap(options)) {}

    // Declared before the io_context: connections still queued in it at
    // destruction tell these that they end.
    HeadWaits headWaits;
    std::atomic<int> requestsInFlight{0};
    std::atomic<bool> stopping{false};
    std::optional<asio::ssl::context> tls;
    asio::thread_pool changes{kChangeThreads};
    std::optional<SignIns> signIns;
    asio::io_context io{ioThreads()};
    // A request on another thread leaves its connection with nothing to wait
    // for; without this, run() would return once the acceptor has closed.
    asio::executor_work_guard<asio::io_context::executor_type> keepRunning{io.get_executor()};
    // Accepting, retrying after a failed accept and closing at a stop all run
    // on this one strand: an accept re-armed on one thread while another
    // closes the acceptor would use freed descriptor state.
    asio::strand<asio::io_context::executor_type> acceptStrand{asio::make_strand(io)};
    tcp::acceptor acceptor{acceptStrand};
    asio::steady_timer acceptRetry{acceptStrand};
    std::optional<HttpContext> context;
};

void FamilyServer::checkListenOptions(const ListenOptions& options) {
    const bool wantsTls = !options.certificateFile.empty() || !options.keyFile.empty();
    if (wantsTls && (options.certificateFile.empty() || options.keyFile.empty()))
        throw std::invalid_argument("HTTPS needs both a certificate (--cert) and a private key (--key)");
    if (!wantsTls && !isLoopbackHost(options.host))
        throw std::invalid_argument("refusing to serve plain HTTP on " + options.host +
                                    ": give --cert and --key to use HTTPS on an address other than loopback");
}

FamilyServer::FamilyServer(FamilyStore& store, ListenOptions options)
    : store_(store), options_(std::move(options)), d_(std::make_unique<Impl>(options_)) {
    checkListenOptions(options_);
    if (!options_.certificateFile.empty()) {
        auto& tls = d_->tls.emplace(asio::ssl::context::tls_server);
        try {
            tls.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                            asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                            asio::ssl::context::no_tlsv1_1 | asio::ssl::context::no_compression);
            tls.use_certificate_chain_file(options_.certificateFile);
            tls.use_private_key_file(options_.keyFile, asio::ssl::context::pem);
            if (SSL_CTX_check_private_key(tls.native_handle()) != 1) throw std::runtime_error("key mismatch");
        } catch (const std::exception&) {
            throw std::invalid_argument("cannot load the certificate " + options_.certificateFile +
                                        " and key " + options_.keyFile);
        }
        tls_ = true;
    }
    d_->signIns.emplace(store_, options_.signIns);
    d_->context.emplace(HttpContext{store_, options_, d_->changes, *d_->signIns, d_->headWaits,
                                    d_->requestsInFlight, d_->stopping});
}

FamilyServer::~FamilyServer() {
    stop();
    // Their answers are posted to the io_context, which must outlive them.
    d_->changes.join();
    d_->signIns.reset();
}

int FamilyServer::bind() {
    const auto where =
        options_.port == 0 ? options_.host : options_.host + ":" + std::to_string(options_.port);
    try {
        tcp::resolver resolver(d_->io);
        const auto endpoint =
            resolver.resolve(options_.host, std::to_string(options_.port), tcp::resolver::numeric_service)
                ->endpoint();
        auto& acceptor = d_->acceptor;
        acceptor.open(endpoint.protocol());
        acceptor.set_option(tcp::acceptor::reuse_address(true));
        acceptor.bind(endpoint);
        acceptor.listen(asio::socket_base::max_listen_connections);
        port_ = acceptor.local_endpoint().port();
    } catch (const std::exception&) {
        throw std::runtime_error("cannot listen on " + where);
    }
    asio::post(d_->acceptStrand, [this] { accept(); });
    return port_;
}

void FamilyServer::accept() {
    d_->acceptor.async_accept(
        asio::make_strand(d_->io), [this](boost::system::error_code ec, ConnectionSocket socket) {
            if (ec == asio::error::operation_aborted || d_->stopping) return;
            if (ec) {
                // Out of descriptors or similar: give open connections time to end.
                d_->acceptRetry.expires_after(kAcceptRetry);
                d_->acceptRetry.async_wait([this](boost::system::error_code retryError) {
                    if (!retryError && !d_->stopping) accept();
                });
                return;
            }
            boost::system::error_code peerError;
            const auto peer = socket.remote_endpoint(peerError);
            if (!peerError) {
                if (d_->tls)
                    serveHttps(std::move(socket), *d_->tls, *d_->context, peer.address().to_string());
                else
                    serveHttp(std::move(socket), *d_->context, peer.address().to_string());
            }
            accept();
        });
}

void FamilyServer::run() {
    std::vector<std::thread> helpers;
    for (int i = 1; i < ioThreads(); ++i) helpers.emplace_back([this] { d_->io.run(); });
    d_->io.run();
    for (auto& helper : helpers) helper.join();
}

void FamilyServer::stop() { d_->io.stop(); }

void FamilyServer::shutdown(std::chrono::milliseconds grace) {
    d_->stopping = true;
    asio::post(d_->acceptStrand, [this] {
        boost::system::error_code ignored;
        d_->acceptor.close(ignored);
        d_->acceptRetry.cancel();
    });
    d_->headWaits.releaseAll();
    const auto until = std::chrono::steady_clock::now() + grace;
    while (d_->requestsInFlight > 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(kShutdownPoll);
    // Answers just written get a moment to leave before their sockets go.
    std::this_thread::sleep_for(kShutdownPoll);
    stop();
}

std::size_t FamilyServer::maxConnections() const { return d_->headWaits.maxConnections(); }

std::string FamilyServer::origin() const {
    const bool v6 = options_.host.find(':') != std::string::npos;
    return std::string(tls_ ? "https://" : "http://") + (v6 ? "[" + options_.host + "]" : options_.host) +
           ":" + std::to_string(port_);
}

}  // namespace family
