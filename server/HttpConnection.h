#pragma once

#include <atomic>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/strand.hpp>
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

// Each connection runs on its own strand of the server's io_context. Its
// socket, stream and timers name that strand's type rather than
// any_io_executor: the type-erased executor copies the strand through
// shared pointers (and allocates) on every asynchronous operation.
using ConnectionStrand = boost::asio::strand<boost::asio::io_context::executor_type>;
using ConnectionSocket = boost::asio::ip::tcp::socket::rebind_executor<ConnectionStrand>::other;

// Serve one accepted connection from `address` until it closes.
void serveHttp(ConnectionSocket socket, const HttpContext& context, std::string address);
void serveHttps(ConnectionSocket socket, boost::asio::ssl::context& tls, const HttpContext& context,
                std::string address);

}  // namespace family
