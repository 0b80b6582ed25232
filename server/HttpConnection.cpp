#include "HttpConnection.h"

#include <boost/asio/post.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <optional>
#include <string_view>
#include <type_traits>

#include "ApiRoutes.h"
#include "FamilyServer.h"

namespace family {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using beast::error_code;

// After a refusal or a "Connection: close" answer the client may still be
// sending; reading a little of it before closing keeps the kernel from
// resetting the connection before the client has read the answer.
constexpr auto kLingerDeadline = std::chrono::seconds(2);
constexpr std::size_t kLingerBytes = 256 * 1024;
constexpr std::size_t kReadChunk = 16 * 1024;

std::string_view view(beast::string_view text) { return {text.data(), text.size()}; }

bool isHttpError(const error_code& ec) {
    return ec.category() == make_error_code(http::error::bad_target).category();
}

// One connection from the first byte to its close. Every step runs on the
// connection's strand; only a complete request leaves it, for the workers.
template <class Stream>
class Connection : public std::enable_shared_from_this<Connection<Stream>> {
public:
    template <class... StreamArgs>
    Connection(const HttpContext& context, std::shared_ptr<void> slot, StreamArgs&&... streamArgs)
        : stream_(std::forward<StreamArgs>(streamArgs)...), context_(context), slot_(std::move(slot)) {}

    void start() {
        if constexpr (kTls) {
            transport().expires_after(context_.limits.headDeadline);
            stream_.async_handshake(asio::ssl::stream_base::server,
                                    [self = this->shared_from_this()](error_code ec) {
                                        if (!ec) self->readHead();
                                    });
        } else {
            readHead();
        }
    }

private:
    static constexpr bool kTls = !std::is_same_v<Stream, beast::tcp_stream>;

    beast::tcp_stream& transport() { return beast::get_lowest_layer(stream_); }

    void readHead() {
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(context_.limits.maxHeadBytes));
        // Checked against Content-Length as soon as the head is parsed, so an
        // announced oversized body is refused without waiting for it.
        parser_->body_limit(context_.limits.maxBodyBytes);
        transport().expires_after(context_.limits.headDeadline);
        http::async_read_header(
            stream_, buffer_, *parser_,
            [self = this->shared_from_this()](error_code ec, std::size_t) { self->onHead(ec); });
    }

    void onHead(error_code ec) {
        if (ec) return refuse(ec);
        const auto& head = parser_->get();
        version_ = head.version();
        keepAlive_ = head.keep_alive();
        transport().expires_after(context_.limits.transferDeadline);
        if (!beast::iequals(head[http::field::expect], "100-continue")) return readBody();
        interim_.emplace(http::status::continue_, version_);
        http::async_write(stream_, *interim_, [self = this->shared_from_this()](error_code ec, std::size_t) {
            if (!ec) self->readBody();
        });
    }

    void readBody() {
        http::async_read(stream_, buffer_, *parser_,
                         [self = this->shared_from_this()](error_code ec, std::size_t) {
                             if (ec) return self->refuse(ec);
                             self->dispatch();
                         });
    }

    void dispatch() {
        transport().expires_never();
        asio::post(context_.workers, [self = this->shared_from_this()] {
            const auto& req = self->parser_->get();
            const ApiRequest request{view(req.method_string()), view(req.target()),
                                     view(req[http::field::authorization]), req.body(),
                                     view(req["Idempotency-Key"])};
            auto answer = answerApiRequest(self->context_.store, request);
            asio::post(self->stream_.get_executor(), [self, answer = std::move(answer)]() mutable {
                self->send(std::move(answer), self->keepAlive_);
            });
        });
    }

    // A request that could not be read: answer what deserves an answer, then
    // close. A stalled, timed-out or vanished client gets nothing.
    void refuse(error_code ec) {
        if (ec == http::error::header_limit)
            return send(errorAnswer(431, "Слишком большие заголовки запроса."), false);
        if (ec == http::error::body_limit) return send(errorAnswer(413, "Слишком большой запрос."), false);
        if (isHttpError(ec) && ec != http::error::end_of_stream && ec != http::error::partial_message)
            send(errorAnswer(400, "Некорректный запрос."), false);
    }

    void send(ApiAnswer answer, bool keepAlive) {
        response_.emplace();
        response_->version(version_);
        response_->result(static_cast<unsigned>(answer.status));
        response_->set(http::field::cache_control, "no-store");
        response_->set(http::field::content_type, "application/json; charset=utf-8");
        response_->body() = std::move(answer.body);
        response_->keep_alive(keepAlive);
        response_->prepare_payload();
        transport().expires_after(context_.limits.transferDeadline);
        http::async_write(stream_, *response_,
                          [self = this->shared_from_this(), keepAlive](error_code ec, std::size_t) {
                              if (ec) return;
                              if (keepAlive)
                                  self->readHead();
                              else
                                  self->close();
                          });
    }

    void close() {
        transport().expires_after(kLingerDeadline);
        if constexpr (kTls) {
            stream_.async_shutdown([self = this->shared_from_this()](error_code) {});
        } else {
            error_code ignored;
            transport().socket().shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
            drain();
        }
    }

    void drain() {
        buffer_.clear();
        transport().async_read_some(buffer_.prepare(kReadChunk),
                                    [self = this->shared_from_this()](error_code ec, std::size_t n) {
                                        self->drained_ += n;
                                        if (!ec && self->drained_ < kLingerBytes) self->drain();
                                    });
    }

    Stream stream_;
    HttpContext context_;
    std::shared_ptr<void> slot_;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::optional<http::response<http::empty_body>> interim_;
    std::optional<http::response<http::string_body>> response_;
    unsigned version_ = 11;
    bool keepAlive_ = false;
    std::size_t drained_ = 0;
};

}  // namespace

void serveHttp(asio::ip::tcp::socket socket, const HttpContext& context, std::shared_ptr<void> slot) {
    std::make_shared<Connection<beast::tcp_stream>>(context, std::move(slot), std::move(socket))->start();
}

void serveHttps(asio::ip::tcp::socket socket, asio::ssl::context& tls, const HttpContext& context,
                std::shared_ptr<void> slot) {
    std::make_shared<Connection<beast::ssl_stream<beast::tcp_stream>>>(context, std::move(slot),
                                                                       std::move(socket), tls)
        ->start();
}

}  // namespace family
