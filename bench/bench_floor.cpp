// The floor every screen is compared with, offscreen in the 390 x 844 phone
// window: N records shown by a QListView whose delegate paints two lines and an
// amount per row, and the same records as a column of composed widgets.
// Opening is construction to the first full paint of the window; a reset is
// the model reset (or, for the widget column, replacing every row) plus the
// repaint. The composed column stops at sizes that finish in reasonable time.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "BenchHarness.h"
#include "PaintedFloor.h"

namespace {

// Construction to the first full paint of the window holding `Floor` of N rows.
template <class Floor>
void openFloor(benchmark::State& state) {
    const int rows = int(state.range(0));
    for (auto _ : state) {
        auto phone = std::make_unique<PhoneWindow>(new Floor(rows));
        state.PauseTiming();
        phone.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["peak_rss_MiB"] = peakResidentMiB();
}

void paintedOpen(benchmark::State& state) { openFloor<PaintedFloorList>(state); }

void paintedReset(benchmark::State& state) {
    auto* list = new PaintedFloorList(int(state.range(0)));
    PhoneWindow phone(list);
    for (auto _ : state) {
        list->floorModel()->reset();
        phone.redraw();
    }
}

void widgetOpen(benchmark::State& state) { openFloor<WidgetFloorColumn>(state); }

void widgetReplace(benchmark::State& state) {
    auto* column = new WidgetFloorColumn(int(state.range(0)));
    PhoneWindow phone(column);
    for (auto _ : state) {
        column->replaceRows();
        phone.redraw();
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// What the screen benchmarks read: the medians paintedFloor() keeps for a run.
void medians(benchmark::State& state) {
    const int rows = int(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(paintedFloor(rows));
    state.counters["open_ms"] = paintedFloor(rows).openMs;
    state.counters["open_low_ms"] = paintedFloor(rows).open.lowMs;
    state.counters["open_high_ms"] = paintedFloor(rows).open.highMs;
    state.counters["reset_ms"] = paintedFloor(rows).resetMs;
    state.counters["reset_low_ms"] = paintedFloor(rows).reset.lowMs;
    state.counters["reset_high_ms"] = paintedFloor(rows).reset.highMs;
    state.counters["held_KiB"] = double(paintedFloor(rows).heldBytes) / 1024.0;
}

}  // namespace

BENCHMARK(paintedOpen)
    ->RangeMultiplier(10)
    ->Range(100, 100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(paintedReset)
    ->RangeMultiplier(10)
    ->Range(100, 100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(widgetOpen)->Arg(100)->Arg(1'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(widgetReplace)->Arg(100)->Arg(1'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(medians)->RangeMultiplier(10)->Range(100, 100'000)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
