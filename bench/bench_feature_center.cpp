// The feature center as a child meets it, offscreen in the phone window:
// opening it (build all 48 rows, lay out, paint), one character typed into its
// search and a switch of the group chip. Each timed step ends with the window
// painted and is reported against the painted floor of 48 rows (vs_floor).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "BenchHarness.h"
#include "components/NavigationStack.h"
#include "components/SearchField.h"
#include "features/FeatureCatalog.h"
#include "views/features/FeatureCenterView.h"

namespace {

struct Screen {
    explicit Screen(MoneyStore& store)
        : view(new FeatureCenterView(&store, FeatureAudience::child)), phone(new NavigationStack(view)) {}

    FeatureCenterView* view;
    PhoneWindow phone;
};

constexpr int kLedger = 1'000;  // the center never reads the ledger
constexpr int kRows = 48;       // the child's modules: the floor is measured at this size

void openCenter(benchmark::State& state) {
    GeneratedStore ledger(kLedger);
    VersusFloor ratio(state, kRows, VersusFloor::Against::open);
    for (auto _ : state) {
        ratio.start();
        auto screen = std::make_unique<Screen>(*ledger.store);
        ratio.stop();
        state.PauseTiming();
        screen.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

void typeOneCharacter(benchmark::State& state) {
    GeneratedStore ledger(kLedger);
    Screen screen(*ledger.store);
    SearchField* search = screen.view->searchField();
    VersusFloor ratio(state, kRows, VersusFloor::Against::reset);
    for (auto _ : state) {
        state.PauseTiming();
        search->clear();
        screen.phone.redraw();
        state.ResumeTiming();
        ratio.start();
        search->insert(QStringLiteral("ч"));  // keeps about a quarter of the rows
        screen.phone.redraw();
        ratio.stop();
    }
    state.counters["shown"] = double(screen.view->visibleModules().size());
}

void switchChip(benchmark::State& state) {
    GeneratedStore ledger(kLedger);
    Screen screen(*ledger.store);
    std::size_t next = 0;
    VersusFloor ratio(state, kRows, VersusFloor::Against::reset);
    for (auto _ : state) {
        // "Все" and each group in turn: every switch shows and hides sections.
        const std::optional<FeatureGroup> group =
            next == 0 ? std::nullopt : std::optional<FeatureGroup>(kFeatureGroups[next - 1]);
        next = (next + 1) % (kFeatureGroups.size() + 1);
        ratio.start();
        screen.view->selectGroup(group);
        screen.phone.redraw();
        ratio.stop();
    }
}

}  // namespace

BENCHMARK(openCenter)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(typeOneCharacter)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(switchChip)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
