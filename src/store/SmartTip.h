#pragma once

#include <QString>

#include "models/MoneyModels.h"
#include "store/LedgerQueries.h"

namespace ledger {

struct LedgerSummary;

// The dashboard's one-sentence advice: today's spending against the daily
// limit, then today's net result, then this month's saving share, then a fixed
// piece of advice. Never empty. Amounts are shown with cnyText.
QString smartTip(const MoneyData& data, const QueryContext& ctx);
// The same from a summary that holds the ledger's totals (withTotals), for a
// screen that already has one.
QString smartTip(const MoneyData& data, const LedgerSummary& sums);

}  // namespace ledger
