#pragma once

#include <unicode/locid.h>

#include <QString>

// The two money preferences, read from Preferences::standard() anew on every
// call (the settings screen and the family account change them at any time;
// nothing here caches them).
namespace GlobalPreferences {

inline constexpr const char* kCurrencyCodeKey = "currencyCode";
inline constexpr const char* kAppLanguageKey = "appLanguage";
inline constexpr const char* kDefaultCurrencyCode = "CNY";
inline constexpr const char* kAutoLanguage = "auto";

// The stored "currencyCode" when it is exactly one of CurrencyCatalog::codes(),
// otherwise "CNY" (absent, empty, lower case or unknown).
QString currencyCode();

// The ICU locale identifier that formats numbers and money: the stored
// "appLanguage" as given, or for "auto" (and when absent) the device's locale.
QString localeIdentifier();
// That identifier as an ICU locale; a language ICU has no data for (or text
// that is no identifier) gives the root locale, the same on every machine.
icu::Locale locale();

// The device's locale, taken from the environment (LC_ALL, then LC_MONETARY,
// then LANG) on every call, without codeset or modifier: "ru_RU.UTF-8" gives
// "ru_RU". The C/POSIX locale, or none set, gives the app's language, "ru_RU".
// Every use of the device's locale (money, dates, picker titles) reads this.
QString systemLocaleIdentifier();
icu::Locale systemLocale();

}  // namespace GlobalPreferences
