#pragma once

#include <optional>
#include <vector>

#include "store/LedgerQueries.h"

// The whole-ledger figures a screen reads, worked out in one walk over the
// transactions instead of one walk per figure. Each figure equals what its
// own query in LedgerQueries / Badges gives for the same ledger and moment
// (the test holds them side by side); a screen asks only for the parts it
// shows, since the day statistics cost more per transaction than the sums.
namespace ledger {

struct LedgerSummary {
    enum Part : unsigned {
        withTotals = 1u << 0,       // balance, today, this and the previous month, counts per kind
        withCategories = 1u << 1,   // this month's expenses per category, its largest expense
        withDailyRows = 1u << 2,    // the 7-day and 30-day chart rows
        withBadgeCounts = 1u << 3,  // receipts, favourites, tags, wallets, days, streak, span
        withCategoryNames = 1u << 4,  // every expense category of any month (the planner's limits)
        everything = withTotals | withCategories | withDailyRows | withBadgeCounts,
    };

    // withTotals
    Decimal balance;      // as ledger::balance
    Decimal totalIncome;  // every income, in ledger order
    qint64 incomes = 0;
    qint64 expenses = 0;
    MonthTotals today;          // as ledger::total for the day of now
    MonthTotals month;          // as ledger::currentMonthTotals
    MonthTotals previousMonth;  // as ledger::previousMonthTotals
    qint64 monthTransactionCount = 0;

    // withCategories
    std::vector<CategoryAmount> categories;        // as expenseByCategoryForCurrentMonth
    std::optional<MoneyTransaction> largestExpense;  // as ledger::largestExpense
    std::vector<QString> expenseCategoryNames;       // withCategoryNames: distinct, in order of first appearance

    // withDailyRows
    std::vector<DailyAmount> weekly;      // as weeklyAmounts(now)
    std::vector<DailyAmount> thirtyDays;  // as thirtyDayExpenses(now)

    // withBadgeCounts
    qint64 receipts = 0;
    qint64 favourites = 0;
    qint64 tagged = 0;
    qint64 wallets = 0;
    qint64 distinctDays = 0;      // as transactionDayCount
    qint64 longestStreak = 0;     // as longestTransactionStreak
    qint64 trackingSpanDays = 0;  // as trackingSpanDays
};

LedgerSummary summarize(const MoneyData& data, const QueryContext& ctx, unsigned parts = LedgerSummary::everything);

// The rules of LedgerQueries over month totals a caller already has.
Decimal projectedMonthExpense(const Decimal& monthExpense, const QueryContext& ctx);
Decimal safeToSpendToday(const MoneyData& data, const Decimal& monthExpense, const QueryContext& ctx);
double budgetProgress(const MoneyData& data, const Decimal& monthExpense);

}  // namespace ledger
