#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class AppLockModel;
class Button;
class Haptics;
class QVBoxLayout;
class QVariantAnimation;
class TextLabel;

// The lime of the lock screens, the splash and the family sign-in badge.
QColor passcodeLime();

// Which sheet of the passcode setup is open; the raw value is its identity.
enum class PasscodeSheet { create, change };
QString passcodeSheetRawValue(PasscodeSheet sheet);  // "create", "change"
QString passcodeSheetTitle(PasscodeSheet sheet);     // "Создай код", "Новый код"

// One key of the keypad: a digit ("0" to "9") or delete (empty digit).
struct PasscodeKey {
    QString digit;
    bool isDelete() const { return digit.isEmpty(); }
    static PasscodeKey deleteKey() { return {}; }
    bool operator==(const PasscodeKey&) const = default;
};

// The four dots of a code being typed.
class PasscodeDots : public QWidget {
    Q_OBJECT
public:
    explicit PasscodeDots(QWidget* parent = nullptr);
    void setLength(int length);
    int length() const { return length_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int length_ = 0;
};

// The dark canvas shared by the unlock screen and the setup sheet: lock badge,
// title, subtitle (red while an error shows), four dots and the keypad. Keys
// are buttons named "passcodeKey_<digit>" and "passcodeDelete"; the digits and
// Backspace of the keyboard press them too.
class PasscodeCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PasscodeCanvas(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setSubtitle(const QString& subtitle, bool isError);
    void setLength(int length);
    // A control under the subtitle, owned by the canvas from then on.
    void addBelowSubtitle(QWidget* widget);

    QString title() const;
    QString subtitle() const;
    bool isError() const { return isError_; }
    int length() const;
    QAbstractButton* key(const QString& digit) const;  // "0".."9"
    QAbstractButton* deleteKey() const { return delete_; }
    TextLabel* titleLabel() const { return title_; }
    TextLabel* subtitleLabel() const { return subtitle_; }

signals:
    void keyPressed(const PasscodeKey& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitTitle();

    TextLabel* title_;
    TextLabel* subtitle_;
    QVBoxLayout* texts_;
    PasscodeDots* dots_;
    QList<QAbstractButton*> keys_;
    QAbstractButton* delete_;
    bool isError_ = false;
};

// The unlock screen: the canvas titled "С возвращением"; the fourth digit
// checks the code at once, a wrong code empties the dots and plays the error
// feedback. While the keychain cannot be read the subtitle says so and
// "Повторить" asks it again. Offers the fingerprint when "biometricsEnabled" is on and a reader
// is there, and asks for it once each time the screen is shown.
class PasscodeUnlockView : public QWidget {
    Q_OBJECT
public:
    PasscodeUnlockView(AppLockModel& appLock, Haptics& haptics, QWidget* parent = nullptr);

    void enter(const PasscodeKey& key);
    QString passcode() const { return passcode_; }
    int failedAttempts() const { return failedAttempts_; }
    PasscodeCanvas* canvas() const { return canvas_; }
    // "Открыть с Face ID / Touch ID"; hidden when not offered.
    Button* biometricsButton() const { return biometricsButton_; }
    // The prompt shown while a fingerprint check runs (hidden otherwise).
    QWidget* biometricPrompt() const { return prompt_; }
    // "Повторить", under the subtitle while the keychain cannot be read.
    Button* retryButton() const { return retry_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool biometricsOffered() const;
    void redraw();
    void layoutOverlays();
    void retryKeychain();

    AppLockModel& appLock_;
    Haptics& haptics_;
    PasscodeCanvas* canvas_;
    Button* biometricsButton_;
    Button* retry_;
    QWidget* prompt_;
    QString passcode_;
    int failedAttempts_ = 0;
};

// The sheet in which a new code is typed twice ("Создай код", "Новый код").
// After two equal entries it stores the code through the lock model and
// closes its sheet; "Отмена" closes it storing nothing. A mismatch, or a
// keychain that refuses the code, keeps it open in the confirming step.
class PasscodeSetupView : public QWidget {
    Q_OBJECT
public:
    static const QString kMismatchText;  // "Коды не совпали. Попробуй ещё раз."

    PasscodeSetupView(AppLockModel& appLock, Haptics& haptics, const QString& title, QWidget* parent = nullptr);

    void enter(const PasscodeKey& key);
    bool isConfirming() const { return isConfirming_; }
    QString passcode() const { return passcode_; }
    int mismatchCount() const { return mismatchCount_; }
    QString message() const { return message_; }
    PasscodeCanvas* canvas() const { return canvas_; }
    Button* cancelButton() const { return cancel_; }

signals:
    // Once, when the sheet closes itself: stored is true after a saved code.
    void finished(bool stored);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void redraw();
    void close(bool stored);

    AppLockModel& appLock_;
    Haptics& haptics_;
    QString title_;
    PasscodeCanvas* canvas_;
    Button* cancel_;
    QString firstPasscode_;
    QString passcode_;
    bool isConfirming_ = false;
    int mismatchCount_ = 0;
    QString message_;
    bool closed_ = false;
};

// The splash: black, two blurred circles and the wordmark, which springs into
// place once when first shown.
class LaunchSplashView : public QWidget {
    Q_OBJECT
public:
    explicit LaunchSplashView(QWidget* parent = nullptr);
    bool appeared() const { return appeared_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool appeared_ = false;
    qreal progress_ = 0;  // 0: before appearing, 1: in place
    QVariantAnimation* animation_ = nullptr;
};

// The card over the root view that suggests a code while none exists.
// Buttons: "suggestionCreateButton", "suggestionLaterButton".
class SecuritySuggestionView : public QWidget {
    Q_OBJECT
public:
    explicit SecuritySuggestionView(QWidget* parent = nullptr);
    Button* createButton() const { return create_; }
    Button* laterButton() const { return later_; }

signals:
    void createPasscode();
    void continueWithoutPasscode();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Button* create_;
    Button* later_;
};
