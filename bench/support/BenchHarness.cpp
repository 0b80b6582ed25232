#include "BenchHarness.h"

#include "components/Theme.h"
#include "services/Preferences.h"

#include <QApplication>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>

QDateTime BenchClock::now() const {
    return QDateTime(QDate(2026, 10, 4), QTime(12, 0), Qt::UTC);
}

GeneratedStore::GeneratedStore(int count) {
    Preferences::resetStandard(dir.filePath("standard.ini"));
    AppGroupDefaults::setDirectoryOverride(dir.filePath("group"));
    MoneyStore::Environment env;
    env.paths = StorePaths(dir.path());
    env.clock = &clock;
    env.preferences = &Preferences::standard();
    store = std::make_unique<MoneyStore>(env);
    store->setData(generateLedger(count));
}

GeneratedStore::~GeneratedStore() {
    store.reset();
    AppGroupDefaults::setDirectoryOverride({});
    Preferences::resetStandard();
}

PhoneWindow::PhoneWindow(QWidget* content) {
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    window.resize(390, 844);
    window.show();
    redraw();
}

void PhoneWindow::redraw() {
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(window.grab());
}

MoneyData withOneMoreExpense(const MoneyStore& store) {
    MoneyData data = store.data();
    MoneyTransaction expense;
    expense.id = QUuid::createUuid();
    expense.kind = TransactionKind::expense;
    expense.amount = Decimal(7);
    expense.category = QStringLiteral("Еда");
    expense.date = store.now();
    data.transactions.push_back(expense);
    return data;
}

void timeRedrawsAfterExpense(benchmark::State& state, MoneyStore& store, PhoneWindow& phone) {
    for (auto _ : state) {
        state.PauseTiming();
        MoneyData data = withOneMoreExpense(store);
        state.ResumeTiming();
        store.setData(std::move(data));
        phone.redraw();
    }
}

int runWidgetBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    Theme::current().install(app);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
