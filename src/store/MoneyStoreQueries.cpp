// The store's read-only figures: each delegates to the ledger functions with
// the store's calendar and the clock's current moment.
#include "services/GlobalPreferences.h"
#include "store/Badges.h"
#include "store/DefaultCatalogs.h"
#include "store/LedgerExport.h"
#include "store/MoneyStore.h"
#include "store/SmartTip.h"

Decimal MoneyStore::balance() const { return ledger::balance(data_); }

Decimal MoneyStore::total(TransactionKind kind, const QDateTime& on) const {
    return ledger::total(data_, kind, on, calendar());
}

Decimal MoneyStore::monthTotal(TransactionKind kind, const QDateTime& referenceDate) const {
    return ledger::monthTotal(data_, kind, referenceDate, calendar());
}

MonthTotals MoneyStore::previousMonthTotals() const {
    return ledger::previousMonthTotals(data_, queryContext());
}

double MoneyStore::goalProgress() const { return ledger::goalProgress(data_); }

std::vector<SavingsGoal> MoneyStore::goals() const { return ledger::goals(data_); }

std::optional<qint64> MoneyStore::daysRemaining(const SavingsGoal& goal) const {
    return ledger::daysRemaining(goal, queryContext());
}

qint64 MoneyStore::completedTaskCount() const { return ledger::completedTaskCount(data_); }

qint64 MoneyStore::taskPoints() const { return ledger::taskPoints(data_); }

double MoneyStore::budgetProgress() const { return ledger::budgetProgress(data_, queryContext()); }

qint64 MoneyStore::savingsRate() const { return ledger::savingsRate(data_, queryContext()); }

Decimal MoneyStore::projectedMonthExpense() const {
    return ledger::projectedMonthExpense(data_, queryContext());
}

Decimal MoneyStore::safeToSpendToday() const { return ledger::safeToSpendToday(data_, queryContext()); }

std::optional<MoneyTransaction> MoneyStore::largestExpense() const {
    return ledger::largestExpense(data_, queryContext());
}

qint64 MoneyStore::currentMonthTransactionCount() const {
    return ledger::currentMonthTransactionCount(data_, queryContext());
}

Decimal MoneyStore::categorySpent(const QString& category) const {
    return ledger::categorySpent(data_, category, queryContext());
}

std::vector<CategoryAmount> MoneyStore::expenseByCategoryForCurrentMonth() const {
    return ledger::expenseByCategoryForCurrentMonth(data_, queryContext());
}

std::vector<DebtRecord> MoneyStore::debts() const { return ledger::openDebts(data_); }

Decimal MoneyStore::totalOwedToMe() const { return ledger::totalOwedToMe(data_); }

Decimal MoneyStore::totalIOwe() const { return ledger::totalIOwe(data_); }

std::vector<QString> MoneyStore::customCategories(TransactionKind kind) const {
    return ledger::customCategories(data_, kind);
}

std::vector<MoneyTransaction> MoneyStore::sortedTransactions() const {
    return ledger::sortedTransactions(data_);
}

std::vector<MoneyTransaction> MoneyStore::transactions(const QDateTime& on) const {
    return ledger::transactionsOn(data_, on, calendar());
}

std::vector<DailyAmount> MoneyStore::weeklyAmounts(const QDateTime& referenceDate) const {
    return ledger::weeklyAmounts(data_, referenceDate, calendar());
}

std::vector<DailyAmount> MoneyStore::thirtyDayExpenses(const QDateTime& referenceDate) const {
    return ledger::thirtyDayExpenses(data_, referenceDate, calendar());
}

std::vector<RewardTask> MoneyStore::defaultRewardTasks() { return ::defaultRewardTasks(); }

std::vector<QuickTemplate> MoneyStore::defaultTemplates() { return defaultQuickTemplates(); }

std::vector<SavingsChallenge> MoneyStore::defaultChallenges() const {
    return ::defaultChallenges(now(), timeZone_, GlobalPreferences::currencyCode());
}

std::vector<MoneyBadge> MoneyStore::badges() const {
    return ledger::badges(data_, queryContext(), GlobalPreferences::currencyCode());
}

std::vector<MoneyBadge> MoneyStore::unlockedBadges() const { return ledger::unlockedBadges(badges()); }

qint64 MoneyStore::badgePoints() const { return ledger::badgePoints(badges()); }

double MoneyStore::badgeCollectionProgress() const { return ledger::badgeCollectionProgress(badges()); }

QString MoneyStore::smartTip() const { return ledger::smartTip(data_, queryContext()); }

QString MoneyStore::csvExport() const { return ledger::csvExport(data_); }

QString MoneyStore::jsonExport() const { return ledger::jsonExport(data_); }
