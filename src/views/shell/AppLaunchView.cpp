#include "views/shell/AppLaunchView.h"

#include "components/Overlays.h"
#include "lock/AppLockModel.h"
#include "platform/ScenePhase.h"
#include "views/shell/LaunchSplashView.h"
#include "views/shell/PasscodeSetupView.h"
#include "views/shell/PasscodeUnlockView.h"
#include "views/shell/SecuritySuggestionView.h"
#include "views/shell/RootView.h"

#include <QTimer>

namespace {

// Takes a screen off the window. Deleted later, not now: the change that
// replaces it often comes from inside it (the unlock screen's own key press).
template <class W>
void retire(QPointer<W>& widget) {
    if (!widget) return;
    widget->hide();
    widget->deleteLater();
    widget = nullptr;
}

}  // namespace

AppLaunchView::AppLaunchView(MoneyStore& store, AppLockModel& appLock, AccountSession& account,
                             const PlatformServices& services, QWidget* parent)
    : QWidget(parent), store_(store), appLock_(appLock), account_(account), services_(services) {
    setObjectName(QStringLiteral("appLaunchView"));
    splashTimer_ = new QTimer(this);
    splashTimer_->setObjectName(QStringLiteral("splashTimer"));
    splashTimer_->setSingleShot(true);
    splashTimer_->setTimerType(Qt::PreciseTimer);
    splashTimer_->setInterval(kSplashMilliseconds);
    connect(splashTimer_, &QTimer::timeout, this, &AppLaunchView::finishSplash);

    connect(&appLock_, &AppLockModel::changed, this, &AppLaunchView::redraw);
    connect(&services_.scenePhase, &ScenePhaseSource::phaseChanged, this, [this](ScenePhase phase) {
        if (phase != ScenePhase::background) return;  // losing focus alone never locks
        appLock_.lock();
        setStage(Stage::ready);
    });
    redraw();
}

AppLaunchView::~AppLaunchView() {
    if (passcodeSheet_) passcodeSheet_->dismiss();
}

void AppLaunchView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    if (stage_ == Stage::splash) splashTimer_->start();
}

void AppLaunchView::finishSplash() {
    // Only while the splash still shows: going to the background during the
    // splash (and whatever the user did since) must not be undone.
    if (stage_ == Stage::splash) setStage(Stage::ready);
}

void AppLaunchView::setStage(Stage stage) {
    if (stage_ == stage) return;
    stage_ = stage;
    if (stage != Stage::splash) splashTimer_->stop();
    redraw();
    emit stageChanged(stage_);
}

AppLaunchView::Position AppLaunchView::wantedPosition() const {
    switch (stage_) {
    case Stage::splash: return Position::splash;
    case Stage::ready:
        return appLock_.hasPasscode() && !appLock_.isUnlocked() ? Position::unlock : Position::rootReady;
    case Stage::continuedWithoutPasscode: return Position::rootContinued;
    }
    return Position::splash;
}

void AppLaunchView::redraw() {
    const Position wanted = wantedPosition();
    if (wanted != position_) {
        clearContent();
        position_ = wanted;
        QWidget* shown = nullptr;
        switch (wanted) {
        case Position::none: break;
        case Position::splash: shown = splash_ = new LaunchSplashView(this); break;
        case Position::unlock: shown = unlock_ = new PasscodeUnlockView(appLock_, services_.haptics, this); break;
        case Position::rootReady:
        case Position::rootContinued:
            shown = root_ = new RootView(store_, appLock_, account_, services_, this);
            break;
        }
        if (shown) {
            shown->setGeometry(rect());
            shown->show();
        }
        if (root_ && shown == root_) emit rootViewCreated(root_);
    }
    updateSuggestion();
}

void AppLaunchView::clearContent() {
    if (root_) closeRootOverlays();
    retire(root_);
    retire(unlock_);
    retire(splash_);
    retire(suggestion_);
}

void AppLaunchView::closeRootOverlays() {
    // Sheets and alerts live in the window's overlay layer, above whatever
    // replaces the root view: none of them may stay over the unlock screen.
    OverlayHost* host = OverlayHost::forWindow(this);
    if (!host) return;
    const QList<Sheet*> sheets = host->sheets();
    for (Sheet* sheet : sheets)
        if (!sheet->isDismissed()) sheet->dismiss();
    for (Alert* alert : host->pendingAlerts()) alert->cancel();
    if (Alert* alert = host->currentAlert()) alert->cancel();
}

void AppLaunchView::updateSuggestion() {
    const bool wanted = position_ == Position::rootReady && !appLock_.hasPasscode();
    if (wanted && !suggestion_) {
        suggestion_ = new SecuritySuggestionView(this);
        connect(suggestion_, &SecuritySuggestionView::createPasscode, this, &AppLaunchView::presentPasscodeSheet);
        connect(suggestion_, &SecuritySuggestionView::continueWithoutPasscode, this,
                [this] { setStage(Stage::continuedWithoutPasscode); });
        suggestion_->setGeometry(rect());
        suggestion_->show();
        suggestion_->raise();
    } else if (!wanted && suggestion_) {
        retire(suggestion_);
    }
}

void AppLaunchView::presentPasscodeSheet() {
    if (passcodeSheet_) return;
    auto* setup = new PasscodeSetupView(appLock_, services_.haptics, passcodeSheetTitle(PasscodeSheet::create));
    Sheet* sheet = Sheet::present(this, setup);
    if (!sheet) {
        delete setup;
        return;
    }
    sheet->setObjectName(QStringLiteral("passcodeSheet_") + passcodeSheetRawValue(PasscodeSheet::create));
    passcodeSheet_ = sheet;
    connect(sheet, &Sheet::dismissed, this, [this, sheet] {
        if (passcodeSheet_ == sheet) passcodeSheet_ = nullptr;
    });
}

void AppLaunchView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutChildren();
}

void AppLaunchView::layoutChildren() {
    for (QWidget* child : {static_cast<QWidget*>(splash_), static_cast<QWidget*>(unlock_),
                           static_cast<QWidget*>(root_), static_cast<QWidget*>(suggestion_)})
        if (child) child->setGeometry(rect());
}
