#pragma once

#include "account/FamilyRecords.h"
#include "account/FamilyServerConfig.h"

#include <QCoroTask>
#include <QList>
#include <QPair>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>

class Keychain;
class Preferences;
class FamilyServerClient;
class LocalizedError;
class SessionTokenStore;

// The family account client: who is signed in, the family's members and tasks,
// the pairing and invite codes, and the operations the family screens start.
// Lives on the main thread for the life of the process. Every write of a field
// emits that field's signal, then changed().
//
// The asynchronous operations are coroutines; screens start them and do not
// await them. Only refresh() throws: every other operation reports its failure
// in errorMessage. The other operations clear it when they start; restore()
// and refresh() clear only the message a failed restore left and one that
// said the server could not be reached (the cause is gone once the family
// loads again), and signing out clears any message, so that nothing of the
// previous account is shown on the sign-in form.
//
// Operations may overlap. An answer that arrives after the session it was asked
// for has ended (signed out, refused by a restore, or replaced by a newer
// sign-in) is dropped: it sets no field, cache, preference or message. A
// sign-in's own answer is dropped only when the user signed out after it was
// started.
class AccountSession : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kCachedUserKey = "family.cachedUser.v1";
    static constexpr const char* kTokenService = "com.quorvel.Zanbeck.family";
    static QString offlineMessage();  // "Нет связи с сервером. Вход сохранён, данные доступны офлайн."
    // The same when nothing of the family was loaded yet, so nothing is there to show offline.
    static QString offlineNothingLoadedMessage();

    // Reads local state only (token and cached user); sends nothing. The base
    // URL must be an https origin, or http on a loopback host.
    AccountSession(Keychain& keychain, Preferences& preferences,
                   const QUrl& baseURL = QUrl(defaultFamilyServerUrl()), QObject* parent = nullptr);
    ~AccountSession() override;

    const QUrl& baseURL() const;
    const std::optional<FamilyUser>& user() const { return user_; }
    const QList<FamilyMember>& members() const { return members_; }
    const QList<FamilyTask>& tasks() const { return tasks_; }
    const std::optional<QString>& pairingPayload() const { return pairingPayload_; }
    const std::optional<QString>& familyInvitePayload() const { return familyInvitePayload_; }
    bool isBusy() const { return isBusy_; }
    bool isCreatingPairingCode() const { return isCreatingPairingCode_; }
    bool isCreatingFamilyInvite() const { return isCreatingFamilyInvite_; }
    const std::optional<QString>& errorMessage() const { return errorMessage_; }
    // Whether members and tasks came from the server in this session (only the
    // user is kept across starts): empty lists then mean an empty family.
    bool hasLoadedFamily() const { return familyLoaded_; }
    // Screens clear the message when its alert is dismissed.
    void setErrorMessage(const std::optional<QString>& message);

    // Checks the stored sign-in with the server, then refreshes. 401 signs out;
    // any other failure keeps the cached user and shows the offline message.
    QCoro::Task<> restore();
    // Signs in; isBusy is on for the whole call.
    QCoro::Task<> login(QString email, QString password);
    // Signs out on this device; no request.
    void logout();

    // Reloads members and tasks, and applies the family's preferences to
    // "currencyCode" and "appLanguage". Throws (LocalizedError) and then changes nothing.
    QCoro::Task<> refresh();
    QCoro::Task<> updatePreferences(QString currency, QString language);
    QCoro::Task<> createPairingCode();
    // The code is a scanned or typed payload; its "token" query item is sent
    // when it has one, otherwise the whole code.
    QCoro::Task<> claim(QString code);
    QCoro::Task<> createFamilyInvite();
    QCoro::Task<> claimFamilyInvite(QString code);
    // reward in currency units (for example 12.5). Sent with an
    // "Idempotency-Key" header, so that a server that stored the task before
    // its answer was lost stores it once: the composer passes the same key
    // again when it sends the same draft again. Without one, a fresh key.
    QCoro::Task<> addTask(QString title, double reward, QString childId, QString idempotencyKey = {});
    // A new key for one draft of a task (a UUID).
    static QString newIdempotencyKey();
    // action: "complete", "approve" or "return".
    QCoro::Task<> act(QString taskId, QString action);

    // What a code's token is: the first "token" query item when the code reads
    // as a URL that has one (empty when it has no value), else the whole code.
    static QString tokenFromCode(const QString& code);

    // The request layer's limits (see FamilyServerClient), shortened by tests:
    // the time-out without a byte (60 seconds), the deadline of a whole request
    // (30 seconds) and the largest answer read (16 MiB).
    void setRequestTimeout(std::chrono::milliseconds timeout);
    void setRequestDeadline(std::chrono::milliseconds deadline);
    void setMaxAnswerBytes(qint64 bytes);

signals:
    void userChanged();
    void membersChanged();
    void tasksChanged();
    void pairingPayloadChanged();
    void familyInvitePayloadChanged();
    void isBusyChanged();
    void isCreatingPairingCodeChanged();
    void isCreatingFamilyInviteChanged();
    void errorMessageChanged();
    // After any of the above.
    void changed();

private:
    void setUser(const std::optional<FamilyUser>& user);
    void setMembers(const QList<FamilyMember>& members);
    void setTasks(const QList<FamilyTask>& tasks);
    void setPairingPayload(const std::optional<QString>& payload);
    void setFamilyInvitePayload(const std::optional<QString>& payload);
    void setBusy(bool on);
    void setCreatingPairingCode(bool on);
    void setCreatingFamilyInvite(bool on);
    void cacheUser();
    void removeCachedUser();
    void writePreferences(const QString& currency, const QString& language);
    // Ends the signed-in session for everything still awaiting an answer.
    void endSession() {
        ++sessionGeneration_;
        familyLoaded_ = false;
    }
    // A failure of restore() (the server unreachable, the keychain silent):
    // the loaded family's own message, which the next load that succeeds clears.
    void setRestoreError(const QString& message);
    // An operation's failure as its message; one that reached no server is
    // marked as about the connection.
    void setOperationError(const LocalizedError& error);
    // A family loaded by a refresh that started when the message had been
    // written `errorsAtStart` messages ago: the message of a failed restore
    // goes, and so does one about the connection written before the refresh
    // started (the server answers again); any other message stays.
    void clearErrorsTheServerAnswered(quint64 errorsAtStart);
    bool isCurrent(quint64 generation) const { return generation == sessionGeneration_; }
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    // Sends an encoded body with authorization and drops the (JSON) answer.
    QCoro::Task<> send(QString path, QByteArray method, QByteArray body, Headers headers = {});
    // The common road of the claims and task operations: clear the message,
    // send, refresh; a failure of either shows its text.
    QCoro::Task<> sendThenRefresh(QString path, QByteArray method, QByteArray body, Headers headers = {});

    Preferences& preferences_;
    std::unique_ptr<SessionTokenStore> token_;
    std::unique_ptr<FamilyServerClient> client_;

    std::optional<FamilyUser> user_;
    QList<FamilyMember> members_;
    QList<FamilyTask> tasks_;
    std::optional<QString> pairingPayload_;
    std::optional<QString> familyInvitePayload_;
    bool isBusy_ = false;
    bool isCreatingPairingCode_ = false;
    bool isCreatingFamilyInvite_ = false;
    std::optional<QString> errorMessage_;
    bool errorFromRestore_ = false;     // errorMessage_ was set by setRestoreError
    bool errorAboutConnection_ = false;  // errorMessage_ tells that no server answered
    quint64 errorsWritten_ = 0;          // counts every write of errorMessage_
    bool familyLoaded_ = false;
    // Which session the awaited answers belong to: an operation notes it when it
    // starts and checks it after every await.
    quint64 sessionGeneration_ = 0;
    // Counts logout() calls only, so a sign-in started before one of them is
    // not applied, while a restore that signs out leaves a running sign-in alone.
    quint64 signOutCount_ = 0;
};
