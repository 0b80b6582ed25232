#include <QSet>
#include <limits>
#include <map>

#include "LedgerFixture.h"
#include "store/Badges.h"

namespace {

const MoneyBadge& badge(const std::vector<MoneyBadge>& all, const QString& id) {
    static const MoneyBadge missing;
    for (const MoneyBadge& b : all)
        if (b.id == id) return b;
    ADD_FAILURE() << "no badge " << id.toStdString();
    return missing;
}

}  // namespace

class Badges : public LedgerFixture {
protected:
    MoneyBadge badgeOf(const MoneyData& d, const QString& id) { return badge(open(d).badges(), id); }

    // n expenses of 1, one per local day starting on `first`, plus incomes to keep the balance.
    static MoneyData daily(const QDate& first, const std::vector<int>& dayOffsets) {
        MoneyData d = MoneyData::emptyLedger();
        for (int offset : dayOffsets)
            d.transactions.push_back(
                tx(TransactionKind::expense, Decimal(1),
                   QDateTime(first.addDays(offset), QTime(23, 30), QTimeZone("Europe/Berlin"))));
        return d;
    }
};

TEST_F(Badges, CatalogueHasThirtySevenUniqueBadgesWorth1605Points) {
    const auto all = openEmpty().badges();
    ASSERT_EQ(all.size(), 37u);
    QSet<QString> ids;
    qint64 points = 0;
    std::map<BadgeTier, std::pair<int, qint64>> tiers;
    for (const MoneyBadge& b : all) {
        ids.insert(b.id);
        points += b.points;
        tiers[b.tier].first += 1;
        tiers[b.tier].second += b.points;
    }
    EXPECT_EQ(ids.size(), 37);
    EXPECT_EQ(points, 1605);
    EXPECT_EQ(tiers[BadgeTier::bronze], std::make_pair(11, qint64(145)));
    EXPECT_EQ(tiers[BadgeTier::silver], std::make_pair(12, qint64(375)));
    EXPECT_EQ(tiers[BadgeTier::gold], std::make_pair(10, qint64(655)));
    EXPECT_EQ(tiers[BadgeTier::diamond], std::make_pair(4, qint64(430)));
    EXPECT_EQ(all.front().id, "first");
    EXPECT_EQ(all.back().id, "month");
    EXPECT_EQ(badge(all, "streak-seven").title, "Серия 7 дней");
}

TEST_F(Badges, EmptyLedgerUnlocksNothing) {
    MoneyStore& s = openEmpty();
    EXPECT_TRUE(s.unlockedBadges().empty());
    EXPECT_EQ(s.badgePoints(), 0);
    EXPECT_EQ(s.badgeCollectionProgress(), 0.0);
}

TEST_F(Badges, StartingBalanceCountsTowardTheBalanceBadges) {
    MoneyData d = MoneyData::emptyLedger();
    d.startingBalance = Decimal(600);
    MoneyStore& s = open(d);
    const auto all = s.badges();
    EXPECT_TRUE(badge(all, "positive").isUnlocked);
    EXPECT_TRUE(badge(all, "balance-500").isUnlocked);
    EXPECT_FALSE(badge(all, "balance-1000").isUnlocked);
    EXPECT_DOUBLE_EQ(badge(all, "balance-1000").progress, 0.6);
    EXPECT_EQ(s.badgePoints(), 45);
    EXPECT_DOUBLE_EQ(s.badgeCollectionProgress(), 2.0 / 37.0);
    ASSERT_EQ(s.unlockedBadges().size(), 2u);
    EXPECT_EQ(s.unlockedBadges()[0].id, "positive");
}

TEST_F(Badges, BalanceThresholdsAtTheBoundary) {
    MoneyData d = MoneyData::emptyLedger();
    EXPECT_FALSE(badgeOf(d, "positive").isUnlocked);
    EXPECT_EQ(badgeOf(d, "positive").progress, 0.0);
    d.startingBalance = dec("0.01");
    EXPECT_TRUE(badgeOf(d, "positive").isUnlocked);
    EXPECT_EQ(badgeOf(d, "positive").progress, 1.0);
    d.startingBalance = dec("499.99");
    EXPECT_FALSE(badgeOf(d, "balance-500").isUnlocked);
    d.startingBalance = Decimal(500);
    EXPECT_TRUE(badgeOf(d, "balance-500").isUnlocked);
    d.startingBalance = Decimal(-50);
    for (const char* id : {"balance-500", "balance-1000", "balance-5000", "positive"})
        EXPECT_EQ(badgeOf(d, id).progress, 0.0) << id;
}

TEST_F(Badges, OperationCountsOneBelowAndAt) {
    MoneyData d = MoneyData::emptyLedger();
    for (int i = 0; i < 4; ++i) d.transactions.push_back(income(Decimal(1), local(2026, 6, 15, 9)));
    EXPECT_FALSE(badgeOf(d, "five").isUnlocked);
    EXPECT_DOUBLE_EQ(badgeOf(d, "five").progress, 0.8);
    d.transactions.push_back(income(Decimal(1), local(2026, 6, 15, 9)));
    const auto all = open(d).badges();
    EXPECT_TRUE(badge(all, "five").isUnlocked);
    EXPECT_TRUE(badge(all, "first-income").isUnlocked);
    EXPECT_FALSE(badge(all, "first-expense").isUnlocked);
    EXPECT_EQ(ledger::transactionDayCount(d, LedgerCalendar(zone)), 1);
    EXPECT_EQ(ledger::longestTransactionStreak(d, LedgerCalendar(zone)), 1);
    EXPECT_EQ(ledger::trackingSpanDays(d, LedgerCalendar(zone)), 1);
}

TEST_F(Badges, SavingsRateNineteenAndTwenty) {
    MoneyData d =
        ledgerWith({income(Decimal(100), local(2026, 6, 2)), expense(Decimal(81), local(2026, 6, 3))});
    EXPECT_FALSE(badgeOf(d, "saver").isUnlocked);
    EXPECT_DOUBLE_EQ(badgeOf(d, "saver").progress, 0.95);
    d.transactions[1].amount = Decimal(80);
    EXPECT_TRUE(badgeOf(d, "saver").isUnlocked);
    EXPECT_FALSE(badgeOf(d, "super-saver").isUnlocked);
    d.transactions[1].amount = Decimal(50);
    EXPECT_TRUE(badgeOf(d, "super-saver").isUnlocked);
}

TEST_F(Badges, StreaksAndSpansCountLocalCalendarDays) {
    const QDate first(2026, 6, 1);
    MoneyData d = daily(first, {0, 1, 2, 4, 5});
    const LedgerCalendar cal(zone);
    EXPECT_EQ(ledger::longestTransactionStreak(d, cal), 3);
    EXPECT_EQ(ledger::transactionDayCount(d, cal), 5);
    EXPECT_EQ(ledger::trackingSpanDays(d, cal), 6);
    // 23:30 in Berlin is 21:30 UTC: in UTC the days would be the same here,
    // but 00:30 local belongs to the local day, which UTC would put a day earlier.
    d.transactions.push_back(
        tx(TransactionKind::expense, Decimal(1), QDateTime(QDate(2026, 6, 4), QTime(0, 30), zone)));
    EXPECT_EQ(ledger::longestTransactionStreak(d, cal), 6);
    EXPECT_EQ(ledger::longestTransactionStreak(d, LedgerCalendar(QTimeZone::utc())), 3);
}

TEST_F(Badges, SevenDayStreakAcrossAClockChange) {
    MoneyData d = daily(QDate(2026, 3, 26), {6, 5, 4, 3, 2, 1});  // out of ledger order on purpose
    EXPECT_FALSE(badgeOf(d, "streak-seven").isUnlocked);
    EXPECT_DOUBLE_EQ(badgeOf(d, "streak-seven").progress, 6.0 / 7.0);
    d.transactions.push_back(
        tx(TransactionKind::expense, Decimal(1), QDateTime(QDate(2026, 3, 26), QTime(0, 0), zone)));
    const auto all = open(d).badges();
    EXPECT_TRUE(badge(all, "streak-seven").isUnlocked);
    EXPECT_TRUE(badge(all, "seven-days").isUnlocked);
}

TEST_F(Badges, TwoDatesAYearApartSpanTheYear) {
    MoneyData d = daily(QDate(2025, 6, 1), {0, 365});
    EXPECT_EQ(ledger::trackingSpanDays(d, LedgerCalendar(zone)), 366);
    EXPECT_EQ(ledger::longestTransactionStreak(d, LedgerCalendar(zone)), 1);
    EXPECT_TRUE(badgeOf(d, "month").isUnlocked);
    d = daily(QDate(2026, 6, 1), {0, 28});
    EXPECT_FALSE(badgeOf(d, "month").isUnlocked);
    d = daily(QDate(2026, 6, 1), {0, 29});
    EXPECT_TRUE(badgeOf(d, "month").isUnlocked);
}

TEST_F(Badges, WalletsCountDistinctNonEmptyNames) {
    MoneyData d = ledgerWith({income(Decimal(1), local(2026, 6, 1)), income(Decimal(1), local(2026, 6, 1)),
                              income(Decimal(1), local(2026, 6, 1)), income(Decimal(1), local(2026, 6, 1)),
                              income(Decimal(1), local(2026, 6, 1))});
    d.transactions[0].wallet = "Основной";
    d.transactions[1].wallet = "Основной";
    d.transactions[2].wallet = "Копилка";
    d.transactions[3].wallet = "";
    EXPECT_DOUBLE_EQ(badgeOf(d, "wallets").progress, 2.0 / 3.0);
    d.transactions[4].wallet = "копилка";  // case counts
    EXPECT_TRUE(badgeOf(d, "wallets").isUnlocked);
}

TEST_F(Badges, MarksOnTransactions) {
    MoneyData d = MoneyData::emptyLedger();
    for (int i = 0; i < 5; ++i) {
        MoneyTransaction t = income(Decimal(1), local(2026, 6, 1));
        t.isFavorite = i < 4;
        t.tags = i < 4 ? std::vector<QString>{"x"} : std::vector<QString>{};
        d.transactions.push_back(t);
    }
    d.transactions[0].receiptFilename = "";
    auto all = open(d).badges();
    EXPECT_TRUE(badge(all, "receipt").isUnlocked);  // any file name, the empty text included
    EXPECT_FALSE(badge(all, "favorites").isUnlocked);
    EXPECT_FALSE(badge(all, "tags").isUnlocked);
    d.transactions[4].isFavorite = true;
    d.transactions[4].tags = std::vector<QString>{"y"};
    all = open(d).badges();
    EXPECT_TRUE(badge(all, "favorites").isUnlocked);
    EXPECT_TRUE(badge(all, "tags").isUnlocked);
}

TEST_F(Badges, OnlyASettledOwnDebtFreesFromDebt) {
    MoneyData d = MoneyData::emptyLedger();
    d.debts =
        std::vector<DebtRecord>{{"1", "Маша", Decimal(5), DebtDirection::owesMe, "", std::nullopt, true},
                                {"2", "Петя", Decimal(5), DebtDirection::iOwe, "", std::nullopt, false}};
    EXPECT_FALSE(badgeOf(d, "debtfree").isUnlocked);
    MoneyStore& s = open(d);
    s.settleDebt("2");
    EXPECT_TRUE(badge(s.badges(), "debtfree").isUnlocked);
}

TEST_F(Badges, DefaultChallengesCountWhileNoneAreStored) {
    MoneyData d = MoneyData::emptyLedger();
    d.challenges.reset();
    MoneyStore& s = open(d);
    EXPECT_FALSE(badge(s.badges(), "challenge").isUnlocked);
    s.advanceChallenge("challenge-no-sweets", Decimal(7));
    EXPECT_TRUE(badge(s.badges(), "challenge").isUnlocked);
    EXPECT_DOUBLE_EQ(badge(s.badges(), "three-challenges").progress, 1.0 / 3.0);
}

TEST_F(Badges, TaskLevelFiveNeedsFourHundredPoints) {
    BadgeStatistics stats;
    EXPECT_DOUBLE_EQ(badge(ledger::badges(stats, "CNY"), "level-five").progress, 0.2);  // level 1
    stats.taskPoints = 399;
    EXPECT_FALSE(badge(ledger::badges(stats, "CNY"), "level-five").isUnlocked);
    EXPECT_DOUBLE_EQ(badge(ledger::badges(stats, "CNY"), "level-five").progress, 0.8);
    stats.taskPoints = 400;
    EXPECT_TRUE(badge(ledger::badges(stats, "CNY"), "level-five").isUnlocked);
    EXPECT_EQ(badge(ledger::badges(stats, "CNY"), "level-five").progress, 1.0);

    // The same through the ledger: 40 completions of weight 1 are 400 points,
    // and counts at the 64-bit limit neither overflow nor lock the badge.
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks = std::vector<RewardTask>{{"a", "A", Decimal(1), 39, std::nullopt, std::nullopt, 1, true}};
    EXPECT_FALSE(badgeOf(d, "level-five").isUnlocked);
    d.rewardTasks->at(0).completionCount = 40;
    EXPECT_TRUE(badgeOf(d, "level-five").isUnlocked);
    d.rewardTasks->at(0).completionCount = std::numeric_limits<qint64>::max();
    EXPECT_TRUE(badgeOf(d, "level-five").isUnlocked);
}

TEST_F(Badges, GoalReachedByAnAdditionalGoalShowsThePrimaryProgress) {
    MoneyData d = ledgerWith({income(Decimal(100), local(2026, 6, 1))});
    d.goalAmount = Decimal(400);
    d.additionalGoals = std::vector<SavingsGoal>{{"G", "Мяч", Decimal(100), std::nullopt, false}};
    const MoneyBadge reached = badgeOf(d, "goal-reached");
    EXPECT_TRUE(reached.isUnlocked);
    EXPECT_DOUBLE_EQ(reached.progress, 0.25);
    d.additionalGoals->at(0).isArchived = true;
    EXPECT_FALSE(badgeOf(d, "goal-reached").isUnlocked);
    EXPECT_TRUE(badgeOf(d, "first-goal").isUnlocked);
    EXPECT_FALSE(badgeOf(d, "three-goals").isUnlocked);
}

TEST_F(Badges, MoneyDetailsEndWithTheCurrencyOfTheMoment) {
    MoneyStore& s = openEmpty();
    EXPECT_EQ(badge(s.badges(), "balance-500").detail, "Накопи 500 CNY");
    Preferences::standard().setValue("currencyCode", "USD");
    EXPECT_EQ(badge(s.badges(), "balance-1000").detail, "Накопи 1 000 USD");
    EXPECT_EQ(badge(s.badges(), "income-5000").detail, "Заработай всего 5 000 USD");
}

TEST_F(Badges, UnlockedStateFollowsTheLedgerBackDown) {
    MoneyStore& s = openEmpty();
    s.add(TransactionKind::income, Decimal(600), "Подарок", "", local(2026, 6, 15), {}, false, "Основной");
    const qint64 before = s.badgePoints();
    EXPECT_TRUE(badge(s.badges(), "first").isUnlocked);
    s.deleteTransactions({s.data().transactions[0].id});
    EXPECT_FALSE(badge(s.badges(), "first").isUnlocked);
    EXPECT_FALSE(badge(s.badges(), "balance-500").isUnlocked);
    EXPECT_LT(s.badgePoints(), before);
    EXPECT_EQ(s.badgePoints(), 0);
}
