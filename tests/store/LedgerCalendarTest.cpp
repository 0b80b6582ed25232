#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "store/LedgerCalendar.h"
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
