#include <gtest/gtest.h>

#include <QRegularExpression>

#include "services/CurrencyCatalog.h"
#include "services/LanguageCatalog.h"

namespace {
// Strictly ascending (so unique), each code of the given form.
void expectSortedCodes(const QStringList& codes, const char* form) {
    ASSERT_GT(codes.size(), 100);  // every region's, not only a few
    const QRegularExpression pattern(form);
    for (qsizetype i = 0; i < codes.size(); ++i) {
        EXPECT_TRUE(pattern.match(codes[i]).hasMatch()) << codes[i].toStdString();
        if (i > 0) {
            EXPECT_LT(codes[i - 1], codes[i]) << "not strictly ascending at " << i;
        }
    }
}
}  // namespace

TEST(CurrencyCatalogTest, CodesAreSortedUniqueIsoCodesWithTheFiveExtras) {
    expectSortedCodes(CurrencyCatalog::codes(), "^[A-Z]{3}$");
    for (const char* extra : CurrencyCatalog::kExtras) EXPECT_TRUE(CurrencyCatalog::contains(extra)) << extra;
    EXPECT_TRUE(CurrencyCatalog::contains("JPY"));
    for (const char* absent : {"cny", "CNY ", "", "XYZ"})
        EXPECT_FALSE(CurrencyCatalog::contains(absent)) << absent;
}

TEST(CurrencyCatalogTest, TitleJoinsSymbolCodeAndNameInTheGivenLocaleOrFallsBackToTheCode) {
    const std::tuple<const char*, const char*, QString> cases[] = {
        {"RUB", "ru", u"\u20BD · RUB — российский рубль"_qs},
        {"USD", "en_US", "$ · USD — US Dollar"},
        {"CNY", "de", u"CN\u00A5 · CNY — Renminbi Yuan"_qs},
        {"CNY", "zh_CN", u"\u00A5 · CNY — 人民币"_qs},
        // The requested currency wins over one the locale already names.
        {"RUB", "ru@currency=USD", u"\u20BD · RUB — российский рубль"_qs},
        {"ABC", "ru", "ABC · ABC — ABC"},
        {"rubles", "ru", "rubles · rubles — rubles"},
        {"", "ru", " ·  — "},
    };
    for (const auto& [code, locale, title] : cases)
        EXPECT_EQ(CurrencyCatalog::title(code, icu::Locale(locale)), title) << code << " in " << locale;
}

TEST(LanguageCatalogTest, CodesAreSortedUniqueLanguageCodesWithoutAuto) {
    const QStringList& codes = LanguageCatalog::codes();
    expectSortedCodes(codes, "^[a-z]{2,3}$");  // never a region, script or "auto"
    for (const char* expected : {"de", "en", "kk", "ru", "zh"})
        EXPECT_TRUE(codes.contains(expected)) << expected;
}
