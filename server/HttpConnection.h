#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/thread_pool.hpp>
#include <memory>

namespace family {

class FamilyStore;
struct ListenOptions;

// What every connection shares with its server; all of it outlives the connections.
struct HttpContext {
    FamilyStore& store;
    const ListenOptions& limits;
    boost::asio::thread_pool& workers;  // runs the store calls, never socket waits
};

// Serve one accepted connection until it closes. The socket must be bound to a
// strand of the server's io_context; `slot` is released when the connection ends.
void serveHttp(boost::asio::ip::tcp::socket socket, const HttpContext& context, std::shared_ptr<void> slot);
void serveHttps(boost::asio::ip::tcp::socket socket, boost::asio::ssl::context& tls,
                const HttpContext& context, std::shared_ptr<void> slot);

}  // namespace family
