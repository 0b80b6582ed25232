#include "support/ScriptedHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <utility>

namespace {

// Status codes after which HTTP allows no body.
bool bodyless(int status) { return status == 204 || status == 304 || (status >= 100 && status < 200); }

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

ScriptedHttpServer::~ScriptedHttpServer() = default;

bool ScriptedHttpServer::listen(quint16 port) { return server_.listen(QHostAddress::LocalHost, port); }

void ScriptedHttpServer::close() { server_.close(); }

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
    if (!response.rawResponse.isEmpty()) {
        socket->write(response.rawResponse);
    } else {
        // Clients read the status code only; one reason phrase serves them all.
        QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Scripted\r\n";
        for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
        if (!bodyless(response.status))
            head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        head += "Connection: close\r\n\r\n";
        socket->write(head);
        if (!bodyless(response.status)) socket->write(response.body);
    }
    socket->disconnectFromHost();
}
