#pragma once

#include <QString>
#include <QWidget>

#include "views/shell/PasscodeCanvas.h"

class AppLockModel;
class Button;
class Haptics;

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
