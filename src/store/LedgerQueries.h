#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "models/MoneyModels.h"
#include "store/LedgerCalendar.h"

// The read-only figures of a ledger: balances, totals, goals, budgets, lists
// and chart rows. Every function walks the ledger afresh (nothing is cached)
// and is linear in the number of transactions; day and month membership use the
// store's calendar. Money stays Decimal; only fractions become doubles.

// What a query needs besides the ledger: the store's calendar and the moment
// the query is read at ("today" and "this month" are the day and month of now).
struct QueryContext {
    LedgerCalendar calendar;
    QDateTime now;
};

// A goal measured against the whole balance: the bar's fraction (0...1) and
// the whole percent.
struct GoalProgress {
    double fraction = 0;
    qint64 percent = 0;
};

struct MonthTotals {
    Decimal income;
    Decimal expense;
    bool operator==(const MonthTotals&) const = default;
};

namespace ledger {

// The lists in use: the stored list, or the built-in defaults while the key
// is absent from the document.
std::vector<RewardTask> rewardTasksInUse(const MoneyData& data);
std::vector<QuickTemplate> templatesInUse(const MoneyData& data);
std::vector<SavingsChallenge> challengesInUse(const MoneyData& data, const QueryContext& ctx,
                                              const QString& currencyCode);

Decimal balance(const MoneyData& data);
// Sum of one kind on the local day of `day`.
Decimal total(const MoneyData& data, TransactionKind kind, const QDateTime& day,
              const LedgerCalendar& calendar);
// Sum of one kind in the local month of `referenceDate`.
Decimal monthTotal(const MoneyData& data, TransactionKind kind, const QDateTime& referenceDate,
                   const LedgerCalendar& calendar);
MonthTotals previousMonthTotals(const MoneyData& data, const QueryContext& ctx);
// Both totals of the month of now, in one walk.
MonthTotals currentMonthTotals(const MoneyData& data, const QueryContext& ctx);

// Balance over the main goal's amount, clamped to 0...1; 0 without a main goal.
double goalProgress(const MoneyData& data);
// One goal's share of `balance`, computed in decimals and truncated, so the
// percent is 100 only once the balance reaches the amount.
GoalProgress goalProgress(const Decimal& balance, const Decimal& amount);
// The main goal ("primary") while its amount is above 0, then the additional
// goals that are not archived, in stored order.
std::vector<SavingsGoal> goals(const MoneyData& data);
// Whole days from today to the deadline's day, never below 0; none without a deadline.
std::optional<qint64> daysRemaining(const SavingsGoal& goal, const QueryContext& ctx);

// Over the tasks in use; both saturate at the 64-bit limits.
qint64 completedTaskCount(const MoneyData& data);
qint64 taskPoints(const MoneyData& data);

// This month's expenses over the monthly budget, not clamped; 0 without a budget.
double budgetProgress(const MoneyData& data, const QueryContext& ctx);
// (income − expense) / income × 100 this month, truncated toward zero,
// computed exactly; 0 without income.
qint64 savingsRate(const MoneyData& data, const QueryContext& ctx);
// The same rule over month totals a caller already has.
qint64 savingsRate(const MonthTotals& month);
Decimal projectedMonthExpense(const MoneyData& data, const QueryContext& ctx);
Decimal safeToSpendToday(const MoneyData& data, const QueryContext& ctx);
std::optional<MoneyTransaction> largestExpense(const MoneyData& data, const QueryContext& ctx);
qint64 currentMonthTransactionCount(const MoneyData& data, const QueryContext& ctx);
// This month's expenses whose category equals the text exactly.
Decimal categorySpent(const MoneyData& data, const QString& category, const QueryContext& ctx);
// This month's expenses per exact category text, largest first.
std::vector<CategoryAmount> expenseByCategoryForCurrentMonth(const MoneyData& data, const QueryContext& ctx);

// Open (unsettled) debts in stored order and their totals per direction.
std::vector<DebtRecord> openDebts(const MoneyData& data);
Decimal totalOwedToMe(const MoneyData& data);
Decimal totalIOwe(const MoneyData& data);

std::vector<QString> customCategories(const MoneyData& data, TransactionKind kind);

// Positions in data.transactions, newest first; equal dates keep ledger order.
std::vector<std::size_t> sortedOrder(const MoneyData& data);
// The same order as copies of the records.
std::vector<MoneyTransaction> sortedTransactions(const MoneyData& data);
// The first `count` of sortedTransactions, without sorting the whole ledger.
std::vector<MoneyTransaction> newestTransactions(const MoneyData& data, std::size_t count);
// The local day of `day`, newest first.
std::vector<MoneyTransaction> transactionsOn(const MoneyData& data, const QDateTime& day,
                                             const LedgerCalendar& calendar);
// One kind in the local month of `referenceDate`, in ledger order.
std::vector<MoneyTransaction> monthTransactions(const MoneyData& data, TransactionKind kind,
                                                const QDateTime& referenceDate,
                                                const LedgerCalendar& calendar);

// 14 rows for the seven days ending with the reference day, oldest first,
// income then expense per day.
std::vector<DailyAmount> weeklyAmounts(const MoneyData& data, const QDateTime& referenceDate,
                                       const LedgerCalendar& calendar);
// 30 expense rows for the thirty days ending with the reference day, oldest first.
std::vector<DailyAmount> thirtyDayExpenses(const MoneyData& data, const QDateTime& referenceDate,
                                           const LedgerCalendar& calendar);

}  // namespace ledger
