#pragma once

#include <optional>
#include <vector>

#include "store/LedgerQueries.h"

class MoneyStore;

// Everything the analytics screen shows, read from the store in one go. The month totals and the badge
// catalogue are each computed once here and every figure that depends on them is derived from that one result
// (the catalogue alone walks the ledger many times).
struct AnalyticsFigures {
    LedgerCalendar calendar{QTimeZone::utc()};
    QDateTime now;
    MonthTotals month;
    MonthTotals previousMonth;
    qint64 savingsRate = 0;
    // This month's expense over the day of the month (at least 1).
    Decimal averagePerDay;
    Decimal projectedMonthExpense;
    Decimal safeToSpendToday;
    qint64 monthTransactionCount = 0;
    std::optional<MoneyTransaction> largestExpense;
    std::vector<CategoryAmount> categories;  // largest first
    std::vector<DailyAmount> weekly;         // 14 rows, income then expense per day
    std::vector<DailyAmount> thirtyDays;     // 30 expense rows
    std::vector<MoneyBadge> badges;          // the whole catalogue, in its order
    std::vector<MoneyBadge> unlockedBadges;
    qint64 badgePoints = 0;
    double badgeCollectionProgress = 0;
};

// The figures of the store's ledger as it is now. They are worked out once per
// change of the store and shared by every reader until the next change (the
// cards of one redraw, a redraw for the theme or the language, the page
// coming back on screen): a read after a change of the ledger, on another
// day of the store's calendar or in another currency works them out afresh,
// so a shared value is never stale. "now" is always the moment of the read.
AnalyticsFigures analyticsFigures(const MoneyStore& store);

// How many times the figures of this store were worked out from its ledger.
int analyticsFiguresComputed(const MoneyStore& store);
