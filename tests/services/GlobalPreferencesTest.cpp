#include "PreferencesTestSupport.h"
#include "services/GlobalPreferences.h"

using GlobalPreferences::currencyCode;
using GlobalPreferences::localeIdentifier;
using GlobalPreferences::systemLocaleIdentifier;

using GlobalPreferencesTest = StandardPreferencesTest;

TEST_F(GlobalPreferencesTest, CurrencyCodeIsAlwaysACatalogueCode) {
    EXPECT_EQ(currencyCode(), "CNY");  // nothing stored
    for (const char* code : {"USD", "KZT", "RUB", "EUR", "JPY"}) {
        prefs().setValue("currencyCode", code);
        EXPECT_EQ(currencyCode(), code);  // read anew after every write
    }
    for (const char* bad : {"usd", "", "XYZ", " USD", "US"}) {
        prefs().setValue("currencyCode", bad);
        EXPECT_EQ(currencyCode(), "CNY") << bad;
    }
}

TEST_F(GlobalPreferencesTest, LocaleIsTheStoredLanguageOrTheDevicesForAuto) {
    ScopedLocaleEnvironment env;
    env.set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(localeIdentifier(), "de_DE");  // absent means auto
    prefs().setValue("appLanguage", "auto");
    EXPECT_EQ(localeIdentifier(), "de_DE");
    env.set("LANG", "ru_RU.UTF-8");
    EXPECT_EQ(localeIdentifier(), "ru_RU");  // follows the device without a restart

    prefs().setValue("appLanguage", "zh");
    EXPECT_EQ(localeIdentifier(), "zh");
    EXPECT_STREQ(GlobalPreferences::locale().getLanguage(), "zh");
    prefs().setValue("appLanguage", "Auto");  // only the exact word means the device
    EXPECT_EQ(localeIdentifier(), "Auto");
}

TEST_F(GlobalPreferencesTest, SystemLocaleComesFromTheMonetaryEnvironment) {
    ScopedLocaleEnvironment env;
    EXPECT_EQ(systemLocaleIdentifier(), "ru_RU");  // nothing set: the app's language
    // Each variable set on top of the ones before: LC_ALL over LC_MONETARY over LANG.
    // clang-format off
    const std::tuple<const char*, const char*, const char*> steps[] = {
        {"LANG", "de_DE@euro", "de_DE"},     {"LC_MONETARY", "kk_KZ.UTF-8", "kk_KZ"},
        {"LC_ALL", "en_GB.UTF-8", "en_GB"},  {"LC_ALL", "C.UTF-8", "ru_RU"},
        {"LC_ALL", "POSIX", "ru_RU"},        {"LC_ALL", "C", "ru_RU"}};
    // clang-format on
    for (const auto& [name, value, expected] : steps) {
        env.set(name, value);
        EXPECT_EQ(systemLocaleIdentifier(), expected) << name << "=" << value;
    }
}
