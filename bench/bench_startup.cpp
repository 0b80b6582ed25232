// Start-up with a large ledger, offscreen, up to a
// settled dashboard in the phone window: the store opens the profile's file
// (read, decode, book due recurring operations, save once if any was
// booked, widget snapshot), then the home tab's dashboard is built and
// painted. Two cases per size: a file with nothing due (every start after
// the first) and one whose recurring operations fell due a week ago (one
// booking save). With a signed-in user the same store work runs when the
// root view first shows, right after the splash.
// Phases, as counters: read_ms (read and decode the file alone, measured
// apart), store_open_ms (the whole store start), dashboard_ms (the first draw);
// vs_floor is the whole start against the painted floor's open at that size.
// The bookings are saved once the first frame is on screen, as the window
// does it: that save is timed apart (saved_after_frame_ms), outside the step.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <memory>

#include "BenchHarness.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"  // the dashboard holds its alerts through pointers
#include "models/LedgerJson.h"
#include "platform/Haptics.h"
#include "store/MoneyStore.h"
#include "views/ledger/DashboardView.h"

namespace {

double readAndDecodeMs(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const std::optional<QByteArray> bytes = readLedgerBytes(file);
    if (!bytes) return 0;
    const std::optional<MoneyData> data = decodeMoneyData(*bytes);
    benchmark::DoNotOptimize(data);
    return double(timer.nsecsElapsed()) / 1e6;
}

void startToDashboard(benchmark::State& state) {
    const int transactions = int(state.range(0));
    const bool due = state.range(1) != 0;
    ProfileOnDisk profile(transactions,
                          due ? ProfileOnDisk::Recurring::due : ProfileOnDisk::Recurring::settled);
    SilentHaptics haptics;
    VersusFloor ratio(state, transactions, VersusFloor::Against::open);
    QElapsedTimer phase;
    qint64 storeNs = 0;
    qint64 dashboardNs = 0;
    qint64 saveNs = 0;
    size_t booked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (due) profile.writeUnsettled();
        state.ResumeTiming();
        ratio.start();
        phase.start();
        auto store = std::make_unique<MoneyStore>(profile.env);
        storeNs += phase.nsecsElapsed();
        phase.start();
        auto* dashboard = new DashboardView(*store, haptics, {}, {}, {});
        auto phone = std::make_unique<PhoneWindow>(new NavigationStack(dashboard));
        dashboardNs += phase.nsecsElapsed();
        ratio.stop();
        state.PauseTiming();
        phase.start();
        store->saveBookings();
        saveNs += phase.nsecsElapsed();
        booked = store->data().transactions.size() - size_t(transactions);
        phone.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        store.reset();
        state.ResumeTiming();
    }
    const double steps = double(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["read_ms"] = readAndDecodeMs(profile.file());
    state.counters["store_open_ms"] = double(storeNs) / 1e6 / steps;
    state.counters["dashboard_ms"] = double(dashboardNs) / 1e6 / steps;
    state.counters["saved_after_frame_ms"] = double(saveNs) / 1e6 / steps;
    state.counters["booked"] = double(booked);
    state.counters["peak_rss_MiB"] = peakResidentMiB();
}

}  // namespace

BENCHMARK(startToDashboard)
    ->ArgNames({"transactions", "due"})
    ->Args({10'000, 0})
    ->Args({10'000, 1})
    ->Args({100'000, 0})
    ->Args({100'000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
