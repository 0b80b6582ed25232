#pragma once

#include <QObject>
#include <QString>
#include <functional>

class Biometrics;
class Keychain;
class Preferences;

// The app's lock: whether a four-digit code is stored, whether it has been
// entered since start or since the last lock(), and the last lock error.
// The code lives only in the keychain and is read afresh for every check.
//
// A keychain that cannot be read (locked or missing keyring) is not taken for
// "no code" when this profile ever stored one: the app then starts locked,
// says why, and every unlock attempt or retryKeychain() asks the keychain
// again, so a keyring failure never opens the app nor offers to create a code
// over the real one. Whether a code was stored is kept as a plain mark in the
// preferences (kPasscodeSetKey), so that a profile that never set a code is
// not locked out by a keyring it does not need. Whenever the keychain answers,
// its answer wins over the mark.
class AppLockModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasPasscode READ hasPasscode NOTIFY changed)
    Q_PROPERTY(bool isUnlocked READ isUnlocked NOTIFY changed)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY changed)
    Q_PROPERTY(bool isVerifyingBiometrics READ isVerifyingBiometrics NOTIFY changed)
    Q_PROPERTY(bool isKeychainUnavailable READ isKeychainUnavailable NOTIFY changed)
public:
    static constexpr const char* kKeychainService = "com.quorvel.Zanbeck.app-lock";
    static constexpr const char* kKeychainAccount = "local-passcode";
    // Preference: true once a code was stored, false once none is; absent in
    // profiles that never ran with the mark.
    static constexpr const char* kPasscodeSetKey = "appLock.passcodeSet";

    static const QString kWrongCodeText;         // "Неверный код. Попробуй ещё раз."
    static const QString kInvalidCodeText;       // "Код должен состоять из четырёх цифр."
    static const QString kSaveFailedText;        // "Не удалось сохранить код в Связке ключей."
    // The keychain could not be read: why the app stays locked, and what to do.
    static const QString kKeychainUnavailableText;
    // The same after "Повторить" found it still unreadable.
    static const QString kKeychainStillUnavailableText;
    static const QString kRemoveFailedText;      // "Не удалось удалить код из Связки ключей."
    // Texts for the fingerprint prompt that the unlock screen shows while a
    // biometric check runs: its reason line and its cancel button.
    static const QString kBiometricReasonText;   // "Открыть твою копилку"
    static const QString kBiometricCancelText;   // "Ввести код"

    // Reads the stored code once. The services and preferences must outlive
    // the model; biometrics may be null (then biometric unlock always gives false).
    AppLockModel(Keychain& keychain, Preferences& preferences, Biometrics* biometrics = nullptr,
                 QObject* parent = nullptr);
    ~AppLockModel() override;

    bool hasPasscode() const { return hasPasscode_; }
    bool isUnlocked() const { return isUnlocked_; }
    QString errorMessage() const { return errorMessage_; }  // empty: none
    bool isVerifyingBiometrics() const { return verifyingBiometrics_; }
    // The last read of the keychain failed (cleared by any answer and by lock()).
    bool isKeychainUnavailable() const { return keychainUnavailable_; }

    // Checks a typed code against the stored one; true when the app is now unlocked.
    bool unlock(const QString& code);
    // Reads the keychain again after it failed; true when it answered. An
    // answer with the code clears the error so that the code can be typed; one
    // without a code opens an app whose code was only presumed.
    bool retryKeychain();
    // Stores or replaces the code (exactly four numeric characters); true when stored.
    bool setPasscode(const QString& code);
    // Deletes the stored code; true when it is gone (or was never there).
    // When the keychain refuses, the code stays in force and false is returned.
    bool removePasscode();
    // Relocks the app when a code is stored; clears the error and ends a
    // biometric check in progress (its `done` gets false).
    void lock();

    // Whether the unlock screen may offer the fingerprint: a reader with an
    // enrolled finger of this user is there now. Asks afresh on every call;
    // the "biometricsEnabled" preference is the screen's to check.
    bool biometricsAvailable() const;
    // One biometric check. `done` is called once, later, with true when the
    // app was unlocked. A failed or cancelled check changes nothing (the
    // error text stays). While one check runs, another call gives false.
    void unlockWithBiometrics(std::function<void(bool unlocked)> done = {});
    // Ends a running biometric check (the prompt's cancel button).
    void cancelBiometrics();

signals:
    // After every change of the published state above.
    void changed();

private:
    struct State {
        bool hasPasscode;
        bool isUnlocked;
        QString errorMessage;
        bool verifyingBiometrics;
        bool keychainUnavailable;
        bool operator==(const State&) const = default;
    };
    State state() const {
        return {hasPasscode_, isUnlocked_, errorMessage_, verifyingBiometrics_, keychainUnavailable_};
    }
    void emitIfChanged(const State& before);
    void finishBiometrics(bool success, const std::function<void(bool)>& done);
    struct StoredCode;
    StoredCode readStoredCode() const;
    bool adopt(const StoredCode& stored, const QString& unavailableText);
    bool codeMayBeStored() const;
    void rememberPasscodeSet(bool set);
    bool writeCode(const QString& code);

    Keychain& keychain_;
    Preferences& preferences_;
    Biometrics* biometrics_;
    bool hasPasscode_ = false;
    bool isUnlocked_ = true;
    QString errorMessage_;
    bool verifyingBiometrics_ = false;
    bool keychainUnavailable_ = false;
    // Locked on the mark alone: the keychain has not said yet whether it holds a code.
    bool storedCodeUnknown_ = false;
    // Tells a late biometric answer apart from the one still awaited.
    quint64 biometricAttempt_ = 0;
};
