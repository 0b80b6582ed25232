// The operations tab as the user meets it, offscreen: opening the tab (build
// the screen, compute the shown list, lay out and paint the window), typing
// one character into the search, and switching a filter (the kind picker).
// Each timed step ends with the window painted, as one redraw of the screen.
#include "LedgerGenerator.h"
#include "components/NavigationStack.h"
#include "components/SegmentedControl.h"
#include "components/Theme.h"
#include "platform/PhotoPicker.h"
#include "platform/ShareService.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/TransactionListModel.h"
#include "views/TransactionsView.h"

#include <QApplication>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

class BenchClock : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 10, 4), QTime(12, 0), Qt::UTC); }
};

class NoShare : public ShareService {
public:
    void share(const QString&, const QString&, const QString&) override {}
};

class NoPhotos : public PhotoPicker {
public:
    void pickImage(std::function<void(std::optional<QByteArray>)>) override {}
};

// A store holding a generated ledger in memory (nothing is saved while timing).
struct Ledger {
    explicit Ledger(int count) {
        Preferences::resetStandard(dir.filePath("standard.ini"));
        AppGroupDefaults::setDirectoryOverride(dir.filePath("group"));
        MoneyStore::Environment env;
        env.paths = StorePaths(dir.path());
        env.clock = &clock;
        env.preferences = &Preferences::standard();
        store = std::make_unique<MoneyStore>(env);
        store->setData(generateLedger(count));
    }
    ~Ledger() {
        store.reset();
        AppGroupDefaults::setDirectoryOverride({});
        Preferences::resetStandard();
    }
    QTemporaryDir dir;
    BenchClock clock;
    std::unique_ptr<MoneyStore> store;
    NoShare share;
    NoPhotos photos;
};

// The phone-sized window with the tab's stack in it.
struct Screen {
    explicit Screen(Ledger& ledger) {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        view = new TransactionsView(*ledger.store, {}, ledger.share, ledger.photos);
        layout->addWidget(new NavigationStack(view));
        window.resize(390, 844);
        window.show();
        redraw();
    }
    // Runs what is pending (the list's delayed layout) and paints the window.
    void redraw() {
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
    }
    QWidget window;
    TransactionsView* view = nullptr;
};

void openTab(benchmark::State& state) {
    Ledger ledger(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto screen = std::make_unique<Screen>(ledger);
        benchmark::DoNotOptimize(screen->view->model()->rowCount());
        state.PauseTiming();
        screen.reset();  // closing the tab is not part of opening it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

void typeOneCharacter(benchmark::State& state) {
    Ledger ledger(static_cast<int>(state.range(0)));
    Screen screen(ledger);
    QLineEdit* search = screen.view->searchField();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("е"));
        QApplication::sendEvent(search, &press);
        screen.redraw();
        state.PauseTiming();
        state.counters["shown"] = screen.view->model()->rowCount();
        search->clear();
        screen.redraw();
        state.ResumeTiming();
    }
}

void switchFilter(benchmark::State& state) {
    Ledger ledger(static_cast<int>(state.range(0)));
    Screen screen(ledger);
    QAbstractButton* expenses = screen.view->kindPicker()->segment(QStringLiteral("expense"));
    QAbstractButton* all = screen.view->kindPicker()->segment(QStringLiteral("all"));
    for (auto _ : state) {
        QTest::mouseClick(expenses, Qt::LeftButton);
        screen.redraw();
        state.PauseTiming();
        state.counters["shown"] = screen.view->model()->rowCount();
        QTest::mouseClick(all, Qt::LeftButton);
        screen.redraw();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(openTab)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(typeOneCharacter)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(switchFilter)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    Theme::current().install(app);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
