#include <functional>

#include "StoreFixture.h"
#include "store/DefaultCatalogs.h"
#include "store/DemoLedger.h"

TEST(DefaultCatalogs, TasksTemplatesAndChallengesWhoseMonthFollowsTheLocalCalendar) {
    EXPECT_EQ(
        defaultRewardTasks(),
        (std::vector<RewardTask>{
            {"starter-clean-floor", "Помыл полы:)", Decimal(10), 0, {}, {}, 1, true},
            {"starter-it-help", "Помог маме/папе с IT и технологиями", Decimal(20), 0, {}, {}, 1, true}}));
    EXPECT_EQ(defaultQuickTemplates(),
              (std::vector<QuickTemplate>{
                  {"template-snack", "Перекус", TransactionKind::expense, Decimal(15), "Еда"},
                  {"template-transport", "Транспорт", TransactionKind::expense, Decimal(3), "Транспорт"},
                  {"template-help", "Помощь с IT", TransactionKind::income, Decimal(20),
                   "Помог маме/папе с IT и технологиями"}}));
    // 23:30 UTC on 28 February is 00:30 on 1 March in Berlin: a month on Berlin's calendar ends
    // at 00:30 on 1 April (summer time by then), where UTC's calendar would give 28 March.
    const QDateTime now(QDate(2026, 2, 28), QTime(23, 30), QTimeZone::utc());
    const auto challenges = defaultChallenges(now, QTimeZone("Europe/Berlin"), "USD");
    EXPECT_EQ(challenges,
              (std::vector<SavingsChallenge>{
                  {"challenge-no-sweets", "Неделя без сладкого", ChallengeKind::habit, Decimal(7), Decimal(),
                   now, now.addDays(7), false},
                  {"challenge-save-500", "Накопить 500 USD", ChallengeKind::saving, Decimal(500), Decimal(),
                   now, QDateTime(QDate(2026, 3, 31), QTime(22, 30), QTimeZone::utc()), false}}));
}

TEST(DemoLedgerTest, SixTransactionsOnFourthOctober) {
    const MoneyData demo = demoLedger();
    ASSERT_EQ(demo.transactions.size(), 6u);
    EXPECT_EQ(ledger::balance(demo), Decimal(277));
    EXPECT_EQ(demo.goalName, "Мини ПК");
    EXPECT_EQ(demo.goalAmount, Decimal(388));
    EXPECT_EQ(demo.rewardTasks, defaultRewardTasks());
    EXPECT_FALSE(demo.quickTemplates || demo.challenges || demo.monthlyBudget);
    EXPECT_EQ(formatLedgerDate(demo.transactions[0].date), "2026-10-04T02:26:58Z");
    EXPECT_EQ(formatLedgerDate(demo.transactions[5].date), "2026-10-04T04:29:08Z");
    EXPECT_EQ(demo.transactions[1].wallet, QString("Основной"));
    EXPECT_NE(demo.transactions[0].id, demoLedger().transactions[0].id);  // fresh ids per build
}

using ListsInUse = StoreFixture;

// Tasks, templates and challenges absent from the file show the defaults; the
// first change to one of them stores the defaults with the change, and leaves
// the other two absent; a stored empty list hides the defaults for good.
TEST_F(ListsInUse, AbsentListsShowTheDefaultsUntilTheirFirstChange) {
    Preferences::standard().setValue("currencyCode", "EUR");
    MoneyStore& s = open(withDefaults());
    EXPECT_EQ(s.rewardTasksInUse(), defaultRewardTasks());
    EXPECT_EQ(s.quickTemplatesInUse(), defaultQuickTemplates());
    EXPECT_EQ(s.challengesInUse(), defaultChallenges(clock.now(), zone, "EUR"));

    enum List { none, tasks, templates, challenges };
    const QStringList bothTasks{"starter-clean-floor", "starter-it-help"};
    const struct {
        const char* name;
        std::function<void(MoneyStore&)> change;
        List stored;
        QStringList ids;  // "" stands for a new id
    } cases[] = {
        {"add a task", [](MoneyStore& m) { m.addTask("Мусор", Decimal(5), std::nullopt, 1, true); }, tasks,
         bothTasks + QStringList{""}},
        {"complete a default task", [](MoneyStore& m) { m.completeTask("starter-it-help"); }, tasks,
         bothTasks},
        {"delete no task", [](MoneyStore& m) { m.deleteTask("nothing"); }, tasks, bothTasks},
        {"apply a default template", [](MoneyStore& m) { m.applyTemplate("template-snack"); }, none, {}},
        {"delete a template",
         [](MoneyStore& m) { m.deleteTemplate("template-transport"); },
         templates,
         {"template-snack", "template-help"}},
        {"add a challenge",
         [](MoneyStore& m) { m.addChallenge("Бег", ChallengeKind::habit, Decimal(3), m.now().addDays(9)); },
         challenges,
         {"challenge-no-sweets", "challenge-save-500", ""}},
        {"advance a default challenge",
         [](MoneyStore& m) { m.advanceChallenge("challenge-save-500", Decimal(1)); },
         challenges,
         {"challenge-no-sweets", "challenge-save-500"}},
    };
    auto idsOf = [](const auto& list) {  // the defaults' ids are lower case, new ones upper-case UUIDs
        QStringList ids;
        if (list)
            for (const auto& r : *list) ids << (r.id.at(0).isLower() ? r.id : QString());
        return ids;
    };
    for (const auto& c : cases) {
        c.change(open(withDefaults()));
        EXPECT_EQ(saves(), 1) << c.name;
        const MoneyData d = onDisk().value_or(MoneyData());
        EXPECT_EQ(d.rewardTasks.has_value(), c.stored == tasks) << c.name;
        EXPECT_EQ(d.quickTemplates.has_value(), c.stored == templates) << c.name;
        EXPECT_EQ(d.challenges.has_value(), c.stored == challenges) << c.name;
        const QStringList stored = c.stored == tasks       ? idsOf(d.rewardTasks)
                                   : c.stored == templates ? idsOf(d.quickTemplates)
                                                           : idsOf(d.challenges);
        EXPECT_EQ(stored, c.ids) << c.name;
    }

    MoneyData emptied = withDefaults();
    emptied.rewardTasks.emplace();
    emptied.quickTemplates.emplace();
    emptied.challenges.emplace();
    MoneyStore& e = open(emptied);
    EXPECT_TRUE(e.rewardTasksInUse().empty() && e.quickTemplatesInUse().empty() &&
                e.challengesInUse().empty());
    EXPECT_FALSE(e.completeTask("starter-it-help"));
    e.applyTemplate("template-snack");
    EXPECT_TRUE(e.data().transactions.empty());
}
