#include "views/ledger/dashboard/TodayCard.h"

#include "components/MoneyCard.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "views/ledger/LedgerFigures.h"
#include "views/ledger/dashboard/DashboardStyle.h"

TodayCard::TodayCard(MoneyStore& store, QWidget* parent)
    : AdaptiveGrid(dashboard_style::todayColumnMinimum, dashboard_style::gridSpacing, parent), store_(store) {
    setObjectName(QStringLiteral("todayGrid"));
    const auto makeCard = [this](const QString& title, const QString& symbol, ColorRole colour,
                                 const QString& name) {
        MoneyCard* card = MoneyCard::withText(title, symbol, {}, TextStyle::Title3);
        TextLabel* amount = card->textLabel();
        amount->setObjectName(name);
        amount->setTextStyle(TextStyle::Title3, QFont::Bold);
        amount->setColorRole(colour);
        amount->setMinimumScaleFactor(TextFit::kMinimumScale);
        addWidget(card);
        return amount;
    };
    income_ = makeCard(QStringLiteral("Заработано"), QStringLiteral("arrow.down.left"), ColorRole::Green,
                       QStringLiteral("todayIncome"));
    expense_ = makeCard(QStringLiteral("Потрачено"), QStringLiteral("arrow.up.right"), ColorRole::Orange,
                        QStringLiteral("todayExpense"));
}

void TodayCard::draw() {
    LedgerFigures figures(store_);
    income_->setText(cnyText(figures.todayTotal(TransactionKind::income)));
    expense_->setText(cnyText(figures.todayTotal(TransactionKind::expense)));
}
