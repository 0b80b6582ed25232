#include "views/settings/SecurityCard.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Overlays.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"
#include "lock/AppLockModel.h"
#include "views/settings/SettingsBindings.h"
#include "views/settings/SettingsStyle.h"

SecurityCard::SecurityCard(AppLockModel& appLock, Haptics& haptics, QWidget* parent)
    : MoneyCard(QStringLiteral("Безопасность"), QStringLiteral("lock.shield.fill"), nullptr, parent),
      appLock_(appLock),
      haptics_(haptics),
      hadPasscode_(appLock.hasPasscode()) {
    setObjectName(QStringLiteral("securityCard"));
    QVBoxLayout* rows = cardColumn(this);

    auto* status = new QHBoxLayout;
    status->setSpacing(settings_style::statusSpacing);
    symbol_ = new SymbolView(QString(), settings_style::statusSymbolSize);
    symbol_->setObjectName(QStringLiteral("securitySymbol"));
    auto* texts = new QVBoxLayout;
    texts->setSpacing(settings_style::statusTextSpacing);
    title_ = new TextLabel(QString(), TextStyle::Body);
    title_->setTextStyle(TextStyle::Body, QFont::DemiBold);
    title_->setObjectName(QStringLiteral("securityTitle"));
    title_->setWordWrap(true);
    caption_ = new TextLabel(QString(), TextStyle::Caption, ColorRole::SecondaryLabel);
    caption_->setObjectName(QStringLiteral("securityCaption"));
    caption_->setWordWrap(true);
    texts->addWidget(title_);
    texts->addWidget(caption_);
    status->addWidget(symbol_, 0, Qt::AlignVCenter);
    status->addLayout(texts, 1);
    rows->addLayout(status);

    codeButton_ = new Button(QString(), Button::Style::BorderedProminent, QStringLiteral("key.fill"));
    codeButton_->setObjectName(QStringLiteral("passcodeButton"));
    connect(codeButton_, &QAbstractButton::clicked, this, [this] {
        presentPasscodeSheet(appLock_.hasPasscode() ? PasscodeSheet::change : PasscodeSheet::create);
    });
    rows->addWidget(codeButton_, 0, Qt::AlignLeft);

    biometrics_ =
        preferenceToggle(QStringLiteral("Face ID / Touch ID"), QStringLiteral("biometricsEnabled"), true);
    rows->addWidget(biometrics_);

    remove_ =
        new Button(QStringLiteral("Убрать код"), Button::Style::Plain, QStringLiteral("lock.open.fill"));
    remove_->setRole(Button::Role::Destructive);
    remove_->setObjectName(QStringLiteral("removePasscodeButton"));
    connect(remove_, &QAbstractButton::clicked, this, &SecurityCard::confirmRemoval);
    rows->addWidget(remove_, 0, Qt::AlignLeft);

    error_ = new TextLabel(QString(), TextStyle::Caption, ColorRole::Red);
    error_->setObjectName(QStringLiteral("lockError"));
    error_->setWordWrap(true);
    rows->addWidget(error_);

    connect(&appLock_, &AppLockModel::changed, this, &SecurityCard::lockChanged);
    redraw();
}

SecurityCard::~SecurityCard() {
    // The alert lives in the window's overlay host; take it along.
    if (alert_) {
        disconnect(alert_, nullptr, this, nullptr);
        alert_->cancel();
    }
}

void SecurityCard::refreshBiometrics() {
    // Without a code the switch is hidden: no need to wait for the bus.
    biometricsAvailable_ = appLock_.hasPasscode() && appLock_.biometricsAvailable();
    redraw();
}

void SecurityCard::lockChanged() {
    if (appLock_.hasPasscode() != hadPasscode_) {
        hadPasscode_ = appLock_.hasPasscode();
        removalRefused_ = false;
        refreshBiometrics();
        return;
    }
    redraw();
}

void SecurityCard::redraw() {
    const bool code = appLock_.hasPasscode();
    symbol_->setSymbol(code ? QStringLiteral("checkmark.shield.fill")
                            : QStringLiteral("exclamationmark.shield.fill"));
    symbol_->setTint(code ? ColorRole::Green : ColorRole::Orange);
    title_->setText(code ? QStringLiteral("Копилка защищена") : QStringLiteral("Код не установлен"));
    caption_->setText(code ? QStringLiteral("Код запрашивается при каждом входе")
                           : QStringLiteral("Установи код из четырёх цифр"));
    codeButton_->setText(code ? QStringLiteral("Изменить код") : QStringLiteral("Создать код"));
    codeButton_->setAccessibleName(codeButton_->text());
    biometrics_->setVisible(code && biometricsAvailable_);
    remove_->setVisible(code);
    const QString error = removalRefused_ && code ? appLock_.errorMessage() : QString();
    error_->setText(error);
    error_->setVisible(!error.isEmpty());
}

void SecurityCard::presentPasscodeSheet(PasscodeSheet which) {
    if (sheet_) return;
    auto* setup = new PasscodeSetupView(appLock_, haptics_, passcodeSheetTitle(which));
    Sheet* sheet = Sheet::present(this, setup);
    if (!sheet) {
        delete setup;
        return;
    }
    sheet->setObjectName(QStringLiteral("passcodeSheet_") + passcodeSheetRawValue(which));
    sheet_ = sheet;
    removalRefused_ = false;
    redraw();
    // Every way of closing (the setup's own close, a swipe, Escape) ends here.
    connect(sheet, &Sheet::dismissed, this, [this, sheet] {
        if (sheet_ == sheet) sheet_ = nullptr;
    });
}

void SecurityCard::confirmRemoval() {
    if (alert_) return;
    alert_ = Alert::present(this, QStringLiteral("Убрать защиту?"),
                            QStringLiteral("При следующем входе приложение больше не будет запрашивать код."),
                            {{QStringLiteral("Отмена"), AlertButton::Role::Cancel},
                             {QStringLiteral("Убрать код"), AlertButton::Role::Destructive,
                              [self = QPointer<SecurityCard>(this)] {
                                  if (self) self->removePasscode();
                              }}});
}

void SecurityCard::removePasscode() {
    // A keychain that refuses leaves the code in force; the model says why.
    removalRefused_ = !appLock_.removePasscode();
    redraw();
}
