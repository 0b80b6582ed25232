#include <gtest/gtest.h>

#include <QRegularExpression>

#include "services/CurrencyCatalog.h"

TEST(CurrencyCatalogTest, CodesAreSortedUniqueIsoCodesWithTheFiveExtras) {
    const QStringList& codes = CurrencyCatalog::codes();
    ASSERT_GT(codes.size(), 100);  // every region's currency, not only the extras
    for (qsizetype i = 1; i < codes.size(); ++i)
        EXPECT_LT(codes[i - 1], codes[i]) << "not strictly ascending at " << i;

    const QRegularExpression iso("^[A-Z]{3}$");
    for (const QString& code : codes) EXPECT_TRUE(iso.match(code).hasMatch()) << code.toStdString();

    for (const char* extra : CurrencyCatalog::kExtras) EXPECT_TRUE(codes.contains(extra)) << extra;
    EXPECT_TRUE(codes.contains("JPY"));
    EXPECT_TRUE(codes.contains("GBP"));
}

TEST(CurrencyCatalogTest, ContainsIsExactAndCaseSensitive) {
    EXPECT_TRUE(CurrencyCatalog::contains("KZT"));
    EXPECT_TRUE(CurrencyCatalog::contains("CNY"));
    EXPECT_FALSE(CurrencyCatalog::contains("cny"));
    EXPECT_FALSE(CurrencyCatalog::contains("CNY "));
    EXPECT_FALSE(CurrencyCatalog::contains(""));
    EXPECT_FALSE(CurrencyCatalog::contains("XYZ"));
}

TEST(CurrencyCatalogTest, TitleJoinsSymbolCodeAndNameInTheGivenLocale) {
    EXPECT_EQ(CurrencyCatalog::title("RUB", icu::Locale("ru")),
              QStringLiteral("\u20BD · RUB — российский рубль"));
    EXPECT_EQ(CurrencyCatalog::title("USD", icu::Locale("en_US")), QStringLiteral("$ · USD — US Dollar"));
    EXPECT_EQ(CurrencyCatalog::title("CNY", icu::Locale("de")),
              QStringLiteral("CN\u00A5 · CNY — Renminbi Yuan"));
    EXPECT_EQ(CurrencyCatalog::title("CNY", icu::Locale("zh_CN")), QStringLiteral("\u00A5 · CNY — 人民币"));
    // The requested currency wins over one the locale already names.
    EXPECT_EQ(CurrencyCatalog::title("RUB", icu::Locale("ru@currency=USD")),
              QStringLiteral("\u20BD · RUB — российский рубль"));
}

TEST(CurrencyCatalogTest, TitleFallsBackToTheCodeWhereTheLocaleHasNoData) {
    EXPECT_EQ(CurrencyCatalog::title("ABC", icu::Locale("ru")), QStringLiteral("ABC · ABC — ABC"));
    EXPECT_EQ(CurrencyCatalog::title("rubles", icu::Locale("ru")),
              QStringLiteral("rubles · rubles — rubles"));
    EXPECT_EQ(CurrencyCatalog::title("", icu::Locale("ru")), QStringLiteral(" ·  — "));
}
