#include "StoreFixture.h"

#include "store/DefaultCatalogs.h"
#include "store/DemoLedger.h"

TEST(DefaultCatalogs, TasksAndTemplatesInOrder) {
    const auto tasks = defaultRewardTasks();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[0], (RewardTask{"starter-clean-floor", "Помыл полы:)", Decimal(10), 0, std::nullopt, std::nullopt, 1, true}));
    EXPECT_EQ(tasks[1].id, "starter-it-help");
    EXPECT_EQ(tasks[1].title, "Помог маме/папе с IT и технологиями");
    EXPECT_EQ(tasks[1].reward, Decimal(20));

    const auto templates = defaultQuickTemplates();
    ASSERT_EQ(templates.size(), 3u);
    EXPECT_EQ(templates[0], (QuickTemplate{"template-snack", "Перекус", TransactionKind::expense, Decimal(15), "Еда"}));
    EXPECT_EQ(templates[1], (QuickTemplate{"template-transport", "Транспорт", TransactionKind::expense, Decimal(3), "Транспорт"}));
    EXPECT_EQ(templates[2], (QuickTemplate{"template-help", "Помощь с IT", TransactionKind::income, Decimal(20),
                                           "Помог маме/папе с IT и технологиями"}));
}

TEST(DefaultCatalogs, ChallengesFollowTheMomentAndTheCurrency) {
    const QTimeZone zone("Europe/Berlin");
    const QDateTime now(QDate(2026, 1, 31), QTime(22, 0), Qt::UTC);  // 23:00 on 31 Jan in Berlin
    const auto challenges = defaultChallenges(now, zone, "USD");
    ASSERT_EQ(challenges.size(), 2u);
    EXPECT_EQ(challenges[0].id, "challenge-no-sweets");
    EXPECT_EQ(challenges[0].title, "Неделя без сладкого");
    EXPECT_EQ(challenges[0].kind, ChallengeKind::habit);
    EXPECT_EQ(challenges[0].target, Decimal(7));
    EXPECT_EQ(challenges[0].startDate, now);
    EXPECT_EQ(challenges[0].endDate, now.addDays(7));
    EXPECT_EQ(challenges[1].id, "challenge-save-500");
    EXPECT_EQ(challenges[1].title, "Накопить 500 USD");
    EXPECT_EQ(challenges[1].kind, ChallengeKind::saving);
    EXPECT_EQ(challenges[1].target, Decimal(500));
    // One month on the Berlin calendar: 28 Feb 23:00 local.
    EXPECT_EQ(challenges[1].endDate, QDateTime(QDate(2026, 2, 28), QTime(22, 0), Qt::UTC));
    EXPECT_FALSE(challenges[1].isCompleted);

    EXPECT_NE(defaultChallenges(now.addSecs(1), zone, "USD")[0].startDate, challenges[0].startDate);
}

TEST(DemoLedgerTest, SixTransactionsOnFourthOctoberInShanghai) {
    const MoneyData demo = demoLedger();
    ASSERT_EQ(demo.transactions.size(), 6u);
    EXPECT_EQ(ledger::balance(demo), Decimal(277));
    EXPECT_EQ(demo.goalName, "Мини ПК");
    EXPECT_EQ(demo.goalAmount, Decimal(388));
    EXPECT_EQ(demo.rewardTasks, defaultRewardTasks());
    EXPECT_FALSE(demo.quickTemplates);
    EXPECT_FALSE(demo.challenges);
    EXPECT_FALSE(demo.monthlyBudget);
    EXPECT_TRUE(demo.additionalGoals && demo.additionalGoals->empty());
    EXPECT_EQ(formatLedgerDate(demo.transactions[0].date), "2026-10-04T02:26:58Z");
    EXPECT_EQ(formatLedgerDate(demo.transactions[5].date), "2026-10-04T04:29:08Z");
    EXPECT_EQ(demo.transactions[4].note, "Убрался:)");
    EXPECT_EQ(demo.transactions[4].category, "Другое");
    EXPECT_EQ(demo.transactions[1].kind, TransactionKind::expense);
    EXPECT_EQ(demo.transactions[1].wallet, QString("Основной"));
    EXPECT_NE(demo.transactions[0].id, demoLedger().transactions[0].id);  // fresh ids per build
}

using ListsInUse = StoreFixture;

TEST_F(ListsInUse, AbsentKeysShowDefaultsAndStoredListsHideThem) {
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks.reset();
    d.quickTemplates.reset();
    d.challenges.reset();
    writeLedger(anonymousFile(), d);
    Preferences::standard().setValue("currencyCode", "EUR");
    auto store = makeStore();
    EXPECT_EQ(store->rewardTasksInUse(), defaultRewardTasks());
    EXPECT_EQ(store->quickTemplatesInUse(), defaultQuickTemplates());
    ASSERT_EQ(store->challengesInUse().size(), 2u);
    EXPECT_EQ(store->challengesInUse()[1].title, "Накопить 500 EUR");
    EXPECT_EQ(store->challengesInUse()[0].startDate, clock.now());

    d.rewardTasks = std::vector<RewardTask>{};
    store->setData(d);
    EXPECT_TRUE(store->rewardTasksInUse().empty());
}
