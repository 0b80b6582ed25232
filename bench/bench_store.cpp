// The store's own costs: opening a profile (read, decode, booking check,
// widget snapshot) and one change as the screens make it (add one transaction,
// encode the whole ledger, write it atomically, snapshot and goal check).
#include <benchmark/benchmark.h>

#include "BenchHarness.h"
#include "store/MoneyStore.h"

namespace {

void openProfile(benchmark::State& state) {
    ProfileOnDisk profile(int(state.range(0)));
    for (auto _ : state) {
        MoneyStore store(profile.env);
        benchmark::DoNotOptimize(store.data().transactions.size());
    }
    state.counters["peak_rss_MiB"] = peakResidentMiB();
}
BENCHMARK(openProfile)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void addAndSave(benchmark::State& state) {
    ProfileOnDisk profile(int(state.range(0)));
    MoneyStore store(profile.env);
    const QDateTime now = profile.clock.now();
    for (auto _ : state) {
        store.add(TransactionKind::expense, Decimal(15), QStringLiteral("Еда"), QStringLiteral("Перекус"), now, {},
                  false, QStringLiteral("Основной"));
    }
    if (store.saveError())
        state.SkipWithError(store.saveError()->toStdString().c_str());
    state.counters["peak_rss_MiB"] = peakResidentMiB();
}
BENCHMARK(addAndSave)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
