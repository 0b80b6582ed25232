#pragma once

#include <QString>
#include <QWidget>

#include "views/shell/PasscodeCanvas.h"

class AppLockModel;
class Button;
class Haptics;

// Which sheet of the passcode setup is open; the raw value is its identity.
enum class PasscodeSheet { create, change };
QString passcodeSheetRawValue(PasscodeSheet sheet);  // "create", "change"
QString passcodeSheetTitle(PasscodeSheet sheet);     // "Создай код", "Новый код"

// The sheet in which a new code is typed twice ("Создай код", "Новый код").
// After two equal entries it stores the code through the lock model and
// closes its sheet; "Отмена" closes it storing nothing. A mismatch, or a
// keychain that refuses the code, keeps it open in the confirming step.
class PasscodeSetupView : public QWidget {
    Q_OBJECT
public:
    static const QString kMismatchText;  // "Коды не совпали. Попробуй ещё раз."

    PasscodeSetupView(AppLockModel& appLock, Haptics& haptics, const QString& title,
                      QWidget* parent = nullptr);

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
