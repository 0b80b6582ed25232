// What one family read costs in the family server's store (SQLite), by the
// number of tasks the family ever had: the answer grows with the tasks, the
// work per task must not (one indexed query, no query per task).
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "FamilyStore.h"

namespace {

struct Family {
    explicit Family(int tasks) {
        family::StoreSettings settings;
        settings.minimalPasswordCost = true;
        store = std::make_unique<family::FamilyStore>(dir.filePath("family.sqlite3").toStdString(),
                                                      family::systemClock, settings);
        const auto made = store->addAccounts({{"mama@bench.test", "Мама", "parent", "password1"},
                                              {"papa@bench.test", "Папа", "parent", "password1"},
                                              {"kid@bench.test", "Coder", "child", "password1"},
                                              {"kid2@bench.test", "Вторая", "child", "password1"}},
                                             true);
        parent = made[0];
        for (int i = 0; i < tasks; ++i)
            store->addTask(parent, made[2 + i % 2].id, "Задание на неделю номер " + std::to_string(i), 12.5);
        token = store->login("mama@bench.test", "password1").token;
    }
    QTemporaryDir dir;
    std::unique_ptr<family::FamilyStore> store;
    family::Account parent;
    std::string token;
};

// GET /api/family as the server answers it: the token, then the family, then
// the JSON text. Each read follows a change of the family's own preferences
// (untimed), so no answer kept from the read before is used.
void BM_FamilyRead(benchmark::State& state) {
    Family f(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    bool rub = false;
    for (auto _ : state) {
        state.PauseTiming();
        f.store->setPreferences(f.parent, (rub = !rub) ? "RUB" : "USD", "auto");
        state.ResumeTiming();
        const auto answer = f.store->familyText(f.store->authenticate(f.token));
        bytes = answer.size();
        benchmark::DoNotOptimize(answer.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["per_task_ns"] =
        benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate |
                                                                    benchmark::Counter::kInvert);
}
// A synced change before each read: few iterations, or the run lasts minutes.
BENCHMARK(BM_FamilyRead)->Arg(20)->Iterations(400)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FamilyRead)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The same read again with nothing committed in between: the answer the
// thread kept.
void BM_FamilyReadKept(benchmark::State& state) {
    Family f(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(f.store->familyText(f.store->authenticate(f.token)).data());
}
BENCHMARK(BM_FamilyReadKept)->Arg(20)->Unit(benchmark::kMicrosecond);

// The write path's floor: one task made in its own synced transaction.
void BM_AddTask(benchmark::State& state) {
    Family f(0);
    const auto kid = f.store->family(f.parent)["members"][2]["id"].get<std::string>();
    for (auto _ : state) benchmark::DoNotOptimize(f.store->addTask(f.parent, kid, "Задание", 1));
}
BENCHMARK(BM_AddTask)->Unit(benchmark::kMicrosecond);

}  // namespace
