#include "views/analytics/AnalyticsFigures.h"

#include <algorithm>

#include "services/GlobalPreferences.h"
#include "store/Badges.h"
#include "store/KeptFigures.h"
#include "store/LedgerSummary.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"

namespace {

const QString kFiguresKey = QStringLiteral("analytics/figures/");

AnalyticsFigures compute(const MoneyData& data, const QueryContext& ctx, const QString& currency) {
    // One walk over the ledger gives every figure below.
    const ledger::LedgerSummary summary = ledger::summarize(data, ctx);
    AnalyticsFigures f;
    f.calendar = ctx.calendar;
    f.now = ctx.now;
    f.month = summary.month;
    f.previousMonth = summary.previousMonth;
    f.savingsRate = ledger::savingsRate(f.month);
    const int day = std::max(ctx.calendar.localDate(ctx.now).day(), 1);
    f.averagePerDay = money::div(f.month.expense, Decimal(day));
    f.projectedMonthExpense = ledger::projectedMonthExpense(f.month.expense, ctx);
    f.safeToSpendToday = ledger::safeToSpendToday(data, f.month.expense, ctx);
    f.monthTransactionCount = summary.monthTransactionCount;
    f.largestExpense = summary.largestExpense;
    f.categories = summary.categories;
    f.weekly = summary.weekly;
    f.thirtyDays = summary.thirtyDays;
    f.badges = ledger::badges(ledger::badgeStatistics(data, summary, ctx, currency), currency);
    f.unlockedBadges = ledger::unlockedBadges(f.badges);
    f.badgePoints = ledger::badgePoints(f.badges);
    f.badgeCollectionProgress = ledger::badgeCollectionProgress(f.badges);
    return f;
}

}  // namespace

AnalyticsFigures analyticsFigures(const MoneyStore& store) {
    const QueryContext ctx = store.queryContext();
    // The badges' texts name the currency.
    const QString currency = GlobalPreferences::currencyCode();
    AnalyticsFigures figures = *kept_figures::get<AnalyticsFigures>(
        store, kFiguresKey + currency, [&] { return compute(store.data(), ctx, currency); });
    figures.now = ctx.now;
    return figures;
}

int analyticsFiguresComputed(const MoneyStore& store) {
    return kept_figures::computations(store, kFiguresKey + GlobalPreferences::currencyCode());
}
