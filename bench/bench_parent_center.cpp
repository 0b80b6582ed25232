// The parent center offscreen at 390 x 844 with 2 parents, 3 children and N
// tasks (a quarter awaiting review), each timed step ending with the window
// painted: opening the page (its first family already loaded; with the heap
// bytes the open page holds beside the painted floor's); opening the
// task board alone; applying a refresh answer in which one task changed (the
// loopback request, decoding and the redraw); switching the board's status
// chip, each direction timed on its own ("Проверить" hides three quarters of
// the cards, "Все" shows every card again).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <memory>

#include "BenchHarness.h"
#include "account/AccountSession.h"
#include "account/BundleInfo.h"
#include "components/PageBody.h"
#include "platform/Keychain.h"
#include "platform/QrCodeScanner.h"
#include "services/Preferences.h"
#include "support/ScriptedHttpServer.h"
#include "views/family/ParentFamilyView.h"
#include "views/family/TaskBoard.h"

namespace {

class MemoryKeychain : public Keychain {
public:
    ReadResult read(const QString&, const QString&) override {
        return token.isEmpty() ? ReadResult{Status::notFound, {}, {}} : ReadResult{Status::ok, token, {}};
    }
    Status write(const QString&, const QString&, const QByteArray& data, QString*) override {
        token = data;
        return Status::ok;
    }
    Status remove(const QString&, const QString&, QString*) override { return Status::ok; }
    QByteArray token = "bench-token";
};

QByteArray familyAnswer(int count, int revision) {
    QJsonArray members{QJsonObject{{"id", "p1"}, {"nickname", "Мама"}, {"role", "parent"}},
                       QJsonObject{{"id", "p2"}, {"nickname", "Папа"}, {"role", "parent"}}};
    for (int c = 1; c <= 3; ++c)
        members.append(QJsonObject{{"id", QStringLiteral("c%1").arg(c)},
                                   {"nickname", QStringLiteral("Ребёнок %1").arg(c)},
                                   {"role", "child"}});
    static const char* statuses[] = {"review", "active", "done", "active"};
    QJsonArray tasks;
    for (int i = 0; i < count; ++i) {
        const char* status = statuses[i % 4];
        QJsonObject task{{"id", QStringLiteral("t%1").arg(i)},
                         {"title", QStringLiteral("Задание номер %1").arg(i)},
                         {"reward_cents", 2500 + i + (i == 0 ? revision : 0)},
                         {"status", status},
                         {"child_user_id", QStringLiteral("c%1").arg(i % 3 + 1)},
                         {"child_nickname", QStringLiteral("Ребёнок %1").arg(i % 3 + 1)}};
        if (QLatin1String(status) == QLatin1String("review"))
            task.insert("approval_count", 0), task.insert("required_approvals", 2),
                task.insert("current_user_approved", 0);
        tasks.append(task);
    }
    return QJsonDocument(QJsonObject{{"members", members}, {"tasks", tasks}}).toJson(QJsonDocument::Compact);
}

void await(QCoro::Task<> task) {
    bool done = false;
    [](QCoro::Task<> t, bool& flag) -> QCoro::Task<> {
        try {
            co_await std::move(t);
        } catch (...) {
        }
        flag = true;
    }(std::move(task), done);
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
}

// A signed-in parent's session whose family comes from a scripted server.
struct Family {
    explicit Family(int count) {
        server.listen();
        server.on("GET", "/api/family", ScriptedResponse::json(200, familyAnswer(count, 0)));
        preferences.setValue(
            AccountSession::kCachedUserKey,
            QByteArray(R"({"id":"p1","email":"m@example.com","nickname":"Мама","role":"parent"})"));
        account = std::make_unique<AccountSession>(keychain, preferences, server.origin());
        await(account->refresh());
    }
    QTemporaryDir dir;
    MemoryKeychain keychain;
    Preferences preferences{dir.filePath(QStringLiteral("preferences.ini"))};
    ScriptedHttpServer server;
    std::unique_ptr<AccountSession> account;
};

// The scanner is never opened while timed.
struct NoScanner : QrCodeScannerFactory {
    std::unique_ptr<QrCodeScanner> makeScanner() override { return nullptr; }
} scanners;

void openPage(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Family family(count);
    VersusFloor ratio(state, count, VersusFloor::Against::open);
    qint64 held = 0;
    qint64 opens = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 heapBefore = heapBytesInUse();
        state.ResumeTiming();
        ratio.start();
        auto phone = std::make_unique<PhoneWindow>(new ParentFamilyView(*family.account, scanners));
        ratio.stop();
        state.PauseTiming();
        held += heapBytesInUse() - heapBefore;
        ++opens;
        phone.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    if (opens > 0) reportHeldBytes(state, count, held / opens);
}

void refreshWithOneChange(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Family family(count);
    PhoneWindow phone(new ParentFamilyView(*family.account, scanners));
    int revision = 0;
    VersusFloor ratio(state, count, VersusFloor::Against::reset);
    for (auto _ : state) {
        state.PauseTiming();
        family.server.on("GET", "/api/family", ScriptedResponse::json(200, familyAnswer(count, ++revision)));
        state.ResumeTiming();
        ratio.start();
        await(family.account->refresh());
        phone.redraw();
        ratio.stop();
    }
}

void openBoard(benchmark::State& state) {
    Family family(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto phone = std::make_unique<PhoneWindow>(new TaskBoard(*family.account));
        state.PauseTiming();
        phone.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// Times the switch to `to`; the way back is made untimed.
void switchStatusChip(benchmark::State& state, ParentTaskFilter to, ParentTaskFilter back) {
    Family family(static_cast<int>(state.range(0)));
    auto* view = new ParentFamilyView(*family.account, scanners);
    PhoneWindow phone(view);
    VersusFloor ratio(state, static_cast<int>(state.range(0)), VersusFloor::Against::reset);
    for (auto _ : state) {
        ratio.start();
        view->board()->setSelectedFilter(to);
        phone.redraw();
        ratio.stop();
        view->board()->setSelectedFilter(back);
        phone.redraw();
    }
}

void chipToReview(benchmark::State& state) {
    switchStatusChip(state, ParentTaskFilter::review, ParentTaskFilter::all);
}

void chipToAll(benchmark::State& state) {
    switchStatusChip(state, ParentTaskFilter::all, ParentTaskFilter::review);
}

}  // namespace

BENCHMARK(openPage)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(refreshWithOneChange)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(openBoard)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(chipToReview)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(chipToAll)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    BundleInfo::setOverride(QJsonObject{{"ZanbeckRole", "parent"}});
    return runWidgetBenchmarks(argc, argv);
}
