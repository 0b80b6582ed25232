// The money tools as the user meets them, offscreen: opening each of the six
// screens (build from the store, push it into the planner's stack already
// shown in the window, lay out and paint), switching the
// badges filter, picking another calendar day, and the wish list's, debts'
// and challenges' redraw after one record published with setData (beside the
// publication alone, with no screen open). Each timed step ends with
// the window painted; the opens report their ratio to the painted floor's open
// at the ledger's number of transactions (vs_floor), the filter switch, the
// day picked, the one-record redraws and the publication alone theirs to the
// floor's reset.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <functional>
#include <memory>

#include "BenchHarness.h"
#include "components/NavigationStack.h"
#include "store/MoneyStore.h"
#include "views/planning/BadgesView.h"
#include "views/planning/MoneyCalendarView.h"
#include "views/shell/ScreenFactories.h"

namespace {

enum Tool { wishlist, debts, challenges, recurring, calendar, badges };

NavigationPage* build(Tool tool, MoneyStore& store) {
    switch (tool) {
        case wishlist:
            return screens::wishlist(store);
        case debts:
            return screens::debts(store);
        case challenges:
            return screens::challenges(store);
        case recurring:
            return screens::recurring(store);
        case calendar:
            return screens::moneyCalendar(store, store.now());
        case badges:
            return screens::badges(store);
    }
    return nullptr;
}

struct Screen {
    Screen(MoneyStore& store, Tool tool) : page(build(tool, store)), phone(new NavigationStack(page)) {}
    NavigationPage* page;
    PhoneWindow phone;
};

void openScreen(benchmark::State& state, Tool tool) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    ShownStack shown;
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::open);
    for (auto _ : state) {
        ratio.start();
        shown.open(build(tool, *ledger.store));
        ratio.stop();
        state.PauseTiming();
        shown.close();  // leaving the screen is not part of opening it
        state.ResumeTiming();
    }
}

void switchBadgeFilter(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    Screen screen(*ledger.store, badges);
    auto* view = static_cast<BadgesView*>(screen.page);
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    int step = 0;
    for (auto _ : state) {
        ratio.start();
        view->setFilter(static_cast<BadgesView::Filter>(++step % 3));
        screen.phone.redraw();
        ratio.stop();
    }
}

void pickCalendarDay(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    Screen screen(*ledger.store, calendar);
    auto* view = static_cast<MoneyCalendarView*>(screen.page);
    const QDate today = view->selectedDay();
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    int step = 0;
    for (auto _ : state) {
        ratio.start();
        view->selectDay(today.addDays(-(++step % 20)));
        screen.phone.redraw();
        ratio.stop();
    }
}

void redrawAfterContribution(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    Screen screen(*ledger.store, wishlist);
    MoneyStore& store = *ledger.store;
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    for (auto _ : state) {
        state.PauseTiming();
        MoneyData data = store.data();
        WishItem& wish = data.wishes->front();
        wish.savedAmount = wish.savedAmount + Decimal(1);
        state.ResumeTiming();
        ratio.start();
        store.setData(std::move(data));
        screen.phone.redraw();
        ratio.stop();
    }
}

// One record changed and published with setData, as a step or an edit from
// another screen does (a recurring operation switched off or on): the
// screen redraws and paints one row again.
void redrawAfterOneRecord(benchmark::State& state, Tool tool) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    Screen screen(*ledger.store, tool);
    MoneyStore& store = *ledger.store;
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    for (auto _ : state) {
        state.PauseTiming();
        MoneyData data = store.data();
        if (tool == debts) {
            // An open debt: a settled one has no row.
            auto debt = std::find_if(data.debts->begin(), data.debts->end(),
                                     [](const DebtRecord& d) { return !d.isSettled; });
            debt->amount = debt->amount + Decimal(1);
        } else if (tool == recurring) {
            RecurringTransaction& item = data.recurringTransactions->front();
            item.isActive = !item.isActive;
        } else {
            SavingsChallenge& challenge = data.challenges->front();
            challenge.target = challenge.target + Decimal(1);
        }
        state.ResumeTiming();
        ratio.start();
        store.setData(std::move(data));
        screen.phone.redraw();
        ratio.stop();
    }
}

// The same publication with no screen open: what every redraw step above
// pays in the store itself (the whole previous ledger is let go), held apart
// from what the screens' own redraws cost at that size. Each step needs a
// ledger of its own, copied outside the timed part; a step costs far less
// than that copy, so the count of steps is fixed rather than grown until the
// timed part fills Google Benchmark's minimum time (minutes at 100,000).
constexpr int kPublishSteps = 200;

void publishWithoutScreen(benchmark::State& state) {
    GeneratedStore ledger(static_cast<int>(state.range(0)));
    MoneyStore& store = *ledger.store;
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    for (auto _ : state) {
        state.PauseTiming();
        MoneyData data = store.data();
        SavingsChallenge& challenge = data.challenges->front();
        challenge.target = challenge.target + Decimal(1);
        state.ResumeTiming();
        ratio.start();
        store.setData(std::move(data));
        QCoreApplication::processEvents();
        ratio.stop();
    }
}

}  // namespace

BENCHMARK(publishWithoutScreen)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Iterations(kPublishSteps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(redrawAfterOneRecord, debts, debts)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(redrawAfterOneRecord, challenges, challenges)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(openScreen, wishlist, wishlist)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(openScreen, debts, debts)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(openScreen, challenges, challenges)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(openScreen, recurring, recurring)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(openScreen, calendar, calendar)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(openScreen, badges, badges)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(switchBadgeFilter)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(pickCalendarDay)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(redrawAfterOneRecord, recurring, recurring)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(redrawAfterContribution)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) { return runWidgetBenchmarks(argc, argv); }
