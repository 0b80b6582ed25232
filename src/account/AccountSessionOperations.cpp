// The family operations of AccountSession: everything a signed-in user does.
#include "account/AccountError.h"
#include "account/AccountSession.h"
#include "account/FamilyServerClient.h"
#include "account/RequestBodies.h"

#include <QUrlQuery>
#include <QUuid>

QCoro::Task<> AccountSession::refresh() {
    const quint64 generation = sessionGeneration_;
    const quint64 errorsAtStart = errorsWritten_;
    const FamilyResponse family =
        co_await client_->request<FamilyResponse>(QStringLiteral("/api/family"), "GET", std::nullopt, true);
    // The family of a session that has ended is nobody's to show, and its
    // preferences must not follow the user out.
    if (!isCurrent(generation)) co_return;
    familyLoaded_ = true;
    setMembers(family.members);
    setTasks(family.tasks);
    // The server answers again: "no connection" and the like are over.
    clearErrorsTheServerAnswered(errorsAtStart);
    if (family.preferences) writePreferences(family.preferences->currency_code, family.preferences->language_code);
}

QCoro::Task<> AccountSession::send(QString path, QByteArray method, QByteArray body, Headers headers) {
    co_await client_->request<EmptyResponse>(std::move(path), std::move(method), std::move(body), true,
                                             std::move(headers));
}

QCoro::Task<> AccountSession::sendThenRefresh(QString path, QByteArray method, QByteArray body,
                                              Headers headers) {
    const quint64 generation = sessionGeneration_;
    try {
        co_await send(std::move(path), std::move(method), std::move(body), std::move(headers));
        if (!isCurrent(generation)) co_return;
        co_await refresh();
    } catch (const LocalizedError& error) {
        if (isCurrent(generation)) setOperationError(error);
    }
}

QCoro::Task<> AccountSession::updatePreferences(QString currency, QString language) {
    setErrorMessage(std::nullopt);
    const quint64 generation = sessionGeneration_;
    try {
        co_await send(QStringLiteral("/api/preferences"), "PATCH", RequestBody::preferences(currency, language));
        if (isCurrent(generation)) writePreferences(currency, language);
    } catch (const LocalizedError& error) {
        if (isCurrent(generation)) setOperationError(error);
    }
}

QCoro::Task<> AccountSession::createPairingCode() {
    setCreatingPairingCode(true);
    setErrorMessage(std::nullopt);
    const quint64 generation = sessionGeneration_;
    try {
        const PairingResponse answer = co_await client_->request<PairingResponse>(
            QStringLiteral("/api/pairing/create"), "POST", RequestBody::createPairingCode(), true);
        if (isCurrent(generation)) setPairingPayload(answer.qrPayload);
    } catch (const LocalizedError& error) {
        if (isCurrent(generation)) setOperationError(error);
    }
    setCreatingPairingCode(false);
}

QCoro::Task<> AccountSession::createFamilyInvite() {
    setCreatingFamilyInvite(true);
    setErrorMessage(std::nullopt);
    const quint64 generation = sessionGeneration_;
    try {
        const PairingResponse answer = co_await client_->request<PairingResponse>(
            QStringLiteral("/api/family/parent-invite"), "POST", RequestBody::createFamilyInvite(), true);
        if (isCurrent(generation)) setFamilyInvitePayload(answer.qrPayload);
    } catch (const LocalizedError& error) {
        if (isCurrent(generation)) setOperationError(error);
    }
    setCreatingFamilyInvite(false);
}

QString AccountSession::tokenFromCode(const QString& code) {
    const QUrl url(code, QUrl::TolerantMode);
    if (!url.isValid() || !url.hasQuery()) return code;
    const QUrlQuery query(url);
    // With the item named more than once, the first one counts.
    for (const auto& [name, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (name == QLatin1String("token")) return value;
    }
    return code;
}

QCoro::Task<> AccountSession::claim(QString code) {
    setErrorMessage(std::nullopt);
    co_await sendThenRefresh(QStringLiteral("/api/pairing/claim"), "POST", RequestBody::claim(tokenFromCode(code)));
}

QCoro::Task<> AccountSession::claimFamilyInvite(QString code) {
    setErrorMessage(std::nullopt);
    co_await sendThenRefresh(QStringLiteral("/api/family/parent-invite"), "POST",
                             RequestBody::claimFamilyInvite(tokenFromCode(code)));
}

QString AccountSession::newIdempotencyKey() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }

QCoro::Task<> AccountSession::addTask(QString title, double reward, QString childId, QString idempotencyKey) {
    setErrorMessage(std::nullopt);
    QByteArray body;
    try {
        body = RequestBody::addTask(childId, title, reward);
    } catch (const LocalizedError& error) {
        setOperationError(error);
        co_return;
    }
    if (idempotencyKey.isEmpty()) idempotencyKey = newIdempotencyKey();
    Headers headers;
    headers.append({QByteArray("Idempotency-Key"), idempotencyKey.toUtf8()});
    co_await sendThenRefresh(QStringLiteral("/api/tasks"), "POST", std::move(body), std::move(headers));
}

QCoro::Task<> AccountSession::act(QString taskId, QString action) {
    setErrorMessage(std::nullopt);
    co_await sendThenRefresh(QStringLiteral("/api/tasks"), "PATCH", RequestBody::act(taskId, action));
}
