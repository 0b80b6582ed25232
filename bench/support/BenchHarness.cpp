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
