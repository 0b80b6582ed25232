#include "store/LedgerCalendar.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 kMsecsPerDay = 86'400'000;
constexpr qint64 kEpochJulianDay = 2'440'588;  // 1970-01-01
// More whole days than any zone has ever skipped at once.
constexpr int kLongestSkip = 4;

qint64 floorDiv(qint64 a, qint64 b) {
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

}  // namespace

LedgerCalendar::LedgerCalendar(QTimeZone zone) : zone_(zone.isValid() ? std::move(zone) : QTimeZone::utc()) {}

QDate LedgerCalendar::localDate(const QDateTime& instant) const { return instant.toTimeZone(zone_).date(); }

QDateTime LedgerCalendar::startOfDay(QDate day) const {
    if (!day.isValid()) return {};
    // A day the zone skipped whole (Samoa went from 29 to 31 December 2011)
    // has no first instant: it begins, and ends, where the next day that
    // exists begins, so it holds nothing and its neighbours keep their own.
    for (int ahead = 0; ahead < kLongestSkip; ++ahead) {
        const QDateTime start = day.addDays(ahead).startOfDay(zone_);
        if (start.isValid()) return start.toUTC();
    }
    return {};
}

LedgerCalendar::Span LedgerCalendar::daySpan(QDate day) const {
    return {startOfDay(day).toMSecsSinceEpoch(), startOfDay(day.addDays(1)).toMSecsSinceEpoch()};
}

LedgerCalendar::Span LedgerCalendar::monthSpan(QDate day) const {
    const QDate first(day.year(), day.month(), 1);
    return {startOfDay(first).toMSecsSinceEpoch(), startOfDay(first.addMonths(1)).toMSecsSinceEpoch()};
}

QDateTime LedgerCalendar::atLocalTime(QDate day, QTime time) const {
    if (!day.isValid() || !time.isValid()) return {};
    // Read the wall time with the offset in force a day earlier, before any
    // clock change of that day: a repeated time is its first occurrence, and a
    // skipped one lands where the clock shows it after moving on (02:30 on a
    // spring-forward night is 03:30 summer time). Qt alone would take the second
    // of a repeated time and push a skipped one a whole gap too far by addDays.
    const QDateTime asUtc(day, time, QTimeZone::utc());
    const QDateTime before = asUtc.addSecs(-zone_.offsetFromUtc(asUtc.addDays(-1)));
    if (!before.isValid()) return {};
    const QDateTime shown = before.toTimeZone(zone_);
    if (shown.date() == day && shown.time() == time) return before;
    // The offset changed earlier that day: the wall time exists with the new one.
    const QDateTime local(day, time, zone_);
    return local.isValid() ? local.toUTC() : before;
}

QDateTime LedgerCalendar::addingDays(const QDateTime& instant, int days) const {
    const QDateTime local = instant.toTimeZone(zone_);
    return atLocalTime(local.date().addDays(days), local.time());
}

QDateTime LedgerCalendar::addingMonths(const QDateTime& instant, int months) const {
    const QDateTime local = instant.toTimeZone(zone_);
    return atLocalTime(local.date().addMonths(months), local.time());
}

qint64 LedgerCalendar::daysBetween(const QDateTime& from, const QDateTime& to) const {
    return localDate(from).daysTo(localDate(to));
}

LocalDayMapper::LocalDayMapper(const QTimeZone& zone) : zone_(zone.isValid() ? zone : QTimeZone::utc()) {}

qint64 LocalDayMapper::julianDay(qint64 msecsUtc) {
    const OffsetSpan& span = spanFor(msecsUtc);
    return floorDiv(msecsUtc + qint64(span.offsetSeconds) * 1000, kMsecsPerDay) + kEpochJulianDay;
}

const LocalDayMapper::OffsetSpan& LocalDayMapper::spanFor(qint64 msecsUtc) {
    // Ledgers are mostly in date order, so the span used last usually fits.
    if (last_ < spans_.size() && msecsUtc >= spans_[last_].begin && msecsUtc < spans_[last_].end)
        return spans_[last_];
    auto it = std::upper_bound(spans_.begin(), spans_.end(), msecsUtc,
                               [](qint64 t, const OffsetSpan& s) { return t < s.begin; });
    if (it != spans_.begin() && msecsUtc < std::prev(it)->end) {
        last_ = std::size_t(std::prev(it) - spans_.begin());
        return spans_[last_];
    }

    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msecsUtc, QTimeZone::utc());
    OffsetSpan span{kMin, kMax, zone_.offsetFromUtc(at)};
    if (zone_.hasTransitions()) {
        const QTimeZone::OffsetData prev = zone_.previousTransition(at.addMSecs(1));
        const QTimeZone::OffsetData next = zone_.nextTransition(at);
        if (prev.atUtc.isValid()) span.begin = prev.atUtc.toMSecsSinceEpoch();
        if (next.atUtc.isValid()) span.end = next.atUtc.toMSecsSinceEpoch();
        // Guard against a zone that reports spans not covering the instant.
        if (!(msecsUtc >= span.begin && msecsUtc < span.end))
            span = {msecsUtc, msecsUtc + 1, span.offsetSeconds};
    }
    // Trim against the neighbours so spans never overlap.
    if (it != spans_.begin()) span.begin = std::max(span.begin, std::prev(it)->end);
    if (it != spans_.end()) span.end = std::min(span.end, it->begin);
    it = spans_.insert(it, span);
    last_ = std::size_t(it - spans_.begin());
    return spans_[last_];
}
