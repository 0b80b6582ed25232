#include "services/MoneyText.h"

#include <unicode/numberformatter.h>

#include <string>

#include "services/GlobalPreferences.h"
#include "services/IcuText.h"

QString cnyText(const Decimal& amount) {
    // A fresh formatter per call: both preferences may have changed since the
    // last one, and they are read here, not cached.
    const QString currency = GlobalPreferences::currencyCode();
    const icu::Locale locale = GlobalPreferences::locale();

    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString isoCode = toIcu(currency);
    const icu::CurrencyUnit unit(isoCode.getTerminatedBuffer(), status);
    if (U_SUCCESS(status)) {
        const auto formatter = icu::number::NumberFormatter::withLocale(locale)
                                   .unit(unit)
                                   .precision(icu::number::Precision::fixedFraction(2))
                                   .roundingMode(UNUM_ROUND_HALFEVEN);
        // The exact digits go to ICU as text, so no amount passes through a double.
        const std::string digits = amount.toStdString();
        const icu::number::FormattedNumber formatted = formatter.formatDecimal(
            icu::StringPiece(digits.data(), static_cast<int32_t>(digits.size())), status);
        if (U_SUCCESS(status)) {
            const icu::UnicodeString text = formatted.toString(status);
            if (U_SUCCESS(status) && !text.isEmpty()) return fromIcu(text);
        }
    }
    return QStringLiteral("0.00 ") + GlobalPreferences::currencyCode();
}
