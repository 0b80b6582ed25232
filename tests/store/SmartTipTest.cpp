#include "StoreFixture.h"
#include "services/MoneyText.h"

using SmartTip = StoreFixture;

// The first rule that applies wins: over the daily limit, ahead today, saving
// a fifth of this month's income, else the fixed advice. Now is 15 June, 14:00.
TEST_F(SmartTip, RulesInOrderOfPrecedence) {
    setNow(local(2026, 6, 15, 14));
    const QString fallback = "Перед незапланированной покупкой дай себе 10 минут на решение.";
    const QString saving = "Ты сохраняешь больше 20% дохода — так держать!";
    const auto over = [](const Decimal& by) { return "Сегодня лимит превышен на " + cnyText(by) + "."; };
    const auto ahead = [](const Decimal& by) {
        return "Сегодня ты в плюсе на " + cnyText(by) + ". Отличный темп!";
    };
    const QDateTime today = local(2026, 6, 15, 9);
    struct Case {
        const char* name;
        const char* limit;
        std::vector<MoneyTransaction> list;
        QString tip;
    };
    // clang-format off
    const Case cases[] = {
        {"empty ledger", "0", {}, fallback},
        {"limit exceeded beats more income today", "100",
         {expense(dec("130.5"), today), income(Decimal(500), today)}, over(dec("30.5"))},
        {"spending exactly the limit", "100", {expense(Decimal(100), today)}, fallback},
        {"exactly the limit, then the month's share", "100",
         {expense(Decimal(100), today), income(Decimal(1000), local(2026, 6, 1))}, saving},
        {"zero limit is off", "0", {expense(Decimal(5000), today)}, fallback},
        {"ahead today beats the month's share", "0",
         {income(Decimal(50), today), expense(Decimal(20), today)}, ahead(Decimal(30))},
        {"net zero is not ahead", "0", {income(Decimal(20), today), expense(Decimal(20), today)}, fallback},
        {"today is the local day", "0",
         {income(Decimal(7), local(2026, 6, 15, 0, 30)), income(Decimal(100), local(2026, 6, 14, 23, 59))},
         ahead(Decimal(7))},
        {"saving exactly 20%", "0",
         {income(Decimal(1000), local(2026, 6, 1)), expense(Decimal(800), local(2026, 6, 2))}, saving},
        {"saving 19.9%", "0",
         {income(Decimal(1000), local(2026, 6, 1)), expense(Decimal(801), local(2026, 6, 2))}, fallback},
        {"0.6 of 3 is exactly a fifth", "0",
         {income(Decimal(3), local(2026, 6, 1)), expense(dec("2.4"), local(2026, 6, 2))}, saving},
        {"last month's income", "0",
         {income(Decimal(1000), local(2026, 5, 31, 23)), expense(Decimal(1), local(2026, 6, 2))}, fallback},
    };
    // clang-format on
    for (const Case& c : cases) {
        MoneyData d = MoneyData::emptyLedger();
        d.transactions = c.list;
        d.dailyLimit = dec(c.limit);
        EXPECT_EQ(open(d).smartTip(), c.tip) << c.name;
    }
}

TEST_F(SmartTip, AmountsFollowTheSelectedCurrency) {
    setNow(local(2026, 6, 15, 14));
    MoneyData d = ledgerWith({expense(dec("12.5"), local(2026, 6, 15, 9))});
    d.dailyLimit = Decimal(10);
    EXPECT_EQ(open(d).smartTip(), "Сегодня лимит превышен на CN¥2.50.");
    Preferences::standard().setValue("currencyCode", "USD");
    EXPECT_EQ(store->smartTip(), "Сегодня лимит превышен на $2.50.");
}
