// The store's own costs: opening a profile (read, decode, booking check,
// widget snapshot) and one change as the screens make it (add one transaction,
// encode the whole ledger, write it atomically, snapshot and goal check).
#include "BenchHarness.h"
#include "models/LedgerJson.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// A data folder holding the anonymous profile's ledger of `count` transactions.
struct ProfileOnDisk {
    explicit ProfileOnDisk(int count) {
        Preferences::resetStandard(dir.filePath("standard.ini"));
        AppGroupDefaults::setDirectoryOverride(dir.filePath("group"));
        env.paths = StorePaths(dir.path());
        env.clock = &clock;
        env.timeZone = QTimeZone("Europe/Berlin");
        env.preferences = &Preferences::standard();
        const QString file = *env.paths.anonymousFile();
        StorePaths::makeFolder(*env.paths.accountsFolder(), nullptr);
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(encodeMoneyData(generateLedger(count)));
        out.close();
        // Book whatever the generated recurring operations have due, so that
        // the timed opens all find the same settled file.
        MoneyStore settle(env);
    }
    ~ProfileOnDisk() {
        AppGroupDefaults::setDirectoryOverride({});
        Preferences::resetStandard();
    }

    QTemporaryDir dir;
    BenchClock clock;
    MoneyStore::Environment env;
};

long peakResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

void openProfile(benchmark::State& state) {
    ProfileOnDisk profile(int(state.range(0)));
    for (auto _ : state) {
        MoneyStore store(profile.env);
        benchmark::DoNotOptimize(store.data().transactions.size());
    }
    state.counters["peak_rss_MiB"] = double(peakResidentKiB()) / 1024.0;
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
    state.counters["peak_rss_MiB"] = double(peakResidentKiB()) / 1024.0;
}
BENCHMARK(addAndSave)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
