#include "components/DateText.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <QLocale>
#include <memory>

#include "services/GlobalPreferences.h"
#include "services/IcuText.h"

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

namespace {

// A day is formatted as its noon in UTC, so no zone's clock change moves it.
QString dateOnly(QDate day, icu::DateFormat::EStyle style, const QString& localeName) {
    if (!day.isValid()) return {};
    const icu::Locale locale(localeName.toLatin1().constData());
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateInstance(style, locale));
    if (!format) return QLocale::system().toString(day, QLocale::ShortFormat);
    format->adoptTimeZone(icu::TimeZone::createTimeZone("Etc/UTC"));
    const QDateTime noon(day, QTime(12, 0), Qt::UTC);
    icu::UnicodeString text;
    format->format(static_cast<UDate>(noon.toMSecsSinceEpoch()), text);
    return fromIcu(text);
}

}  // namespace

QString abbreviatedDate(QDate day, const QString& localeName) {
    return dateOnly(day, icu::DateFormat::kMedium, localeName);
}

QString longDate(QDate day, const QString& localeName) {
    return dateOnly(day, icu::DateFormat::kLong, localeName);
}

}  // namespace DateText
