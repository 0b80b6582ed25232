#include "StoreFixture.h"
#include "store/DefaultCatalogs.h"
#include "store/DemoLedger.h"

TEST(DefaultCatalogs, TasksAndTemplatesInOrder) {
    const auto tasks = defaultRewardTasks();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0], (RewardTask{"starter-clean-floor", "Помыл полы:)", Decimal(10), 0, {}, {}, 1, true}));
    EXPECT_EQ(tasks[1].title, "Помог маме/папе с IT и технологиями");
    EXPECT_EQ(defaultQuickTemplates(),
              (std::vector<QuickTemplate>{
                  {"template-snack", "Перекус", TransactionKind::expense, Decimal(15), "Еда"},
                  {"template-transport", "Транспорт", TransactionKind::expense, Decimal(3), "Транспорт"},
                  {"template-help", "Помощь с IT", TransactionKind::income, Decimal(20),
                   "Помог маме/папе с IT и технологиями"}}));
}

TEST(DefaultCatalogs, ChallengesFollowTheMomentAndTheCurrency) {
    const QDateTime now(QDate(2026, 1, 31), QTime(22, 0), QTimeZone::utc());  // 23:00 on 31 Jan in Berlin
    const auto challenges = defaultChallenges(now, QTimeZone("Europe/Berlin"), "USD");
    ASSERT_EQ(challenges.size(), 2u);
    EXPECT_EQ(challenges[0],
              (SavingsChallenge{"challenge-no-sweets", "Неделя без сладкого", ChallengeKind::habit,
                                Decimal(7), Decimal(), now, now.addDays(7), false}));
    EXPECT_EQ(challenges[1].title, "Накопить 500 USD");
    EXPECT_EQ(challenges[1].kind, ChallengeKind::saving);
    EXPECT_EQ(challenges[1].target, Decimal(500));
    // One month on the Berlin calendar: 28 Feb 23:00 local.
    EXPECT_EQ(challenges[1].endDate, QDateTime(QDate(2026, 2, 28), QTime(22, 0), QTimeZone::utc()));
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

TEST_F(ListsInUse, AbsentKeysShowDefaultsAndStoredListsHideThem) {
    Preferences::standard().setValue("currencyCode", "EUR");
    MoneyStore& s = open(withDefaults());
    EXPECT_EQ(s.rewardTasksInUse(), defaultRewardTasks());
    EXPECT_EQ(s.quickTemplatesInUse(), defaultQuickTemplates());
    ASSERT_EQ(s.challengesInUse().size(), 2u);
    EXPECT_EQ(s.challengesInUse()[1].title, "Накопить 500 EUR");
    EXPECT_EQ(s.challengesInUse()[0].startDate, clock.now());

    MoneyData d = withDefaults();
    d.rewardTasks = std::vector<RewardTask>{};
    s.setData(d);
    EXPECT_TRUE(s.rewardTasksInUse().empty());
}
