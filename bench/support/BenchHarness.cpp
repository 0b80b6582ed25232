#include "BenchHarness.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTimeZone>
#include <QVBoxLayout>
#include <malloc.h>

#include "PaintedFloor.h"
#include "components/NavigationStack.h"
#include "components/Theme.h"
#include "models/LedgerJson.h"
#include "services/Preferences.h"

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#define CALLGRIND_DUMP_STATS
#endif

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

ProfileOnDisk::ProfileOnDisk(int count, Recurring recurring) {
    Preferences::resetStandard(dir.filePath("standard.ini"));
    AppGroupDefaults::setDirectoryOverride(dir.filePath("group"));
    env.paths = StorePaths(dir.path());
    env.clock = &clock;
    env.timeZone = QTimeZone("Europe/Berlin");
    env.preferences = &Preferences::standard();
    StorePaths::makeFolder(*env.paths.accountsFolder(), nullptr);
    MoneyData ledger = generateLedger(count);
    if (recurring == Recurring::due && ledger.recurringTransactions)
        for (RecurringTransaction& item : *ledger.recurringTransactions)
            item.nextDate = clock.now().addDays(-7);
    unsettled = encodeMoneyData(ledger);
    writeUnsettled();
    if (recurring == Recurring::settled) MoneyStore settle(env);
}

ProfileOnDisk::~ProfileOnDisk() {
    AppGroupDefaults::setDirectoryOverride({});
    Preferences::resetStandard();
}

QString ProfileOnDisk::file() const { return *env.paths.anonymousFile(); }

void ProfileOnDisk::writeUnsettled() {
    QFile out(file());
    if (out.open(QIODevice::WriteOnly)) out.write(unsettled);
}

double peakResidentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

qint64 heapBytesInUse() {
    const struct mallinfo2 heap = mallinfo2();
    return qint64(heap.uordblks + heap.hblkhd);
}

void reportHeldBytes(benchmark::State& state, int records, qint64 heldBytes) {
    const double floorBytes = double(paintedFloor(records).heldBytes);
    state.counters["held_KiB"] = double(heldBytes) / 1024.0;
    state.counters["floor_held_KiB"] = floorBytes / 1024.0;
    state.counters["held_vs_floor"] = floorBytes > 0 ? double(heldBytes) / floorBytes : 0;
    state.counters["peak_rss_MiB"] = peakResidentMiB();
}

PhoneWindow::PhoneWindow(QWidget* content) {
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    window.resize(390, 844);
    window.show();
    redraw();
}

namespace {
// Counts the events the event loop delivers, to tell when a step has settled.
class DeliveredEvents : public QObject {
public:
    bool eventFilter(QObject*, QEvent*) override {
        ++count;
        return false;
    }
    qint64 count = 0;
};
constexpr int kMostSettlingPasses = 8;
}  // namespace

void PhoneWindow::redraw() {
    // The event loop paints what the step changed into the window, once, as
    // on a screen (a grab() on top would paint the whole window a second
    // time). A step can take more than one pass: a model reset lays its rows
    // out on a zero timer and paints on the pass after it, so passes go on
    // until one delivers nothing (or a running animation keeps them busy).
    DeliveredEvents delivered;
    QCoreApplication::instance()->installEventFilter(&delivered);
    for (int pass = 0; pass < kMostSettlingPasses; ++pass) {
        const qint64 before = delivered.count;
        QCoreApplication::processEvents();
        if (delivered.count == before) break;
    }
    QCoreApplication::instance()->removeEventFilter(&delivered);
}

ShownStack::ShownStack()
    : stack(new NavigationStack(new NavigationPage(QStringLiteral("Планы")))), phone(stack) {}

void ShownStack::open(NavigationPage* page) {
    stack->push(page);
    phone.redraw();
}

void ShownStack::close() {
    stack->popToRoot();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    phone.redraw();
}

VersusFloor::VersusFloor(benchmark::State& state, int records, Against against)
    : state_(state),
      floor_(against == Against::open ? paintedFloor(records).open : paintedFloor(records).reset) {}

void VersusFloor::start() {
    timer_.start();
    CALLGRIND_TOGGLE_COLLECT;
}

void VersusFloor::stop() {
    CALLGRIND_TOGGLE_COLLECT;
    totalNs_ += timer_.nsecsElapsed();
    ++steps_;
}

VersusFloor::~VersusFloor() {
    if (steps_ == 0) return;
    // One callgrind dump per run: with --benchmark_repetitions=2 the second
    // holds the steps of a warm process (one-time set-up left out).
    CALLGRIND_DUMP_STATS;
    const double stepMs = double(totalNs_) / 1e6 / double(steps_);
    state_.counters["step_ms"] = stepMs;
    state_.counters["floor_ms"] = floor_.medianMs;
    state_.counters["floor_low_ms"] = floor_.lowMs;
    state_.counters["floor_high_ms"] = floor_.highMs;
    state_.counters["vs_floor"] = floor_.medianMs > 0 ? stepMs / floor_.medianMs : 0;
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

void timeRedrawsAfterExpense(benchmark::State& state, MoneyStore& store, PhoneWindow& phone,
                             VersusFloor* ratio) {
    for (auto _ : state) {
        state.PauseTiming();
        MoneyData data = withOneMoreExpense(store);
        state.ResumeTiming();
        if (ratio) ratio->start();
        store.setData(std::move(data));
        phone.redraw();
        if (ratio) ratio->stop();
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
