#include "lock/AppLockModel.h"

#include "platform/Biometrics.h"
#include "platform/Keychain.h"
#include "services/Preferences.h"

#include <QFileInfo>
#include <QPointer>
#include <QStringDecoder>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <optional>

#include <unicode/uchar.h>

const QString AppLockModel::kWrongCodeText = QStringLiteral("Неверный код. Попробуй ещё раз.");
const QString AppLockModel::kInvalidCodeText = QStringLiteral("Код должен состоять из четырёх цифр.");
const QString AppLockModel::kSaveFailedText = QStringLiteral("Не удалось сохранить код в Связке ключей.");
const QString AppLockModel::kKeychainUnavailableText = QStringLiteral(
    "Связка ключей сейчас недоступна, поэтому код не проверить. Когда она заработает, вход по коду снова "
    "откроется. Попроси взрослого открыть её и нажми «Повторить».");
const QString AppLockModel::kKeychainStillUnavailableText =
    QStringLiteral("Связка ключей всё ещё недоступна. Когда её откроют, нажми «Повторить» ещё раз.");
const QString AppLockModel::kRemoveFailedText = QStringLiteral("Не удалось удалить код из Связки ключей.");
const QString AppLockModel::kBiometricReasonText = QStringLiteral("Открыть твою копилку");
const QString AppLockModel::kBiometricCancelText = QStringLiteral("Ввести код");

namespace {

// Four characters as a reader sees them (grapheme clusters), each starting
// with a code point that has a Unicode numeric type: the keypad only ever
// gives 0 to 9, but any numeric character is accepted, "五" and "½" included.
bool isValidCode(const QString& code) {
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, code);
    qsizetype start = 0;
    int count = 0;
    for (qsizetype end = clusters.toNextBoundary(); end != -1; end = clusters.toNextBoundary()) {
        if (++count > 4) return false;
        const char32_t first = QStringView(code).mid(start, end - start).toUcs4().constFirst();
        if (u_getIntPropertyValue(UChar32(first), UCHAR_NUMERIC_TYPE) == U_NT_NONE) return false;
        start = end;
    }
    return count == 4;
}

}  // namespace

struct AppLockModel::StoredCode {
    Keychain::Status status;
    std::optional<QString> code;  // set when status == ok
};

// Bytes that are not UTF-8 cannot be a code anyone could type: such an item
// counts as no code, like a missing one.
AppLockModel::StoredCode AppLockModel::readStoredCode() const {
    const auto result = keychain_.read(kKeychainService, kKeychainAccount);
    if (result.status != Keychain::Status::ok) return {result.status, std::nullopt};
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString code = decoder.decode(result.secret);
    if (decoder.hasError()) return {Keychain::Status::notFound, std::nullopt};
    return {Keychain::Status::ok, code};
}

AppLockModel::AppLockModel(Keychain& keychain, Preferences& preferences, Biometrics* biometrics,
                           QObject* parent)
    : QObject(parent), keychain_(keychain), preferences_(preferences), biometrics_(biometrics) {
    const StoredCode stored = readStoredCode();
    if (stored.status != Keychain::Status::failed) {
        adopt(stored, {});
        isUnlocked_ = !hasPasscode_;
    } else if (codeMayBeStored()) {
        hasPasscode_ = true;
        isUnlocked_ = false;
        storedCodeUnknown_ = true;
        keychainUnavailable_ = true;
        errorMessage_ = kKeychainUnavailableText;
    } else {
        // Kept, so that this profile is still known to have no code once its
        // preferences hold other things.
        rememberPasscodeSet(false);
    }
}

bool AppLockModel::codeMayBeStored() const {
    const QString key = QString::fromLatin1(kPasscodeSetKey);
    if (preferences_.contains(key)) return preferences_.boolean(key, true);
    // A profile used before the mark existed may hold a code: it stays locked
    // until the keychain answers. Preferences with nothing in them are a
    // profile's first start, which has no code.
    return QFileInfo(preferences_.filePath()).size() > 0;
}

void AppLockModel::rememberPasscodeSet(bool set) {
    const QString key = QString::fromLatin1(kPasscodeSetKey);
    if (!preferences_.contains(key) || preferences_.boolean(key, !set) != set)
        preferences_.setValue(key, set);
}

bool AppLockModel::adopt(const StoredCode& stored, const QString& unavailableText) {
    if (stored.status == Keychain::Status::failed) {
        keychainUnavailable_ = true;
        errorMessage_ = unavailableText;
        return false;
    }
    keychainUnavailable_ = false;
    const bool found = stored.status == Keychain::Status::ok;
    rememberPasscodeSet(found);
    if (found) {
        hasPasscode_ = true;
        storedCodeUnknown_ = false;
    } else if (storedCodeUnknown_) {
        // The keychain answers again and holds no code: the app has none.
        storedCodeUnknown_ = false;
        hasPasscode_ = false;
        errorMessage_.clear();
        isUnlocked_ = true;
    }
    return true;
}

AppLockModel::~AppLockModel() {
    if (verifyingBiometrics_ && biometrics_) {
        ++biometricAttempt_;  // the cancelled answer must find nothing to update
        biometrics_->cancel();
    }
}

void AppLockModel::emitIfChanged(const State& before) {
    if (!(state() == before)) emit changed();
}

bool AppLockModel::unlock(const QString& code) {
    const State before = state();
    const bool presumed = storedCodeUnknown_;
    const StoredCode stored = readStoredCode();
    bool unlocked = false;
    if (adopt(stored, kKeychainUnavailableText)) {
        if (stored.code && *stored.code == code) {
            errorMessage_.clear();
            isUnlocked_ = true;
            unlocked = true;
        } else if (!stored.code && presumed) {
            unlocked = true;  // adopt() opened the app: it has no code
        } else {
            errorMessage_ = kWrongCodeText;
        }
    }
    emitIfChanged(before);
    return unlocked;
}

bool AppLockModel::retryKeychain() {
    const State before = state();
    const bool answered = adopt(readStoredCode(), kKeychainStillUnavailableText);
    if (answered) errorMessage_.clear();
    emitIfChanged(before);
    return answered;
}

bool AppLockModel::setPasscode(const QString& code) {
    const State before = state();
    bool stored = false;
    if (!isValidCode(code)) {
        errorMessage_ = kInvalidCodeText;
    } else if (!writeCode(code)) {
        errorMessage_ = kSaveFailedText;
    } else {
        storedCodeUnknown_ = false;
        hasPasscode_ = true;
        isUnlocked_ = true;
        errorMessage_.clear();
        stored = true;
    }
    emitIfChanged(before);
    return stored;
}

bool AppLockModel::writeCode(const QString& code) {
    // The mark goes first: a code in the keychain that the mark does not know
    // of could be opened without it while the keychain is unreadable.
    const QString key = QString::fromLatin1(kPasscodeSetKey);
    const QVariant previous = preferences_.value(key);
    rememberPasscodeSet(true);
    if (keychain_.write(kKeychainService, kKeychainAccount, code.toUtf8()) == Keychain::Status::ok)
        return true;
    preferences_.setValue(key, previous);
    return false;
}

bool AppLockModel::removePasscode() {
    const State before = state();
    const Keychain::Status status = keychain_.remove(kKeychainService, kKeychainAccount);
    // Reporting success while the keychain kept the code would bring the lock
    // back, unannounced, at the next start.
    const bool removed = status != Keychain::Status::failed;
    if (removed) {
        rememberPasscodeSet(false);
        storedCodeUnknown_ = false;
        hasPasscode_ = false;
        isUnlocked_ = true;
        errorMessage_.clear();
    } else {
        errorMessage_ = kRemoveFailedText;
    }
    emitIfChanged(before);
    return removed;
}

void AppLockModel::lock() {
    if (!hasPasscode_) return;
    // The phone dismisses its fingerprint prompt when the app leaves the
    // screen; fprintd would keep reading, and a finger laid on the reader
    // while the app is away would open it behind the user's back.
    cancelBiometrics();
    const State before = state();
    isUnlocked_ = false;
    errorMessage_.clear();
    keychainUnavailable_ = false;
    emitIfChanged(before);
}

bool AppLockModel::biometricsAvailable() const { return biometrics_ && biometrics_->isAvailable(); }

void AppLockModel::unlockWithBiometrics(std::function<void(bool)> done) {
    if (!biometrics_ || verifyingBiometrics_) {
        if (done) QTimer::singleShot(0, this, [done] { done(false); });
        return;
    }
    const State before = state();
    verifyingBiometrics_ = true;
    const quint64 attempt = ++biometricAttempt_;
    emitIfChanged(before);
    biometrics_->verify([self = QPointer<AppLockModel>(this), attempt, done](Biometrics::Outcome outcome) {
        if (!self || self->biometricAttempt_ != attempt) return;
        self->finishBiometrics(outcome == Biometrics::Outcome::success, done);
    });
}

void AppLockModel::finishBiometrics(bool success, const std::function<void(bool)>& done) {
    const State before = state();
    verifyingBiometrics_ = false;
    if (success) {
        errorMessage_.clear();
        isUnlocked_ = true;
    }
    emitIfChanged(before);
    if (done) done(success);
}

void AppLockModel::cancelBiometrics() {
    if (verifyingBiometrics_ && biometrics_) biometrics_->cancel();
}
