#include "StoreFixture.h"

namespace {
RecurringTransaction item(RecurringFrequency frequency, const QDateTime& next, bool active = true) {
    return RecurringTransaction{"R",  "Карманные", TransactionKind::income, Decimal(50), "Подарок", frequency,
                                next, active};
}

std::vector<QDateTime> bookedDates(const MoneyData& d) {
    std::vector<QDateTime> out;
    for (const auto& t : d.transactions) out.push_back(t.date);
    return out;
}
}  // namespace

class RecurringBooking : public StoreFixture {
protected:
    // A store on a ledger holding these items, opened at `now` (which books).
    MoneyStore& openWith(std::vector<RecurringTransaction> items, const QDateTime& now) {
        MoneyData d = MoneyData::emptyLedger();
        d.recurringTransactions = std::move(items);
        clock.set(now);
        return open(d);
    }
    QDateTime at(int y, int m, int d, int h = 10, int min = 0) const { return local(y, m, d, h, min); }
};

// Dates keep the wall-clock time of the store's zone; months clamp to their last day.
TEST_F(RecurringBooking, SchedulesFollowTheLocalCalendar) {
    using enum RecurringFrequency;
    const QTimeZone berlin("Europe/Berlin"), newYork("America/New_York");
    const auto nyTime = [&](int m, int d, int h, int min) {
        return QDateTime(QDate(2026, m, d), QTime(h, min), newYork).toUTC();
    };
    const auto utc = [](int m, int d, int h, int min) {
        return QDateTime(QDate(2026, m, d), QTime(h, min), QTimeZone::utc());
    };
    struct Case {
        const char* name;
        QTimeZone zone;
        RecurringFrequency frequency;
        QDateTime first, now;
        std::vector<QDateTime> booked;
        QDateTime next;
    };
    // clang-format off
    const Case cases[] = {
        {"monthly from the 31st", berlin, monthly, at(2026, 1, 31), at(2026, 3, 30),
         {at(2026, 1, 31), at(2026, 2, 28), at(2026, 3, 28)}, at(2026, 4, 28)},
        // 02:30 on 29 March does not exist: the booking falls on 03:30 summer time, and so do the next.
        {"weekly over the spring change", berlin, weekly, at(2026, 3, 22, 2, 30), at(2026, 3, 30),
         {at(2026, 3, 22, 2, 30), utc(3, 29, 1, 30)}, at(2026, 4, 5, 3, 30)},
        {"due exactly now", berlin, weekly, at(2026, 5, 4), at(2026, 5, 4), {at(2026, 5, 4)}, at(2026, 5, 11)},
        // 31 Jan 23:30 in New York is already 1 Feb in UTC.
        {"monthly in New York", newYork, monthly, nyTime(1, 31, 23, 30), nyTime(3, 1, 12, 0),
         {nyTime(1, 31, 23, 30), nyTime(2, 28, 23, 30)}, nyTime(3, 28, 23, 30)},
    };
    // clang-format on
    for (const Case& c : cases) {
        zone = c.zone;
        MoneyStore& s = openWith({item(c.frequency, c.first)}, c.now);
        s.saveBookings();  // as the window does once it has shown them
        const MoneyData& d = s.data();
        EXPECT_EQ(bookedDates(d), c.booked) << c.name;
        EXPECT_EQ(d.recurringTransactions->at(0).nextDate, c.next) << c.name;
        EXPECT_EQ(onDisk(), d) << c.name;  // the bookings were saved with the advanced item
    }
}

TEST_F(RecurringBooking, AtMostTwentyFourPerItemPerCall) {
    const QDateTime now = at(2026, 6, 15, 12);
    MoneyStore& s = openWith({item(RecurringFrequency::monthly, at(2023, 12, 15, 12)),
                              item(RecurringFrequency::weekly, at(2026, 6, 8, 12))},
                             now);
    const auto& d = s.data();
    ASSERT_EQ(d.transactions.size(), 26u);
    expectBooked(d.transactions[0], TransactionKind::income, Decimal(50), "Подарок", "Регулярно: Карманные",
                 at(2023, 12, 15, 12));
    // Grouped by item in list order, each item's bookings in date order.
    EXPECT_EQ(d.transactions[23].date, at(2025, 11, 15, 12));
    EXPECT_EQ(d.transactions[24].date, at(2026, 6, 8, 12));
    EXPECT_EQ(d.transactions[25].date, at(2026, 6, 15, 12));
    EXPECT_EQ(d.recurringTransactions->at(0).nextDate, at(2025, 12, 15, 12));  // six months before now

    s.processDueRecurringTransactions(now);  // the next start books the rest
    EXPECT_EQ(s.data().transactions.size(), 33u);
    EXPECT_EQ(s.data().recurringTransactions->at(0).nextDate, at(2026, 7, 15, 12));
}

TEST_F(RecurringBooking, InactiveFutureAndAbsentItemsBookAndSaveNothing) {
    const QDateTime now = at(2026, 6, 15);
    const std::vector<RecurringTransaction> items{item(RecurringFrequency::weekly, at(2026, 1, 1), false),
                                                  item(RecurringFrequency::monthly, at(2026, 6, 15, 11))};
    MoneyStore& s = openWith(items, now);
    MoneyData asWritten = MoneyData::emptyLedger();
    asWritten.recurringTransactions = items;
    const QByteArray written = encodeMoneyData(asWritten);
    EXPECT_EQ(readFile(anonymousFile()), written);
    EXPECT_TRUE(s.data().transactions.empty());
    EXPECT_EQ(*s.data().recurringTransactions, items);
    QSignalSpy data(&s, &MoneyStore::dataChanged);
    s.processDueRecurringTransactions(now);
    EXPECT_EQ(data.count(), 0);
    EXPECT_EQ(readFile(anonymousFile()), written);

    MoneyData d = MoneyData::emptyLedger();
    d.recurringTransactions.reset();
    open(d);  // an absent list becomes empty in memory only
    ASSERT_TRUE(store->data().recurringTransactions);
    EXPECT_TRUE(store->data().recurringTransactions->empty());
    EXPECT_EQ(onDisk(), d);
}

TEST_F(RecurringBooking, ItemWhoseNextDateCannotBeFormedStopsForThisCall) {
    // One month after December 9999 cannot be written in the ledger's date form.
    const QDateTime now = QDateTime(QDate(9999, 12, 20), QTime(10, 0), QTimeZone::utc());
    MoneyStore& s = openWith({item(RecurringFrequency::monthly, now.addDays(-5))}, now);
    EXPECT_EQ(s.data().transactions.size(), 1u);
    EXPECT_EQ(s.data().recurringTransactions->at(0).nextDate, now);
    EXPECT_FALSE(s.saveError());
}

// Start-up writes the file only when it booked something, and then once,
// with every booking, after the window has shown them; with nothing due the
// file is not written at all (its modification time stays where it was set).
TEST_F(RecurringBooking, StartUpSavesOnceWhenItBooksAndNeverOtherwise) {
    const QDateTime now = at(2026, 6, 15);
    const QDateTime longAgo(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    const struct {
        const char* name;
        std::vector<RecurringTransaction> items;
        size_t booked;
    } cases[] = {
        {"weekly and monthly due",
         {item(RecurringFrequency::weekly, at(2026, 6, 1)),
          item(RecurringFrequency::monthly, at(2026, 5, 15))},
         5},
        {"one due among idle ones",
         {item(RecurringFrequency::weekly, at(2026, 6, 20)),
          item(RecurringFrequency::weekly, at(2026, 6, 1), false),
          item(RecurringFrequency::monthly, at(2026, 6, 15))},
         1},
        {"nothing due",
         {item(RecurringFrequency::weekly, at(2026, 6, 20)),
          item(RecurringFrequency::monthly, at(2026, 1, 1), false)},
         0},
    };
    clock.set(now);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MoneyData d = ledgerWith({expense(Decimal(3), at(2026, 6, 2))});
        d.recurringTransactions = c.items;
        writeLedger(anonymousFile(), d);
        for (int start = 0; start < 2; ++start) {
            {
                QFile file(anonymousFile());
                ASSERT_TRUE(file.open(QIODevice::ReadWrite));
                ASSERT_TRUE(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
            }
            const int writes = disk.ledgerWrites;
            const QByteArray before = readFile(anonymousFile());
            reopen();
            const bool books = start == 0 && c.booked > 0;  // the second start finds nothing due
            EXPECT_EQ(store->data().transactions.size(), 1 + c.booked) << start;
            EXPECT_EQ(disk.ledgerWrites, writes) << start << ": nothing written before the first frame";
            EXPECT_EQ(store->hasUnsavedBookings(), books) << start;
            EXPECT_EQ(readFile(anonymousFile()), before) << start;
            store->saveBookings();
            store->saveBookings();
            EXPECT_FALSE(store->hasUnsavedBookings());
            EXPECT_EQ(disk.ledgerWrites - writes, books ? 1 : 0) << start;
            EXPECT_EQ(QFileInfo(anonymousFile()).lastModified() != longAgo, books) << start;
            EXPECT_EQ(onDisk(), store->data()) << start;
        }
    }
}
