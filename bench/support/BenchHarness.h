#pragma once

// What the benchmark programs share: a fixed clock, a store holding a generated
// ledger, and the phone-sized offscreen window a screen is timed in.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "LedgerGenerator.h"
#include "PaintedFloor.h"
#include "store/MoneyStore.h"

class NavigationPage;
class NavigationStack;

// 4 October 2026, noon UTC: the day the generated ledgers end on.
class BenchClock : public Clock {
public:
    QDateTime now() const override;
};

// A store on a temporary data folder holding a generated ledger of `count`
// transactions in memory; nothing is saved until the benchmark changes it.
// Preferences and the app group's folder are redirected there too.
struct GeneratedStore {
    explicit GeneratedStore(int count);
    ~GeneratedStore();
    GeneratedStore(const GeneratedStore&) = delete;
    GeneratedStore& operator=(const GeneratedStore&) = delete;

    QTemporaryDir dir;
    BenchClock clock;
    std::unique_ptr<MoneyStore> store;
};

// A data folder holding the anonymous profile's ledger file of `count`
// transactions, as the app finds it at start-up. Settled, every open finds
// the same file and books nothing; with recurring operations due, every
// active one fell due a week ago (writeUnsettled puts that file back).
struct ProfileOnDisk {
    enum class Recurring { settled, due };
    explicit ProfileOnDisk(int count, Recurring recurring = Recurring::settled);
    ~ProfileOnDisk();
    ProfileOnDisk(const ProfileOnDisk&) = delete;
    ProfileOnDisk& operator=(const ProfileOnDisk&) = delete;

    // Writes the ledger as it was generated (with its due recurring operations).
    void writeUnsettled();
    QString file() const;

    QTemporaryDir dir;
    BenchClock clock;
    MoneyStore::Environment env;
    QByteArray unsettled;  // the generated ledger's file
};

// The process's peak resident memory (VmHWM), in MiB.
double peakResidentMiB();

// The bytes the heap hands out now (small blocks and mapped ones): the
// difference across an open is what the opened screen holds, whatever the
// allocator kept from earlier runs.
qint64 heapBytesInUse();

// Reports what a screen holds once opened (`heldBytes`, the mean of the opens
// measured) beside the painted floor's window of the same number of rows:
//   held_KiB        the screen's bytes
//   floor_held_KiB  the floor's bytes at that size
//   held_vs_floor   their ratio
//   peak_rss_MiB    the process's peak resident memory so far
void reportHeldBytes(benchmark::State& state, int records, qint64 heldBytes);

// A 390 x 844 window holding `content` edge to edge, shown and painted once.
struct PhoneWindow {
    explicit PhoneWindow(QWidget* content);
    // Runs what is pending (delayed layouts) and paints the window, as one
    // redraw of the screen ends.
    void redraw();

    QWidget window;
};

// A tab's navigation stack already shown in the phone window, as the app has
// it when the user opens a screen: a pushed page is laid out and painted into
// a window that exists, and is reparented once (into the stack), as in the app.
//
//   ShownStack shown;
//   for (auto _ : state) {
//       shown.open(screens::wishlist(store));  // push, lay out, paint
//       state.PauseTiming(); shown.close(); state.ResumeTiming();
//   }
struct ShownStack {
    ShownStack();
    // Pushes the page and paints the window.
    void open(NavigationPage* page);
    // Pops the page opened last (deleting it) and paints the root again.
    void close();

    NavigationStack* stack;
    PhoneWindow phone;
};

// Times the steps of a screen benchmark by hand beside the Google Benchmark
// timer, and reports them against the painted floor at the same number of
// records (PaintedFloor.h) measured in the same run:
//   step_ms    the mean of the timed steps
//   floor_ms   the floor's open (or reset) at that size: its median
//   floor_low_ms, floor_high_ms  the floor's 10th and 90th percentiles
//   vs_floor   step_ms / floor_ms
//
//   VersusFloor ratio(state, transactions, VersusFloor::Against::open);
//   for (auto _ : state) {
//       ratio.start(); ...timed step...; ratio.stop();
//       state.PauseTiming(); ...untimed...; state.ResumeTiming();
//   }
class VersusFloor {
public:
    enum class Against { open, reset };
    VersusFloor(benchmark::State& state, int records, Against against);
    ~VersusFloor();
    VersusFloor(const VersusFloor&) = delete;
    VersusFloor& operator=(const VersusFloor&) = delete;

    // Under `valgrind --tool=callgrind --collect-atstart=no` only the timed
    // steps are counted, so instruction counts compare a step before and
    // after; each run ends with a dump of its own.
    void start();
    void stop();

private:
    benchmark::State& state_;
    FloorTime floor_;
    QElapsedTimer timer_;
    qint64 totalNs_ = 0;
    qint64 steps_ = 0;
};

// The store's ledger with one more expense of 7 in "Еда" at the store's now
// (what a redraw benchmark publishes with setData, which does not save).
MoneyData withOneMoreExpense(const MoneyStore& store);

// The timed loop of a redraw benchmark: each step publishes one more expense
// (prepared untimed) and ends with `phone` painted.
// With `ratio`, each redraw is also timed against the floor.
void timeRedrawsAfterExpense(benchmark::State& state, MoneyStore& store, PhoneWindow& phone,
                             VersusFloor* ratio = nullptr);

// main() of a benchmark program that shows widgets: an offscreen QApplication
// with the app's theme installed, then Google Benchmark.
int runWidgetBenchmarks(int argc, char** argv);
