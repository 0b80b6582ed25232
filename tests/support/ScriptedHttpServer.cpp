#include "support/ScriptedHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace {

// Status codes after which HTTP allows no body.
bool bodyless(int status) { return status == 204 || status == 304 || (status >= 100 && status < 200); }

constexpr qint64 kFloodChunk = 64 * 1024;

}  // namespace

bool RecordedRequest::hasHeader(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QByteArray RecordedRequest::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

ScriptedHttpServer::ScriptedHttpServer(QObject* parent) : QObject(parent) {
    connect(&server_, &QTcpServer::newConnection, this, &ScriptedHttpServer::onNewConnection);
}

ScriptedHttpServer::~ScriptedHttpServer() { releaseHeldPort(); }

bool ScriptedHttpServer::listen(quint16 port) {
    releaseHeldPort();
    return server_.listen(QHostAddress::LocalHost, port);
}

void ScriptedHttpServer::close() {
    const quint16 port = server_.serverPort();
    server_.close();
    if (port == 0 || heldPort_ >= 0) return;
    // Tests run side by side: a free port can become another test's local
    // end of a connection before listen() asks for it again. A socket bound
    // to it without listening keeps it ours, and a connection to it is
    // refused exactly as to no server at all.
    heldPort_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(heldPort_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(heldPort_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) releaseHeldPort();
}

void ScriptedHttpServer::releaseHeldPort() {
    if (heldPort_ < 0) return;
    ::close(heldPort_);
    heldPort_ = -1;
}

quint16 ScriptedHttpServer::port() const { return server_.serverPort(); }

QUrl ScriptedHttpServer::origin() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port())); }

void ScriptedHttpServer::on(const QByteArray& method, const QByteArray& path,
                            const ScriptedResponse& response) {
    standing_.insert({method, path}, response);
}

void ScriptedHttpServer::queue(const QByteArray& method, const QByteArray& path,
                               const ScriptedResponse& response) {
    queued_[{method, path}].enqueue(response);
}

void ScriptedHttpServer::setHandler(std::function<ScriptedResponse(const RecordedRequest&)> handler) {
    handler_ = std::move(handler);
}

QList<RecordedRequest> ScriptedHttpServer::requestsTo(const QByteArray& method,
                                                      const QByteArray& path) const {
    QList<RecordedRequest> matching;
    for (const auto& request : requests_)
        if (request.method == method && request.path == path) matching.append(request);
    return matching;
}

void ScriptedHttpServer::onNewConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        buffers_.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            buffers_.remove(socket);
            socket->deleteLater();
        });
    }
}

void ScriptedHttpServer::onReadyRead(QTcpSocket* socket) {
    QByteArray& buffer = buffers_[socket];
    buffer += socket->readAll();
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0) return;

    RecordedRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    request.path = request.target.left(request.target.indexOf('?') < 0 ? request.target.size()
                                                                       : request.target.indexOf('?'));
    qsizetype contentLength = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        request.headers.append({name, value});
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) contentLength = value.toLongLong();
    }
    const qsizetype bodyStart = headerEnd + 4;
    if (buffer.size() - bodyStart < contentLength) return;  // wait for the rest of the body
    request.body = buffer.mid(bodyStart, contentLength);
    buffer.clear();
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);  // one request per connection

    requests_.append(request);
    const ScriptedResponse response = answerFor(request);
    QPointer<QTcpSocket> guarded(socket);
    if (response.held)
        held_.append({guarded, response});
    else
        reply(guarded, response);
}

void ScriptedHttpServer::releaseHeld() {
    const auto held = std::exchange(held_, {});
    for (const auto& [socket, response] : held) reply(socket, response);
}

ScriptedResponse ScriptedHttpServer::answerFor(const RecordedRequest& request) {
    const QPair<QByteArray, QByteArray> key{request.method, request.path};
    auto queued = queued_.find(key);
    if (queued != queued_.end() && !queued->isEmpty()) return queued->dequeue();
    auto standing = standing_.constFind(key);
    if (standing != standing_.constEnd()) return *standing;
    if (handler_) return handler_(request);
    return ScriptedResponse::json(404, R"({"error":"not scripted"})");
}

void ScriptedHttpServer::reply(QPointer<QTcpSocket> socket, const ScriptedResponse& response) {
    ++answersDue_;
    if (!socket || socket->state() != QAbstractSocket::ConnectedState) return;
    QByteArray bytes = response.rawResponse;  // the head, or everything
    QByteArray body;                          // trickled after the head when asked to
    qint64 flooded = 0;
    if (bytes.isEmpty()) {
        const bool hasBody = !bodyless(response.status);
        if (hasBody) body = response.body;
        flooded = hasBody ? response.floodBytes : 0;
        const qint64 length = response.announcedLength.value_or(flooded > 0 ? flooded : body.size());
        // Clients read the status code only; one reason phrase serves them all.
        bytes = "HTTP/1.1 " + QByteArray::number(response.status) + " Scripted\r\n";
        for (const auto& [name, value] : response.headers) bytes += name + ": " + value + "\r\n";
        if (hasBody && length >= 0) bytes += "Content-Length: " + QByteArray::number(length) + "\r\n";
        bytes += "Connection: close\r\n\r\n";
    }
    if (response.trickle.count() > 0) {
        if (!body.isEmpty()) socket->write(bytes);
        trickle(socket, body.isEmpty() ? bytes : body, response.trickle, response.keepOpen);
        return;
    }
    socket->write(bytes + (flooded > 0 ? QByteArray() : body));
    if (flooded > 0)
        flood(socket, flooded, response.keepOpen);
    else if (!response.keepOpen)
        socket->disconnectFromHost();
}

void ScriptedHttpServer::trickle(QTcpSocket* socket, const QByteArray& bytes, std::chrono::milliseconds interval,
                                 bool keepOpen) {
    // Parented to the socket, the timer goes when the client does.
    auto* timer = new QTimer(socket);
    connect(timer, &QTimer::timeout, socket, [socket, timer, bytes, keepOpen, next = qsizetype(0)]() mutable {
        if (next < bytes.size()) {
            socket->write(bytes.mid(next++, 1));
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (!keepOpen) socket->disconnectFromHost();
    });
    timer->start(interval);
}

void ScriptedHttpServer::flood(QTcpSocket* socket, qint64 bytes, bool keepOpen) {
    // Written as the client drains it: a few chunks in flight at most.
    const QByteArray spaces(kFloodChunk, ' ');
    auto left = std::make_shared<qint64>(bytes);
    const auto pump = [this, socket, spaces, left, keepOpen] {
        while (*left > 0 && socket->bytesToWrite() < 4 * kFloodChunk) {
            const qint64 n = std::min(*left, kFloodChunk);
            socket->write(spaces.constData(), n);
            *left -= n;
            floodedBytes_ += n;
        }
        if (*left == 0) {
            *left = -1;  // once
            if (!keepOpen) socket->disconnectFromHost();
        }
    };
    connect(socket, &QTcpSocket::bytesWritten, socket, pump);
    pump();
}
