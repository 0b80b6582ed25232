#include <functional>
#include <limits>
#include <numeric>

#include "StoreFixture.h"

namespace {
using K = TransactionKind;
}

using LedgerTotals = StoreFixture;

TEST_F(LedgerTotals, BalanceStartsFromTheStartingBalanceAndCountsEveryDate) {
    MoneyData d = MoneyData::emptyLedger();
    d.startingBalance = dec("-12.5");
    MoneyStore& empty = open(d);
    EXPECT_EQ(empty.balance(), dec("-12.5"));
    EXPECT_FALSE(empty.largestExpense());
    EXPECT_EQ(empty.safeToSpendToday(), Decimal());
    const auto rows = empty.weeklyAmounts(empty.now());
    ASSERT_EQ(rows.size(), 14u);
    for (const DailyAmount& r : rows) EXPECT_EQ(r.amount, Decimal());

    setNow(local(2026, 6, 15, 14));
    d.transactions = {income(Decimal(100), local(2026, 6, 16, 9)), expense(dec("30.25"), local(2025, 1, 1)),
                      income(dec("0.25"), local(2026, 6, 15, 8))};
    d.startingBalance = Decimal(10);
    MoneyStore& s = open(d);
    EXPECT_EQ(s.balance(), Decimal(80));  // the future counts too
    EXPECT_EQ(s.total(K::income, s.now()), dec("0.25"));
    EXPECT_EQ(s.total(K::income, local(2026, 6, 16, 23, 59)), Decimal(100));
}

TEST_F(LedgerTotals, DaysEndAtLocalMidnightNotUtcMidnight) {
    // Berlin is UTC+2 in June: 00:30 local on the 15th is 22:30 UTC on the 14th.
    // 29 March 2026 skips from 02:00 to 03:00 and has 23 hours.
    MoneyStore& s = open(ledgerWith(
        {expense(Decimal(1), local(2026, 6, 14, 23, 59, 59)),
         expense(Decimal(2), local(2026, 6, 15, 0, 0, 0)),
         expense(Decimal(4), local(2026, 6, 15, 23, 59, 59)),
         expense(Decimal(8), local(2026, 6, 16, 0, 0, 0)), expense(Decimal(16), local(2026, 3, 29, 0, 10)),
         expense(Decimal(32), local(2026, 3, 29, 23, 50)), expense(Decimal(64), local(2026, 3, 30, 0, 10))}));
    EXPECT_EQ(s.total(K::expense, local(2026, 6, 15, 0, 30)), Decimal(6));
    EXPECT_EQ(s.total(K::expense, local(2026, 6, 14, 1)), Decimal(1));
    EXPECT_EQ(s.total(K::income, local(2026, 6, 15)), Decimal());
    EXPECT_EQ(s.total(K::expense, local(2026, 3, 29, 12)), Decimal(48));
    const auto day = s.transactions(local(2026, 6, 15, 7));
    ASSERT_EQ(day.size(), 2u);
    EXPECT_EQ(day[0].amount, Decimal(4));  // newest first
    EXPECT_EQ(day[1].amount, Decimal(2));
}

TEST_F(LedgerTotals, MonthsFollowTheLocalCalendar) {
    setNow(local(2026, 6, 1, 9));
    MoneyStore& s = open(
        ledgerWith({expense(Decimal(1), local(2026, 5, 31, 23, 30)),
                    expense(Decimal(2), local(2026, 6, 1, 0, 30)),  // still 31 May in UTC
                    expense(Decimal(4), local(2026, 6, 30, 23, 59, 59)),
                    expense(Decimal(8), local(2026, 7, 1, 0, 0)), income(Decimal(16), local(2026, 6, 2))}));
    EXPECT_EQ(s.monthTotal(K::expense, s.now()), Decimal(6));
    EXPECT_EQ(s.monthTotal(K::income, s.now()), Decimal(16));
    EXPECT_EQ(s.monthTotal(K::expense, local(2026, 5, 2)), Decimal(1));
    EXPECT_EQ(s.currentMonthTransactionCount(), 3);
}

TEST_F(LedgerTotals, PreviousMonthFromTheThirtyFirstOfMarchIsFebruary) {
    setNow(local(2026, 3, 31, 20));
    MoneyStore& s = open(
        ledgerWith({income(Decimal(5), local(2026, 2, 1, 0, 5)), expense(Decimal(3), local(2026, 2, 28, 23)),
                    expense(Decimal(7), local(2026, 3, 1, 0, 1)), income(Decimal(9), local(2026, 1, 31))}));
    EXPECT_EQ(s.previousMonthTotals(), (MonthTotals{Decimal(5), Decimal(3)}));
}

using LedgerGoals = StoreFixture;

TEST_F(LedgerGoals, MainGoalExistsOnlyWithAPositiveAmount) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalName = "Велосипед";
    MoneyStore& s = open(d);
    EXPECT_TRUE(s.goals().empty());
    EXPECT_EQ(s.goalProgress(), 0.0);

    d.goalName = "";
    d.goalAmount = Decimal(500);
    d.additionalGoals = std::vector<SavingsGoal>{{"A", "Скрытая", Decimal(10), std::nullopt, true},
                                                 {"B", "Книга", Decimal(20), local(2026, 7, 1), std::nullopt},
                                                 {"C", "Игра", Decimal(30), std::nullopt, false}};
    MoneyStore& t = open(d);
    const auto goals = t.goals();
    ASSERT_EQ(goals.size(), 3u);
    EXPECT_EQ(goals[0], (SavingsGoal{"primary", "Моя цель", Decimal(500), std::nullopt, false}));
    EXPECT_EQ(goals[1].id, "B");
    EXPECT_EQ(goals[2].id, "C");

    d.goalName = "  ";
    EXPECT_EQ(open(d).goals()[0].name, "  ");  // blank but not empty: used as is
}

TEST_F(LedgerGoals, ProgressIsClampedToZeroAndOne) {
    MoneyData d = ledgerWith({income(Decimal(150), local(2026, 6, 1))});
    d.goalAmount = Decimal(600);
    EXPECT_DOUBLE_EQ(open(d).goalProgress(), 0.25);
    d.goalAmount = Decimal(100);
    EXPECT_DOUBLE_EQ(open(d).goalProgress(), 1.0);
    d.startingBalance = Decimal(-1000);
    EXPECT_DOUBLE_EQ(open(d).goalProgress(), 0.0);
}

TEST(LedgerGoalShare, PercentIsComputedInDecimalAndTruncated) {
    const auto dec = [](const char* text) { return *Decimal::parse(std::string_view(text)); };
    const struct {
        Decimal balance;
        Decimal amount;
        qint64 percent;
        double fraction;
    } cases[] = {
        {Decimal(29), Decimal(100), 29, 0.29},  // a double gives 28
        {dec("99.99"), Decimal(100), 99, 0.9999},
        {dec("0.57"), Decimal(1), 57, 0.57},
        {dec("99.999999999999999999"), Decimal(100), 99, 1.0},  // 100 only once the amount is reached
        {Decimal(100), Decimal(100), 100, 1.0},
        {Decimal(500), Decimal(100), 100, 1.0},
        {Decimal(-5), Decimal(100), 0, 0.0},
        {Decimal(50), Decimal(0), 0, 0.0},
        {Decimal(50), Decimal(200), 25, 0.25},
    };
    for (const auto& c : cases) {
        const GoalProgress progress = ledger::goalProgress(c.balance, c.amount);
        EXPECT_EQ(progress.percent, c.percent) << c.balance.toString().toStdString();
        EXPECT_DOUBLE_EQ(progress.fraction, c.fraction) << c.balance.toString().toStdString();
    }
}

TEST_F(LedgerGoals, DaysRemainingCountsCalendarDaysAndNeverGoesNegative) {
    setNow(local(2026, 6, 15, 22));
    MoneyStore& s = openEmpty();
    auto goal = [](std::optional<QDateTime> deadline) {
        return SavingsGoal{"G", "x", Decimal(1), deadline, false};
    };
    EXPECT_FALSE(s.daysRemaining(goal(std::nullopt)));
    EXPECT_EQ(s.daysRemaining(goal(local(2026, 6, 15, 23, 59))), 0);
    EXPECT_EQ(s.daysRemaining(goal(local(2026, 6, 16, 0, 1))), 1);
    EXPECT_EQ(s.daysRemaining(goal(local(2026, 6, 14, 12))), 0);
    EXPECT_EQ(s.daysRemaining(goal(local(2027, 6, 15, 0, 0))), 365);
}

using LedgerBudget = StoreFixture;

TEST_F(LedgerBudget, BudgetProgressIsNotClamped) {
    MoneyData d =
        ledgerWith({expense(Decimal(150), local(2026, 6, 2)), expense(Decimal(500), local(2026, 5, 2))});
    d.monthlyBudget = Decimal(100);
    MoneyStore& s = open(d);
    EXPECT_DOUBLE_EQ(s.budgetProgress(), 1.5);
    EXPECT_EQ(s.safeToSpendToday(), Decimal());
    d.monthlyBudget.reset();
    EXPECT_EQ(open(d).budgetProgress(), 0.0);
}

TEST_F(LedgerBudget, SafeToSpendSharesTheRestOverTheDaysLeftIncludingToday) {
    setNow(local(2026, 6, 10, 9));  // June has 30 days: 21 days left
    MoneyData d = ledgerWith(
        {expense(Decimal(90), local(2026, 6, 3)), expense(Decimal(1000), local(2026, 7, 1, 0, 0))});
    d.monthlyBudget = Decimal(300);
    d.dailyLimit = Decimal(1);  // plays no part
    EXPECT_EQ(open(d).safeToSpendToday(), Decimal(10));

    setNow(local(2026, 6, 30, 23, 30));  // last day: the rest divided by one
    EXPECT_EQ(open(d).safeToSpendToday(), Decimal(210));
    d.monthlyBudget = Decimal(90);
    EXPECT_EQ(open(d).safeToSpendToday(), Decimal());
}

TEST_F(LedgerBudget, ProjectionDividesByTheDayThenMultipliesByTheMonthLength) {
    setNow(local(2026, 7, 4, 10));
    MoneyStore& s = open(ledgerWith({expense(Decimal(120), local(2026, 7, 1))}));
    EXPECT_EQ(s.projectedMonthExpense(), Decimal(930));

    setNow(local(2026, 7, 3, 10));
    // 100 / 3 is rounded to 38 digits before the multiplication by 31.
    const Decimal projected =
        open(ledgerWith({expense(Decimal(100), local(2026, 7, 1))})).projectedMonthExpense();
    EXPECT_EQ(projected.rounded(2), dec("1033.33"));
    EXPECT_LT(projected, dec("1033.3333333333333333333333333333333334"));
    EXPECT_GT(projected, dec("1033.3333333333333333333333333333"));
}

TEST_F(LedgerBudget, SavingsRateTruncatesExactlyTowardZero) {
    auto rate = [&](const char* in, const char* out) {
        return open(ledgerWith({income(dec(in), local(2026, 6, 2)), expense(dec(out), local(2026, 6, 3))}))
            .savingsRate();
    };
    EXPECT_EQ(rate("3", "1"), 66);
    EXPECT_EQ(rate("100", "150"), -50);
    // Exact shares stay exact (a double product would give 28 and 56).
    EXPECT_EQ(rate("100", "71"), 29);
    EXPECT_EQ(rate("100", "43"), 57);
    EXPECT_EQ(rate("1", "0.71"), 29);
    EXPECT_EQ(rate("3", "3.0000000001"), 0);  // -0.000003...% truncates to 0
    EXPECT_EQ(rate("0.000000000000000000001", "99999999999999999999"), std::numeric_limits<qint64>::min());
    EXPECT_EQ(open(ledgerWith({expense(Decimal(5), local(2026, 6, 2))})).savingsRate(), 0);
}

using LedgerExpenses = StoreFixture;

TEST_F(LedgerExpenses, LargestExpenseIsTheFirstOfEqualAmountsThisMonth) {
    MoneyTransaction first = expense(Decimal(40), local(2026, 6, 9));
    MoneyTransaction second = expense(Decimal(40), local(2026, 6, 10));
    MoneyStore& s =
        open(ledgerWith({expense(Decimal(10), local(2026, 6, 1)), first, second,
                         expense(Decimal(90), local(2026, 5, 30)), income(Decimal(99), local(2026, 6, 2))}));
    ASSERT_TRUE(s.largestExpense());
    EXPECT_EQ(s.largestExpense()->id, first.id);
}

TEST_F(LedgerExpenses, CategoriesGroupByExactTextLargestFirst) {
    MoneyStore& s = open(ledgerWith(
        {expense(Decimal(5), local(2026, 6, 1), "Еда"), expense(Decimal(7), local(2026, 6, 2), "еда"),
         expense(Decimal(6), local(2026, 6, 3), "Еда"), expense(Decimal(50), local(2026, 5, 3), "Кино"),
         income(Decimal(70), local(2026, 6, 3))}));
    const auto rows = s.expenseByCategoryForCurrentMonth();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (CategoryAmount{"Еда", Decimal(11)}));
    EXPECT_EQ(rows[1], (CategoryAmount{"еда", Decimal(7)}));
    EXPECT_EQ(s.categorySpent("Еда"), Decimal(11));
    EXPECT_EQ(s.categorySpent("еда"), Decimal(7));
    EXPECT_EQ(s.categorySpent("Кино"), Decimal());
    EXPECT_TRUE(open(MoneyData::emptyLedger()).expenseByCategoryForCurrentMonth().empty());
}

using LedgerTasksAndDebts = StoreFixture;

TEST_F(LedgerTasksAndDebts, TaskPointsWeighByDifficultyAtLeastOneAndSaturate) {
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks = std::vector<RewardTask>{{"a", "A", Decimal(1), 2, {}, {}, 3, true},
                                            {"b", "B", Decimal(1), 1, {}, {}, 0, true},
                                            {"c", "C", Decimal(1), 4, {}, {}, std::nullopt, false}};
    MoneyStore& s = open(d);
    EXPECT_EQ(s.taskPoints(), 60 + 10 + 40);
    EXPECT_EQ(s.completedTaskCount(), 7);

    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    d.rewardTasks = std::vector<RewardTask>{{"a", "A", Decimal(1), kMax, {}, {}, 3, true},
                                            {"b", "B", Decimal(1), kMax, {}, {}, 1, true}};
    EXPECT_EQ(open(d).taskPoints(), kMax);
    EXPECT_EQ(store->completedTaskCount(), kMax);
}

TEST_F(LedgerTasksAndDebts, SettledDebtsCountNowhere) {
    MoneyData d = MoneyData::emptyLedger();
    d.debts =
        std::vector<DebtRecord>{{"1", "Маша", Decimal(5), DebtDirection::owesMe, "", std::nullopt, false},
                                {"2", "Петя", Decimal(7), DebtDirection::iOwe, "", std::nullopt, true},
                                {"3", "Оля", dec("2.5"), DebtDirection::owesMe, "", std::nullopt, false},
                                {"4", "Коля", Decimal(3), DebtDirection::iOwe, "", std::nullopt, false}};
    MoneyStore& s = open(d);
    const auto openDebts = s.debts();
    ASSERT_EQ(openDebts.size(), 3u);
    EXPECT_EQ(openDebts[0].id, "1");
    EXPECT_EQ(openDebts[1].id, "3");
    EXPECT_EQ(openDebts[2].id, "4");
    EXPECT_EQ(s.totalOwedToMe(), dec("7.5"));
    EXPECT_EQ(s.totalIOwe(), Decimal(3));
}

using LedgerLists = StoreFixture;

TEST_F(LedgerLists, WeeklyRowsAreSevenLocalDaysOldestFirstIncomeThenExpense) {
    MoneyStore& s = open(ledgerWith(
        {income(Decimal(1), local(2026, 6, 9, 0, 0)),     // first day
         expense(Decimal(2), local(2026, 6, 8, 23, 59)),  // the day before: outside
         expense(Decimal(4), local(2026, 6, 15, 23, 59)), income(Decimal(8), local(2026, 6, 15, 0, 1)),
         expense(Decimal(16), local(2026, 6, 12, 10)), expense(Decimal(32), local(2026, 6, 16, 0, 0))}));
    const auto rows = s.weeklyAmounts(local(2026, 6, 15, 14));
    ASSERT_EQ(rows.size(), 14u);
    for (int day = 0; day < 7; ++day) {
        EXPECT_EQ(rows[2 * day].date, QDate(2026, 6, 9 + day).startOfDay(zone));
        EXPECT_EQ(rows[2 * day].kind, K::income);
        EXPECT_EQ(rows[2 * day + 1].date, rows[2 * day].date);
        EXPECT_EQ(rows[2 * day + 1].kind, K::expense);
    }
    EXPECT_EQ(rows[0].amount, Decimal(1));
    EXPECT_EQ(rows[1].amount, Decimal());
    EXPECT_EQ(rows[7].amount, Decimal(16));  // 12 June, expense
    EXPECT_EQ(rows[12].amount, Decimal(8));
    EXPECT_EQ(rows[13].amount, Decimal(4));
}

TEST_F(LedgerLists, ThirtyDayRowsSpanAClockChange) {
    MoneyStore& s = open(ledgerWith(
        {expense(Decimal(1), local(2026, 3, 2, 0, 0)), expense(Decimal(2), local(2026, 3, 29, 23, 30)),
         expense(Decimal(4), local(2026, 3, 31, 23, 59)), income(Decimal(8), local(2026, 3, 31)),
         expense(Decimal(16), local(2026, 3, 1, 23, 59))}));
    const auto rows = s.thirtyDayExpenses(local(2026, 3, 31, 8));
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows.front().date, QDate(2026, 3, 2).startOfDay(zone));
    EXPECT_EQ(rows.back().date, QDate(2026, 3, 31).startOfDay(zone));
    EXPECT_EQ(rows[0].amount, Decimal(1));
    EXPECT_EQ(rows[27].amount, Decimal(2));
    EXPECT_EQ(rows[29].amount, Decimal(4));
    for (const DailyAmount& r : rows) EXPECT_EQ(r.kind, K::expense);
}

TEST_F(LedgerLists, NewestTransactionsAreTheHeadOfTheSortedListWithTiesInLedgerOrder) {
    // Equal dates (ties) spread over the ledger, and the newest last in it.
    MoneyData d = ledgerWith({income(Decimal(1), local(2026, 6, 3)), expense(Decimal(2), local(2026, 6, 5)),
                              income(Decimal(3), local(2026, 6, 3)), expense(Decimal(4), local(2026, 6, 1)),
                              income(Decimal(5), local(2026, 6, 5)), expense(Decimal(6), local(2026, 6, 4)),
                              income(Decimal(7), local(2026, 6, 9))});
    const std::vector<MoneyTransaction> sorted = ledger::sortedTransactions(d);
    for (const std::size_t count : {std::size_t(0), std::size_t(1), std::size_t(3), std::size_t(5),
                                    std::size_t(7), std::size_t(20)}) {
        const std::vector<MoneyTransaction> newest = ledger::newestTransactions(d, count);
        ASSERT_EQ(newest.size(), std::min(count, sorted.size())) << count;
        for (std::size_t i = 0; i < newest.size(); ++i) EXPECT_EQ(newest[i].id, sorted[i].id) << count << " " << i;
    }
    const std::vector<MoneyTransaction> five = ledger::newestTransactions(d, 5);
    QStringList amounts;
    for (const MoneyTransaction& t : five) amounts << t.amount.toString();
    EXPECT_EQ(amounts, (QStringList{"7", "2", "5", "6", "1"}));
    EXPECT_TRUE(ledger::newestTransactions(MoneyData::emptyLedger(), 5).empty());
}

TEST_F(LedgerLists, ALongLedgerSortsNewestFirstWithTiesInLedgerOrderAsAShortOneDoes) {
    // Long enough for the byte-at-a-time sort: instants before and after 1970,
    // a shared high part, many ties, and lists already in either order.
    const struct {
        const char* name;
        std::function<qint64(int)> secs;
    } cases[] = {
        {"random, many ties", [](int i) { return qint64((i * 7919) % 97) * 86'400 + 1'700'000'000; }},
        {"around 1970", [](int i) { return qint64((i * 31) % 201 - 100) * 3'600; }},
        {"oldest first", [](int i) { return qint64(i / 3) * 60 + 1'600'000'000; }},
        {"newest first", [](int i) { return 1'600'000'000 - qint64(i / 3) * 60; }},
        {"one instant", [](int) { return qint64(1'650'000'000); }},
    };
    for (const auto& c : cases) {
        std::vector<MoneyTransaction> list;
        for (int i = 0; i < 1'000; ++i)
            list.push_back(income(Decimal(i), QDateTime::fromSecsSinceEpoch(c.secs(i), QTimeZone::utc())));
        MoneyData d = MoneyData::emptyLedger();
        d.transactions = list;
        std::vector<std::size_t> expected(d.transactions.size());
        std::iota(expected.begin(), expected.end(), std::size_t(0));
        std::stable_sort(expected.begin(), expected.end(), [&d](std::size_t a, std::size_t b) {
            return d.transactions[b].date < d.transactions[a].date;
        });
        EXPECT_EQ(ledger::sortedOrder(d), expected) << c.name;
    }
}
