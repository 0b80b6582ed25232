#pragma once

#include <QObject>
#include <QString>
#include <functional>

class Biometrics;
class Keychain;

// The app's lock: whether a four-digit code is stored, whether it has been
// entered since start or since the last lock(), and the last lock error.
// The code lives only in the keychain and is read afresh for every check.
//
// A keychain that cannot be read (locked or missing keyring) is not taken for
// "no code": the app then starts locked, and every unlock attempt asks the
// keychain again, so a keyring failure never opens the app nor offers to
// create a code over the real one.
class AppLockModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasPasscode READ hasPasscode NOTIFY changed)
    Q_PROPERTY(bool isUnlocked READ isUnlocked NOTIFY changed)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY changed)
    Q_PROPERTY(bool isVerifyingBiometrics READ isVerifyingBiometrics NOTIFY changed)
public:
    static constexpr const char* kKeychainService = "com.quorvel.Zanbeck.app-lock";
    static constexpr const char* kKeychainAccount = "local-passcode";

    static const QString kWrongCodeText;         // "Неверный код. Попробуй ещё раз."
    static const QString kInvalidCodeText;       // "Код должен состоять из четырёх цифр."
    static const QString kSaveFailedText;        // "Не удалось сохранить код в Связке ключей."
    static const QString kReadFailedText;        // "Не удалось прочитать код из Связки ключей."
    static const QString kRemoveFailedText;      // "Не удалось удалить код из Связки ключей."
    // Texts for the fingerprint prompt that the unlock screen shows while a
    // biometric check runs: its reason line and its cancel button.
    static const QString kBiometricReasonText;   // "Открыть твою копилку"
    static const QString kBiometricCancelText;   // "Ввести код"

    // Reads the stored code once. Both services must outlive the model;
    // biometrics may be null (then biometric unlock always gives false).
    explicit AppLockModel(Keychain& keychain, Biometrics* biometrics = nullptr, QObject* parent = nullptr);
    ~AppLockModel() override;

    bool hasPasscode() const { return hasPasscode_; }
    bool isUnlocked() const { return isUnlocked_; }
    QString errorMessage() const { return errorMessage_; }  // empty: none
    bool isVerifyingBiometrics() const { return verifyingBiometrics_; }

    // Checks a typed code against the stored one; true when the app is now unlocked.
    bool unlock(const QString& code);
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
        bool operator==(const State&) const = default;
    };
    State state() const { return {hasPasscode_, isUnlocked_, errorMessage_, verifyingBiometrics_}; }
    void emitIfChanged(const State& before);
    void finishBiometrics(bool success, const std::function<void(bool)>& done);

    Keychain& keychain_;
    Biometrics* biometrics_;
    bool hasPasscode_ = false;
    bool isUnlocked_ = true;
    QString errorMessage_;
    bool verifyingBiometrics_ = false;
    // The last keychain read failed, so whether a code is stored is not known.
    bool storedCodeUnknown_ = false;
    // Tells a late biometric answer apart from the one still awaited.
    quint64 biometricAttempt_ = 0;
};
