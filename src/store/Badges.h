#pragma once

#include <QString>
#include <vector>

#include "models/MoneyModels.h"
#include "store/LedgerQueries.h"
#include "store/LedgerSummary.h"

// The achievement catalogue: 37 badges derived from the ledger on every call.
// Nothing is remembered: a badge is unlocked exactly while its statistic meets
// its threshold.

// The statistics the catalogue is judged on.
struct BadgeStatistics {
    qint64 operations = 0;
    qint64 incomes = 0;
    qint64 expenses = 0;
    Decimal balance;
    Decimal totalIncome;
    qint64 savingsRate = 0;
    Decimal monthlyBudget;
    qint64 goals = 0;
    qint64 reachedGoals = 0;
    double goalProgress = 0;
    qint64 completedTasks = 0;
    qint64 taskPoints = 0;
    qint64 completedChallenges = 0;
    qint64 completedWishes = 0;
    qint64 settledOwnDebts = 0;
    qint64 receipts = 0;
    qint64 favourites = 0;
    qint64 tagged = 0;
    qint64 wallets = 0;
    qint64 customCategories = 0;
    qint64 recurringOperations = 0;
    qint64 distinctDays = 0;
    qint64 longestStreak = 0;
    qint64 trackingSpanDays = 0;
};

namespace ledger {

// currencyCode ends the five money details ("Накопи 500 CNY") and the default
// challenge title; it is the selected currency at the moment of the call.
BadgeStatistics badgeStatistics(const MoneyData& data, const QueryContext& ctx, const QString& currencyCode);
// The same from a summary of the ledger that holds its totals and badge counts.
BadgeStatistics badgeStatistics(const MoneyData& data, const LedgerSummary& summary, const QueryContext& ctx,
                                const QString& currencyCode);
std::vector<MoneyBadge> badges(const BadgeStatistics& stats, const QString& currencyCode);
std::vector<MoneyBadge> badges(const MoneyData& data, const QueryContext& ctx, const QString& currencyCode);

std::vector<MoneyBadge> unlockedBadges(const std::vector<MoneyBadge>& all);
qint64 badgePoints(const std::vector<MoneyBadge>& all);
// Unlocked over all, 0 for an empty list.
double badgeCollectionProgress(const std::vector<MoneyBadge>& all);

// Day statistics in the store calendar.
qint64 transactionDayCount(const MoneyData& data, const LedgerCalendar& calendar);
qint64 longestTransactionStreak(const MoneyData& data, const LedgerCalendar& calendar);
qint64 trackingSpanDays(const MoneyData& data, const LedgerCalendar& calendar);

}  // namespace ledger
