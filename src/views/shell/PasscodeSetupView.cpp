#include "views/shell/PasscodeSetupView.h"

#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Overlays.h"
#include "lock/AppLockModel.h"
#include "platform/Haptics.h"
#include "views/shell/PasscodeStyle.h"

using namespace passcode_style;

QString passcodeSheetRawValue(PasscodeSheet sheet) {
    return sheet == PasscodeSheet::create ? QStringLiteral("create") : QStringLiteral("change");
}

QString passcodeSheetTitle(PasscodeSheet sheet) {
    return sheet == PasscodeSheet::create ? QStringLiteral("Создай код") : QStringLiteral("Новый код");
}

const QString PasscodeSetupView::kMismatchText = QStringLiteral("Коды не совпали. Попробуй ещё раз.");

PasscodeSetupView::PasscodeSetupView(AppLockModel& appLock, Haptics& haptics, const QString& title,
                                     QWidget* parent)
    : QWidget(parent), appLock_(appLock), haptics_(haptics), title_(title) {
    setObjectName(QStringLiteral("passcodeSetupView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    canvas_ = new PasscodeCanvas(this);
    layout->addWidget(canvas_);
    connect(canvas_, &PasscodeCanvas::keyPressed, this, &PasscodeSetupView::enter);

    cancel_ = new Button(QStringLiteral("Отмена"), Button::Style::Plain, {}, this);
    cancel_->setObjectName(QStringLiteral("passcodeCancelButton"));
    cancel_->setTint(QColor(Qt::white));
    connect(cancel_, &QAbstractButton::clicked, this, [this] { close(false); });
    redraw();
}

void PasscodeSetupView::enter(const PasscodeKey& key) {
    if (closed_) return;
    if (key.isDelete()) {
        if (!passcode_.isEmpty()) passcode_.chop(1);
        redraw();
        return;
    }
    if (passcode_.size() >= codeLength) return;
    message_.clear();
    passcode_ += key.digit;
    if (passcode_.size() == codeLength) {
        if (!isConfirming_) {
            firstPasscode_ = passcode_;
            passcode_.clear();
            isConfirming_ = true;
        } else if (passcode_ != firstPasscode_) {
            ++mismatchCount_;
            haptics_.play(Haptics::Feedback::error);
            message_ = kMismatchText;
            passcode_.clear();
        } else if (appLock_.setPasscode(passcode_)) {
            passcode_.clear();
            redraw();
            close(true);
            return;
        } else {
            // The keychain refused the code: say so, not that the codes differ.
            haptics_.play(Haptics::Feedback::error);
            message_ = appLock_.errorMessage();
            if (message_.isEmpty()) message_ = AppLockModel::kSaveFailedText;
            passcode_.clear();
        }
    }
    redraw();
}

void PasscodeSetupView::redraw() {
    canvas_->setTitle(isConfirming_ ? QStringLiteral("Повтори код") : title_);
    if (!message_.isEmpty())
        canvas_->setSubtitle(message_, true);
    else
        canvas_->setSubtitle(isConfirming_ ? QStringLiteral("Введи те же четыре цифры ещё раз")
                                           : QStringLiteral("Он защитит баланс и историю операций"),
                             false);
    canvas_->setLength(int(passcode_.size()));
}

void PasscodeSetupView::close(bool stored) {
    if (closed_) return;
    closed_ = true;
    emit finished(stored);
    if (Sheet* sheet = Sheet::of(this)) sheet->dismiss();
}

void PasscodeSetupView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The canvas runs to the sheet's top edge, under its grabber.
    if (Sheet* sheet = Sheet::of(this)) sheet->setBackground(Qt::black);
}

void PasscodeSetupView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize hint = cancel_->sizeHint();
    cancel_->setGeometry(16, 12, hint.width(), hint.height());
    cancel_->raise();
}
