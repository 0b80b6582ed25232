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
    EXPECT_EQ(systemLocaleIdentifier(), "en_US_POSIX");  // nothing set
    env.set("LANG", "de_DE@euro");
    EXPECT_EQ(systemLocaleIdentifier(), "de_DE");
    env.set("LC_MONETARY", "kk_KZ.UTF-8");
    EXPECT_EQ(systemLocaleIdentifier(), "kk_KZ");
    env.set("LC_ALL", "ru_RU.UTF-8");
    EXPECT_EQ(systemLocaleIdentifier(), "ru_RU");
    env.set("LC_ALL", "C.UTF-8");
    EXPECT_EQ(systemLocaleIdentifier(), "en_US_POSIX");
    env.set("LC_ALL", "POSIX");
    EXPECT_EQ(systemLocaleIdentifier(), "en_US_POSIX");
}
