// The whole-ledger queries each screen reads on one redraw, together, as the
// screen reads them, beside the painted floor's model reset at the same
// number of transactions (vs_floor: the queries' time over the floor's
// reset; the goal is at most 2). The analytics screen reads one summary of
// the ledger; the dashboard's cards and the planner's cards each read their
// own queries; "dashboardFromOneSummary" is what the dashboard would pay if
// its cards shared one summary per change of the store. Then the badges
// alone and the operations list's order.
#include <benchmark/benchmark.h>

#include "BenchHarness.h"
#include "store/Badges.h"
#include "store/LedgerQueries.h"
#include "store/LedgerSummary.h"
#include "store/SmartTip.h"

namespace {

const QTimeZone& benchZone() {
    static const QTimeZone zone("Europe/Berlin");
    return zone;
}

// The generated ledger ends on this day.
QDateTime benchNow() { return QDateTime(QDate(2026, 10, 4), QTime(12, 0), QTimeZone::utc()); }

QueryContext benchContext() { return QueryContext{LedgerCalendar(benchZone()), benchNow()}; }

const QString& currency() {
    static const QString code = QStringLiteral("CNY");
    return code;
}

// Runs `read` once per iteration, timed against the floor's reset.
template <typename Read>
void timeAgainstReset(benchmark::State& state, Read read) {
    const int count = int(state.range(0));
    const MoneyData data = generateLedger(count);
    VersusFloor ratio(state, count, VersusFloor::Against::reset);
    for (auto _ : state) {
        ratio.start();
        read(data, benchContext());
        ratio.stop();
    }
    state.SetComplexityN(state.range(0));
}

// The analytics screen: one summary, and the badges judged on it.
void analytics(benchmark::State& state) {
    timeAgainstReset(state, [](const MoneyData& data, const QueryContext& ctx) {
        const ledger::LedgerSummary summary = ledger::summarize(data, ctx);
        benchmark::DoNotOptimize(ledger::projectedMonthExpense(summary.month.expense, ctx));
        benchmark::DoNotOptimize(ledger::safeToSpendToday(data, summary.month.expense, ctx));
        const std::vector<MoneyBadge> badges =
            ledger::badges(ledger::badgeStatistics(data, summary, ctx, currency()), currency());
        benchmark::DoNotOptimize(ledger::unlockedBadges(badges));
        benchmark::DoNotOptimize(ledger::badgePoints(badges));
        benchmark::DoNotOptimize(summary);
    });
}

// The dashboard's cards, each reading the store on its own: balance, budget
// and month (BalanceCard), today (TodayCard), goals (GoalsCard), the tip,
// the five newest operations and the tasks.
void dashboard(benchmark::State& state) {
    timeAgainstReset(state, [](const MoneyData& data, const QueryContext& ctx) {
        benchmark::DoNotOptimize(ledger::balance(data));
        benchmark::DoNotOptimize(ledger::monthTotal(data, TransactionKind::expense, ctx.now, ctx.calendar));
        benchmark::DoNotOptimize(ledger::budgetProgress(data, ctx));
        benchmark::DoNotOptimize(ledger::total(data, TransactionKind::income, ctx.now, ctx.calendar));
        benchmark::DoNotOptimize(ledger::total(data, TransactionKind::expense, ctx.now, ctx.calendar));
        benchmark::DoNotOptimize(ledger::goals(data));
        benchmark::DoNotOptimize(ledger::balance(data));
        benchmark::DoNotOptimize(ledger::smartTip(data, ctx));
        benchmark::DoNotOptimize(ledger::newestTransactions(data, 5));
        benchmark::DoNotOptimize(ledger::completedTaskCount(data));
    });
}

// The same figures from one summary shared by the cards.
void dashboardFromOneSummary(benchmark::State& state) {
    timeAgainstReset(state, [](const MoneyData& data, const QueryContext& ctx) {
        const ledger::LedgerSummary summary = ledger::summarize(data, ctx, ledger::LedgerSummary::withTotals);
        benchmark::DoNotOptimize(ledger::budgetProgress(data, summary.month.expense));
        benchmark::DoNotOptimize(ledger::goals(data));
        benchmark::DoNotOptimize(ledger::smartTip(data, summary));
        benchmark::DoNotOptimize(ledger::newestTransactions(data, 5));
        benchmark::DoNotOptimize(ledger::completedTaskCount(data));
        benchmark::DoNotOptimize(summary);
    });
}

// The planner's cards: this month per category (which gives the month's
// expense), safe to spend today (BudgetCard), the balance (GoalsPlanCard)
// and the task points.
void planner(benchmark::State& state) {
    timeAgainstReset(state, [](const MoneyData& data, const QueryContext& ctx) {
        benchmark::DoNotOptimize(ledger::expenseByCategoryForCurrentMonth(data, ctx));
        benchmark::DoNotOptimize(ledger::safeToSpendToday(data, ctx));
        benchmark::DoNotOptimize(ledger::balance(data));
        benchmark::DoNotOptimize(ledger::taskPoints(data));
    });
}

// The badges screen: the catalogue straight from the ledger.
void badgesOnly(benchmark::State& state) {
    timeAgainstReset(state, [](const MoneyData& data, const QueryContext& ctx) {
        benchmark::DoNotOptimize(ledger::badges(data, ctx, currency()));
    });
}

// The whole ledger newest first (the CSV export's order).
void sortedTransactions(benchmark::State& state) {
    timeAgainstReset(state, [](const MoneyData& data, const QueryContext&) {
        benchmark::DoNotOptimize(ledger::sortedOrder(data));
    });
}

}  // namespace

BENCHMARK(analytics)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(dashboard)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(dashboardFromOneSummary)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(planner)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(badgesOnly)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(sortedTransactions)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
