// The operations tab as the user meets it, offscreen: opening the tab (build
// the screen, compute the shown list, lay out and paint the window), typing
// one character into the search, and switching a filter (the kind picker).
// Each timed step ends with the window painted, as one redraw of the screen,
// and is reported against the painted floor at the same number of rows
// (vs_floor: the open against the floor's open, the others against its reset).
// `height_measures` counts the rows' height computations of one open.
// `openQueries` times the whole-ledger queries of an open alone (against the
// floor's reset), so the open's growth can be read without them.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QVBoxLayout>
#include <memory>

#include "BenchHarness.h"
#include "components/NavigationStack.h"
#include "components/SegmentedControl.h"
#include "components/Theme.h"
#include "models/LedgerJson.h"
#include "platform/PhotoPicker.h"
#include "platform/ShareService.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/ledger/TransactionListIndex.h"
#include "views/ledger/TransactionListModel.h"
#include "views/ledger/TransactionRowDelegate.h"
#include "views/ledger/TransactionsView.h"

namespace {

class NoShare : public ShareService {
public:
    void share(const QString&, const QString&, const QString&) override {}
};

class NoPhotos : public PhotoPicker {
public:
    void pickImage(std::function<void(std::optional<QByteArray>)>) override {}
};

// The generated ledger as the app holds it: written to its file and read back,
// so equal texts (categories, wallets, tags) share one string as after a load.
struct LoadedLedger : GeneratedStore {
    explicit LoadedLedger(int count) : GeneratedStore(count) {
        std::optional<MoneyData> read = decodeMoneyData(encodeMoneyData(store->data()));
        if (!read) qFatal("the generated ledger did not read back");
        store->setData(std::move(*read));
    }
};

// The operations tab's stack in the phone window.
struct Screen {
    explicit Screen(GeneratedStore& ledger)
        : view(new TransactionsView(*ledger.store, {}, share, photos)), phone(new NavigationStack(view)) {}
    void redraw() { phone.redraw(); }

    NoShare share;
    NoPhotos photos;
    TransactionsView* view;
    PhoneWindow phone;
};

void openTab(benchmark::State& state) {
    LoadedLedger ledger(static_cast<int>(state.range(0)));
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::open);
    for (auto _ : state) {
        const qint64 measuredBefore = TransactionRowDelegate::heightMeasurements();
        ratio.start();
        auto screen = std::make_unique<Screen>(ledger);
        benchmark::DoNotOptimize(screen->view->model()->rowCount());
        ratio.stop();
        state.PauseTiming();
        state.counters["height_measures"] =
            double(TransactionRowDelegate::heightMeasurements() - measuredBefore);
        screen.reset();  // closing the tab is not part of opening it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

void typeOneCharacter(benchmark::State& state) {
    LoadedLedger ledger(static_cast<int>(state.range(0)));
    Screen screen(ledger);
    QLineEdit* search = screen.view->searchField();
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    for (auto _ : state) {
        ratio.start();
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("е"));
        QApplication::sendEvent(search, &press);
        screen.redraw();
        ratio.stop();
        state.PauseTiming();
        state.counters["shown"] = screen.view->model()->rowCount();
        search->clear();
        screen.redraw();
        state.ResumeTiming();
    }
}

void switchFilter(benchmark::State& state) {
    LoadedLedger ledger(static_cast<int>(state.range(0)));
    Screen screen(ledger);
    QAbstractButton* expenses = screen.view->kindPicker()->segment(QStringLiteral("expense"));
    QAbstractButton* all = screen.view->kindPicker()->segment(QStringLiteral("all"));
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    for (auto _ : state) {
        ratio.start();
        QTest::mouseClick(expenses, Qt::LeftButton);
        screen.redraw();
        ratio.stop();
        state.PauseTiming();
        state.counters["shown"] = screen.view->model()->rowCount();
        QTest::mouseClick(all, Qt::LeftButton);
        screen.redraw();
        state.ResumeTiming();
    }
}

// The whole-ledger queries one open reads, alone, against the floor's reset:
// the ledger's keys read once (TransactionListIndex), the shown list in the
// default order and its total. What the open costs beyond these is what it
// draws.
void openQueries(benchmark::State& state) {
    LoadedLedger ledger(static_cast<int>(state.range(0)));
    const std::vector<MoneyTransaction>& all = ledger.store->data().transactions;
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    for (auto _ : state) {
        ratio.start();
        const TransactionListIndex index(all);
        const std::vector<int> rows = index.visible(TransactionFilter{}, ledger.store->now(), QTimeZone::systemTimeZone());
        benchmark::DoNotOptimize(index.total(rows));
        ratio.stop();
    }
}

}  // namespace

BENCHMARK(openQueries)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openTab)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(typeOneCharacter)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(switchFilter)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    return runWidgetBenchmarks(argc, argv);
}
