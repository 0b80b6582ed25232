#pragma once

#include <QPointer>

#include "components/MoneyCard.h"
#include "components/Overlays.h"
#include "views/shell/PasscodeSetupView.h"

class AppLockModel;
class Button;
class Haptics;
class SymbolView;
class TextLabel;
class ToggleRow;

// "Безопасность": whether a code guards the piggy bank, the button that creates
// or changes it (in a setup sheet), and while a code is set the fingerprint
// switch (only where a reader can be used) and "Убрать код" behind an alert.
//
// Whether a reader can be used blocks on the system bus, so it is asked only
// by refreshBiometrics(): when the page appears and when a code comes or goes.
// A refused removal keeps the code and shows the lock model's error in red.
class SecurityCard : public MoneyCard {
    Q_OBJECT
public:
    SecurityCard(AppLockModel& appLock, Haptics& haptics, QWidget* parent = nullptr);
    ~SecurityCard() override;

    void refreshBiometrics();
    void presentPasscodeSheet(PasscodeSheet which);
    void confirmRemoval();

    TextLabel* statusTitle() const { return title_; }
    SymbolView* statusSymbol() const { return symbol_; }
    Button* passcodeButton() const { return codeButton_; }
    ToggleRow* biometricsToggle() const { return biometrics_; }
    Button* removeButton() const { return remove_; }
    TextLabel* errorLabel() const { return error_; }
    Sheet* passcodeSheet() const { return sheet_; }
    Alert* removalAlert() const { return alert_; }

private:
    void lockChanged();
    void redraw();
    void removePasscode();

    AppLockModel& appLock_;
    Haptics& haptics_;
    SymbolView* symbol_;
    TextLabel* title_;
    TextLabel* caption_;
    Button* codeButton_;
    ToggleRow* biometrics_;
    Button* remove_;
    TextLabel* error_;
    QPointer<Sheet> sheet_;
    QPointer<Alert> alert_;
    bool hadPasscode_;
    bool biometricsAvailable_ = false;
    bool removalRefused_ = false;
};
