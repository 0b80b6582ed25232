#include "account/FamilyServerClient.h"

#include <QCoroNetworkReply>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "account/AccountError.h"
#include "account/FamilyServerConfig.h"
#include "account/SessionTokenStore.h"

namespace {

QString serverErrorText() { return QStringLiteral("Ошибка сервера"); }

// The message of a failed answer: the server's "error" text when the body is
// an object carrying one.
QString failureMessage(const QByteArray& body) {
    try {
        return FamilyWire::decode<APIError>(body).error;
    } catch (const DecodingError&) {
        return serverErrorText();
    }
}

// Whether an answer of this status may carry a body at all: 1xx, 204 and 304
// carry none whatever their headers announce.
bool carriesBody(int status) { return status >= 200 && status != 204 && status != 304; }

// Whether the body stops short of the length the status line's headers
// announced. Qt can end such a reply as if it were complete: when the server
// closes the connection mid-body and no bytes are left to read, the reply is
// finished with its status (a 401 then reads as a refused token) and the
// connection's own error never reaches it. A compressed body is counted before
// Qt inflates it, so its length says nothing about what readAll() returns.
bool endedBeforeItsLength(const QNetworkReply& reply, int status, qsizetype received) {
    if (!carriesBody(status)) return false;
    const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = reply.rawHeader("Content-Encoding").trimmed().toLower();
    if (!announced.isValid() || !(encoding.isEmpty() || encoding == "identity")) return false;
    return received < announced.toLongLong();
}

struct ReplyDeleter {
    void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
};

// The answer as it arrives. The reply's handlers share it with the coroutine
// rather than point into its frame: aborting the reply ends the request, and
// the coroutine may then finish, frame and all, before the handler returns.
struct Intake {
    QByteArray body;
    bool tooLarge = false;
    bool pastDeadline = false;
};

// Moves what the reply holds into `body`, at most one byte past `limit` (enough
// to tell the answer is too long; the rest stays unread); whether it is over.
bool takeAvailable(QNetworkReply& reply, qint64 limit, QByteArray& body) {
    const qint64 room = limit + 1 - body.size();
    if (room > 0) body += reply.read(std::min(room, reply.bytesAvailable()));
    return body.size() > limit;
}

// Reads the reply's body as it arrives, keeping at most `limit` bytes, and
// aborts the reply as soon as it is announced or found to be longer.
void takeInAtMost(QNetworkReply* reply, qint64 limit, const std::shared_ptr<Intake>& intake) {
    // Qt reads a reply on a thread of its own: unbounded, it could take in a
    // flood whole before the first readyRead here. Past this much unread, it
    // waits for us.
    constexpr qint64 kReadAhead = 256 * 1024;
    reply->setReadBufferSize(kReadAhead);
    const auto refuse = [reply, intake] {
        intake->tooLarge = true;
        reply->abort();  // the request ends here; nothing of it may be touched after this
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, limit, refuse] {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (status.isValid() && !carriesBody(status.toInt())) return;
        bool announced = false;
        const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
        if (announced && length > limit) refuse();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, limit, intake, refuse] {
        if (takeAvailable(*reply, limit, intake->body)) refuse();
    });
}

}  // namespace

QString answerTooLargeText() {
    return QStringLiteral("Ответ сервера слишком большой, запрос прерван. Попробуйте ещё раз позже.");
}

QString transportFailureText(int networkError) {
    switch (static_cast<QNetworkReply::NetworkError>(networkError)) {
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("Не удалось подключиться к серверу: соединение отклонено.");
        case QNetworkReply::RemoteHostClosedError:
            return QStringLiteral("Сервер неожиданно закрыл соединение.");
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("Сервер не найден. Проверьте подключение к интернету.");
        case QNetworkReply::TimeoutError:
        case QNetworkReply::OperationCanceledError:
            return QStringLiteral("Сервер не ответил вовремя. Попробуйте ещё раз.");
        case QNetworkReply::SslHandshakeFailedError:
            return QStringLiteral("Не удалось установить защищённое соединение с сервером.");
        case QNetworkReply::TooManyRedirectsError:
        case QNetworkReply::InsecureRedirectError:
            return QStringLiteral("Сервер перенаправил запрос на другой адрес. Запрос не отправлен.");
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::BackgroundRequestNotAllowedError:
            return QStringLiteral("Нет подключения к интернету.");
        case QNetworkReply::ProxyConnectionRefusedError:
        case QNetworkReply::ProxyConnectionClosedError:
        case QNetworkReply::ProxyNotFoundError:
        case QNetworkReply::ProxyTimeoutError:
        case QNetworkReply::ProxyAuthenticationRequiredError:
            return QStringLiteral("Не удалось подключиться через прокси-сервер.");
        default:
            return QStringLiteral("Не удалось связаться с сервером.");
    }
}

FamilyServerClient::FamilyServerClient(QUrl baseURL, SessionTokenStore& token)
    : baseURL_(std::move(baseURL)), token_(token) {}

QUrl FamilyServerClient::urlFor(const QString& path) const {
    QUrl url = baseURL_;
    QString base = url.path();
    while (base.endsWith(QLatin1Char('/'))) base.chop(1);
    url.setPath(base + path);
    return url;
}

QCoro::Task<QByteArray> FamilyServerClient::exchange(QString path, QByteArray method,
                                                     std::optional<QByteArray> body, bool authorize,
                                                     Headers headers) {
    // A bearer token must never cross the network in clear text.
    if (!isAllowedFamilyServerOrigin(baseURL_))
        throw TransportError(QStringLiteral("Адрес сервера не защищён: разрешено только https."));

    QNetworkRequest request(urlFor(path));
    request.setTransferTimeout(static_cast<int>(timeout_.count()));
    // Same scheme, host and port only: a redirect elsewhere fails instead of
    // carrying the Authorization header to another origin.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setRawHeader("Content-Type", "application/json");
    request.setRawHeader("x-zanbeck-client", "ios");
    for (const auto& [name, value] : std::as_const(headers)) request.setRawHeader(name, value);
    if (authorize) {
        const SessionTokenStore::Read stored = token_.read();
        // A keychain that cannot answer is not "no token": sending without one
        // would earn a 401 and could sign the user out for nothing.
        if (stored.status == SessionTokenStore::Status::failed)
            throw KeychainError(QStringLiteral("Не удалось прочитать сохранённый вход из хранилища ключей."));
        if (stored.status == SessionTokenStore::Status::found)
            request.setRawHeader("Authorization", "Bearer " + stored.token.toUtf8());
    }

    std::unique_ptr<QNetworkReply, ReplyDeleter> reply;
    if (method == "GET")
        reply.reset(manager_.get(request));
    else if (body)
        reply.reset(manager_.sendCustomRequest(request, method, *body));
    else
        reply.reset(manager_.sendCustomRequest(request, method));

    const auto intake = std::make_shared<Intake>();
    takeInAtMost(reply.get(), maxAnswerBytes_, intake);
    QTimer::singleShot(deadline_, reply.get(), [r = reply.get(), intake] {
        intake->pastDeadline = true;
        r->abort();
    });

    co_await reply.get();

    if (intake->tooLarge) throw TransportError(answerTooLargeText());
    // Past its deadline, a request fails as a timed-out one does.
    if (intake->pastDeadline) throw TransportError(transportFailureText(QNetworkReply::TimeoutError));

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    // Qt numbers the connection's own failures (refused, dropped, timed out,
    // TLS, proxy, a refused redirect) below 200; from 200 on it only mirrors the
    // HTTP status. A status line followed by such a failure is no answer either:
    // its body is cut short (a cut 2xx could pass for success, a cut 401 would
    // sign the user out), and a refused cross-origin redirect keeps its 3xx.
    const bool connectionFailed =
        error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
    if (!status.isValid() || connectionFailed) {
        if (error != QNetworkReply::NoError) throw TransportError(transportFailureText(error));
        throw AccountError::server(QStringLiteral("Некорректный ответ сервера"));
    }
    const int code = status.toInt();

    // The last bytes may come with the end of the reply rather than before it.
    if (takeAvailable(*reply, maxAnswerBytes_, intake->body)) throw TransportError(answerTooLargeText());
    const QByteArray answer = std::move(intake->body);
    if (endedBeforeItsLength(*reply, code, answer.size()))
        throw TransportError(transportFailureText(QNetworkReply::RemoteHostClosedError));
    if (code >= 200 && code <= 299) co_return answer;
    const QString message = failureMessage(answer);
    if (authorize && code == 401) throw AccountError::unauthorized();
    throw AccountError::server(message);
}
