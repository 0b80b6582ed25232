#pragma once

#include <QHash>
#include <QWidget>

struct PlatformServices;
class AppLockModel;
class AppearanceCard;
class Button;
class FinanceCard;
class MoneyStore;
class NavigationPage;
class QLineEdit;
class SecurityCard;
class TextLabel;
class ToggleRow;

// The settings: six cards (profile, security, appearance, the piggy bank's
// settings, comfort, about) that edit the app-wide preferences, the ledger's
// own settings and the passcode. It is the content of the page the planner
// pushes (see page()); that page calls appear() each time it is shown.
//
// Preferences are written at once by each control and shown again whenever
// any writer changes them; the screen keeps no copy.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    SettingsView(MoneyStore& store, AppLockModel& appLock, const PlatformServices& services,
                 QWidget* parent = nullptr);

    // "Настройки": the screen scrolling in a padded page on the grouped background.
    static NavigationPage* page(MoneyStore& store, AppLockModel& appLock, const PlatformServices& services);

    // The page came on screen: fills the finance fields (once) and asks
    // whether the fingerprint can be offered.
    void appear();
    // Asks for permission to post goal notifications, as the button does.
    void requestNotifications();

    QLineEdit* profileField() const { return profile_; }
    // The switches by preference key.
    ToggleRow* toggle(const QString& key) const { return toggles_.value(key); }
    SecurityCard* securityCard() const { return security_; }
    AppearanceCard* appearanceCard() const { return appearance_; }
    FinanceCard* financeCard() const { return finance_; }
    Button* notificationsButton() const { return notify_; }
    TextLabel* notificationsStatus() const { return notifyStatus_; }
    TextLabel* aboutCurrency() const { return aboutCurrency_; }

private:
    QWidget* buildProfileCard();
    QWidget* buildComfortCard();
    QWidget* buildAboutCard();
    ToggleRow* addToggle(const QString& title, const QString& key, bool fallback);
    void showPreferences(const QString& key);

    const PlatformServices& services_;
    QLineEdit* profile_;
    QHash<QString, ToggleRow*> toggles_;
    SecurityCard* security_;
    AppearanceCard* appearance_;
    FinanceCard* finance_;
    Button* notify_;
    TextLabel* notifyStatus_;
    TextLabel* aboutCurrency_;
};
