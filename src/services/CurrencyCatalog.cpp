#include "services/CurrencyCatalog.h"

#include <unicode/dcfmtsym.h>
#include <unicode/ucurr.h>

#include <algorithm>
#include <set>
#include <string>

#include "services/IcuText.h"

namespace CurrencyCatalog {

namespace {

QStringList build() {
    std::set<std::string> found(kExtras.begin(), kExtras.end());
    int32_t count = 0;
    const icu::Locale* locales = icu::Locale::getAvailableLocales(count);
    for (int32_t i = 0; i < count; ++i) {
        UErrorCode status = U_ZERO_ERROR;
        UChar buffer[8] = {};
        const int32_t length = ucurr_forLocale(locales[i].getName(), buffer, 8, &status);
        if (U_FAILURE(status) || length <= 0 || length >= 8) continue;  // a locale without a country
        std::string code;
        for (int32_t k = 0; k < length; ++k) code += static_cast<char>(buffer[k]);
        found.insert(code);
    }
    QStringList result;
    result.reserve(static_cast<qsizetype>(found.size()));
    for (const std::string& code : found) result.append(QString::fromStdString(code));
    return result;  // std::set already holds them in ascending byte order
}

// ICU takes currency codes as three letters; anything else has no data.
bool isIsoShaped(const QString& code) {
    return code.size() == 3 && std::all_of(code.begin(), code.end(), [](QChar c) {
               return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
           });
}

QString currencyName(const QString& code, const icu::Locale& locale) {
    if (!isIsoShaped(code)) return code;
    icu::UnicodeString isoCode = toIcu(code);
    UErrorCode status = U_ZERO_ERROR;
    UBool isChoiceFormat = false;
    int32_t length = 0;
    const UChar* name = ucurr_getName(isoCode.getTerminatedBuffer(), locale.getName(), UCURR_LONG_NAME,
                                      &isChoiceFormat, &length, &status);
    if (U_FAILURE(status) || name == nullptr || length <= 0) return code;
    return QString(reinterpret_cast<const QChar*>(name), length);
}

QString currencySymbol(const QString& code, const icu::Locale& locale) {
    if (!isIsoShaped(code)) return code;
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale withCurrency(locale);
    withCurrency.setKeywordValue("currency", code.toLatin1().constData(), status);
    if (U_FAILURE(status)) return code;
    const icu::DecimalFormatSymbols symbols(withCurrency, status);
    if (U_FAILURE(status)) return code;
    const QString symbol = fromIcu(symbols.getSymbol(icu::DecimalFormatSymbols::kCurrencySymbol));
    return symbol.isEmpty() ? code : symbol;
}

}  // namespace

const QStringList& codes() {
    static const QStringList catalog = build();
    return catalog;
}

bool contains(const QString& code) {
    const QStringList& all = codes();
    return std::binary_search(all.begin(), all.end(), code);
}

QString title(const QString& code, const icu::Locale& locale) {
    return currencySymbol(code, locale) + QStringLiteral(" · ") + code + QStringLiteral(" — ") +
           currencyName(code, locale);
}

}  // namespace CurrencyCatalog
