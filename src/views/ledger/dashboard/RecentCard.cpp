#include "views/ledger/dashboard/RecentCard.h"

#include <QVBoxLayout>

#include "components/ContentUnavailableView.h"
#include "components/TextLabel.h"
#include "components/TransactionRow.h"
#include "store/LedgerQueries.h"
#include "store/MoneyStore.h"
#include "views/ledger/DashboardParts.h"
#include "views/ledger/dashboard/DashboardKit.h"

RecentCard::RecentCard(MoneyStore& store, QWidget* parent) : Card(parent), store_(store) {
    dashboard::frameCard(this, QStringLiteral("recentCard"), 14);
    addWidget(new TextLabel(QStringLiteral("Последние операции"), TextStyle::Headline));
    auto* list = new QWidget;
    list_ = dashboard::listLayout(list, 14);
    addWidget(list);
}

void RecentCard::draw() {
    const std::vector<MoneyTransaction> newest = ledger::newestTransactions(store_.data(), kShown);
    QStringList shown;
    for (const MoneyTransaction& t : newest)
        shown << t.id.toString() << TransactionRow::signedAmountText(t) << t.category
              << TransactionRow::detailText(t);
    if (shown == shown_) return;
    shown_ = shown;

    clearLayout(list_);
    if (newest.empty()) {
        auto* placeholder =
            new ContentUnavailableView(QStringLiteral("Операций пока нет"), QStringLiteral("tray"),
                                       QStringLiteral("Добавь первый доход или расход"));
        placeholder->setObjectName(QStringLiteral("recentPlaceholder"));
        list_->addWidget(placeholder);
        return;
    }
    const QUuid lastId = newest.back().id;
    for (const MoneyTransaction& t : newest) {
        auto* row = new TransactionRow(t);
        row->setObjectName(QStringLiteral("recentRow"));
        list_->addWidget(row);
        if (t.id != lastId) list_->addWidget(new Divider);
    }
}
