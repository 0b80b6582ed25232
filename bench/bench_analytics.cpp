// The "Аналитика" tab on generated ledgers, offscreen: opening the tab (build
// the screen, read every figure, lay out and paint the window), the redraw
// after one change while the tab is shown (one more expense this month,
// published with setData, which does not save), and returning to the tab
// after such a change made while another page covered it. Each timed step
// ends with the window painted and is reported against the painted floor at
// the ledger's number of transactions (vs_floor: the open against the floor's
// open, the redraws against its reset).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "BenchHarness.h"
#include "components/NavigationStack.h"
#include "store/MoneyStore.h"
#include "views/analytics/AnalyticsView.h"

namespace {

struct Screen {
    explicit Screen(GeneratedStore& ledger)
        : view(new AnalyticsView(*ledger.store)), stack(new NavigationStack(view)), phone(stack) {}

    AnalyticsView* view;
    NavigationStack* stack;
    PhoneWindow phone;
};

void openTab(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::open);
    for (auto _ : state) {
        // The same ledger published again: the figures are shared until the
        // store changes, and an open after a change works them out.
        state.PauseTiming();
        ledger.store->setData(MoneyData(ledger.store->data()));
        state.ResumeTiming();
        ratio.start();
        auto screen = std::make_unique<Screen>(ledger);
        ratio.stop();
        state.PauseTiming();
        state.counters["redraws"] = screen->view->redrawCount();
        screen.reset();  // closing the tab is not part of opening it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

void redrawAfterExpense(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    Screen screen(ledger);
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    timeRedrawsAfterExpense(state, *ledger.store, screen.phone, &ratio);
}

void returnAfterExpense(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    Screen screen(ledger);
    MoneyStore& store = *ledger.store;
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    for (auto _ : state) {
        state.PauseTiming();
        screen.stack->push(new NavigationPage(QStringLiteral("Медали")));
        screen.phone.redraw();
        store.setData(withOneMoreExpense(store));  // hidden: the tab only waits
        state.ResumeTiming();
        ratio.start();
        screen.stack->pop();
        screen.phone.redraw();
        ratio.stop();
    }
}

}  // namespace

BENCHMARK(openTab)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(redrawAfterExpense)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(returnAfterExpense)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
