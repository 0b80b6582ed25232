#include <gtest/gtest.h>

#include "models/MoneyModels.h"

TEST(StoredEnumerations, RawValuesInPickerOrderRoundTripAndAreCaseSensitive) {
    QStringList raws;
    auto collect = [&](const auto& all, auto fromRaw) {
        for (auto v : all) {
            raws << rawValue(v);
            EXPECT_EQ(fromRaw(rawValue(v)), v) << rawValue(v).toStdString();
        }
    };
    collect(allTransactionKinds(), transactionKindFromRaw);
    collect(allDebtDirections(), debtDirectionFromRaw);
    collect(allChallengeKinds(), challengeKindFromRaw);
    collect(allRecurringFrequencies(), recurringFrequencyFromRaw);
    collect(allBadgeTiers(), badgeTierFromRaw);
    EXPECT_EQ(raws, (QStringList{"income", "expense", "owesMe", "iOwe", "saving", "habit", "weekly",
                                 "monthly", "bronze", "silver", "gold", "diamond"}));
    EXPECT_FALSE(transactionKindFromRaw("Income") || transactionKindFromRaw("income ") ||
                 debtDirectionFromRaw("owesme") || challengeKindFromRaw("") ||
                 recurringFrequencyFromRaw("daily") || badgeTierFromRaw("platinum"));
}

TEST(DailyAmount, IdentityIsShortestSecondsWithAFractionWhateverTheZone) {
    const std::pair<QDateTime, const char*> cases[] = {
        {QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC), "1700000000.0-expense"},
        {QDateTime::fromMSecsSinceEpoch(1700000000250, Qt::UTC), "1700000000.25-expense"},
        {QDateTime::fromSecsSinceEpoch(-86400, Qt::UTC), "-86400.0-expense"},
        {QDateTime(QDate(9999, 12, 31), QTime(0, 0), Qt::UTC), "253402214400.0-expense"},  // no exponent
        {QDateTime::fromSecsSinceEpoch(1700000000, Qt::OffsetFromUTC, 7200), "1700000000.0-expense"},
    };
    for (const auto& [date, identity] : cases)
        EXPECT_EQ((DailyAmount{date, TransactionKind::expense, {}}.identity()), identity);
    EXPECT_EQ(
        (DailyAmount{QDateTime::fromSecsSinceEpoch(0, Qt::UTC), TransactionKind::income, {}}.identity()),
        "0.0-income");
}
