#pragma once

// What the benchmark programs share: a fixed clock, a store holding a generated
// ledger, and the phone-sized offscreen window a screen is timed in.
#include "LedgerGenerator.h"
#include "store/MoneyStore.h"

#include <QTemporaryDir>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <memory>

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

// A 390 x 844 window holding `content` edge to edge, shown and painted once.
struct PhoneWindow {
    explicit PhoneWindow(QWidget* content);
    // Runs what is pending (delayed layouts) and paints the window, as one
    // redraw of the screen ends.
    void redraw();

    QWidget window;
};

// The store's ledger with one more expense of 7 in "Еда" at the store's now
// (what a redraw benchmark publishes with setData, which does not save).
MoneyData withOneMoreExpense(const MoneyStore& store);

// The timed loop of a redraw benchmark: each step publishes one more expense
// (prepared untimed) and ends with `phone` painted.
void timeRedrawsAfterExpense(benchmark::State& state, MoneyStore& store, PhoneWindow& phone);

// main() of a benchmark program that shows widgets: an offscreen QApplication
// with the app's theme installed, then Google Benchmark.
int runWidgetBenchmarks(int argc, char** argv);
