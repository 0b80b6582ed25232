// The "Главная" tab as the user meets it, offscreen: opening the tab (build the
// screen, draw the cards near the screen from the store, lay out and paint the
// window), the redraw after one change (one more expense today, published
// with setData, which does not save), and scrolling from the top to the end
// (the cards below the screen are built on the way). Each timed step ends
// with the window painted; opening and the redraw are also reported against
// the painted floor at the ledger's size (vs_floor).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QScrollBar>
#include <memory>

#include "BenchHarness.h"
#include "components/LazyColumn.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "platform/Haptics.h"
#include "views/ledger/DashboardView.h"

namespace {

// The dashboard tab's stack in the phone window.
struct Screen {
    Screen(GeneratedStore& ledger, Haptics& haptics)
        : view(new DashboardView(*ledger.store, haptics, {}, {}, {})), phone(new NavigationStack(view)) {}

    DashboardView* view;
    PhoneWindow phone;
};

void openTab(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    SilentHaptics haptics;
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::open);
    for (auto _ : state) {
        ratio.start();
        auto screen = std::make_unique<Screen>(ledger, haptics);
        ratio.stop();
        state.PauseTiming();
        state.counters["built"] = screen->view->column()->builtCount();
        screen.reset();  // closing the tab is not part of opening it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

void redrawAfterExpense(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    SilentHaptics haptics;
    Screen screen(ledger, haptics);
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    timeRedrawsAfterExpense(state, *ledger.store, screen.phone, &ratio);
}

void scrollToTheEnd(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    SilentHaptics haptics;
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = std::make_unique<Screen>(ledger, haptics);
        QScrollBar* bar = screen->view->body()->verticalScrollBar();
        state.ResumeTiming();
        while (bar->value() < bar->maximum()) {
            bar->setValue(bar->value() + screen->view->body()->viewport()->height() / 2);
            screen->phone.redraw();
        }
        state.PauseTiming();
        screen.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(openTab)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(redrawAfterExpense)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(scrollToTheEnd)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
