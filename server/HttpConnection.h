#pragma once

#include <atomic>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/thread_pool.hpp>
#include <string>

namespace family {

class FamilyStore;
class HeadWaits;
class SignIns;
struct ListenOptions;

// What every connection shares with its server; all of it outlives the connections.
struct HttpContext {
    FamilyStore& store;
    const ListenOptions& limits;
    boost::asio::thread_pool& changes;  // runs requests other than reads: they wait for their sync
    SignIns& signIns;                   // runs sign-ins, away from every other request
    HeadWaits& headWaits;
    std::atomic<int>& requestsInFlight;  // from a whole head to the end of its answer
    std::atomic<bool>& stopping;         // answers end their connection; no new request is read
};

// Serve one accepted connection from `address` until it closes. The socket
// must be bound to a strand of the server's io_context.
void serveHttp(boost::asio::ip::tcp::socket socket, const HttpContext& context, std::string address);
void serveHttps(boost::asio::ip::tcp::socket socket, boost::asio::ssl::context& tls,
                const HttpContext& context, std::string address);

}  // namespace family
