#include "views/ledger/LedgerFigures.h"

#include "store/MoneyStore.h"
#include "store/SmartTip.h"

LedgerFigures::LedgerFigures(const MoneyStore& store) : store_(store), ctx_(store.queryContext()) {}

const ledger::LedgerSummary& LedgerFigures::summary() {
    if (!summary_) summary_ = kept_figures::sums(store_);
    return *summary_;
}

Decimal LedgerFigures::safeToSpendToday() {
    return ledger::safeToSpendToday(store_.data(), monthExpense(), ctx_);
}

QString LedgerFigures::smartTip() { return ledger::smartTip(store_.data(), summary()); }

int LedgerFigures::computations(const MoneyStore& store) { return kept_figures::sumsComputed(store); }
