#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QQueue>
#include <QTcpServer>
#include <QUrl>
#include <chrono>
#include <functional>
#include <optional>

class QTcpSocket;

// One request as the server received it.
struct RecordedRequest {
    QByteArray method;
    QByteArray target;                             // path with query, as sent
    QByteArray path;                               // without the query
    QList<QPair<QByteArray, QByteArray>> headers;  // in arrival order, names as sent
    QByteArray body;

    bool hasHeader(const QByteArray& name) const;  // case-insensitive name
    QByteArray header(const QByteArray& name) const;
};

// What the server answers.
struct ScriptedResponse {
    int status = 200;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;  // Content-Length and Connection are added
    bool held = false;                             // wait until releaseHeld()
    QByteArray rawResponse;                        // when set, written as is instead of the above
    // A server that keeps the client waiting: when set, the body goes out one
    // byte per interval after the head (a rawResponse: all of it).
    std::chrono::milliseconds trickle{0};
    // A server that floods: when set, the body is this many spaces, written as
    // fast as the client takes them, never held whole by the server.
    qint64 floodBytes = 0;
    // Content-Length to announce instead of the body's own size; a negative
    // one announces none (the body then ends when the connection closes).
    std::optional<qint64> announcedLength;
    bool keepOpen = false;                         // the connection stays open once all is written

    static ScriptedResponse json(int status, const QByteArray& body) {
        ScriptedResponse r;
        r.status = status;
        r.body = body;
        r.headers.emplaceBack("Content-Type", "application/json");
        return r;
    }
};

// A scripted HTTP/1.1 server on 127.0.0.1 for tests. It runs on the test's own
// event loop (QTcpServer), so a test drives it by waiting on the client. Every
// request is recorded. Answers are chosen per method and path: a queued
// one-shot answer first, else the standing answer, else the handler, else 404
// {"error": "not scripted"}. One request per connection (Connection: close).
class ScriptedHttpServer : public QObject {
    Q_OBJECT
public:
    explicit ScriptedHttpServer(QObject* parent = nullptr);
    ~ScriptedHttpServer() override;

    bool listen(quint16 port = 0);  // on 127.0.0.1, a free port unless given one
    // Stops listening, as a server that went away: connections are refused.
    // The port stays held (bound, not listening) until listen() takes it
    // again, so that no other test's connection can be given it meanwhile.
    void close();
    quint16 port() const;
    QUrl origin() const;  // "http://127.0.0.1:<port>"

    // Standing answer for every request to method + path (path without query).
    void on(const QByteArray& method, const QByteArray& path, const ScriptedResponse& response);
    // One-shot answers, used in order before the standing one.
    void queue(const QByteArray& method, const QByteArray& path, const ScriptedResponse& response);
    // Fallback for anything unscripted.
    void setHandler(std::function<ScriptedResponse(const RecordedRequest&)> handler);

    const QList<RecordedRequest>& requests() const { return requests_; }
    QList<RecordedRequest> requestsTo(const QByteArray& method, const QByteArray& path) const;
    void clearRequests() { requests_.clear(); }
    // Sends the held answers, in arrival order.
    void releaseHeld();
    int heldCount() const { return static_cast<int>(held_.size()); }
    // Answers whose time has come: written, or dropped because the client had already gone.
    int answersDue() const { return answersDue_; }
    // Bytes of flooded bodies written so far.
    qint64 floodedBytes() const { return floodedBytes_; }

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    ScriptedResponse answerFor(const RecordedRequest& request);
    void reply(QPointer<QTcpSocket> socket, const ScriptedResponse& response);
    void trickle(QTcpSocket* socket, const QByteArray& bytes, std::chrono::milliseconds interval, bool keepOpen);
    void flood(QTcpSocket* socket, qint64 bytes, bool keepOpen);

    // Releases the port close() held, if any.
    void releaseHeldPort();

    QTcpServer server_;
    int heldPort_ = -1;  // a socket bound to the closed port, not listening
    QHash<QTcpSocket*, QByteArray> buffers_;
    QMap<QPair<QByteArray, QByteArray>, ScriptedResponse> standing_;
    QMap<QPair<QByteArray, QByteArray>, QQueue<ScriptedResponse>> queued_;
    std::function<ScriptedResponse(const RecordedRequest&)> handler_;
    QList<RecordedRequest> requests_;
    QList<QPair<QPointer<QTcpSocket>, ScriptedResponse>> held_;
    int answersDue_ = 0;
    qint64 floodedBytes_ = 0;
};
