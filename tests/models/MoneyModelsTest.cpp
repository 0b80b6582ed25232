#include "models/MoneyModels.h"

#include <gtest/gtest.h>

TEST(StoredEnumerations, RawValuesRoundTripAndAreCaseSensitive) {
    EXPECT_EQ(allTransactionKinds(), (std::vector<TransactionKind>{TransactionKind::income, TransactionKind::expense}));
    EXPECT_EQ(allDebtDirections(), (std::vector<DebtDirection>{DebtDirection::owesMe, DebtDirection::iOwe}));
    EXPECT_EQ(allChallengeKinds(), (std::vector<ChallengeKind>{ChallengeKind::saving, ChallengeKind::habit}));
    EXPECT_EQ(allRecurringFrequencies(),
              (std::vector<RecurringFrequency>{RecurringFrequency::weekly, RecurringFrequency::monthly}));
    EXPECT_EQ(allBadgeTiers(), (std::vector<BadgeTier>{BadgeTier::bronze, BadgeTier::silver, BadgeTier::gold,
                                                       BadgeTier::diamond}));
    QStringList raws;
    for (auto v : allTransactionKinds()) {
        raws << rawValue(v);
        EXPECT_EQ(transactionKindFromRaw(rawValue(v)), v);
    }
    for (auto v : allDebtDirections()) {
        raws << rawValue(v);
        EXPECT_EQ(debtDirectionFromRaw(rawValue(v)), v);
    }
    for (auto v : allChallengeKinds()) {
        raws << rawValue(v);
        EXPECT_EQ(challengeKindFromRaw(rawValue(v)), v);
    }
    for (auto v : allRecurringFrequencies()) {
        raws << rawValue(v);
        EXPECT_EQ(recurringFrequencyFromRaw(rawValue(v)), v);
    }
    for (auto v : allBadgeTiers()) {
        raws << rawValue(v);
        EXPECT_EQ(badgeTierFromRaw(rawValue(v)), v);
    }
    EXPECT_EQ(raws, (QStringList{"income", "expense", "owesMe", "iOwe", "saving", "habit", "weekly", "monthly",
                                 "bronze", "silver", "gold", "diamond"}));
    EXPECT_FALSE(transactionKindFromRaw("Income").has_value());
    EXPECT_FALSE(transactionKindFromRaw("income ").has_value());
    EXPECT_FALSE(debtDirectionFromRaw("owesme").has_value());
    EXPECT_FALSE(challengeKindFromRaw("").has_value());
    EXPECT_FALSE(recurringFrequencyFromRaw("daily").has_value());
    EXPECT_FALSE(badgeTierFromRaw("platinum").has_value());
}

TEST(LedgerRecords, EqualityComparesEveryFieldAndKeepsAbsentApartFromEmpty) {
    MoneyTransaction a;
    a.id = QUuid::createUuid();
    a.amount = *Decimal::parse(std::string_view("12.50"));
    a.date = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    MoneyTransaction b = a;
    b.amount = *Decimal::parse(std::string_view("12.5"));
    // Decimals compare by value, dates by point in time.
    b.date = QDateTime(QDate(2023, 11, 15), QTime(1, 13, 20), Qt::OffsetFromUTC, 3 * 3600);
    EXPECT_EQ(a, b);
    b.date = b.date.addSecs(1);
    EXPECT_NE(a, b);
    b.date = a.date;
    b.tags = std::vector<QString>{};
    EXPECT_NE(a, b);
    b = a;
    b.isFavorite = false;
    EXPECT_NE(a, b);
    b = a;
    b.id = QUuid::createUuid();
    EXPECT_NE(a, b);

    MoneyData x = MoneyData::emptyLedger();
    MoneyData y = MoneyData::emptyLedger();
    x.categoryBudgets->insert("Еда", Decimal(100));
    x.categoryBudgets->insert("Кино", Decimal(5));
    y.categoryBudgets->insert("Кино", *Decimal::parse(std::string_view("5.0")));
    y.categoryBudgets->insert("Еда", Decimal(100));
    EXPECT_EQ(x, y);
    y.rewardTasks.reset();
    EXPECT_NE(x, y);
}

TEST(LedgerRecords, EmptyLedgerHasEveryOptionalPresentAndEmpty) {
    const MoneyData e = MoneyData::emptyLedger();
    EXPECT_TRUE(e.transactions.empty());
    EXPECT_TRUE(e.goalName.isEmpty());
    EXPECT_TRUE(e.startingBalance.isZero() && e.goalAmount.isZero() && e.dailyLimit.isZero());
    ASSERT_TRUE(e.additionalGoals && e.customIncomeCategories && e.customExpenseCategories && e.rewardTasks &&
                e.monthlyBudget && e.categoryBudgets && e.quickTemplates && e.wishes && e.debts && e.challenges &&
                e.recurringTransactions);
    EXPECT_TRUE(e.monthlyBudget->isZero());
    EXPECT_TRUE(e.categoryBudgets->isEmpty());
    EXPECT_TRUE(e.rewardTasks->empty() && e.quickTemplates->empty() && e.challenges->empty());
}

TEST(DailyAmount, IdentityIsShortestSecondsWithAFraction) {
    DailyAmount day{QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC), TransactionKind::expense, Decimal(5)};
    EXPECT_EQ(day.identity(), QStringLiteral("1700000000.0-expense"));
    day.kind = TransactionKind::income;
    day.date = QDateTime::fromMSecsSinceEpoch(1700000000250, Qt::UTC);
    EXPECT_EQ(day.identity(), QStringLiteral("1700000000.25-income"));
    day.date = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    EXPECT_EQ(day.identity(), QStringLiteral("0.0-income"));
    day.date = QDateTime::fromSecsSinceEpoch(-86400, Qt::UTC);
    EXPECT_EQ(day.identity(), QStringLiteral("-86400.0-income"));
    // A far date stays in plain notation, with no exponent and no grouping.
    day.date = QDateTime(QDate(9999, 12, 31), QTime(0, 0), Qt::UTC);
    EXPECT_EQ(day.identity(), QStringLiteral("253402214400.0-income"));
    // The identity depends on the instant, not on the zone it is held in.
    DailyAmount local{QDateTime::fromSecsSinceEpoch(1700000000, Qt::OffsetFromUTC, 7200), TransactionKind::expense, {}};
    EXPECT_EQ(local.identity(), QStringLiteral("1700000000.0-expense"));
}
