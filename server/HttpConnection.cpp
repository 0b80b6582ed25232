#include "HttpConnection.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <optional>
#include <string_view>
#include <type_traits>

#include "ApiRoutes.h"
#include "FamilyServer.h"
#include "HeadWaits.h"
#include "SignIns.h"

namespace family {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using beast::error_code;
using Transport = beast::basic_stream<asio::ip::tcp, ConnectionStrand>;
using TlsTransport = beast::ssl_stream<Transport>;
using DeadlineTimer = asio::steady_timer::rebind_executor<ConnectionStrand>::other;

// After a refusal or a "Connection: close" answer the client may still be
// sending; reading a little of it before closing keeps the kernel from
// resetting the connection before the client has read the answer.
constexpr auto kLingerDeadline = std::chrono::seconds(2);
constexpr std::size_t kLingerBytes = 256 * 1024;
constexpr std::size_t kReadChunk = 16 * 1024;
constexpr int kOverLimitRetrySeconds = 10;
constexpr int kStoppingRetrySeconds = 30;

std::string_view view(beast::string_view text) { return {text.data(), text.size()}; }

bool isHttpError(const error_code& ec) {
    return ec.category() == make_error_code(http::error::bad_target).category();
}

bool isSignIn(const http::request<http::string_body>& req) {
    const auto target = view(req.target());
    return req.method() == http::verb::post && target.substr(0, target.find('?')) == "/api/auth/login";
}

ApiAnswer overLimitAnswer() {
    auto answer = errorAnswer(503, "Слишком много соединений с вашего адреса. Попробуйте ещё раз позже.");
    answer.retryAfterSeconds = kOverLimitRetrySeconds;
    return answer;
}

ApiAnswer stoppingAnswer() {
    auto answer = errorAnswer(503, "Сервер перезапускается. Попробуйте ещё раз через минуту.");
    answer.retryAfterSeconds = kStoppingRetrySeconds;
    return answer;
}

// One connection from the first byte to its close. Every step runs on the
// connection's strand; only a complete request other than a read leaves it,
// for the threads that wait for changes or the sign-in threads.
template <class Stream>
class Connection : public HeadWaiter, public std::enable_shared_from_this<Connection<Stream>> {
public:
    template <class... StreamArgs>
    Connection(const HttpContext& context, std::string address, StreamArgs&&... streamArgs)
        : stream_(std::forward<StreamArgs>(streamArgs)...),
          context_(context),
          client_(std::move(address)),
          deadline_(stream_.get_executor()) {}

    ~Connection() override {
        context_.headWaits.closed(*this);
        finishRequest();
    }

    // Called by the acceptor; everything after runs on the connection's strand.
    void start() {
        asio::dispatch(stream_.get_executor(), [self = this->shared_from_this()] { self->open(); });
    }

    // From the per-address limit, the connection cap or the server's stop, on any thread.
    void giveUp() override {
        asio::post(stream_.get_executor(), [self = this->shared_from_this()] {
            if (!self->waitingRequest_) return;  // its request arrived meanwhile
            // At a stop, a request whose head is in is finished like any other under way.
            if (self->context_.stopping && self->headIn_) return;
            self->gaveUp_ = true;
            self->transport().cancel();
        });
    }

private:
    static constexpr bool kTls = !std::is_same_v<Stream, Transport>;

    void open() {
        if (!context_.headWaits.opened(this->shared_from_this())) {
            // Over the connection cap with nothing idle to make room: no
            // descriptor is spent on an answer.
            error_code ignored;
            transport().socket().close(ignored);
            return;
        }
        // Counted as waiting from the first moment, the TLS handshake included.
        const bool admitted = context_.headWaits.begin(this->shared_from_this(), client_, true);
        waitingRequest_ = admitted;
        if constexpr (kTls) {
            transport().expires_after(context_.limits.headDeadline);
            stream_.async_handshake(asio::ssl::stream_base::server,
                                    [self = this->shared_from_this(), admitted](error_code ec) {
                                        if (ec) return;
                                        if (admitted)
                                            self->readHead();
                                        else
                                            self->send(overLimitAnswer(), false);
                                    });
        } else {
            if (admitted)
                readHead();
            else
                send(overLimitAnswer(), false);
        }
    }

    Transport& transport() { return beast::get_lowest_layer(stream_); }

    // Socket deadlines of the stream itself close the socket at once; reads
    // use this timer instead, so a late head or body can still be answered 408.
    void armDeadline(std::chrono::steady_clock::duration after) {
        const auto generation = ++deadlineGeneration_;
        deadline_.expires_after(after);
        deadline_.async_wait([self = this->shared_from_this(), generation](error_code ec) {
            if (ec || generation != self->deadlineGeneration_) return;
            self->timedOut_ = true;
            self->transport().cancel();
        });
    }

    void disarmDeadline() {
        ++deadlineGeneration_;
        deadline_.cancel();
    }

    void readHead() {
        if (context_.stopping) return close();
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(context_.limits.maxHeadBytes));
        // Checked against Content-Length as soon as the head is parsed, so an
        // announced oversized body is refused without waiting for it.
        parser_->body_limit(context_.limits.maxBodyBytes);
        transport().expires_never();
        armDeadline(context_.limits.headDeadline);
        http::async_read_header(
            stream_, buffer_, *parser_,
            [self = this->shared_from_this()](error_code ec, std::size_t) { self->onHead(ec); });
    }

    // The request has been read whole, or never will be: it no longer counts
    // toward its address's limit.
    void stopWaiting() {
        waitingRequest_ = false;
        headIn_ = false;
        context_.headWaits.end(*this);
    }

    void onHead(error_code ec) {
        disarmDeadline();
        if (ec) stopWaiting();
        if (ec == asio::error::operation_aborted && (timedOut_ || gaveUp_)) {
            // Nothing of a next request has come: an idle connection just closes.
            if (buffer_.size() == 0) return close();
            if (timedOut_) return send(errorAnswer(408, "Запрос не пришёл вовремя."), false);
            return send(context_.stopping ? stoppingAnswer() : overLimitAnswer(), false);
        }
        if (ec) return refuse(ec);
        // Still waiting for its body, so still counted for its address, but no longer idle.
        headIn_ = true;
        context_.headWaits.headIn(*this);
        requestCounted_ = true;
        ++context_.requestsInFlight;
        const auto& head = parser_->get();
        version_ = head.version();
        keepAlive_ = head.keep_alive();
        bodyStarted_ = std::chrono::steady_clock::now();
        bodyBytes_ = 0;
        bodyBytesChecked_ = 0;
        if (parser_->is_done() || !beast::iequals(head[http::field::expect], "100-continue"))
            return readBody();
        interim_.emplace(http::status::continue_, version_);
        armDeadline(context_.limits.transferDeadline);
        transport().expires_after(context_.limits.transferDeadline);
        http::async_write(stream_, *interim_, [self = this->shared_from_this()](error_code ec, std::size_t) {
            self->disarmDeadline();
            if (ec) return self->stopWaiting();
            self->transport().expires_never();
            self->readBody();
        });
    }

    void readBody() {
        if (parser_->is_done()) return onBody({});
        armPaceCheck();
        readSomeBody();
    }

    void readSomeBody() {
        http::async_read_some(stream_, buffer_, *parser_,
                              [self = this->shared_from_this()](error_code ec, std::size_t bytes) {
                                  self->bodyBytes_ += bytes;
                                  if (ec || self->parser_->is_done()) return self->onBody(ec);
                                  self->readSomeBody();
                              });
    }

    // A body trickled byte by byte would hold its connection, and its place in
    // the address's limit, for the whole transfer deadline: each window must
    // bring its share of the body.
    void armPaceCheck() {
        const auto now = std::chrono::steady_clock::now();
        const auto window = std::min<std::chrono::steady_clock::duration>(
            context_.limits.bodyPaceWindow, bodyStarted_ + context_.limits.transferDeadline - now);
        const auto generation = ++deadlineGeneration_;
        deadline_.expires_after(window);
        deadline_.async_wait([self = this->shared_from_this(), generation](error_code ec) {
            if (ec || generation != self->deadlineGeneration_) return;
            if (self->bodyKeepsPace()) return self->armPaceCheck();
            self->timedOut_ = true;
            self->transport().cancel();
        });
    }

    bool bodyKeepsPace() {
        const auto& limits = context_.limits;
        if (std::chrono::steady_clock::now() - bodyStarted_ >= limits.transferDeadline) return false;
        const std::uint64_t got = bodyBytes_ - bodyBytesChecked_;
        bodyBytesChecked_ = bodyBytes_;
        const std::uint64_t due =
            limits.minBodyBytesPerSecond * static_cast<std::uint64_t>(limits.bodyPaceWindow.count());
        // Less than a window's share left: all of it was due in this window.
        if (const auto left = parser_->content_length_remaining(); left && *left + got <= due)
            return *left == 0;
        return got >= due;
    }

    void onBody(error_code ec) {
        disarmDeadline();
        stopWaiting();
        if (ec == asio::error::operation_aborted && timedOut_)
            return send(errorAnswer(408, "Запрос не пришёл вовремя."), false);
        if (ec == asio::error::operation_aborted && gaveUp_)
            return send(context_.stopping ? stoppingAnswer() : overLimitAnswer(), false);
        if (ec) return refuse(ec);
        dispatch();
    }

    void dispatch() {
        auto reply = [self = this->shared_from_this()](ApiAnswer answer) {
            asio::post(self->stream_.get_executor(), [self, answer = std::move(answer)]() mutable {
                self->send(std::move(answer), self->keepAlive_);
            });
        };
        const auto& req = parser_->get();
        const ApiRequest request{view(req.method_string()), view(req.target()),
                                 view(req[http::field::authorization]), req.body(),
                                 view(req["Idempotency-Key"])};
        if (isSignIn(req)) return context_.signIns.submit(request, signInClient(req), std::move(reply));
        // A read is answered here, on an I/O thread: a hand-off to another
        // thread and back would cost more than most reads themselves.
        if (req.method() == http::verb::get) return send(answerApiRequest(context_.store, request), keepAlive_);
        // The request travels as its own copy (bodies are small): the views
        // above point into this connection's parser.
        asio::post(context_.changes, [self = this->shared_from_this(), request = OwnedApiRequest(request),
                                      reply = std::move(reply)] {
            reply(answerApiRequest(self->context_.store, request.view()));
        });
    }

    // Behind the trusted proxy every client shares its address; the proxy
    // names the client in the last (its own) X-Forwarded-For entry.
    std::string signInClient(const http::request<http::string_body>& req) const {
        if (context_.limits.trustedProxy.empty() || client_ != context_.limits.trustedProxy) return client_;
        auto forwarded = view(req["X-Forwarded-For"]);
        forwarded = forwarded.substr(forwarded.rfind(',') + 1);
        const auto first = forwarded.find_first_not_of(' ');
        const auto last = forwarded.find_last_not_of(' ');
        if (first == std::string_view::npos) return client_;
        return std::string(forwarded.substr(first, last - first + 1));
    }

    // A request that could not be read: answer what deserves an answer, then
    // close. A vanished client gets nothing.
    void refuse(error_code ec) {
        if (ec == http::error::header_limit)
            return send(errorAnswer(431, "Слишком большие заголовки запроса."), false);
        if (ec == http::error::body_limit) return send(errorAnswer(413, "Слишком большой запрос."), false);
        if (isHttpError(ec) && ec != http::error::end_of_stream && ec != http::error::partial_message)
            return send(errorAnswer(400, "Некорректный запрос."), false);
        finishRequest();
    }

    void send(ApiAnswer answer, bool keepAlive) {
        keepAlive = keepAlive && !context_.stopping;
        response_.emplace();
        response_->version(version_);
        response_->result(static_cast<unsigned>(answer.status));
        response_->set(http::field::cache_control, "no-store");
        response_->set(http::field::content_type, "application/json; charset=utf-8");
        if (answer.retryAfterSeconds > 0)
            response_->set(http::field::retry_after, std::to_string(answer.retryAfterSeconds));
        response_->body() = std::move(answer.body);
        response_->keep_alive(keepAlive);
        response_->prepare_payload();
        transport().expires_after(context_.limits.transferDeadline);
        http::async_write(stream_, *response_,
                          [self = this->shared_from_this(), keepAlive](error_code ec, std::size_t) {
                              self->finishRequest();
                              if (ec) return;
                              if (keepAlive && self->context_.headWaits.begin(self, self->client_, false)) {
                                  self->waitingRequest_ = true;
                                  self->readHead();
                              } else {
                                  self->close();
                              }
                          });
    }

    void finishRequest() {
        if (std::exchange(requestCounted_, false)) --context_.requestsInFlight;
    }

    void close() {
        disarmDeadline();
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
    std::string client_;  // the peer's address
    DeadlineTimer deadline_;
    std::uint64_t deadlineGeneration_ = 0;
    beast::flat_buffer buffer_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::optional<http::response<http::empty_body>> interim_;
    std::optional<http::response<http::string_body>> response_;
    unsigned version_ = 11;
    bool keepAlive_ = false;
    // Listed in the address's limit: from its opening or its last answer to a whole request.
    bool waitingRequest_ = false;
    bool headIn_ = false;
    std::chrono::steady_clock::time_point bodyStarted_;
    std::uint64_t bodyBytes_ = 0;
    std::uint64_t bodyBytesChecked_ = 0;
    bool timedOut_ = false;
    bool gaveUp_ = false;
    bool requestCounted_ = false;
    std::size_t drained_ = 0;
};

}  // namespace

void serveHttp(ConnectionSocket socket, const HttpContext& context, std::string address) {
    std::make_shared<Connection<Transport>>(context, std::move(address), std::move(socket))->start();
}

void serveHttps(ConnectionSocket socket, asio::ssl::context& tls, const HttpContext& context,
                std::string address) {
    std::make_shared<Connection<TlsTransport>>(context, std::move(address), std::move(socket), tls)->start();
}

}  // namespace family
