#include "services/PickerTitles.h"

#include <unicode/locid.h>

#include "services/CurrencyCatalog.h"
#include "services/GlobalPreferences.h"
#include "services/IcuText.h"

namespace {

// Every word's first letter upper case, the rest lower case.
QString capitalized(const QString& text) {
    QString result = text.toLower();
    bool wordStart = true;
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (result[i].isLetterOrNumber()) {
            if (wordStart) result[i] = result[i].toUpper();
            wordStart = false;
        } else {
            wordStart = true;
        }
    }
    return result;
}

}  // namespace

namespace PickerTitles {

QString currency(const QString& code) {
    return CurrencyCatalog::title(code, GlobalPreferences::systemLocale());
}

QString language(const QString& code) {
    if (code == QLatin1String(GlobalPreferences::kAutoLanguage)) return QStringLiteral("Как на устройстве");
    const icu::Locale language(code.toLatin1().constData());
    icu::UnicodeString name;
    language.getDisplayLanguage(GlobalPreferences::systemLocale(), name);
    const QString text = fromIcu(name);
    // Without a name ICU hands back the code, which stays as it is.
    return text.isEmpty() || text == code ? code : capitalized(text);
}

}  // namespace PickerTitles
