// The store's own costs: opening a profile (read, decode, booking check,
// widget snapshot) and one change as the screens make it (add one transaction,
// encode the whole ledger, write it atomically, snapshot when its figures move,
// and goal check).
#include "BenchHarness.h"
#include "models/LedgerJson.h"
#include "services/Preferences.h"
#include "services/StoreDisk.h"
#include "store/MoneyStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

namespace {

// The real disk, counting the ledger files replaced (each one synced) and the
// widget snapshots written (without a sync, or through QSettings' lock and
// sync while another writer holds it).
class CountingDisk : public StoreDisk {
public:
    bool replaceFile(const QString& path, const QByteArray& bytes, QString& error) override {
        ++ledgerWrites;
        return StoreDisk::replaceFile(path, bytes, error);
    }
    bool replaceDerivedFile(const QString& path, const QByteArray& bytes) override {
        ++appGroupWrites;
        return StoreDisk::replaceDerivedFile(path, bytes);
    }
    bool writeAppGroup(AppGroupDefaults& shared, const Values& values) override {
        ++appGroupWrites;
        ++lockedWrites;
        return StoreDisk::writeAppGroup(shared, values);
    }
    long ledgerWrites = 0;
    long appGroupWrites = 0;
    long lockedWrites = 0;
};

void openProfile(benchmark::State& state) {
    ProfileOnDisk profile(int(state.range(0)));
    for (auto _ : state) {
        MoneyStore store(profile.env);
        benchmark::DoNotOptimize(store.data().transactions.size());
    }
    state.counters["peak_rss_MiB"] = peakResidentMiB();
}
BENCHMARK(openProfile)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Times one change and its save per step with, beside it and untimed, the
// encoding of the same ledger alone (encode_ms) and the atomic write and sync
// of those bytes alone to a file beside the ledger (write_sync_ms). What the
// save costs beyond both (over_ms) is the change itself, the snapshot's write
// when the widget's figures moved (no sync of its own) and the goal check;
// the goal is a save within encode + one write + one sync. The counters say
// how many ledger files and snapshot writes one change made.
template <class Change>
void timeChanges(benchmark::State& state, Change change) {
    ProfileOnDisk profile(int(state.range(0)));
    CountingDisk disk;
    MoneyStore::Environment env = profile.env;
    env.disk = &disk;
    MoneyStore store(env);
    const long ledgerBefore = disk.ledgerWrites;
    const long groupBefore = disk.appGroupWrites;
    const QString besideLedger = *store.filePath() + QStringLiteral(".alone");
    StoreDisk plainDisk;
    double saveMs = 0;
    double encodeMs = 0;
    double writeMs = 0;
    for (auto _ : state) {
        const auto saveStart = std::chrono::steady_clock::now();
        change(store);
        saveMs += millisecondsSince(saveStart);
        state.PauseTiming();
        const auto encodeStart = std::chrono::steady_clock::now();
        const QByteArray bytes = encodeMoneyData(store.data());
        encodeMs += millisecondsSince(encodeStart);
        const auto writeStart = std::chrono::steady_clock::now();
        QString error;
        benchmark::DoNotOptimize(plainDisk.replaceFile(besideLedger, bytes, error));
        writeMs += millisecondsSince(writeStart);
        state.ResumeTiming();
    }
    if (store.saveError())
        state.SkipWithError(store.saveError()->toStdString().c_str());
    const double n = double(state.iterations());
    state.counters["save_ms"] = saveMs / n;
    state.counters["encode_ms"] = encodeMs / n;
    state.counters["extra_ms"] = (saveMs - encodeMs) / n;
    state.counters["write_sync_ms"] = writeMs / n;
    state.counters["over_ms"] = (saveMs - encodeMs - writeMs) / n;
    state.counters["ledger_writes"] = double(disk.ledgerWrites - ledgerBefore) / n;
    state.counters["snapshot_writes"] = double(disk.appGroupWrites - groupBefore) / n;
    state.counters["locked_snapshot_writes"] = double(disk.lockedWrites);
    state.counters["peak_rss_MiB"] = peakResidentMiB();
}

// An expense today: the balance and today's expense move, so the widget's
// snapshot is written too.
void addAndSave(benchmark::State& state) {
    timeChanges(state, [](MoneyStore& store) {
        store.add(TransactionKind::expense, Decimal(15), QStringLiteral("Еда"), QStringLiteral("Перекус"),
                  store.now(), {}, false, QStringLiteral("Основной"));
    });
}
BENCHMARK(addAndSave)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

// A favourite mark: the widget's figures stay, so the save is the ledger's
// write and sync alone.
void markAndSave(benchmark::State& state) {
    timeChanges(state, [](MoneyStore& store) { store.toggleFavorite(store.data().transactions.front().id); });
}
BENCHMARK(markAndSave)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
