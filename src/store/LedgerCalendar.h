#pragma once

#include <QDate>
#include <QDateTime>
#include <QTimeZone>
#include <vector>

// The store's calendar: Gregorian days and months in one time zone. Instants
// are compared as UTC milliseconds against the local day or month they fall
// in, so asking "is this on that day" costs two integer comparisons rather
// than a time zone conversion per transaction.
class LedgerCalendar {
public:
    // A half-open span of instants [begin, end) in UTC milliseconds.
    struct Span {
        qint64 begin = 0;
        qint64 end = 0;
        bool contains(qint64 msecs) const { return msecs >= begin && msecs < end; }
    };

    explicit LedgerCalendar(QTimeZone zone);

    const QTimeZone& zone() const { return zone_; }

    // The local calendar date of an instant.
    QDate localDate(const QDateTime& instant) const;
    // The first instant of a local day, in UTC (the first valid local time
    // when midnight is skipped by a clock change; for a day the zone skipped
    // whole, the first instant of the next day, so that its span is empty).
    QDateTime startOfDay(QDate day) const;
    QDateTime startOfDay(const QDateTime& instant) const { return startOfDay(localDate(instant)); }

    Span daySpan(QDate day) const;
    Span daySpan(const QDateTime& instant) const { return daySpan(localDate(instant)); }
    // The local month (of that year) that contains the day.
    Span monthSpan(QDate day) const;
    Span monthSpan(const QDateTime& instant) const { return monthSpan(localDate(instant)); }

    // The instant `days` calendar days, or `months` calendar months (the day
    // clamped to the month's last day), after `instant`, at the same local
    // wall-clock time. A wall time that a clock change skips is read with the
    // offset in force before the change (02:30 on a spring-forward night is
    // 03:30 summer time); a repeated one is its first occurrence. Invalid when
    // the calendar cannot form the date.
    QDateTime addingDays(const QDateTime& instant, int days) const;
    QDateTime addingMonths(const QDateTime& instant, int months) const;

    // Whole calendar days from the day of `from` to the day of `to`
    // (negative when `to` is earlier); clock changes do not matter.
    qint64 daysBetween(const QDateTime& from, const QDateTime& to) const;

    // The instant of a local wall time, read as addingDays reads it.
    QDateTime atLocalTime(QDate day, QTime time) const;

private:
    QTimeZone zone_;
};

// Maps many instants to their local day (as a Julian day number) in one zone.
// It remembers the spans of constant UTC offset it has met, so a ledger's worth
// of dates needs only a handful of time zone look-ups.
class LocalDayMapper {
public:
    explicit LocalDayMapper(const QTimeZone& zone);
    qint64 julianDay(qint64 msecsUtc);

private:
    struct OffsetSpan {
        qint64 begin;
        qint64 end;
        int offsetSeconds;
    };
    const OffsetSpan& spanFor(qint64 msecsUtc);

    QTimeZone zone_;
    std::vector<OffsetSpan> spans_;  // sorted by begin, not overlapping
    std::size_t last_ = 0;
};
