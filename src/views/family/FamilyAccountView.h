#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include "components/ListPickerSheet.h"
#include "components/NavigationStack.h"
#include "platform/PlatformServices.h"

class AccountSession;
class Button;
class PageBody;
class QAction;
class QLineEdit;
class QMenu;
class TextLabel;

// The family tab of both builds: the sign-in form while nobody is signed in;
// once someone is, the family screen of the build (the parent center or the
// child's family screen, chosen by the build role alone) with the
// "Язык и валюта" menu, whose changes are sent to the family server. Each
// time the page is shown it asks the session to restore the saved sign-in.
// The typed e-mail and password live as long as the page.
class FamilyAccountView : public NavigationPage {
    Q_OBJECT
public:
    FamilyAccountView(AccountSession& account, const PlatformServices& services, QWidget* parent = nullptr);

    // The host named in the sign-in hint: the family server's.
    QString signInHost() const;
    // The sign-in button's rule: an e-mail (blanks count), a password of at
    // least 8 characters, and no sign-in running.
    static bool canSignIn(const QString& email, const QString& password, bool busy);

    // For tests.
    QWidget* loginView() const { return loginView_; }
    QWidget* familyView() const { return familyView_; }
    PageBody* loginScroll() const { return loginScroll_; }
    QLineEdit* emailField() const { return email_; }
    QLineEdit* passwordField() const { return password_; }
    Button* signInButton() const { return signIn_; }
    TextLabel* errorLabel() const { return error_; }
    Button* preferencesButton() const { return menuButton_; }
    QMenu* preferencesMenu() const { return menu_; }
    QAction* currencyAction() const { return currencyAction_; }
    QAction* languageAction() const { return languageAction_; }
    // The parent center's menu ("Обновить", "Выйти"); null in the child's build.
    Button* centerMenuButton() const { return centerMenuButton_; }
    QMenu* centerMenu() const { return centerMenu_; }
    QAction* refreshAction() const { return refreshAction_; }
    QAction* signOutAction() const { return signOutAction_; }
    // The two pickers, each a list sheet over the window, filled from the
    // catalogues when opened; a pick writes the preference.
    ListPickerSheet* showCurrencyPicker();
    ListPickerSheet* showLanguagePicker();

private:
    void redraw();
    void updateForm();
    void startSignIn();
    void preferenceChanged(const QString& key);
    void syncPreferences();
    void choose(const QString& key, const QString& value);
    void updateMenuRows();
    ListPickerSheet* showPicker(const QString& title, const QString& key, const QList<ListPickerEntry>& rows,
                                const QString& current);

    AccountSession& account_;
    PlatformServices services_;
    PageBody* loginScroll_ = nullptr;
    QWidget* loginView_ = nullptr;
    QPointer<QWidget> familyView_;
    PageBody* familyBody_ = nullptr;  // the body the family screen scrolls in
    QLineEdit* email_ = nullptr;
    QLineEdit* password_ = nullptr;
    TextLabel* error_ = nullptr;
    Button* signIn_ = nullptr;
    Button* menuButton_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* currencyAction_ = nullptr;
    QAction* languageAction_ = nullptr;
    Button* centerMenuButton_ = nullptr;
    QMenu* centerMenu_ = nullptr;
    QAction* refreshAction_ = nullptr;
    QAction* signOutAction_ = nullptr;
    QPointer<ListPickerSheet> picker_;  // the open picker, closed on sign-out
    // The preference values last seen, so that writing an equal value syncs nothing.
    QString currencyCode_;
    QString languageCode_;
};
