// Every screen that scrolls, scrolled as a user does (wheel, drag, Page Down,
// End): what the window shows afterwards must be what its widgets paint now.
// A view that moves the pixels on screen by a layout other than the one it
// paints leaves stale rows there, which no grab() sees (support/FreshPaint).

#include <QAbstractScrollArea>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScrollBar>
#include <functional>

#include "account/AccountSession.h"
#include "account/BundleInfo.h"
#include "lock/AppLockModel.h"
#include "store/DemoLedger.h"
#include "support/FakePlatform.h"
#include "support/FreshPaint.h"
#include "support/ScriptedHttpServer.h"
#include "support/WaitUntil.h"
#include "views/analytics/AnalyticsView.h"
#include "views/family/FamilyAccountView.h"
#include "views/features/FeatureCenterView.h"
#include "views/ledger/DashboardView.h"
#include "views/ledger/OperationsListFixture.h"
#include "views/ledger/TransactionsView.h"
#include "views/planning/BadgesView.h"
#include "views/planning/ChallengesView.h"
#include "views/planning/DebtsView.h"
#include "views/planning/MoneyCalendarView.h"
#include "views/planning/MoneyToolsFixture.h"
#include "views/planning/PlannerView.h"
#include "views/planning/RecurringTransactionsView.h"
#include "views/planning/WishlistView.h"

namespace {

const QStringList kShortCategories = {"Еда", "Транспорт", "Игры", "Кино", "Подарки", "Книги"};
const QString kLongCategory = QStringLiteral("Подарки на день рождения бабушки и дедушки в деревне");

// A ledger with something of every kind, each list long enough to scroll.
MoneyData crowded(int operations, bool mixedHeights, const QDateTime& now) {
    MoneyData data = demoLedger();
    data.transactions.clear();
    for (int i = 0; i < operations; ++i) {
        MoneyTransaction t;
        t.id = QUuid::createUuid();
        t.kind = i % 4 == 0 ? TransactionKind::income : TransactionKind::expense;
        t.amount = Decimal(10 + (i * 37) % 900);
        t.category = mixedHeights && i % 3 == 1 ? kLongCategory : kShortCategories[i % kShortCategories.size()];
        t.note = i % 5 == 0 ? QStringLiteral("заметка %1").arg(i) : QString();
        // Thirty on the calendar's day (today), the rest one an hour back from there.
        t.date = i < 30 ? now.addSecs(-60 * i) : now.addSecs(-3600 * qint64(i));
        t.wallet = QStringLiteral("Основной");
        data.transactions.push_back(t);
    }
    std::vector<SavingsGoal> goals;
    std::vector<WishItem> wishes;
    std::vector<DebtRecord> debts;
    std::vector<SavingsChallenge> challenges;
    std::vector<RecurringTransaction> recurring;
    std::vector<RewardTask> tasks;
    for (int i = 0; i < 24; ++i) {
        const QString n = QString::number(i + 1);
        goals.push_back({QStringLiteral("goal-") + n, QStringLiteral("Цель ") + n, Decimal(1000 + i), std::nullopt,
                         std::nullopt});
        wishes.push_back({QStringLiteral("wish-") + n, QStringLiteral("Желание ") + n, Decimal(500 + i), Decimal(i * 10),
                          now.addDays(-i), false});
        debts.push_back({QStringLiteral("debt-") + n, QStringLiteral("Друг ") + n, Decimal(100 + i),
                         i % 2 ? DebtDirection::iOwe : DebtDirection::owesMe, QStringLiteral("за обед"),
                         now.addDays(i), false});
        challenges.push_back({QStringLiteral("challenge-") + n, QStringLiteral("Челлендж ") + n,
                              i % 2 ? ChallengeKind::habit : ChallengeKind::saving, Decimal(100), Decimal(i),
                              now.addDays(-3), now.addDays(20 + i), false});
        recurring.push_back({QStringLiteral("recurring-") + n, QStringLiteral("Подписка ") + n, TransactionKind::expense,
                             Decimal(199 + i), QStringLiteral("Развлечения"), RecurringFrequency::monthly,
                             now.addDays(1 + i), i % 3 != 0});
        tasks.push_back({QStringLiteral("task-") + n, QStringLiteral("Задача ") + n, Decimal(50 + i), 0, std::nullopt,
                         now.addDays(2 + i), std::nullopt, std::nullopt});
    }
    data.additionalGoals = goals;
    data.wishes = wishes;
    data.debts = debts;
    data.challenges = challenges;
    data.recurringTransactions = recurring;
    data.rewardTasks = tasks;
    return data;
}

// A family answer with a child and `count` tasks in every state.
QByteArray familyWithTasks(int count) {
    QJsonArray tasks;
    const char* const states[] = {"active", "review", "done"};
    for (int i = 0; i < count; ++i)
        tasks.append(QJsonObject{{"id", QStringLiteral("t%1").arg(i)},
                                 {"title", QStringLiteral("Задание %1").arg(i)},
                                 {"reward_cents", 5000 + i},
                                 {"status", states[i % 3]},
                                 {"child_user_id", "child-1"},
                                 {"child_nickname", "Аня"}});
    const QJsonArray members{QJsonObject{{"id", "parent-1"}, {"nickname", "Мама"}, {"role", "parent"}},
                             QJsonObject{{"id", "child-1"}, {"nickname", "Аня"}, {"role", "child"}}};
    return QJsonDocument(QJsonObject{{"members", members}, {"tasks", tasks}}).toJson();
}

const QByteArray kChild = R"({"id":"child-1","email":"anya@family.ru","nickname":"Аня","role":"child"})";
const QByteArray kParent = R"({"id":"parent-1","email":"mama@family.ru","nickname":"Мама","role":"parent"})";

class ScrollRepaintTest : public MoneyToolsFixture {
protected:
    // The family tab signed in as `user`, its tasks loaded from the scripted server.
    void showFamily(const QByteArray& user, const char* role) {
        build.emplace(QJsonObject{{"ZanbeckRole", role}});
        if (!listening) {
            ASSERT_TRUE(server.listen());
        }
        listening = true;
        server.on("GET", "/api/auth/me", ScriptedResponse::json(200, "{\"user\":" + user + "}"));
        server.on("GET", "/api/family", ScriptedResponse::json(200, familyWithTasks(40)));
        platform.keychain.items.insert({AccountSession::kTokenService, QString()}, "token-old");
        Preferences::standard().setValue(AccountSession::kCachedUserKey, user);
        account = std::make_unique<AccountSession>(platform.keychain, Preferences::standard(), server.origin());
        showInWindow(new FamilyAccountView(*account, platform.services));
        ASSERT_TRUE(waitUntil([&] { return account->tasks().size() == 40; }));
        settle();
    }
    void TearDown() override {
        closeWindow();
        account.reset();
        MoneyToolsFixture::TearDown();
    }

    // The window's scroll area that scrolls furthest on the screen shown.
    QAbstractScrollArea* scrolling() const {
        QAbstractScrollArea* best = nullptr;
        for (QAbstractScrollArea* area : window->findChildren<QAbstractScrollArea*>()) {
            if (!area->isVisible() || area->verticalScrollBar()->maximum() == 0) continue;
            if (!best || area->viewport()->height() > best->viewport()->height()) best = area;
        }
        return best;
    }

    FakePlatform platform;
    AppLockModel lock{platform.keychain, Preferences::standard(), &platform.biometrics};
    ScriptedHttpServer server;
    bool listening = false;
    std::optional<ScopedBundleInfo> build;
    std::unique_ptr<AccountSession> account;
    opslist::RecordingShareService share;
    opslist::IdlePhotoPicker photos;
};

struct Screen {
    const char* name;
    std::function<void()> show;
};

}  // namespace

TEST_F(ScrollRepaintTest, EveryScrollingScreenShowsWhatItPaintsAfterWheelDragPageDownAndEnd) {
    const QDateTime now = clock.now();
    const auto ledger = [this](const MoneyData& data, std::function<NavigationPage*()> make) {
        open(data);
        showInWindow(make());
    };
    const auto operations = [this, ledger, now](int count, bool mixed) {
        ledger(crowded(count, mixed, now), [this] {
            return new TransactionsView(*store, [](TransactionKind) {}, share, photos);
        });
    };
    const std::vector<Screen> screens = {
        {"operations, 10 rows of one height", [&] { operations(10, false); }},
        {"operations, 10 rows of mixed heights", [&] { operations(10, true); }},
        {"operations, 10000 rows of one height", [&] { operations(10'000, false); }},
        {"operations, 10000 rows of mixed heights", [&] { operations(10'000, true); }},
        {"dashboard",
         [&] {
             ledger(crowded(200, false, now),
                    [this] { return new DashboardView(*store, haptics, {}, {}, {}); });
         }},
        {"planner",
         [&] {
             ledger(crowded(200, false, now), [this] { return new PlannerView(*store, lock, platform.services); });
         }},
        {"analytics",
         [&] { ledger(crowded(200, false, now), [this] { return new AnalyticsView(*store); }); }},
        {"task board", [&] { showFamily(kParent, "parent"); }},
        {"child task list", [&] { showFamily(kChild, "child"); }},
        {"wish list",
         [&] { ledger(crowded(20, false, now), [this] { return new WishlistView(*store); }); }},
        {"debts",
         [&] { ledger(crowded(20, false, now), [this] { return new DebtsView(*store); }); }},
        {"challenges",
         [&] { ledger(crowded(20, false, now), [this] { return new ChallengesView(*store); }); }},
        {"recurring operations",
         [&] {
             ledger(crowded(20, false, now), [this] { return new RecurringTransactionsView(*store); });
         }},
        {"calendar's day",
         [&] {
             ledger(crowded(60, true, now), [this, now] { return new MoneyCalendarView(*store, now); });
         }},
        {"badges",
         [&] { ledger(crowded(200, false, now), [this] { return new BadgesView(*store); }); }},
        {"feature center",
         [&] {
             ledger(crowded(20, false, now),
                    [this] { return new FeatureCenterView(store.get(), FeatureAudience::child); });
         }},
    };
    for (const Screen& screen : screens) {
        SCOPED_TRACE(screen.name);
        screen.show();
        if (HasFatalFailure()) return;
        QAbstractScrollArea* area = scrolling();
        ASSERT_NE(area, nullptr) << screen.name << ": nothing scrolls";
        expectScrollingKeepsWindowFresh(*window, *area);
        closeWindow();
        account.reset();
        build.reset();
    }
}
