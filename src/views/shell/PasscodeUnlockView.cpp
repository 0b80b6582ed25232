#include "views/shell/PasscodeUnlockView.h"

#include <QTimer>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "lock/AppLockModel.h"
#include "platform/Haptics.h"
#include "services/Preferences.h"
#include "views/shell/PasscodeStyle.h"

using namespace passcode_style;

namespace {

constexpr int kRetryBlinkMilliseconds = 180;

}  // namespace

PasscodeUnlockView::PasscodeUnlockView(AppLockModel& appLock, Haptics& haptics, QWidget* parent)
    : QWidget(parent), appLock_(appLock), haptics_(haptics) {
    setObjectName(QStringLiteral("passcodeUnlockView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new PasscodeCanvas(this);
    canvas_->setTitle(QStringLiteral("С возвращением"));
    layout->addWidget(canvas_);
    connect(canvas_, &PasscodeCanvas::keyPressed, this, &PasscodeUnlockView::enter);

    biometricsButton_ = new Button(QStringLiteral("Открыть с Face ID / Touch ID"), Button::Style::Plain,
                                   QStringLiteral("faceid"), this);
    biometricsButton_->setObjectName(QStringLiteral("biometricsButton"));
    biometricsButton_->setTextStyle(TextStyle::Footnote, QFont::DemiBold);
    biometricsButton_->setTint(QColor(Qt::white));
    connect(biometricsButton_, &QAbstractButton::clicked, this, [this] { appLock_.unlockWithBiometrics(); });

    retry_ =
        new Button(QStringLiteral("Повторить"), Button::Style::Bordered, QStringLiteral("arrow.clockwise"));
    retry_->setObjectName(QStringLiteral("keychainRetryButton"));
    retry_->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    retry_->setTint(passcodeLime());
    canvas_->addBelowSubtitle(retry_);
    connect(retry_, &QAbstractButton::clicked, this, &PasscodeUnlockView::retryKeychain);

    // Our own prompt while the fingerprint reader waits for a finger; nearly
    // opaque, so the keypad behind it does not show through its texts.
    prompt_ = new QWidget(this);
    prompt_->setObjectName(QStringLiteral("biometricPrompt"));
    prompt_->setAttribute(Qt::WA_StyledBackground);
    prompt_->setStyleSheet(QStringLiteral("#biometricPrompt { background: rgba(0,0,0,235); }"));
    auto* promptColumn = new QVBoxLayout(prompt_);
    promptColumn->setAlignment(Qt::AlignCenter);
    promptColumn->setSpacing(16);
    auto* finger = new SymbolView(QStringLiteral("faceid"), 54, prompt_);
    finger->setTint(passcodeLime());
    promptColumn->addWidget(finger, 0, Qt::AlignHCenter);
    auto* reason =
        new TextLabel(AppLockModel::kBiometricReasonText, TextStyle::Headline, ColorRole::White, prompt_);
    reason->setColor(Qt::white);
    reason->setAlignment(Qt::AlignHCenter);
    promptColumn->addWidget(reason);
    auto* cancel = new Button(AppLockModel::kBiometricCancelText, Button::Style::Bordered, {}, prompt_);
    cancel->setObjectName(QStringLiteral("biometricCancelButton"));
    cancel->setTint(QColor(Qt::white));
    promptColumn->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QAbstractButton::clicked, this, [this] { appLock_.cancelBiometrics(); });
    prompt_->hide();

    connect(&appLock_, &AppLockModel::changed, this, &PasscodeUnlockView::redraw);
    redraw();
}

bool PasscodeUnlockView::biometricsOffered() const {
    return Preferences::standard().boolean(QStringLiteral("biometricsEnabled"), true) &&
           appLock_.biometricsAvailable();
}

void PasscodeUnlockView::enter(const PasscodeKey& key) {
    if (key.isDelete()) {
        if (!passcode_.isEmpty()) passcode_.chop(1);
        redraw();
        return;
    }
    if (passcode_.size() >= codeLength) return;
    passcode_ += key.digit;
    redraw();
    if (passcode_.size() == codeLength && !appLock_.unlock(passcode_)) {
        ++failedAttempts_;
        haptics_.play(Haptics::Feedback::error);
        passcode_.clear();
        redraw();
    }
}

void PasscodeUnlockView::retryKeychain() {
    if (appLock_.retryKeychain()) return;  // the screen redraws from the model
    haptics_.play(Haptics::Feedback::error);
    // The same text may come back: blink it, so that the tap is seen.
    canvas_->subtitleLabel()->setColor(Qt::transparent);
    QTimer::singleShot(kRetryBlinkMilliseconds, this, &PasscodeUnlockView::redraw);
}

void PasscodeUnlockView::redraw() {
    const QString error = appLock_.errorMessage();
    canvas_->setSubtitle(error.isEmpty() ? QStringLiteral("Введи код, чтобы открыть копилку") : error,
                         !error.isEmpty());
    canvas_->setLength(int(passcode_.size()));
    retry_->setVisible(appLock_.isKeychainUnavailable() && !appLock_.isUnlocked());
    biometricsButton_->setVisible(!appLock_.isVerifyingBiometrics() && biometricsOffered());
    prompt_->setVisible(appLock_.isVerifyingBiometrics());
    if (prompt_->isVisible()) prompt_->raise();
    layoutOverlays();
}

void PasscodeUnlockView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    redraw();
    if (biometricsOffered()) appLock_.unlockWithBiometrics();
}

void PasscodeUnlockView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutOverlays();
}

void PasscodeUnlockView::layoutOverlays() {
    const QSize hint = biometricsButton_->sizeHint();
    biometricsButton_->setGeometry((width() - hint.width()) / 2, height() - hint.height() - 10, hint.width(),
                                   hint.height());
    biometricsButton_->raise();
    prompt_->setGeometry(rect());
}
