// One dashboard's worth of ledger queries, as the screens recompute them on
// every redraw: balance, this month's totals, goals, budget progress, the
// smart tip, the badges and the 14 weekly chart rows.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "LedgerGenerator.h"
#include "services/Preferences.h"
#include "store/Badges.h"
#include "store/LedgerQueries.h"
#include "store/SmartTip.h"

namespace {

const QTimeZone& benchZone() {
    static const QTimeZone zone("Europe/Berlin");
    return zone;
}

// The generated ledger ends on this day.
QDateTime benchNow() { return QDateTime(QDate(2026, 10, 4), QTime(12, 0), QTimeZone::utc()); }

void dashboard(benchmark::State& state) {
    QTemporaryDir dir;
    Preferences::resetStandard(dir.filePath("standard.ini"));
    const MoneyData data = generateLedger(int(state.range(0)));
    for (auto _ : state) {
        const QueryContext ctx{LedgerCalendar(benchZone()), benchNow()};
        benchmark::DoNotOptimize(ledger::balance(data));
        benchmark::DoNotOptimize(ledger::monthTotal(data, TransactionKind::income, ctx.now, ctx.calendar));
        benchmark::DoNotOptimize(ledger::monthTotal(data, TransactionKind::expense, ctx.now, ctx.calendar));
        benchmark::DoNotOptimize(ledger::goals(data));
        benchmark::DoNotOptimize(ledger::goalProgress(data));
        benchmark::DoNotOptimize(ledger::budgetProgress(data, ctx));
        benchmark::DoNotOptimize(ledger::smartTip(data, ctx));
        const std::vector<MoneyBadge> badges = ledger::badges(data, ctx, QStringLiteral("CNY"));
        benchmark::DoNotOptimize(ledger::badgePoints(badges));
        benchmark::DoNotOptimize(ledger::weeklyAmounts(data, ctx.now, ctx.calendar));
    }
    state.SetComplexityN(state.range(0));
    Preferences::resetStandard();
}
BENCHMARK(dashboard)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// The badges alone: several passes, exact sums and the sort of distinct days.
void badgesOnly(benchmark::State& state) {
    const MoneyData data = generateLedger(int(state.range(0)));
    for (auto _ : state) {
        const QueryContext ctx{LedgerCalendar(benchZone()), benchNow()};
        benchmark::DoNotOptimize(ledger::badges(data, ctx, QStringLiteral("CNY")));
    }
}
BENCHMARK(badgesOnly)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The operations list's order.
void sortedTransactions(benchmark::State& state) {
    const MoneyData data = generateLedger(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(ledger::sortedTransactions(data));
}
BENCHMARK(sortedTransactions)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
