#include "services/LanguageCatalog.h"

#include <unicode/locid.h>

#include <set>
#include <string>

namespace LanguageCatalog {

namespace {

QStringList build() {
    std::set<std::string> found;
    int32_t count = 0;
    const icu::Locale* locales = icu::Locale::getAvailableLocales(count);
    for (int32_t i = 0; i < count; ++i) {
        const char* language = locales[i].getLanguage();
        if (language != nullptr && *language != '\0') found.insert(language);
    }
    QStringList result;
    result.reserve(static_cast<qsizetype>(found.size()));
    for (const std::string& code : found) result.append(QString::fromStdString(code));
    return result;
}

}  // namespace

const QStringList& codes() {
    static const QStringList catalog = build();
    return catalog;
}

}  // namespace LanguageCatalog
