#include "account/AccountSession.h"

#include "account/AccountError.h"
#include "account/FamilyServerClient.h"
#include "account/RequestBodies.h"
#include "account/SessionTokenStore.h"
#include "services/Preferences.h"

QString AccountSession::offlineMessage() {
    return QStringLiteral("Нет связи с сервером. Вход сохранён, данные доступны офлайн.");
}

QString AccountSession::offlineNothingLoadedMessage() {
    return QStringLiteral("Нет связи с сервером. Вход сохранён, но данных семьи на устройстве пока нет: "
                          "они появятся, когда связь вернётся.");
}

AccountSession::AccountSession(Keychain& keychain, Preferences& preferences, const QUrl& baseURL, QObject* parent)
    : QObject(parent),
      preferences_(preferences),
      token_(std::make_unique<SessionTokenStore>(keychain)),
      client_(std::make_unique<FamilyServerClient>(baseURL, *token_)) {
    // A keychain that cannot answer (locked, no keyring) is not evidence that
    // the user signed out, so the cached account is still shown; the restore
    // then reports that it could not check it.
    if (token_->read().status == SessionTokenStore::Status::none) return;
    const auto cached = preferences_.data(QString::fromLatin1(kCachedUserKey));
    if (!cached) return;
    try {
        FamilyUser user = FamilyWire::decode<FamilyUser>(*cached);
        if (user.role == AppAccountRole::build()) user_ = std::move(user);
    } catch (const DecodingError&) {
        // An unreadable cache starts signed out and is left for the restore to clear.
    }
}

AccountSession::~AccountSession() = default;

const QUrl& AccountSession::baseURL() const { return client_->baseURL(); }

void AccountSession::setRequestTimeout(std::chrono::milliseconds timeout) { client_->setTimeout(timeout); }

void AccountSession::setRequestDeadline(std::chrono::milliseconds deadline) { client_->setDeadline(deadline); }

void AccountSession::setMaxAnswerBytes(qint64 bytes) { client_->setMaxAnswerBytes(bytes); }

// --- published fields: every write is announced, then changed() --------------

void AccountSession::setUser(const std::optional<FamilyUser>& user) {
    user_ = user;
    emit userChanged();
    emit changed();
}

void AccountSession::setMembers(const QList<FamilyMember>& members) {
    members_ = members;
    emit membersChanged();
    emit changed();
}

void AccountSession::setTasks(const QList<FamilyTask>& tasks) {
    tasks_ = tasks;
    emit tasksChanged();
    emit changed();
}

void AccountSession::setPairingPayload(const std::optional<QString>& payload) {
    pairingPayload_ = payload;
    emit pairingPayloadChanged();
    emit changed();
}

void AccountSession::setFamilyInvitePayload(const std::optional<QString>& payload) {
    familyInvitePayload_ = payload;
    emit familyInvitePayloadChanged();
    emit changed();
}

void AccountSession::setBusy(bool on) {
    isBusy_ = on;
    emit isBusyChanged();
    emit changed();
}

void AccountSession::setCreatingPairingCode(bool on) {
    isCreatingPairingCode_ = on;
    emit isCreatingPairingCodeChanged();
    emit changed();
}

void AccountSession::setCreatingFamilyInvite(bool on) {
    isCreatingFamilyInvite_ = on;
    emit isCreatingFamilyInviteChanged();
    emit changed();
}

void AccountSession::setErrorMessage(const std::optional<QString>& message) {
    errorFromRestore_ = false;
    errorAboutConnection_ = false;
    ++errorsWritten_;
    errorMessage_ = message;
    emit errorMessageChanged();
    emit changed();
}

void AccountSession::setRestoreError(const QString& message) {
    setErrorMessage(message);
    errorFromRestore_ = true;
}

void AccountSession::setOperationError(const LocalizedError& error) {
    setErrorMessage(error.errorDescription());
    errorAboutConnection_ = dynamic_cast<const TransportError*>(&error) != nullptr;
}

void AccountSession::clearErrorsTheServerAnswered(quint64 errorsAtStart) {
    if (errorFromRestore_ || (errorAboutConnection_ && errorsWritten_ == errorsAtStart)) setErrorMessage(std::nullopt);
}

// --- local state ----------------------------------------------------------------

void AccountSession::cacheUser() {
    if (!user_) {
        removeCachedUser();
        return;
    }
    preferences_.setValue(QString::fromLatin1(kCachedUserKey), FamilyWire::encode(*user_));
}

void AccountSession::removeCachedUser() { preferences_.remove(QString::fromLatin1(kCachedUserKey)); }

void AccountSession::writePreferences(const QString& currency, const QString& language) {
    preferences_.setValue(QStringLiteral("currencyCode"), currency);
    preferences_.setValue(QStringLiteral("appLanguage"), language);
}

// --- restore, sign-in, sign-out -------------------------------------------------

QCoro::Task<> AccountSession::restore() {
    const SessionTokenStore::Read stored = token_->read();
    if (stored.status == SessionTokenStore::Status::none) {
        endSession();
        setUser(std::nullopt);
        removeCachedUser();
        co_return;
    }
    // Offline, the family shows what this session loaded, if anything.
    const auto offline = [this] { return familyLoaded_ ? offlineMessage() : offlineNothingLoadedMessage(); };
    if (stored.status == SessionTokenStore::Status::failed) {
        // The token may well be there; keep the cached account.
        setRestoreError(offline());
        co_return;
    }
    const quint64 generation = sessionGeneration_;
    try {
        const MeResponse me = co_await client_->request<MeResponse>(QStringLiteral("/api/auth/me"), "GET",
                                                                    std::nullopt, true);
        // Signed out (or in as someone else) meanwhile: this check is for
        // nobody, and adopting it would sign the old user back in.
        if (!isCurrent(generation)) co_return;
        // The server's user of the other build's role is not adopted; the
        // stored sign-in stays as it was and the reason is told as at sign-in.
        if (me.user.role != AppAccountRole::build()) throw AccountError::wrongRole();
        setUser(me.user);
        cacheUser();
        co_await refresh();
    } catch (const AccountError& error) {
        // A late 401 would otherwise delete a newer sign-in's token.
        if (!isCurrent(generation)) co_return;
        if (error.kind() == AccountError::Kind::unauthorized) {
            endSession();
            token_->remove();
            // Signed out: the ended account's messages go with it.
            if (errorMessage_) setErrorMessage(std::nullopt);
            setUser(std::nullopt);
            removeCachedUser();
        } else if (error.kind() == AccountError::Kind::wrongRole) {
            setRestoreError(error.errorDescription());
        } else {
            setRestoreError(offline());
        }
    } catch (const LocalizedError&) {
        if (isCurrent(generation)) setRestoreError(offline());
    }
}

QCoro::Task<> AccountSession::login(QString email, QString password) {
    setBusy(true);
    setErrorMessage(std::nullopt);
    const quint64 signOuts = signOutCount_;
    std::optional<quint64> adopted;  // the session this sign-in started, once it has
    try {
        const AuthResponse answer = co_await client_->request<AuthResponse>(
            QStringLiteral("/api/auth/login"), "POST", RequestBody::login(email, password), false);
        // The user signed out after asking to sign in: the last word is theirs.
        if (signOutCount_ == signOuts) {
            if (answer.user.role != AppAccountRole::build()) throw AccountError::wrongRole();
            // An empty token would authorize nothing; treat it as none.
            if (!answer.sessionToken || answer.sessionToken->isEmpty()) throw AccountError::missingSession();
            // Stored first: if the keychain refuses it, nothing else changes and
            // the app does not look signed in without a token.
            token_->write(*answer.sessionToken);
            endSession();
            adopted = sessionGeneration_;
            setUser(answer.user);
            cacheUser();
            co_await refresh();
        }
    } catch (const LocalizedError& error) {
        const bool ended = signOutCount_ != signOuts || (adopted && !isCurrent(*adopted));
        if (!ended) setOperationError(error);
    }
    setBusy(false);
}

void AccountSession::logout() {
    endSession();
    ++signOutCount_;
    token_->remove();
    // Nothing the previous account was told belongs on the sign-in form.
    if (errorMessage_) setErrorMessage(std::nullopt);
    setUser(std::nullopt);
    setMembers({});
    setTasks({});
    setPairingPayload(std::nullopt);
    setFamilyInvitePayload(std::nullopt);
    removeCachedUser();
}
