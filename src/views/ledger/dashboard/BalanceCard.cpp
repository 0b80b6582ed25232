#include "views/ledger/dashboard/BalanceCard.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/ProgressBar.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "services/MoneyText.h"
#include "services/Preferences.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"
#include "views/ledger/LedgerFigures.h"
#include "views/ledger/DashboardParts.h"
#include "views/ledger/dashboard/DashboardKit.h"
#include "views/ledger/dashboard/DashboardStyle.h"

using namespace dashboard;
namespace style = dashboard_style;

BalanceCard::BalanceCard(MoneyStore& store, QWidget* parent) : Card(parent), store_(store) {
    const QColor white(Qt::white);
    setObjectName(QStringLiteral("balanceCard"));
    setRadius(style::balanceCardRadius);
    setPadding(style::balanceCardPadding);
    setSpacing(style::balanceCardSpacing);
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(style::balanceShadowBlur);
    shadow->setOffset(0, style::balanceShadowOffset);
    setGraphicsEffect(shadow);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    auto* brand = new SymbolLabel(QStringLiteral("ZANBECK"), QStringLiteral("wallet.bifold.fill"),
                                  TextStyle::Subheadline);
    brand->setTextStyle(TextStyle::Subheadline, QFont::Bold);
    brand->setColor(white);
    top->addWidget(brand);
    top->addStretch(1);
    auto* badge = new CapsuleLabel(whiteAt(0.16));
    currencyBadge_ = badge->label();
    currencyBadge_->setObjectName(QStringLiteral("currencyBadge"));
    currencyBadge_->setTextStyle(TextStyle::Caption, QFont::Bold);
    currencyBadge_->setColor(white);
    top->addWidget(badge);
    stack()->addLayout(top);

    auto* amount = new QVBoxLayout;
    amount->setSpacing(4);
    auto* caption = new TextLabel(QStringLiteral("В копилке"), TextStyle::Subheadline);
    caption->setColor(whiteAt(0.75));
    amount->addWidget(caption);
    balanceText_ = new TextLabel({}, TextStyle::LargeTitle);
    balanceText_->setObjectName(QStringLiteral("balanceText"));
    balanceText_->setTextStyle(TextStyle::LargeTitle, QFont::Bold);
    balanceText_->setColor(white);
    balanceText_->setMinimumScaleFactor(TextFit::kMinimumScale);
    amount->addWidget(balanceText_);
    stack()->addLayout(amount);

    budget_ = new QWidget;
    budget_->setObjectName(QStringLiteral("budgetSection"));
    auto* budget = listLayout(budget_, 6);
    budgetBar_ = new ProgressBar;
    budgetBar_->setObjectName(QStringLiteral("budgetBar"));
    budget->addWidget(budgetBar_);
    budgetText_ = new TextLabel({}, TextStyle::Caption);
    budgetText_->setObjectName(QStringLiteral("budgetText"));
    budgetText_->setTextStyle(TextStyle::Caption, QFont::DemiBold);
    budgetText_->setColor(whiteAt(0.85));
    budget->addWidget(budgetText_);
    addWidget(budget_);
}

void BalanceCard::draw() {
    const bool masked = hideBalances();
    const QColor teal = Theme::current().color(ColorRole::Teal);
    setGradient(QColor::fromRgbF(0.04f, 0.38f, 0.42f, 1.0f), teal);
    if (auto* shadow = qobject_cast<QGraphicsDropShadowEffect*>(graphicsEffect()))
        shadow->setColor(tealAt(0.18));
    currencyBadge_->setText(
        Preferences::standard().string(QStringLiteral("currencyCode"), QStringLiteral("CNY")));

    LedgerFigures figures(store_);
    const Decimal balance = figures.balance();
    balanceText_->setText(masked ? dashboard::mask() : cnyText(balance));
    // The spoken label always tells the real balance.
    setAccessibleName(QStringLiteral("В копилке ") + cnyText(balance));

    const Decimal budget = store_.data().monthlyBudget.value_or(Decimal());
    budget_->setVisible(budget.signum() > 0);
    if (budget.signum() <= 0) return;
    const Decimal spent = figures.monthExpense();
    const Decimal rest = budget - spent;
    // Over budget is decided on the exact amounts, so bar and line always agree.
    const bool over = rest.signum() < 0;
    budgetBar_->setValue(std::min(money::ratio(spent, budget), 1.0));
    budgetBar_->setTint(over ? Theme::current().color(ColorRole::Red) : QColor(Qt::white));
    budgetText_->setText(over ? QStringLiteral("Бюджет превышен")
                              : QStringLiteral("Бюджет: осталось ") +
                                    (masked ? dashboard::mask() : cnyText(rest)));
}
