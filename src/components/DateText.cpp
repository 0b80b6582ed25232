#include "components/DateText.h"

#include "services/GlobalPreferences.h"
#include "services/IcuText.h"

#include <QLocale>
#include <memory>
#include <unicode/datefmt.h>
#include <unicode/locid.h>

namespace DateText {

QString deviceLocaleName() { return GlobalPreferences::systemLocaleIdentifier(); }

QString abbreviatedDateTime(const QDateTime& when, const QString& localeName) {
    if (!when.isValid()) return {};
    const icu::Locale locale(localeName.toLatin1().constData());
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kShort, locale));
    if (!format) return QLocale::system().toString(when.toLocalTime(), QLocale::ShortFormat);
    icu::UnicodeString text;
    format->format(static_cast<UDate>(when.toMSecsSinceEpoch()), text);
    return fromIcu(text);
}

}  // namespace DateText
