#pragma once

#include "platform/PlatformServices.h"

#include <QPointer>
#include <QWidget>

class AccountSession;
class AppLockModel;
class LaunchSplashView;
class MoneyStore;
class PasscodeUnlockView;
class RootView;
class SecuritySuggestionView;
class Sheet;
class QTimer;

// The window's content: the splash, then the unlock screen while a stored
// code has not been entered, otherwise the root view (with the card that
// suggests a passcode laid over it while none exists). Going to the
// background locks the app and brings back the unlock screen.
//
// A new root view is built every time the root view comes back on screen
// after something else replaced it (after every unlock, and when the stage
// returns to ready after "Пока без кода"); the suggestion coming or going
// keeps the root view that is there.
//
//   AppLaunchView launch(store, appLock, account, services);   // in main()
//   window.setCentralWidget(&launch);
class AppLaunchView : public QWidget {
    Q_OBJECT
public:
    enum class Stage { splash, ready, continuedWithoutPasscode };
    Q_ENUM(Stage)

    // How long the splash stays, in milliseconds.
    static constexpr int kSplashMilliseconds = 1450;

    // All references must outlive the view. The scene phase of `services`
    // drives the relock; its haptics, biometrics (through the lock model) and
    // outside entries reach the screens below.
    AppLaunchView(MoneyStore& store, AppLockModel& appLock, AccountSession& account,
                  const PlatformServices& services, QWidget* parent = nullptr);
    ~AppLaunchView() override;

    Stage stage() const { return stage_; }

    // What is on screen now (null when not shown).
    RootView* rootView() const { return root_; }
    PasscodeUnlockView* unlockView() const { return unlock_; }
    SecuritySuggestionView* suggestionView() const { return suggestion_; }
    LaunchSplashView* splashView() const { return splash_; }
    // The passcode sheet opened from the suggestion (null when closed).
    Sheet* passcodeSheet() const { return passcodeSheet_; }

    // What the splash timer does when it fires: moves on to ready, but only
    // while the splash is still showing. Public so tests need not wait.
    void finishSplash();
    QTimer* splashTimer() const { return splashTimer_; }

signals:
    // A new root view was built and shown.
    void rootViewCreated(RootView* root);
    void stageChanged(AppLaunchView::Stage stage);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Position { none, splash, unlock, rootReady, rootContinued };
    void setStage(Stage stage);
    Position wantedPosition() const;
    void redraw();
    void clearContent();
    void closeRootOverlays();
    void updateSuggestion();
    void presentPasscodeSheet();
    void layoutChildren();

    MoneyStore& store_;
    AppLockModel& appLock_;
    AccountSession& account_;
    PlatformServices services_;

    Stage stage_ = Stage::splash;
    Position position_ = Position::none;
    bool shownOnce_ = false;
    QTimer* splashTimer_;
    QPointer<LaunchSplashView> splash_;
    QPointer<PasscodeUnlockView> unlock_;
    QPointer<RootView> root_;
    QPointer<SecuritySuggestionView> suggestion_;
    QPointer<Sheet> passcodeSheet_;
};
