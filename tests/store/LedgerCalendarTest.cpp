#include <gtest/gtest.h>

#include <QHash>
#include <QUuid>
#include <limits>
#include <random>

#include "store/LedgerCalendar.h"
#include "store/LedgerSummary.h"
#include "store/MoneyMath.h"

// --- local days ------------------------------------------------------------------

TEST(LocalDays, MapperAgreesWithTheZoneAcrossClockChangesInAnyOrder) {
    for (const char* name :
         {"Europe/Berlin", "America/Sao_Paulo", "Australia/Lord_Howe", "Asia/Shanghai", "UTC"}) {
        const QTimeZone zone(name);
        ASSERT_TRUE(zone.isValid()) << name;
        LocalDayMapper mapper(zone);
        std::mt19937_64 random(42);
        // 2015..2030 in random order, then around every hour of a clock-change day.
        std::uniform_int_distribution<qint64> span(1'420'070'400'000, 1'893'456'000'000);
        std::vector<qint64> instants;
        for (int i = 0; i < 3000; ++i) instants.push_back(span(random));
        const qint64 change =
            QDateTime(QDate(2026, 3, 29), QTime(1, 0), QTimeZone::utc()).toMSecsSinceEpoch();
        for (qint64 m = -1; m <= 1; ++m)
            for (int minute = -180; minute <= 180; minute += 15)
                instants.push_back(change + m + minute * 60'000);
        for (qint64 at : instants) {
            const QDate expected =
                QDateTime::fromMSecsSinceEpoch(at, QTimeZone::utc()).toTimeZone(zone).date();
            ASSERT_EQ(mapper.julianDay(at), expected.toJulianDay()) << name << " at " << at;
        }
    }
}

TEST(LocalDays, SpansStartAtLocalMidnight) {
    const LedgerCalendar calendar(QTimeZone("Europe/Berlin"));
    const auto day = calendar.daySpan(QDate(2026, 3, 29));  // 23 hours long
    EXPECT_EQ(day.end - day.begin, 23 * 3'600'000);
    EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(day.begin, QTimeZone::utc()),
              QDateTime(QDate(2026, 3, 28), QTime(23, 0), QTimeZone::utc()));
    const auto month = calendar.monthSpan(QDate(2026, 2, 14));
    EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(month.end, QTimeZone::utc()),
              QDateTime(QDate(2026, 2, 28), QTime(23, 0), QTimeZone::utc()));
    EXPECT_TRUE(month.contains(month.begin));
    EXPECT_FALSE(month.contains(month.end));
    EXPECT_EQ(calendar.daysBetween(QDateTime(QDate(2026, 3, 28), QTime(23, 30), QTimeZone::utc()),
                                   QDateTime(QDate(2026, 3, 29), QTime(21, 30), QTimeZone::utc())),
              0);  // both are 29 March in Berlin
}

TEST(LocalDays, AddingKeepsTheWallClockAndReadsSkippedTimesWithTheOffsetBefore) {
    const QTimeZone berlin("Europe/Berlin");
    const LedgerCalendar calendar(berlin);
    const auto at = [&](int m, int d, int h, int min) {
        return QDateTime(QDate(2026, m, d), QTime(h, min), berlin);
    };
    const auto utc = [](int m, int d, int h, int min) {
        return QDateTime(QDate(2026, m, d), QTime(h, min), QTimeZone::utc());
    };

    // A week across the spring change: 10:00 stays 10:00 although the day had 23 hours.
    EXPECT_EQ(calendar.addingDays(at(3, 23, 10, 0), 7), utc(3, 30, 8, 0));
    // 02:30 on 29 March does not exist: read with winter time it is 03:30 summer time,
    // not one hour later as Qt's own addDays gives.
    EXPECT_EQ(calendar.addingDays(at(3, 22, 2, 30), 7), utc(3, 29, 1, 30));
    EXPECT_EQ(calendar.addingMonths(at(2, 28, 2, 30), 1), utc(3, 28, 1, 30));  // 28 Mar exists at 02:30
    EXPECT_EQ(calendar.addingMonths(at(2, 28, 2, 30), 1).toTimeZone(berlin).time(), QTime(2, 30));
    // 02:30 on 25 October comes twice: the first one, still summer time.
    EXPECT_EQ(calendar.addingDays(at(10, 18, 2, 30), 7), utc(10, 25, 0, 30));
    EXPECT_EQ(calendar.addingMonths(at(9, 25, 2, 30), 1), utc(10, 25, 0, 30));
    // Months clamp to the last day and keep the milliseconds.
    const QDateTime precise = at(1, 31, 9, 15).addMSecs(250);
    EXPECT_EQ(calendar.addingMonths(precise, 1), utc(2, 28, 8, 15).addMSecs(250));
    // A date out of the calendar's range gives nothing.
    EXPECT_FALSE(calendar.addingDays(QDateTime(), 7).isValid());
}

// Arithmetic that never stops the program; counters saturating and exact percentages are
// shown through the ledger queries that use them.
TEST(MoneyMath, LongResultsRoundInsteadOfThrowing) {
    const Decimal third = Decimal(1) / Decimal(3);  // 38 digits
    const Decimal product = money::mul(third, Decimal(31));
    EXPECT_EQ(product.rounded(10), *Decimal::parse(std::string_view("10.3333333333")));
    const Decimal huge = *Decimal::parse(std::string_view("1e100"));
    const Decimal sum = money::add(huge, *Decimal::parse(std::string_view("0.5")));
    EXPECT_EQ(sum, huge);  // the half is far below the 38th digit
    EXPECT_EQ(money::add(money::largest(), money::largest()), money::largest());
    EXPECT_EQ(money::sub(-money::largest(), money::largest()), -money::largest());
}

// --- days a zone skips --------------------------------------------------------------

namespace {

QDateTime utcAt(int y, int m, int d, int h) { return QDateTime(QDate(y, m, d), QTime(h, 0), QTimeZone::utc()); }

MoneyTransaction spentAt(const QDateTime& when, int amount) {
    MoneyTransaction t;
    t.id = QUuid::createUuid();
    t.kind = TransactionKind::expense;
    t.amount = Decimal(amount);
    t.category = QStringLiteral("Еда");
    t.date = when;
    return t;
}

}  // namespace

// Samoa went from 29 December 2011 straight to 31 December; Sao Paulo's
// clocks skipped midnight into 4 November 2018. A skipped day is empty and
// its neighbours keep their whole length; a day without its midnight starts
// at its first hour.
TEST(LocalDays, ASkippedDayIsEmptyAndItsNeighboursKeepTheirHours) {
    const struct {
        const char* zone;
        QDate day;
        QDateTime begin;  // UTC
        qint64 hours;
    } cases[] = {
        {"Pacific/Apia", QDate(2011, 12, 28), utcAt(2011, 12, 28, 10), 24},
        {"Pacific/Apia", QDate(2011, 12, 29), utcAt(2011, 12, 29, 10), 24},
        {"Pacific/Apia", QDate(2011, 12, 30), utcAt(2011, 12, 30, 10), 0},
        {"Pacific/Apia", QDate(2011, 12, 31), utcAt(2011, 12, 30, 10), 24},
        {"America/Sao_Paulo", QDate(2018, 11, 3), utcAt(2018, 11, 3, 3), 24},
        {"America/Sao_Paulo", QDate(2018, 11, 4), utcAt(2018, 11, 4, 3), 23},
        {"Europe/Berlin", QDate(2026, 3, 29), utcAt(2026, 3, 28, 23), 23},
    };
    for (const auto& c : cases) {
        const QTimeZone zone(c.zone);
        ASSERT_TRUE(zone.isValid()) << c.zone;
        const LedgerCalendar calendar(zone);
        const QString what = QString::fromLatin1(c.zone) + u' ' + c.day.toString(Qt::ISODate);
        const QDateTime start = calendar.startOfDay(c.day);
        ASSERT_TRUE(start.isValid()) << what.toStdString();
        EXPECT_EQ(start, c.begin) << what.toStdString();
        const LedgerCalendar::Span span = calendar.daySpan(c.day);
        EXPECT_EQ(span.begin, c.begin.toMSecsSinceEpoch()) << what.toStdString();
        EXPECT_EQ(span.end - span.begin, c.hours * 3'600'000) << what.toStdString();
        // Every instant of the span is on that day, and the instant before it on an earlier one.
        if (c.hours > 0) {
            const QDateTime last = QDateTime::fromMSecsSinceEpoch(span.end - 1, QTimeZone::utc());
            EXPECT_EQ(calendar.localDate(start), c.day) << what.toStdString();
            EXPECT_EQ(calendar.localDate(last), c.day) << what.toStdString();
        }
        EXPECT_LT(calendar.localDate(start.addMSecs(-1)), c.day) << what.toStdString();
    }
    // The month around the skipped day still ends where January begins.
    const LedgerCalendar apia(QTimeZone("Pacific/Apia"));
    const LedgerCalendar::Span december = apia.monthSpan(QDate(2011, 12, 15));
    EXPECT_EQ(december.end, apia.startOfDay(QDate(2012, 1, 1)).toMSecsSinceEpoch());
    EXPECT_EQ(december.end - december.begin, 30 * 24 * 3'600'000LL);
}

// The chart rows of days around the skipped one: the skipped day's row is
// empty, and every other day's row holds exactly that day's expenses.
TEST(LocalDays, ChartRowsAroundASkippedDayHoldEachDaysOwnExpenses) {
    const QTimeZone zone("Pacific/Apia");
    ASSERT_TRUE(zone.isValid());
    const LedgerCalendar calendar(zone);
    MoneyData data = MoneyData::emptyLedger();
    // 27, 29, 31 December and 2 January, at local noon or near the day's edges.
    const struct {
        QDate day;
        QTime time;
        int amount;
    } spent[] = {
        {QDate(2011, 12, 27), QTime(12, 0), 1},   {QDate(2011, 12, 29), QTime(0, 0), 10},
        {QDate(2011, 12, 29), QTime(23, 59), 20}, {QDate(2011, 12, 31), QTime(0, 0), 100},
        {QDate(2011, 12, 31), QTime(23, 59), 200}, {QDate(2012, 1, 2), QTime(12, 0), 1000},
    };
    QHash<QDate, int> expected;
    for (const auto& s : spent) {
        const QDateTime when(s.day, s.time, zone);
        ASSERT_TRUE(when.isValid());
        data.transactions.push_back(spentAt(when.toUTC(), s.amount));
        expected[s.day] += s.amount;
    }
    for (const QDate today : {QDate(2012, 1, 2), QDate(2012, 1, 5)}) {
        const QueryContext ctx{calendar, QDateTime(today, QTime(18, 0), zone).toUTC()};
        const ledger::LedgerSummary s = ledger::summarize(data, ctx, ledger::LedgerSummary::withDailyRows);
        ASSERT_EQ(s.thirtyDays.size(), 30u);
        ASSERT_EQ(s.weekly.size(), 14u);
        for (int i = 0; i < 30; ++i) {
            const QDate day = today.addDays(i - 29);
            const DailyAmount& row = s.thirtyDays[std::size_t(i)];
            EXPECT_TRUE(row.date.isValid()) << day.toString(Qt::ISODate).toStdString();
            EXPECT_EQ(row.amount, Decimal(expected.value(day))) << day.toString(Qt::ISODate).toStdString();
        }
        for (int i = 0; i < 7; ++i) {
            const QDate day = today.addDays(i - 6);
            EXPECT_EQ(s.weekly[std::size_t(2 * i + 1)].amount, Decimal(expected.value(day)))
                << day.toString(Qt::ISODate).toStdString();
        }
        // The month holds every expense of December, none of January.
        const LedgerCalendar::Span december = calendar.monthSpan(QDate(2011, 12, 1));
        int inDecember = 0;
        for (const MoneyTransaction& t : data.transactions)
            if (december.contains(t.date.toMSecsSinceEpoch())) inDecember += int(t.amount.toInt64Saturated());
        EXPECT_EQ(inDecember, 331);
    }
}
