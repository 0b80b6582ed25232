#pragma once

#include <unicode/locid.h>

#include <QString>
#include <QStringList>
#include <array>

// The currencies the currency pickers offer.
namespace CurrencyCatalog {

// Always offered, whatever the locale data lists.
inline constexpr std::array<const char*, 5> kExtras = {"CNY", "USD", "EUR", "RUB", "KZT"};

// The currency of every ICU locale that has one, together with kExtras; no
// duplicates, ascending. Built on first use (safe from any thread) and kept for
// the life of the process.
const QStringList& codes();

// Exact, case-sensitive membership in codes().
bool contains(const QString& code);

// The picker title: symbol, " · ", code, " — ", name, the symbol and name as
// the given locale shows them (the code itself where the locale has none), e.g.
// "₽ · RUB — российский рубль" for "ru". The screens pass
// GlobalPreferences::systemLocale().
QString title(const QString& code, const icu::Locale& locale);

}  // namespace CurrencyCatalog
