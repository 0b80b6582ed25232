#include <QSet>
#include <functional>
#include <limits>

#include "StoreFixture.h"
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

class Badges : public StoreFixture {
protected:
    // Expenses of 1 at 23:30 Berlin time on the given days after `first`.
    MoneyData daily(const QDate& first, const std::vector<int>& dayOffsets) const {
        MoneyData d = MoneyData::emptyLedger();
        for (int offset : dayOffsets)
            d.transactions.push_back(
                expense(Decimal(1), QDateTime(first.addDays(offset), QTime(23, 30), zone)));
        return d;
    }
    MoneyData incomes(int count, const std::function<void(MoneyTransaction&, int)>& edit = {}) const {
        MoneyData d = MoneyData::emptyLedger();
        for (int i = 0; i < count; ++i) {
            d.transactions.push_back(income(Decimal(1), local(2026, 6, 1)));
            if (edit) edit(d.transactions.back(), i);
        }
        return d;
    }
};

TEST_F(Badges, CatalogueHasThirtySevenUniqueBadgesWorth1605PointsAndOnlyUnlockedOnesCount) {
    const auto all = openEmpty().badges();
    ASSERT_EQ(all.size(), 37u);
    QSet<QString> ids;
    qint64 points = 0;
    for (const MoneyBadge& b : all) {
        ids.insert(b.id);
        points += b.points;
    }
    EXPECT_EQ(ids.size(), 37);
    EXPECT_EQ(points, 1605);
    EXPECT_EQ(all.front().id, "first");
    EXPECT_EQ(all.back().id, "month");
    EXPECT_TRUE(store->unlockedBadges().empty());
    EXPECT_EQ(store->badgePoints(), 0);

    MoneyData d = MoneyData::emptyLedger();
    d.startingBalance = Decimal(600);
    MoneyStore& s = open(d);
    EXPECT_EQ(s.badgePoints(), 45);
    EXPECT_DOUBLE_EQ(s.badgeCollectionProgress(), 2.0 / 37.0);
    ASSERT_EQ(s.unlockedBadges().size(), 2u);
    EXPECT_EQ(s.unlockedBadges()[0].id, "positive");
}

// Each badge is unlocked exactly when its statistic reaches the threshold.
TEST_F(Badges, ThresholdsOneBelowAndAt) {
    struct Case {
        const char* name;
        MoneyData ledger;
        const char* badge;
        bool unlocked;
        std::optional<double> progress;
    };
    auto balance = [](const Decimal& start) {
        MoneyData d = MoneyData::emptyLedger();
        d.startingBalance = start;
        return d;
    };
    auto saving = [&](int spent) {
        return ledgerWith(
            {income(Decimal(100), local(2026, 6, 2)), expense(Decimal(spent), local(2026, 6, 3))});
    };
    auto tasks = [](qint64 completions) {
        MoneyData d = MoneyData::emptyLedger();
        d.rewardTasks = std::vector<RewardTask>{{"a", "A", Decimal(1), completions, {}, {}, 1, true}};
        return d;
    };
    auto wallets = [&](const QString& last) {
        const QString names[] = {"Основной", "Основной", "Копилка", "", last};
        return incomes(5, [&](MoneyTransaction& t, int i) { t.wallet = names[i]; });
    };
    auto marked = [&](int count) {
        return incomes(5, [&](MoneyTransaction& t, int i) {
            t.isFavorite = i < count;
            t.tags = i < count ? QStringList{"x"} : QStringList{};
        });
    };
    auto goals = [&](bool archived) {
        MoneyData d = ledgerWith({income(Decimal(100), local(2026, 6, 1))});
        d.goalAmount = Decimal(400);
        d.additionalGoals = std::vector<SavingsGoal>{{"G", "Мяч", Decimal(100), std::nullopt, archived}};
        return d;
    };
    auto debts = [](DebtDirection settledOne) {
        MoneyData d = MoneyData::emptyLedger();
        d.debts = std::vector<DebtRecord>{{"1", "Маша", Decimal(5), settledOne, "", std::nullopt, true}};
        return d;
    };
    MoneyData sevenDays = daily(QDate(2026, 3, 26), {6, 5, 4, 3, 2, 1});  // across the clock change, unsorted
    const MoneyData sixDays = sevenDays;
    sevenDays.transactions.push_back(expense(Decimal(1), local(2026, 3, 26, 0, 0)));
    MoneyData receipt = incomes(1);
    receipt.transactions[0].receiptFilename = "";  // any file name counts, the empty text too

    // clang-format off
    const Case cases[] = {
        {"positive at zero", balance(Decimal()), "positive", false, 0.0},
        {"positive at one cent", balance(dec("0.01")), "positive", true, 1.0},
        {"500 at 499.99", balance(dec("499.99")), "balance-500", false, {}},
        {"500 at 500", balance(Decimal(500)), "balance-500", true, 1.0},
        {"1000 at 600", balance(Decimal(600)), "balance-1000", false, 0.6},
        {"negative balance", balance(Decimal(-50)), "balance-500", false, 0.0},
        {"negative balance, positive", balance(Decimal(-50)), "positive", false, 0.0},
        {"four operations", incomes(4), "five", false, 0.8},
        {"five operations", incomes(5), "five", true, 1.0},
        {"only incomes", incomes(5), "first-income", true, 1.0},
        {"only incomes, first expense", incomes(5), "first-expense", false, 0.0},
        {"saving 19%", saving(81), "saver", false, 0.95},
        {"saving 20%", saving(80), "saver", true, 1.0},
        {"saving 20%, super", saving(80), "super-saver", false, {}},
        {"saving 50%", saving(50), "super-saver", true, 1.0},
        {"six day streak", sixDays, "streak-seven", false, 6.0 / 7.0},
        {"seven day streak", sevenDays, "streak-seven", true, 1.0},
        {"seven days", sevenDays, "seven-days", true, 1.0},
        {"29 day span", daily(QDate(2026, 6, 1), {0, 28}), "month", false, {}},
        {"30 day span", daily(QDate(2026, 6, 1), {0, 29}), "month", true, 1.0},
        {"two wallets and an empty name", wallets(""), "wallets", false, 2.0 / 3.0},
        {"wallet names differing in case", wallets("копилка"), "wallets", true, 1.0},
        {"four favourites", marked(4), "favorites", false, 0.8},
        {"five favourites", marked(5), "favorites", true, 1.0},
        {"four tagged", marked(4), "tags", false, 0.8},
        {"five tagged", marked(5), "tags", true, 1.0},
        {"empty receipt name", receipt, "receipt", true, 1.0},
        {"level one", MoneyData::emptyLedger(), "level-five", false, 0.2},
        {"390 task points", tasks(39), "level-five", false, 0.8},
        {"400 task points", tasks(40), "level-five", true, 1.0},
        {"task points at the 64-bit limit", tasks(std::numeric_limits<qint64>::max()), "level-five", true, 1.0},
        {"goal reached by an additional goal", goals(false), "goal-reached", true, 0.25},
        {"archived goal", goals(true), "goal-reached", false, 0.25},
        {"archived goal, first goal", goals(true), "first-goal", true, {}},
        {"archived goal, three goals", goals(true), "three-goals", false, {}},
        {"settled debt owed to me", debts(DebtDirection::owesMe), "debtfree", false, 0.0},
        {"settled own debt", debts(DebtDirection::iOwe), "debtfree", true, 1.0},
    };
    // clang-format on
    for (const Case& c : cases) {
        const MoneyBadge b = badge(open(c.ledger).badges(), c.badge);
        EXPECT_EQ(b.isUnlocked, c.unlocked) << c.name;
        if (c.progress) {
            EXPECT_DOUBLE_EQ(b.progress, *c.progress) << c.name;
        }
    }
}

TEST_F(Badges, DayStatisticsCountLocalCalendarDays) {
    MoneyData d = daily(QDate(2026, 6, 1), {0, 1, 2, 4, 5});
    const LedgerCalendar cal(zone);
    EXPECT_EQ(ledger::longestTransactionStreak(d, cal), 3);
    EXPECT_EQ(ledger::transactionDayCount(d, cal), 5);
    EXPECT_EQ(ledger::trackingSpanDays(d, cal), 6);
    // 00:30 local on the 4th belongs to the 4th, which UTC would put on the 3rd.
    d.transactions.push_back(expense(Decimal(1), QDateTime(QDate(2026, 6, 4), QTime(0, 30), zone)));
    EXPECT_EQ(ledger::longestTransactionStreak(d, cal), 6);
    EXPECT_EQ(ledger::longestTransactionStreak(d, LedgerCalendar(QTimeZone::utc())), 3);

    d = daily(QDate(2025, 6, 1), {0, 365});
    EXPECT_EQ(ledger::trackingSpanDays(d, cal), 366);
    EXPECT_EQ(ledger::longestTransactionStreak(d, cal), 1);
    EXPECT_EQ(ledger::transactionDayCount(daily(QDate(2026, 6, 1), {0, 0, 0}), cal), 1);
}

TEST_F(Badges, MoneyDetailsEndWithTheCurrencyOfTheMoment) {
    MoneyStore& s = openEmpty();
    EXPECT_EQ(badge(s.badges(), "balance-500").detail, "Накопи 500 CNY");
    Preferences::standard().setValue("currencyCode", "USD");
    EXPECT_EQ(badge(s.badges(), "balance-1000").detail, "Накопи 1 000 USD");
    EXPECT_EQ(badge(s.badges(), "income-5000").detail, "Заработай всего 5 000 USD");
}

TEST_F(Badges, UnlockedStateFollowsTheLedgerBothWays) {
    MoneyData d = MoneyData::emptyLedger();
    d.challenges.reset();
    MoneyStore& s = open(d);
    s.add(TransactionKind::income, Decimal(600), "Подарок", "", local(2026, 6, 15), {}, false, "Основной");
    EXPECT_TRUE(badge(s.badges(), "first").isUnlocked);
    s.deleteTransactions({s.data().transactions[0].id});
    EXPECT_FALSE(badge(s.badges(), "first").isUnlocked);
    EXPECT_FALSE(badge(s.badges(), "balance-500").isUnlocked);
    EXPECT_EQ(s.badgePoints(), 0);

    // The default challenges count while none are stored.
    EXPECT_FALSE(badge(s.badges(), "challenge").isUnlocked);
    s.advanceChallenge("challenge-no-sweets", Decimal(7));
    EXPECT_TRUE(badge(s.badges(), "challenge").isUnlocked);
    EXPECT_DOUBLE_EQ(badge(s.badges(), "three-challenges").progress, 1.0 / 3.0);
}
