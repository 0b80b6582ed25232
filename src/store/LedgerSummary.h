#pragma once

#include <QHash>
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

// The parts withTotals | withCategories | withCategoryNames of a ledger's
// summary for one day of its calendar, kept across changes of one
// transaction: a change moves the sums by the transaction's old and new
// amounts instead of walking every transaction again. Its summary() equals
// summarize() of the ledger as it is now, figure for figure; a change it
// cannot follow exactly (amounts so large or so fine that a sum could round)
// is refused, and the caller walks the ledger afresh.
class RunningSummary {
public:
    static constexpr unsigned kParts =
        LedgerSummary::withTotals | LedgerSummary::withCategories | LedgerSummary::withCategoryNames;

    // One walk of the ledger.
    RunningSummary(const MoneyData& data, const QueryContext& ctx);

    // `data` after one transaction was added at the end, removed from
    // `position`, or replaced at `position`; `before` is the one removed or
    // replaced. False when the summary cannot follow (it must not be used then).
    bool added(const MoneyData& data);
    bool removed(const MoneyData& data, std::size_t position, const MoneyTransaction& before);
    bool replaced(const MoneyData& data, std::size_t position, const MoneyTransaction& before);

    LedgerSummary summary(const MoneyData& data) const;

private:
    // Adds (+1) or takes away (-1) what one transaction gives the sums.
    void count(const MoneyTransaction& t, int sign);
    // Takes away an expense category's entry at `position` (the transaction
    // there is already another one, or gone and the later ones moved up by
    // `shift`).
    void dropName(const MoneyData& data, const QString& category, std::size_t position, std::size_t shift);
    void addName(const QString& category, std::size_t position);
    bool inMonth(const MoneyTransaction& t) const;

    struct Name {
        qint64 count = 0;           // expenses of any month in this category
        std::size_t first = 0;      // the position of the first one
    };

    LedgerCalendar::Span today_, month_, previous_;
    qint64 untame_ = 0;  // transactions (and the starting balance) that could make a sum round
    Decimal startingBalance_;
    // LedgerSummary's totals; with every amount tame, Decimal's + and - step
    // them exactly.
    Decimal balance_, totalIncome_, todayIncome_, todayExpense_, monthIncome_, monthExpense_, previousIncome_,
        previousExpense_;
    qint64 incomes_ = 0, expenses_ = 0, monthCount_ = 0;
    std::vector<std::size_t> monthExpenses_;  // positions of this month's expenses, ascending
    QHash<QString, Name> names_;
};

// The rules of LedgerQueries over month totals a caller already has.
Decimal projectedMonthExpense(const Decimal& monthExpense, const QueryContext& ctx);
Decimal safeToSpendToday(const MoneyData& data, const Decimal& monthExpense, const QueryContext& ctx);
double budgetProgress(const MoneyData& data, const Decimal& monthExpense);

}  // namespace ledger
