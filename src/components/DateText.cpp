#include "components/DateText.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <QLocale>
#include <memory>
#include <vector>

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

// The day formatter of a style and locale, on UTC; none when ICU has none.
// Making one costs many times more than formatting a day with it, and a list
// formats a day per row: each is made once per thread (a formatter is not
// safe to share between threads) and kept.
icu::DateFormat* dayFormat(icu::DateFormat::EStyle style, const QString& localeName) {
    struct Kept {
        icu::DateFormat::EStyle style;
        QString localeName;
        std::unique_ptr<icu::DateFormat> format;
    };
    thread_local std::vector<Kept> kept;
    for (const Kept& k : kept)
        if (k.style == style && k.localeName == localeName) return k.format.get();
    const icu::Locale locale(localeName.toLatin1().constData());
    std::unique_ptr<icu::DateFormat> format(icu::DateFormat::createDateInstance(style, locale));
    if (!format) return nullptr;
    format->adoptTimeZone(icu::TimeZone::createTimeZone("Etc/UTC"));
    if (kept.size() >= 16) kept.clear();  // a few languages at most in one run
    kept.push_back({style, localeName, std::move(format)});
    return kept.back().format.get();
}

// A day is formatted as its noon in UTC, so no zone's clock change moves it.
QString dateOnly(QDate day, icu::DateFormat::EStyle style, const QString& localeName) {
    if (!day.isValid()) return {};
    icu::DateFormat* format = dayFormat(style, localeName);
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
