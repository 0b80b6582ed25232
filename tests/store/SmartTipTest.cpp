#include "LedgerFixture.h"
#include "services/MoneyText.h"

namespace {
const QString kFallback = QStringLiteral("Перед незапланированной покупкой дай себе 10 минут на решение.");
const QString kSaving = QStringLiteral("Ты сохраняешь больше 20% дохода — так держать!");
}  // namespace

// Now is 15 June 2026, 14:00 in Berlin.
class SmartTip : public LedgerFixture {
protected:
    SmartTip() { setNow(local(2026, 6, 15, 14)); }
    QString tipFor(const MoneyData& d) { return open(d).smartTip(); }
    MoneyData withLimit(const char* limit, std::initializer_list<MoneyTransaction> list) {
        MoneyData d = ledgerWith(list);
        d.dailyLimit = dec(limit);
        return d;
    }
};

TEST_F(SmartTip, EmptyLedgerGivesTheFixedAdvice) { EXPECT_EQ(tipFor(MoneyData::emptyLedger()), kFallback); }

TEST_F(SmartTip, LimitExceededWinsEvenWithMoreIncomeToday) {
    const QString tip = tipFor(withLimit(
        "100", {expense(dec("130.5"), local(2026, 6, 15, 9)), income(Decimal(500), local(2026, 6, 15, 10))}));
    EXPECT_EQ(tip, "Сегодня лимит превышен на " + cnyText(dec("30.5")) + ".");
    EXPECT_TRUE(tip.contains("30.50")) << tip.toStdString();
}

TEST_F(SmartTip, SpendingExactlyTheLimitIsNotOverIt) {
    EXPECT_EQ(tipFor(withLimit("100", {expense(Decimal(100), local(2026, 6, 15, 9))})), kFallback);
    // Net is negative, so this month's share decides.
    EXPECT_EQ(tipFor(withLimit("100", {expense(Decimal(100), local(2026, 6, 15, 9)),
                                       income(Decimal(1000), local(2026, 6, 1))})),
              kSaving);
}

TEST_F(SmartTip, ZeroLimitSwitchesTheLimitRuleOff) {
    EXPECT_EQ(tipFor(withLimit("0", {expense(Decimal(5000), local(2026, 6, 15, 9))})), kFallback);
}

TEST_F(SmartTip, AheadTodayShowsTheNetAmount) {
    const QString tip = tipFor(withLimit(
        "0", {income(Decimal(50), local(2026, 6, 15, 9)), expense(Decimal(20), local(2026, 6, 15, 10))}));
    EXPECT_EQ(tip, "Сегодня ты в плюсе на " + cnyText(Decimal(30)) + ". Отличный темп!");
    EXPECT_EQ(tipFor(withLimit("0", {income(Decimal(20), local(2026, 6, 15, 9)),
                                     expense(Decimal(20), local(2026, 6, 15, 10))})),
              kFallback);  // net 0 is not ahead
}

TEST_F(SmartTip, TodayIsTheLocalDay) {
    // 00:30 local on the 15th is 22:30 UTC on the 14th: it is today's income.
    const QString tip = tipFor(withLimit("0", {income(Decimal(7), local(2026, 6, 15, 0, 30)),
                                               income(Decimal(100), local(2026, 6, 14, 23, 59))}));
    EXPECT_EQ(tip, "Сегодня ты в плюсе на " + cnyText(Decimal(7)) + ". Отличный темп!");
}

TEST_F(SmartTip, SavingShareOfExactlyTwentyPercentCounts) {
    EXPECT_EQ(tipFor(withLimit(
                  "0", {income(Decimal(1000), local(2026, 6, 1)), expense(Decimal(800), local(2026, 6, 2))})),
              kSaving);
    EXPECT_EQ(tipFor(withLimit(
                  "0", {income(Decimal(1000), local(2026, 6, 1)), expense(Decimal(801), local(2026, 6, 2))})),
              kFallback);
    // 0.6 / 3 is exactly 0.2 as decimals.
    EXPECT_EQ(tipFor(withLimit(
                  "0", {income(Decimal(3), local(2026, 6, 1)), expense(dec("2.4"), local(2026, 6, 2))})),
              kSaving);
    // Last month's income does not count.
    EXPECT_EQ(tipFor(withLimit("0", {income(Decimal(1000), local(2026, 5, 31, 23)),
                                     expense(Decimal(1), local(2026, 6, 2))})),
              kFallback);
}

TEST_F(SmartTip, FollowsTheSelectedCurrency) {
    Preferences::standard().setValue("currencyCode", "USD");
    const QString tip = tipFor(withLimit("10", {expense(Decimal(12), local(2026, 6, 15, 9))}));
    EXPECT_EQ(tip, "Сегодня лимит превышен на " + cnyText(Decimal(2)) + ".");
    EXPECT_TRUE(tip.contains("$")) << tip.toStdString();
}
