#include "services/MoneyText.h"

#include <unicode/numberformatter.h>

#include <optional>
#include <string>

#include "services/GlobalPreferences.h"
#include "services/IcuText.h"

namespace {

// The formatter built for the preferences read last. Both preferences are read
// on every call; only the ICU formatter made from them is kept until either
// changes, because building one costs far more than formatting an amount (a
// list of operations formats one amount per drawn row).
struct FormatterCache {
    QString currency;
    std::string locale;
    std::optional<icu::number::LocalizedNumberFormatter> formatter;  // none: the currency is not usable
};

const icu::number::LocalizedNumberFormatter* formatterFor(const QString& currency, const icu::Locale& locale) {
    thread_local std::optional<FormatterCache> cache;
    if (cache && cache->currency == currency && cache->locale == locale.getName())
        return cache->formatter ? &*cache->formatter : nullptr;
    cache.emplace();
    cache->currency = currency;
    cache->locale = locale.getName();
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString isoCode = toIcu(currency);
    const icu::CurrencyUnit unit(isoCode.getTerminatedBuffer(), status);
    if (U_SUCCESS(status))
        cache->formatter = icu::number::NumberFormatter::withLocale(locale)
                               .unit(unit)
                               .precision(icu::number::Precision::fixedFraction(2))
                               .roundingMode(UNUM_ROUND_HALFEVEN);
    return cache->formatter ? &*cache->formatter : nullptr;
}

}  // namespace

QString cnyText(const Decimal& amount) {
    const QString currency = GlobalPreferences::currencyCode();
    if (const auto* formatter = formatterFor(currency, GlobalPreferences::locale())) {
        UErrorCode status = U_ZERO_ERROR;
        // The exact digits go to ICU as text, so no amount passes through a double.
        const std::string digits = amount.toStdString();
        const icu::number::FormattedNumber formatted = formatter->formatDecimal(
            icu::StringPiece(digits.data(), static_cast<int32_t>(digits.size())), status);
        if (U_SUCCESS(status)) {
            const icu::UnicodeString text = formatted.toString(status);
            if (U_SUCCESS(status) && !text.isEmpty()) return fromIcu(text);
        }
    }
    return QStringLiteral("0.00 ") + currency;
}
