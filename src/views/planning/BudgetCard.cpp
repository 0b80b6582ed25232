#include "views/planning/BudgetCard.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/ProgressBar.h"
#include "components/TextLabel.h"
#include "services/AmountInput.h"
#include "services/GlobalPreferences.h"
#include "services/MoneyText.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"
#include "views/planning/PlannerStyle.h"

BudgetCard::BudgetCard(MoneyStore& store, QWidget* parent)
    : MoneyCard(QStringLiteral("Бюджет месяца"), QStringLiteral("gauge.with.dots.needle.50percent"), nullptr,
                parent),
      store_(store) {
    setObjectName(QStringLiteral("budgetCard"));
    auto* row = new QHBoxLayout;
    row->setSpacing(planner_style::rowGap);
    field_ = new QLineEdit;
    field_->setObjectName(QStringLiteral("budgetField"));
    field_->setPlaceholderText(QStringLiteral("Лимит"));
    field_->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    field_->setAccessibleName(QStringLiteral("Лимит"));
    row->addWidget(field_, 1);
    currency_ = new TextLabel({}, TextStyle::Body, ColorRole::SecondaryLabel);
    currency_->setObjectName(QStringLiteral("budgetCurrency"));
    row->addWidget(currency_);
    save_ = new Button(QStringLiteral("Сохранить"), Button::Style::BorderedProminent);
    save_->setObjectName(QStringLiteral("saveBudgetButton"));
    row->addWidget(save_);
    stack()->addLayout(row);

    lines_ = new QWidget;
    lines_->setObjectName(QStringLiteral("budgetLines"));
    auto* column = new QVBoxLayout(lines_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(planner_style::budgetLinesSpacing);
    bar_ = new ProgressBar;
    bar_->setObjectName(QStringLiteral("budgetBar"));
    column->addWidget(bar_);
    auto* figures = new QHBoxLayout;
    figures->setSpacing(planner_style::rowGap);
    spent_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    spent_->setObjectName(QStringLiteral("budgetSpent"));
    spent_->setWordWrap(true);
    figures->addWidget(spent_, 1);
    rest_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    rest_->setObjectName(QStringLiteral("budgetRest"));
    rest_->setWordWrap(true);
    rest_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    figures->addWidget(rest_, 1);
    column->addLayout(figures);
    safe_ = new SymbolLabel({}, QStringLiteral("shield.checkered"), TextStyle::Subheadline, ColorRole::Teal);
    safe_->setObjectName(QStringLiteral("budgetSafeToday"));
    safe_->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    safe_->titleLabel()->setWordWrap(true);
    column->addWidget(safe_);
    addWidget(lines_);

    connect(save_, &QAbstractButton::clicked, this, &BudgetCard::save);
    connect(field_, &QLineEdit::returnPressed, this, &BudgetCard::save);
}

void BudgetCard::refillField() {
    const std::optional<Decimal>& budget = store_.data().monthlyBudget;
    field_->setText(budget ? budget->toString() : QStringLiteral("0"));
}

void BudgetCard::save() {
    // Never refused: what does not read as an amount (blank, letters) saves
    // 0, which the store keeps as "no budget"; the field keeps its text.
    store_.setMonthlyBudget(parseAmountInput(field_->text()).value_or(Decimal()));
}

void BudgetCard::draw(const Decimal& monthExpense, const Decimal& safeToSpendToday) {
    currency_->setText(GlobalPreferences::currencyCode());
    const Decimal budget = store_.data().monthlyBudget.value_or(Decimal());
    lines_->setVisible(budget.signum() > 0);
    if (budget.signum() <= 0) return;

    const Decimal rest = money::sub(budget, monthExpense);
    // Bar and rest line decide "over" on the same exact amounts.
    const bool over = rest.signum() < 0;
    bar_->setValue(std::min(money::ratio(monthExpense, budget), 1.0));
    bar_->setTint(over ? ColorRole::Red : ColorRole::Teal);
    spent_->setText(QStringLiteral("Потрачено ") + cnyText(monthExpense));
    rest_->setText(over ? QStringLiteral("Перерасход ") + cnyText(money::sub(Decimal(), rest))
                        : QStringLiteral("Осталось ") + cnyText(rest));
    safe_->setText(QStringLiteral("Безопасно сегодня: ") +
                   cnyText(safeToSpendToday));
}
