#include "views/analytics/AnalyticsFigures.h"

#include <algorithm>

#include "services/GlobalPreferences.h"
#include "store/Badges.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"

AnalyticsFigures analyticsFigures(const MoneyStore& store) {
    const QueryContext ctx = store.queryContext();
    const MoneyData& data = store.data();
    AnalyticsFigures f;
    f.calendar = ctx.calendar;
    f.now = ctx.now;
    f.month = ledger::currentMonthTotals(data, ctx);
    f.previousMonth = ledger::previousMonthTotals(data, ctx);
    f.savingsRate = ledger::savingsRate(f.month);
    const int day = std::max(ctx.calendar.localDate(ctx.now).day(), 1);
    f.averagePerDay = money::div(f.month.expense, Decimal(day));
    f.projectedMonthExpense = ledger::projectedMonthExpense(data, ctx);
    f.safeToSpendToday = ledger::safeToSpendToday(data, ctx);
    f.monthTransactionCount = ledger::currentMonthTransactionCount(data, ctx);
    f.largestExpense = ledger::largestExpense(data, ctx);
    f.categories = ledger::expenseByCategoryForCurrentMonth(data, ctx);
    f.weekly = ledger::weeklyAmounts(data, ctx.now, ctx.calendar);
    f.thirtyDays = ledger::thirtyDayExpenses(data, ctx.now, ctx.calendar);
    f.badges = ledger::badges(data, ctx, GlobalPreferences::currencyCode());
    f.unlockedBadges = ledger::unlockedBadges(f.badges);
    f.badgePoints = ledger::badgePoints(f.badges);
    f.badgeCollectionProgress = ledger::badgeCollectionProgress(f.badges);
    return f;
}
