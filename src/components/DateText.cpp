#include "components/DateText.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <QHash>
#include <QLocale>
#include <memory>

#include "services/GlobalPreferences.h"
#include "services/IcuText.h"

namespace DateText {

namespace {

// Making an ICU formatter costs far more than formatting with it, and a list
// formats many dates in a row: one formatter is kept per style, locale and
// time zone (a formatter reads the default zone when it is made), per thread.
icu::DateFormat* formatter(icu::DateFormat::EStyle dateStyle, icu::DateFormat::EStyle timeStyle,
                           const QString& localeName, const icu::TimeZone* zone) {
    thread_local QHash<QString, std::shared_ptr<icu::DateFormat>> kept;
    icu::UnicodeString zoneId;
    if (zone) {
        zone->getID(zoneId);
    } else {
        std::unique_ptr<icu::TimeZone> current(icu::TimeZone::createDefault());
        current->getID(zoneId);
    }
    const QString key = QString::number(int(dateStyle)) + QChar(u'/') + QString::number(int(timeStyle)) +
                        QChar(u'/') + localeName + QChar(u'/') + fromIcu(zoneId);
    if (const auto it = kept.constFind(key); it != kept.cend()) return it->get();
    const icu::Locale locale(localeName.toLatin1().constData());
    std::shared_ptr<icu::DateFormat> format(
        timeStyle == icu::DateFormat::kNone ? icu::DateFormat::createDateInstance(dateStyle, locale)
                                            : icu::DateFormat::createDateTimeInstance(dateStyle, timeStyle, locale));
    if (!format) return nullptr;
    if (zone) format->setTimeZone(*zone);
    if (kept.size() > 32) kept.clear();
    kept.insert(key, format);
    return format.get();
}

}  // namespace

QString deviceLocaleName() { return GlobalPreferences::systemLocaleIdentifier(); }

QString abbreviatedDateTime(const QDateTime& when, const QString& localeName) {
    if (!when.isValid()) return {};
    icu::DateFormat* format =
        formatter(icu::DateFormat::kMedium, icu::DateFormat::kShort, localeName, nullptr);
    if (!format) return QLocale::system().toString(when.toLocalTime(), QLocale::ShortFormat);
    icu::UnicodeString text;
    format->format(static_cast<UDate>(when.toMSecsSinceEpoch()), text);
    return fromIcu(text);
}

QString numericDateTime(const QDateTime& when) {
    if (!when.isValid()) return {};
    return when.toLocalTime().toString(QString::fromLatin1(kNumericDateTimeFormat));
}

namespace {

// A day is formatted as its noon in UTC, so no zone's clock change moves it.
QString dateOnly(QDate day, icu::DateFormat::EStyle style, const QString& localeName) {
    if (!day.isValid()) return {};
    static const std::unique_ptr<icu::TimeZone> utc(icu::TimeZone::createTimeZone("Etc/UTC"));
    icu::DateFormat* format = formatter(style, icu::DateFormat::kNone, localeName, utc.get());
    if (!format) return QLocale::system().toString(day, QLocale::ShortFormat);
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
