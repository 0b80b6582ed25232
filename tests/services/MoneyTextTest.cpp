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

struct Expected {
    const char* language;
    const char* currency;
    const char16_t* positive;  // 1234.5
    const char16_t* negative;  // -1234.5
};

// ICU's locale data: U+00A0 (no-break space) and U+202F (narrow no-break space)
// separate groups and symbols in several locales.
const Expected kByLocale[] = {
    {"ru", "RUB", u"1\u00A0234,50\u00A0\u20BD", u"-1\u00A0234,50\u00A0\u20BD"},
    {"ru", "CNY", u"1\u00A0234,50\u00A0CN\u00A5", u"-1\u00A0234,50\u00A0CN\u00A5"},
    {"ru", "USD", u"1\u00A0234,50\u00A0$", u"-1\u00A0234,50\u00A0$"},
    {"en_US", "USD", u"$1,234.50", u"-$1,234.50"},
    {"en_US", "CNY", u"CN\u00A51,234.50", u"-CN\u00A51,234.50"},
    {"en_US", "RUB", u"RUB\u00A01,234.50", u"-RUB\u00A01,234.50"},
    {"zh_CN", "CNY", u"\u00A51,234.50", u"-\u00A51,234.50"},
    {"zh_CN", "USD", u"US$1,234.50", u"-US$1,234.50"},
    {"zh_CN", "RUB", u"RUB\u00A01,234.50", u"-RUB\u00A01,234.50"},
    {"de_DE", "CNY", u"1.234,50\u00A0CN\u00A5", u"-1.234,50\u00A0CN\u00A5"},
    {"de_DE", "RUB", u"1.234,50\u00A0RUB", u"-1.234,50\u00A0RUB"},
    {"de_DE", "USD", u"1.234,50\u00A0$", u"-1.234,50\u00A0$"},
    {"fr_FR", "EUR", u"1\u202F234,50\u00A0\u20AC", u"-1\u202F234,50\u00A0\u20AC"},
};

TEST_F(MoneyTextTest, LocaleAndCurrencyGiveTheirExactCharacters) {
    for (const Expected& e : kByLocale) {
        SCOPED_TRACE(std::string(e.language) + " " + e.currency);
        EXPECT_EQ(text("1234.5", e.currency, e.language), QString::fromUtf16(e.positive));
        EXPECT_EQ(text("-1234.5", e.currency, e.language), QString::fromUtf16(e.negative));
    }
}

TEST_F(MoneyTextTest, ExactlyTwoFractionDigitsRoundedHalfEvenOnTheExactDecimal) {
    // Through a double 2.015 would be 2.01499... and print "2.01".
    EXPECT_EQ(text("2.015", "USD", "en_US"), "$2.02");
    EXPECT_EQ(text("2.005", "USD", "en_US"), "$2.00");
    EXPECT_EQ(text("2.025", "USD", "en_US"), "$2.02");
    EXPECT_EQ(text("2.0250001", "USD", "en_US"), "$2.03");
    EXPECT_EQ(text("-2.015", "USD", "en_US"), "-$2.02");
    EXPECT_EQ(text("5", "USD", "en_US"), "$5.00");
    EXPECT_EQ(text("0", "RUB", "ru"), QStringLiteral("0,00\u00A0\u20BD"));
    EXPECT_EQ(text("2.015", "RUB", "ru"), QStringLiteral("2,02\u00A0\u20BD"));
    // 38 significant digits survive; a double keeps about 17.
    EXPECT_EQ(text("12345678901234567890123456789012345.678", "USD", "en_US"),
              "$12,345,678,901,234,567,890,123,456,789,012,345.68");
}

TEST_F(MoneyTextTest, UnknownOrMiscasedCurrencyFallsBackToCny) {
    prefs().setValue("appLanguage", "en_US");
    EXPECT_EQ(cnyText(dec("5")), QStringLiteral("CN\u00A55.00"));  // nothing stored
    for (const char* stored : {"usd", "cny", "XYZ", "", "DOLLAR"})
        EXPECT_EQ(text("5", stored, "en_US"), QStringLiteral("CN\u00A55.00")) << stored;
    EXPECT_EQ(text("5", "KZT", "en_US"), QStringLiteral("KZT\u00A05.00"));
    EXPECT_EQ(text("5", "KZT", "ru"), QStringLiteral("5,00\u00A0KZT"));
}

TEST_F(MoneyTextTest, AutoFollowsTheDeviceLocaleOnEveryCall) {
    ScopedLocaleEnvironment env;
    prefs().setValue("currencyCode", "EUR");
    env.set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(cnyText(dec("1234.5")), QStringLiteral("1.234,50\u00A0\u20AC"));  // absent = auto
    prefs().setValue("appLanguage", "auto");
    env.set("LANG", "en_US.UTF-8");
    EXPECT_EQ(cnyText(dec("1234.5")), QStringLiteral("\u20AC1,234.50"));
    env.set("LC_ALL", "ru_RU.UTF-8");
    EXPECT_EQ(cnyText(dec("1234.5")), QStringLiteral("1\u00A0234,50\u00A0\u20AC"));

    // A stored language wins over the device's.
    prefs().setValue("appLanguage", "ru");
    env.set("LC_ALL", "en_US.UTF-8");
    EXPECT_EQ(cnyText(dec("1234.5")), QStringLiteral("1\u00A0234,50\u00A0\u20AC"));
}

TEST_F(MoneyTextTest, UnknownLanguageFormatsWithRootDataWhateverTheDevice) {
    ScopedLocaleEnvironment env;
    env.set("LANG", "de_DE.UTF-8");
    const QString root = QStringLiteral("US$\u00A01,234.50");
    EXPECT_EQ(text("1234.5", "USD", "xx"), root);
    EXPECT_EQ(text("1234.5", "USD", "xx_RU"), root);
    EXPECT_EQ(text("1234.5", "USD", "!!"), root);
    EXPECT_EQ(text("1234.5", "USD", ""), root);
}

}  // namespace
