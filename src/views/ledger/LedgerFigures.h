#pragma once

#include <QString>
#include <any>
#include <utility>
#include <vector>

#include "store/LedgerQueries.h"

class MoneyStore;
class QObject;

// The whole-ledger figures the dashboard's and the planner's cards show (the
// balance, today's and this month's totals, ...), each worked out at most once
// per state of the store's ledger and day of its calendar, and only once a
// card asks for it: the cards of one redraw, a redraw for the theme or the
// currency and the page coming back on screen share one walk of the ledger. A
// change of the ledger, of the day or of the time zone works every figure out
// afresh, so a shared value is never stale.
//
//   LedgerFigures figures(store);  // at the start of a card's draw
//   balance_->setText(cnyText(figures.balance()));
class LedgerFigures {
public:
    explicit LedgerFigures(const MoneyStore& store);

    // The store's calendar and the moment these figures were asked for.
    const QueryContext& context() const { return ctx_; }

    Decimal balance();
    // The sum of one kind today.
    Decimal todayTotal(TransactionKind kind);
    // This month's expenses.
    Decimal monthExpense();
    // This month's expenses by category (largest first).
    std::vector<CategoryAmount> monthExpenseByCategory();
    Decimal safeToSpendToday();

    // Any other figure that depends only on the ledger and the day, kept
    // under `key` and worked out by `compute` when it is not kept yet.
    template <class T, class Compute>
    T shared(const QString& key, Compute&& compute) {
        if (const std::any* kept = find(key)) return std::any_cast<T>(*kept);
        T value = std::forward<Compute>(compute)();
        keep(key, std::any(value));
        return value;
    }

    // How many figures were worked out for this store so far.
    static int computations(const MoneyStore& store);

private:
    const std::any* find(const QString& key) const;
    void keep(const QString& key, std::any value);

    const MoneyStore& store_;
    QueryContext ctx_;
    QObject* kept_;
};
