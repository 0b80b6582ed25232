#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "store/KeptFigures.h"
#include "store/LedgerQueries.h"
#include "store/LedgerSummary.h"

class MoneyStore;

// The whole-ledger figures the dashboard's and the planner's cards show (the
// balance, today's and this month's totals, ...), all from one set of sums
// per state of the store and day of its calendar, made once a card asks for
// any of them: the cards of one redraw, a redraw for the theme or the
// currency and the page coming back on screen share it. A change of one
// transaction moves the sums by that transaction; any other change of the
// ledger, of the day or of the time zone walks it afresh, so a shared value
// is never stale.
//
//   LedgerFigures figures(store);  // at the start of a card's draw
//   balance_->setText(cnyText(figures.balance()));
class LedgerFigures {
public:
    explicit LedgerFigures(const MoneyStore& store);

    // The store's calendar and the moment these figures were asked for.
    const QueryContext& context() const { return ctx_; }

    Decimal balance() { return summary().balance; }
    // The sum of one kind today.
    Decimal todayTotal(TransactionKind kind) {
        return kind == TransactionKind::income ? summary().today.income : summary().today.expense;
    }
    // This month's expenses.
    Decimal monthExpense() { return summary().month.expense; }
    // This month's expenses by category (largest first).
    std::vector<CategoryAmount> monthExpenseByCategory() { return summary().categories; }
    // Every expense category of any month, distinct, in order of first appearance.
    const std::vector<QString>& expenseCategoryNames() { return summary().expenseCategoryNames; }
    Decimal safeToSpendToday();
    // The tip for today, as MoneyStore::smartTip gives it.
    QString smartTip();

    // Any other figure that depends only on the ledger and the day, kept
    // under `key` and worked out by `compute` when it is not kept yet.
    template <class T, class Compute>
    T shared(const QString& key, Compute&& compute) {
        return *kept_figures::get<T>(store_, QStringLiteral("ledger/") + key, std::forward<Compute>(compute));
    }

    // How many times the store's ledger was walked for these figures so far.
    static int computations(const MoneyStore& store);

private:
    const ledger::LedgerSummary& summary();

    const MoneyStore& store_;
    QueryContext ctx_;
    std::shared_ptr<const ledger::LedgerSummary> summary_;
};
