// What a user waits for after a change: one real add, edit or delete through
// the store's operations, with the file saved inside the operation (encoded,
// written, synced, renamed over the old one) and the screen shown drawn
// again, as a redraw of the window ends. The ledger is read from its file on a
// real disk folder at the start, as the app opens it, and one change is made
// untimed first, so every timed save is a save after an earlier one.
//
// The folder is made in $ZANBECK_BENCH_DISK when set, else in the system's
// temporary folder; on a memory file system (tmpfs) the benchmarks refuse to
// run, since the sync would cost nothing there. With ZANBECK_BENCH_SAVE_AS_BEFORE=1
// the ledger's file is saved as before its chunks: written in one call, the
// old file freed inside the rename (to measure the gain, in runs alternated
// with ordinary ones).
//   change_ms   the mean of the timed changes (save and redraw)
//   file_ms     of which the file's replacement (write, sync, rename)
//   snapshot_ms of which the widget snapshot's file (written, not synced)
//   file_MiB    the size of the ledger's file
//   peak_rss_MiB the process's peak resident memory so far
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <memory>
#include <sys/vfs.h>

#include "BenchHarness.h"
#include "components/NavigationStack.h"
#include "lock/AppLockModel.h"
#include "models/LedgerJson.h"
#include "platform/Haptics.h"
#include "platform/Keychain.h"
#include "platform/PhotoPicker.h"
#include "platform/ShareService.h"
#include "services/DiskFiles.h"
#include "services/Preferences.h"
#include "services/StoreDisk.h"
#include "store/MoneyStore.h"
#include "support/FakePlatform.h"
#include "views/ledger/DashboardView.h"
#include "views/ledger/TransactionsView.h"
#include "views/planning/PlannerView.h"

namespace {

constexpr long kTmpfsMagic = 0x01021994;

bool saveAsBefore() { return qEnvironmentVariableIntValue("ZANBECK_BENCH_SAVE_AS_BEFORE") == 1; }

// The plain disk, timing what reaches it.
class TimedDisk : public StoreDisk {
public:
    bool replaceFile(const QString& path, const QByteArray& bytes, QString& error) override {
        QElapsedTimer timer;
        timer.start();
        disk_files::ReplaceOptions before;
        before.syncedWriteChunk = 0;
        before.freeOldAside = false;
        const bool done = asBefore_ ? disk_files::replace(path, bytes, before, &error)
                                    : StoreDisk::replaceFile(path, bytes, error);
        fileNs += timer.nsecsElapsed();
        fileBytes = bytes.size();
        return done;
    }
    bool replaceDerivedFile(const QString& path, const QByteArray& bytes) override {
        QElapsedTimer timer;
        timer.start();
        const bool done = StoreDisk::replaceDerivedFile(path, bytes);
        groupNs += timer.nsecsElapsed();
        return done;
    }
    bool writeAppGroup(AppGroupDefaults& shared, const Values& values) override {
        QElapsedTimer timer;
        timer.start();
        const bool done = StoreDisk::writeAppGroup(shared, values);
        groupNs += timer.nsecsElapsed();
        return done;
    }
    qint64 fileNs = 0;
    qint64 groupNs = 0;
    qint64 fileBytes = 0;

private:
    const bool asBefore_ = saveAsBefore();
};

QString diskFolder() {
    const QByteArray chosen = qgetenv("ZANBECK_BENCH_DISK");
    return chosen.isEmpty() ? QDir::tempPath() : QString::fromLocal8Bit(chosen);
}

// The anonymous profile's file of `count` generated transactions on a disk
// folder, opened by a store as the app opens it.
struct LedgerOnDisk {
    explicit LedgerOnDisk(int count) : dir(diskFolder() + QStringLiteral("/zanbeck-change-XXXXXX")) {
        struct statfs fs {};
        onTmpfs = statfs(QFile::encodeName(dir.path()).constData(), &fs) == 0 && fs.f_type == kTmpfsMagic;
        Preferences::resetStandard(dir.filePath("standard.ini"));
        AppGroupDefaults::setDirectoryOverride(dir.filePath("group"));
        MoneyStore::Environment env;
        env.paths = StorePaths(dir.path());
        env.clock = &clock;
        env.timeZone = QTimeZone("Europe/Berlin");
        env.preferences = &Preferences::standard();
        env.disk = &disk;
        StorePaths::makeFolder(*env.paths.accountsFolder(), nullptr);
        QFile out(*env.paths.anonymousFile());
        if (!out.open(QIODevice::WriteOnly) || out.write(encodeMoneyData(generateLedger(count))) < 0)
            qFatal("could not write the generated ledger");
        out.close();
        store = std::make_unique<MoneyStore>(env);
        store->saveBookings();
    }
    ~LedgerOnDisk() {
        store.reset();
        AppGroupDefaults::setDirectoryOverride({});
        Preferences::resetStandard();
    }

    QTemporaryDir dir;
    bool onTmpfs = false;
    BenchClock clock;
    TimedDisk disk;
    std::unique_ptr<MoneyStore> store;
};

class NoShare : public ShareService {
public:
    void share(const QString&, const QString&, const QString&) override {}
};
class NoPhotos : public PhotoPicker {
public:
    void pickImage(std::function<void(std::optional<QByteArray>)>) override {}
};
class EmptyKeychain : public Keychain {
public:
    ReadResult read(const QString&, const QString&) override { return {Status::notFound, {}, {}}; }
    Status write(const QString&, const QString&, const QByteArray&, QString*) override { return Status::ok; }
    Status remove(const QString&, const QString&, QString*) override { return Status::notFound; }
};

// Each screen as its tab's stack in the phone window.
struct Dashboard {
    explicit Dashboard(MoneyStore& store) : phone(new NavigationStack(new DashboardView(store, haptics, {}, {}, {}))) {}
    SilentHaptics haptics;
    PhoneWindow phone;
};
struct Operations {
    explicit Operations(MoneyStore& store) : phone(new NavigationStack(new TransactionsView(store, {}, share, photos))) {}
    NoShare share;
    NoPhotos photos;
    PhoneWindow phone;
};
struct Planner {
    explicit Planner(MoneyStore& store)
        : phone(new NavigationStack(new PlannerView(store, lock, platform.services))) {}
    EmptyKeychain keychain;
    AppLockModel lock{keychain, Preferences::standard()};
    FakePlatform platform;
    PhoneWindow phone;
};

enum Change { kAdd = 0, kEdit = 1, kDelete = 2 };

void addExpense(MoneyStore& store) {
    store.add(TransactionKind::expense, *Decimal::parse(std::string_view("7")), QStringLiteral("Еда"),
              QStringLiteral("мороженое"), store.now(), {}, false, QStringLiteral("Основной"));
}

template <class Screen>
void changeSaved(benchmark::State& state) {
    LedgerOnDisk ledger(static_cast<int>(state.range(0)));
    if (ledger.onTmpfs) {
        state.SkipWithError("the folder is on tmpfs: set ZANBECK_BENCH_DISK to a folder on a disk");
        return;
    }
    MoneyStore& store = *ledger.store;
    Screen screen(store);
    const auto change = Change(state.range(1));
    // Untimed: the first save after the open, which encodes every record.
    addExpense(store);
    store.deleteTransactions({store.data().transactions.back().id});
    screen.phone.redraw();
    if (store.saveError()) {
        state.SkipWithError(store.saveError()->toStdString().c_str());
        return;
    }

    const std::size_t edited = store.data().transactions.size() / 2;
    bool flip = false;
    qint64 fileNs = 0;
    qint64 groupNs = 0;
    qint64 changeNs = 0;
    qint64 changes = 0;
    for (auto _ : state) {
        if (change == kDelete) {
            state.PauseTiming();
            addExpense(store);
            screen.phone.redraw();
            state.ResumeTiming();
        }
        const qint64 fileBefore = ledger.disk.fileNs;
        const qint64 groupBefore = ledger.disk.groupNs;
        QElapsedTimer timer;
        timer.start();
        switch (change) {
            case kAdd:
                addExpense(store);
                break;
            case kEdit: {
                MoneyTransaction t = store.data().transactions[edited];
                t.amount = *Decimal::parse(std::string_view((flip = !flip) ? "123.45" : "67.8"));
                store.updateTransaction(t);
                break;
            }
            case kDelete:
                store.deleteTransactions({store.data().transactions.back().id});
                break;
        }
        screen.phone.redraw();
        changeNs += timer.nsecsElapsed();
        fileNs += ledger.disk.fileNs - fileBefore;
        groupNs += ledger.disk.groupNs - groupBefore;
        ++changes;
        if (change == kAdd) {
            state.PauseTiming();
            store.deleteTransactions({store.data().transactions.back().id});
            screen.phone.redraw();
            state.ResumeTiming();
        }
    }
    if (store.saveError()) state.SkipWithError(store.saveError()->toStdString().c_str());
    state.counters["change_ms"] = double(changeNs) / 1e6 / double(std::max<qint64>(changes, 1));
    state.counters["file_ms"] = double(fileNs) / 1e6 / double(std::max<qint64>(changes, 1));
    state.counters["snapshot_ms"] = double(groupNs) / 1e6 / double(std::max<qint64>(changes, 1));
    state.counters["file_MiB"] = double(ledger.disk.fileBytes) / (1024.0 * 1024.0);
    state.counters["peak_rss_MiB"] = peakResidentMiB();
}

void changes(benchmark::internal::Benchmark* b) {
    b->ArgNames({"transactions", "change"});
    for (const int count : {10'000, 100'000})
        for (const int change : {kAdd, kEdit, kDelete}) b->Args({count, change});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

// The parts of a save on their own, to tell where a change's time goes.
// encodeAfterChange: the store's encoder after one added (or removed) record;
// encodeWhole: the whole ledger encoded afresh, as every save did before.
void encodeAfterChange(benchmark::State& state) {
    MoneyData data = generateLedger(static_cast<int>(state.range(0)));
    LedgerEncoder encoder;
    encoder.encode(data);
    const MoneyTransaction extra = data.transactions.front();
    bool added = false;
    std::size_t reencodedOnAdd = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if ((added = !added)) {
            data.transactions.push_back(extra);
            data.transactions.back().id = QUuid::createUuid();
        } else {
            data.transactions.pop_back();
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(encoder.encode(data));
        if (added) reencodedOnAdd = encoder.reencodedCount();
    }
    // Records encoded again by an add (a removal encodes none).
    state.counters["reencoded"] = double(reencodedOnAdd);
}

void encodeWhole(benchmark::State& state) {
    const MoneyData data = generateLedger(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(encodeMoneyData(data));
}

// The file's replacement alone (write, sync, rename over the old file), as
// the store's disk does it, with the bytes of a ledger of that size.
void replaceFileAlone(benchmark::State& state) {
    QTemporaryDir dir(diskFolder() + QStringLiteral("/zanbeck-file-XXXXXX"));
    const QByteArray bytes = encodeMoneyData(generateLedger(static_cast<int>(state.range(0))));
    const QString path = dir.filePath(QStringLiteral("ledger.json"));
    StoreDisk disk;
    QString error;
    for (auto _ : state)
        if (!disk.replaceFile(path, bytes, error)) state.SkipWithError(error.toStdString().c_str());
    state.counters["file_MiB"] = double(bytes.size()) / (1024.0 * 1024.0);
}

// The same replacement with the file written in chunks of chunk_KiB, each
// handed to the disk once written (0: in one write), and the old file freed
// on a worker (free_aside 1) or inside the rename (0); 0/0 is the save as it
// was before both. To choose the chunk and show each gain, run with
// --benchmark_enable_random_interleaving=true, so that the variants are
// measured side by side under the same load.
void replaceFileWays(benchmark::State& state) {
    QTemporaryDir dir(diskFolder() + QStringLiteral("/zanbeck-file-XXXXXX"));
    const QByteArray bytes = encodeMoneyData(generateLedger(static_cast<int>(state.range(0))));
    const QString path = dir.filePath(QStringLiteral("ledger.json"));
    disk_files::ReplaceOptions options;
    options.syncedWriteChunk = state.range(1) * 1024;
    options.freeOldAside = state.range(2) != 0;
    QString error;
    for (auto _ : state)
        if (!disk_files::replace(path, bytes, options, &error)) state.SkipWithError(error.toStdString().c_str());
}

}  // namespace

BENCHMARK(encodeAfterChange)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(encodeWhole)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(replaceFileAlone)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(replaceFileWays)
    ->ArgNames({"transactions", "chunk_KiB", "free_aside"})
    ->Apply([](benchmark::internal::Benchmark* b) {
        // Each gain alone and both, then the chunk's size either side.
        for (const int count : {10'000, 100'000})
            for (const auto& [chunk, aside] : {std::pair{0, 0}, {0, 1}, {1024, 0}, {1024, 1}, {512, 1}, {2048, 1}})
                b->Args({count, chunk, aside});
    })
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(changeSaved<Dashboard>)->Apply(changes);
BENCHMARK(changeSaved<Operations>)->Apply(changes);
BENCHMARK(changeSaved<Planner>)->Apply(changes);

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
