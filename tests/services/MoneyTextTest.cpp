#include "PreferencesTestSupport.h"
#include "services/MoneyText.h"

namespace {

Decimal dec(const char* text) {
    const std::optional<Decimal> value = Decimal::parse(std::string_view(text));
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(Decimal());
}

class MoneyTextTest : public StandardPreferencesTest {
protected:
    QString text(const char* amount, const char* currency, const char* language) {
        prefs().setValue("currencyCode", currency);
        prefs().setValue("appLanguage", language);
        return cnyText(dec(amount));
    }
};

// ICU's locale data: U+00A0 (no-break space) and U+202F (narrow no-break space)
// separate groups and symbols in several locales. Neighbouring rows change only
// the language or only the currency.
TEST_F(MoneyTextTest, LocaleAndCurrencyGiveTheirExactCharacters) {
    // clang-format off
    const std::tuple<const char*, const char*, const char16_t*> cases[] = {
        {"ru", "RUB", u"1\u00A0234,50\u00A0\u20BD"},  {"ru", "CNY", u"1\u00A0234,50\u00A0CN\u00A5"},
        {"en_US", "CNY", u"CN\u00A51,234.50"},       {"en_US", "USD", u"$1,234.50"},
        {"zh_CN", "USD", u"US$1,234.50"},             {"zh_CN", "CNY", u"\u00A51,234.50"},
        {"de_DE", "CNY", u"1.234,50\u00A0CN\u00A5"},  {"de_DE", "RUB", u"1.234,50\u00A0RUB"},
        {"fr_FR", "EUR", u"1\u202F234,50\u00A0\u20AC"},
    };
    // clang-format on
    for (const auto& [language, currency, expected] : cases) {
        SCOPED_TRACE(std::string(language) + " " + currency);
        EXPECT_EQ(text("1234.5", currency, language), QString::fromUtf16(expected));
        EXPECT_EQ(text("-1234.5", currency, language), "-" + QString::fromUtf16(expected));
    }
}

TEST_F(MoneyTextTest, ExactlyTwoFractionDigitsRoundedHalfEvenOnTheExactDecimal) {
    // Through a double 2.015 would be 2.01499... and print "2.01"; a double keeps
    // about 17 significant digits, the ledger 38.
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"2.015", "$2.02"},  {"2.005", "$2.00"}, {"2.025", "$2.02"}, {"2.0250001", "$2.03"},
        {"-2.015", "-$2.02"}, {"5", "$5.00"},
        {"12345678901234567890123456789012345.678", "$12,345,678,901,234,567,890,123,456,789,012,345.68"}};
    // clang-format on
    for (const auto& [amount, expected] : cases) EXPECT_EQ(text(amount, "USD", "en_US"), expected) << amount;
    EXPECT_EQ(text("0", "RUB", "ru"), QStringLiteral("0,00\u00A0\u20BD"));
}

// Which currency and language apply is GlobalPreferences' rule; the text takes
// them afresh on every call.
TEST_F(MoneyTextTest, FollowsTheCurrencyAndTheDeviceLocaleOfTheMoment) {
    ScopedLocaleEnvironment env;
    prefs().setValue("currencyCode", "usd");
    env.set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(cnyText(dec("1234.5")), QStringLiteral("1.234,50\u00A0CN\u00A5"));  // absent language = auto
    prefs().setValue("currencyCode", "EUR");
    env.set("LANG", "en_US.UTF-8");
    EXPECT_EQ(cnyText(dec("1234.5")), QStringLiteral("\u20AC1,234.50"));
    EXPECT_EQ(text("5", "KZT", "en_US"), QStringLiteral("KZT\u00A05.00"));
}

TEST_F(MoneyTextTest, UnknownLanguageFormatsWithRootDataWhateverTheDevice) {
    ScopedLocaleEnvironment env;
    env.set("LANG", "de_DE.UTF-8");
    for (const char* language : {"xx", "xx_RU", "!!", ""})
        EXPECT_EQ(text("1234.5", "USD", language), QStringLiteral("US$\u00A01,234.50")) << language;
}

}  // namespace
