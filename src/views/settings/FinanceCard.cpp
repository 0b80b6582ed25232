#include "views/settings/FinanceCard.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Overlays.h"
#include "components/TextLabel.h"
#include "platform/Haptics.h"
#include "services/AmountInput.h"
#include "services/GlobalPreferences.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/settings/SettingsBindings.h"
#include "views/settings/SettingsStyle.h"

namespace {

const QString kCurrencyKey = QString::fromLatin1(GlobalPreferences::kCurrencyCodeKey);

}  // namespace

FinanceCard::FinanceCard(MoneyStore& store, Haptics& haptics, QWidget* parent)
    : MoneyCard(QStringLiteral("Настройки копилки"), QStringLiteral("slider.horizontal.3"), nullptr, parent),
      store_(store),
      haptics_(haptics) {
    setObjectName(QStringLiteral("financeCard"));
    QVBoxLayout* rows = cardColumn(this);

    name_ = new QLineEdit;
    name_->setObjectName(QStringLiteral("goalNameField"));
    name_->setPlaceholderText(QStringLiteral("Название главной цели"));
    name_->setAccessibleName(name_->placeholderText());
    rows->addWidget(name_);
    rows->addWidget(moneyField(QStringLiteral("Сумма цели"), QStringLiteral("goalAmountField")));
    rows->addWidget(moneyField(QStringLiteral("Дневной лимит"), QStringLiteral("dailyLimitField")));
    rows->addWidget(moneyField(QStringLiteral("Начальный баланс"), QStringLiteral("startingBalanceField")));

    save_ = new Button(QStringLiteral("Сохранить настройки"), Button::Style::BorderedProminent,
                       QStringLiteral("checkmark.circle.fill"));
    save_->setObjectName(QStringLiteral("saveSettingsButton"));
    save_->setFullWidth(true);
    connect(save_, &QAbstractButton::clicked, this, &FinanceCard::save);
    rows->addWidget(save_);

    showCurrency();
    updateSaveButton();
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key == kCurrencyKey) showCurrency();
    });
}

FinanceCard::~FinanceCard() {
    if (errorAlert_) {
        disconnect(errorAlert_, nullptr, this, nullptr);
        errorAlert_->cancel();
    }
}

QWidget* FinanceCard::moneyField(const QString& title, const QString& objectName) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, settings_style::amountRowPadding, 0, settings_style::amountRowPadding);
    auto* label = new TextLabel(title, TextStyle::Body);
    label->setWordWrap(true);
    auto* field = new QLineEdit;
    field->setObjectName(objectName);
    field->setPlaceholderText(QStringLiteral("0"));
    field->setAccessibleName(title);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    field->setMaximumWidth(settings_style::amountFieldWidth);
    connect(field, &QLineEdit::textChanged, this, &FinanceCard::updateSaveButton);
    connect(field, &QLineEdit::returnPressed, this, &FinanceCard::save);
    auto* code = new TextLabel(QString(), TextStyle::Caption, ColorRole::SecondaryLabel);
    line->addWidget(label, 1);
    line->addWidget(field);
    line->addWidget(code);
    amounts_.append(field);
    codes_.append(code);
    return row;
}

void FinanceCard::showCurrency() {
    // The raw preference, as stored (the code itself, like "CNY").
    const QString code =
        storedPreference(kCurrencyKey, QString::fromLatin1(GlobalPreferences::kDefaultCurrencyCode));
    for (TextLabel* label : codes_) label->setText(code);
}

void FinanceCard::fill() {
    if (loaded_) return;
    loaded_ = true;
    const MoneyData& data = store_.data();
    name_->setText(data.goalName);
    const Decimal values[] = {data.goalAmount, data.dailyLimit, data.startingBalance};
    for (int i = 0; i < amounts_.size(); ++i) amounts_[i]->setText(values[i].toString());
}

void FinanceCard::updateSaveButton() {
    bool valid = true;
    for (QLineEdit* field : amounts_) valid = valid && parseAmountInput(field->text()).has_value();
    save_->setEnabled(valid);
}

void FinanceCard::save() {
    const std::optional<Decimal> goal = parseAmountInput(goalAmountField()->text());
    const std::optional<Decimal> limit = parseAmountInput(dailyLimitField()->text());
    const std::optional<Decimal> start = parseAmountInput(startingBalanceField()->text());
    if (!goal || !limit || !start) return;
    store_.updateSettings(name_->text().trimmed(), *goal, *limit, *start);
    const std::optional<QString>& error = store_.saveError();
    if (!error) {
        haptics_.playSaveOutcome(Haptics::Feedback::success, QStringLiteral("Сохранено"));
        return;
    }
    // A write that failed is no success: say so, as the dashboard does.
    haptics_.playSaveOutcome(Haptics::Feedback::error, QStringLiteral("Ошибка сохранения"));
    if (errorAlert_) return;
    errorAlert_ = Alert::present(this, QStringLiteral("Ошибка сохранения"), *error,
                                 {{QStringLiteral("Хорошо"), AlertButton::Role::Cancel}});
    if (errorAlert_)
        connect(errorAlert_, &Alert::finished, this, [this] { store_.setSaveError(std::nullopt); });
}
