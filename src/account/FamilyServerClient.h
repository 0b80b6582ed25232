#pragma once

#include "account/FamilyRecords.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QCoroTask>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>
#include <chrono>
#include <optional>

class SessionTokenStore;

// One call = one JSON exchange with the family server. Sets the protocol's
// headers, a time-out per request, and the bearer token when asked and one is
// stored; 200-299 is success, anything else fails with the server's "error"
// text (or "Ошибка сервера"), and 401 on an authorized request fails as
// unauthorized. Redirects are followed only within the same origin, so the
// token never travels to another host.
//
// Every request ends: the time-out restarts with each byte that arrives, so a
// server that sends a byte now and then would keep it open for ever; the
// deadline ends it, with the time-out's own message, however the bytes come.
// An answer is read as it arrives and refused, unread, once it is announced
// or grows past the largest answer taken.
class FamilyServerClient {
public:
    // Without a byte for this long, the request fails.
    static constexpr std::chrono::milliseconds kDefaultTimeout{60'000};
    // The longest a request may take in all, redirects included.
    static constexpr std::chrono::milliseconds kDefaultDeadline{30'000};
    // A family's answers are kilobytes; this is far above any real one.
    static constexpr qint64 kDefaultMaxAnswerBytes = 16 * 1024 * 1024;

    FamilyServerClient(QUrl baseURL, SessionTokenStore& token);

    const QUrl& baseURL() const { return baseURL_; }
    void setTimeout(std::chrono::milliseconds timeout) { timeout_ = timeout; }
    void setDeadline(std::chrono::milliseconds deadline) { deadline_ = deadline; }
    void setMaxAnswerBytes(qint64 bytes) { maxAnswerBytes_ = bytes; }

    // Headers a call adds to the protocol's own (an "Idempotency-Key", say).
    using Headers = QList<QPair<QByteArray, QByteArray>>;

    // The decoded answer; throws LocalizedError subclasses (AccountError,
    // TransportError, DecodingError, KeychainError).
    template <class T>
    QCoro::Task<T> request(QString path, QByteArray method, std::optional<QByteArray> body, bool authorize,
                           Headers headers = {}) {
        const QByteArray answer = co_await exchange(std::move(path), std::move(method), std::move(body), authorize,
                                                    std::move(headers));
        co_return FamilyWire::decode<T>(answer);
    }

    // The body of a 2xx answer.
    QCoro::Task<QByteArray> exchange(QString path, QByteArray method, std::optional<QByteArray> body,
                                     bool authorize, Headers headers = {});

    QUrl urlFor(const QString& path) const;

private:
    friend struct FamilyServerClientProbe;  // tests count the replies still alive

    QUrl baseURL_;
    SessionTokenStore& token_;
    std::chrono::milliseconds timeout_ = kDefaultTimeout;
    std::chrono::milliseconds deadline_ = kDefaultDeadline;
    qint64 maxAnswerBytes_ = kDefaultMaxAnswerBytes;
    QNetworkAccessManager manager_;
};

// The Russian text for a request that got no HTTP answer.
QString transportFailureText(int networkError);
// The Russian text for an answer refused for its size.
QString answerTooLargeText();
