// The "План" tab as the user meets it, offscreen: opening the tab (build the
// screen, draw every card from the store, lay out and paint the window) and
// the redraw after one change (one more expense this month, published with
// setData, which does not save). Each timed step ends with the window painted
// and is reported against the painted floor at the ledger's size (vs_floor).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "BenchHarness.h"
#include "components/NavigationStack.h"
#include "lock/AppLockModel.h"
#include "platform/Keychain.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "support/FakePlatform.h"
#include "views/planning/GoalsPlanCard.h"
#include "views/planning/PlannerView.h"
#include "views/planning/TemplatesCard.h"

namespace {

// No passcode stored: the planner only hands the lock model on.
class EmptyKeychain : public Keychain {
public:
    ReadResult read(const QString&, const QString&) override { return {Status::notFound, {}, {}}; }
    Status write(const QString&, const QString&, const QByteArray&, QString*) override { return Status::ok; }
    Status remove(const QString&, const QString&, QString*) override { return Status::notFound; }
};

struct Lock {
    EmptyKeychain keychain;
    AppLockModel model{keychain, Preferences::standard()};
    FakePlatform platform;  // handed on to the settings screen, never used here
};

// The planner tab's stack in the phone window.
struct Screen {
    Screen(GeneratedStore& ledger, Lock& lock)
        : view(new PlannerView(*ledger.store, lock.model, lock.platform.services)),
          phone(new NavigationStack(view)) {}

    PlannerView* view;
    PhoneWindow phone;
};

void openTab(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    Lock lock;
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::open);
    for (auto _ : state) {
        ratio.start();
        auto screen = std::make_unique<Screen>(ledger, lock);
        ratio.stop();
        state.PauseTiming();
        state.counters["goals"] = screen->view->goalsCard()->rowCount();
        state.counters["templates"] = screen->view->templatesCard()->rowCount();
        screen.reset();  // closing the tab is not part of opening it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

void redrawAfterExpense(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    Lock lock;
    Screen screen(ledger, lock);
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    timeRedrawsAfterExpense(state, *ledger.store, screen.phone, &ratio);
}

}  // namespace

BENCHMARK(openTab)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(redrawAfterExpense)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
