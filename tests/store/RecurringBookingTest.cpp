#include "StoreFixture.h"

#include <QSignalSpy>

namespace {
QDateTime berlin(int y, int m, int d, int h = 10, int min = 0) {
    return QDateTime(QDate(y, m, d), QTime(h, min), QTimeZone("Europe/Berlin")).toUTC();
}

RecurringTransaction item(const QString& id, RecurringFrequency frequency, const QDateTime& next, bool active = true) {
    return RecurringTransaction{id, "Карманные", TransactionKind::income, Decimal(50), "Подарок", frequency, next, active};
}

std::vector<QDateTime> bookedDates(const MoneyData& d) {
    std::vector<QDateTime> out;
    for (const auto& t : d.transactions)
        out.push_back(t.date);
    return out;
}
}  // namespace

class RecurringBooking : public StoreFixture {
protected:
    // A store on a ledger holding these items, opened at `now` (which books).
    std::unique_ptr<MoneyStore> openWith(std::vector<RecurringTransaction> items, const QDateTime& now) {
        MoneyData d = MoneyData::emptyLedger();
        d.recurringTransactions = std::move(items);
        writeLedger(anonymousFile(), d);
        clock.set(now);
        return makeStore();
    }
};

TEST_F(RecurringBooking, MonthlyClampsAtMonthEndAndContinuesFromTheClampedDay) {
    auto store = openWith({item("m", RecurringFrequency::monthly, berlin(2026, 1, 31))}, berlin(2026, 3, 30));
    const std::vector<QDateTime> expected{berlin(2026, 1, 31), berlin(2026, 2, 28), berlin(2026, 3, 28)};
    EXPECT_EQ(bookedDates(store->data()), expected);
    EXPECT_EQ(store->data().recurringTransactions->at(0).nextDate, berlin(2026, 4, 28));

    const MoneyTransaction& first = store->data().transactions[0];
    EXPECT_EQ(first.note, "Регулярно: Карманные");
    EXPECT_EQ(first.kind, TransactionKind::income);
    EXPECT_EQ(first.amount, Decimal(50));
    EXPECT_EQ(first.category, "Подарок");
    EXPECT_EQ(first.tags, std::vector<QString>{});
    EXPECT_EQ(first.isFavorite, false);
    EXPECT_EQ(first.wallet, QString("Основной"));
    EXPECT_FALSE(first.receiptFilename);
    // The bookings were saved with the advanced item.
    EXPECT_EQ(readLedger(anonymousFile()), store->data());
}

TEST_F(RecurringBooking, WeeklyKeepsWallClockTimeAcrossDaylightSavingChanges) {
    // Berlin moves to summer time on 29 March 2026 and back on 25 October 2026.
    auto store = openWith({item("w", RecurringFrequency::weekly, berlin(2026, 3, 23, 10))}, berlin(2026, 3, 31));
    const std::vector<QDateTime> expected{berlin(2026, 3, 23, 10), berlin(2026, 3, 30, 10)};
    EXPECT_EQ(bookedDates(store->data()), expected);
    EXPECT_EQ(expected[0].time(), QTime(9, 0));   // UTC+1
    EXPECT_EQ(expected[1].time(), QTime(8, 0));   // UTC+2: the local time stayed 10:00
    EXPECT_EQ(store->data().recurringTransactions->at(0).nextDate, berlin(2026, 4, 6, 10));

    auto autumn = openWith({item("w", RecurringFrequency::weekly, berlin(2026, 10, 19, 10))}, berlin(2026, 10, 27));
    EXPECT_EQ(bookedDates(autumn->data()),
              (std::vector<QDateTime>{berlin(2026, 10, 19, 10), berlin(2026, 10, 26, 10)}));
    EXPECT_EQ(autumn->data().transactions[1].date.time(), QTime(9, 0));
}

TEST_F(RecurringBooking, WeeklyItemAtATimeTheClockChangeSkipsMovesOnOneHour) {
    // 02:30 on 29 March 2026 does not exist in Berlin; the booking falls on 03:30
    // summer time and the item goes on from there.
    auto store = openWith({item("w", RecurringFrequency::weekly, berlin(2026, 3, 22, 2, 30))}, berlin(2026, 3, 30));
    const QDateTime skipped = QDateTime(QDate(2026, 3, 29), QTime(1, 30), QTimeZone::utc());
    EXPECT_EQ(bookedDates(store->data()), (std::vector<QDateTime>{berlin(2026, 3, 22, 2, 30), skipped}));
    EXPECT_EQ(skipped.toTimeZone(QTimeZone("Europe/Berlin")).time(), QTime(3, 30));
    EXPECT_EQ(store->data().recurringTransactions->at(0).nextDate, berlin(2026, 4, 5, 3, 30));
}

TEST_F(RecurringBooking, MonthlyInAnotherZoneUsesThatZonesMonthEnd) {
    // 31 Jan 23:30 in New York is already 1 Feb in UTC; the month end is New York's.
    zone = QTimeZone("America/New_York");
    const QTimeZone ny("America/New_York");
    const QDateTime start = QDateTime(QDate(2026, 1, 31), QTime(23, 30), ny).toUTC();
    auto store = openWith({item("m", RecurringFrequency::monthly, start)}, QDateTime(QDate(2026, 3, 1), QTime(12, 0), ny).toUTC());
    ASSERT_EQ(store->data().transactions.size(), 2u);
    EXPECT_EQ(store->data().transactions[1].date.toTimeZone(ny).date(), QDate(2026, 2, 28));
}

TEST_F(RecurringBooking, EqualDateBooksOnceAndMovesOneWeek) {
    const QDateTime now = berlin(2026, 5, 4, 10);
    auto store = openWith({item("w", RecurringFrequency::weekly, now)}, now);
    EXPECT_EQ(bookedDates(store->data()), std::vector<QDateTime>{now});
    EXPECT_EQ(store->data().recurringTransactions->at(0).nextDate, berlin(2026, 5, 11, 10));
}

TEST_F(RecurringBooking, AtMostTwentyFourPerItemPerCall) {
    const QDateTime now = berlin(2026, 6, 15, 12);
    auto store = openWith({item("m", RecurringFrequency::monthly, berlin(2023, 12, 15, 12)),
                           item("w", RecurringFrequency::weekly, berlin(2026, 6, 8, 12))},
                          now);
    const auto& d = store->data();
    ASSERT_EQ(d.transactions.size(), 26u);
    // Grouped by item in list order, each item's bookings in date order.
    EXPECT_EQ(d.transactions[0].date, berlin(2023, 12, 15, 12));
    EXPECT_EQ(d.transactions[23].date, berlin(2025, 11, 15, 12));
    EXPECT_EQ(d.transactions[24].date, berlin(2026, 6, 8, 12));
    EXPECT_EQ(d.transactions[25].date, berlin(2026, 6, 15, 12));
    EXPECT_EQ(d.recurringTransactions->at(0).nextDate, berlin(2025, 12, 15, 12));  // six months before now

    store->processDueRecurringTransactions(now);  // the next start books the rest
    EXPECT_EQ(store->data().transactions.size(), 33u);
    EXPECT_EQ(store->data().recurringTransactions->at(0).nextDate, berlin(2026, 7, 15, 12));
}

TEST_F(RecurringBooking, InactiveAndFutureItemsAreLeftAloneAndNothingIsSaved) {
    const QDateTime now = berlin(2026, 6, 15);
    const std::vector<RecurringTransaction> items{item("off", RecurringFrequency::weekly, berlin(2026, 1, 1), false),
                                                  item("later", RecurringFrequency::monthly, berlin(2026, 6, 15, 11))};
    auto store = openWith(items, now);
    const QByteArray before = readFile(anonymousFile());
    EXPECT_TRUE(store->data().transactions.empty());
    EXPECT_EQ(*store->data().recurringTransactions, items);

    QSignalSpy data(store.get(), &MoneyStore::dataChanged);
    store->processDueRecurringTransactions(now);
    EXPECT_EQ(data.count(), 0);
    EXPECT_EQ(readFile(anonymousFile()), before);
}

TEST_F(RecurringBooking, AbsentListBecomesEmptyInMemoryWithoutSaving) {
    MoneyData d = MoneyData::emptyLedger();
    d.recurringTransactions.reset();
    writeLedger(anonymousFile(), d);
    const QByteArray before = readFile(anonymousFile());
    auto store = makeStore();
    ASSERT_TRUE(store->data().recurringTransactions);
    EXPECT_TRUE(store->data().recurringTransactions->empty());
    EXPECT_EQ(readFile(anonymousFile()), before);
}

TEST_F(RecurringBooking, ItemWhoseNextDateCannotBeFormedStopsForThisCall) {
    // One month after December 9999 cannot be written in the ledger's date form.
    const QDateTime last = QDateTime(QDate(9999, 12, 15), QTime(10, 0), Qt::UTC);
    const QDateTime now = QDateTime(QDate(9999, 12, 20), QTime(10, 0), Qt::UTC);
    auto store = openWith({item("end", RecurringFrequency::monthly, last)}, now);
    EXPECT_EQ(store->data().transactions.size(), 1u);
    EXPECT_EQ(store->data().recurringTransactions->at(0).nextDate, now);
    EXPECT_FALSE(store->saveError());
}
