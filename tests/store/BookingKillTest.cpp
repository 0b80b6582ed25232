#include "StoreFixture.h"
#include "support/DiskSyncs.h"

#include <algorithm>
#include <csignal>

namespace {

// The moments at which a process opening a profile with due operations can
// die: with the bookings on screen only, or at each step of their save.
enum class KillAt { afterBooking, beforeLedgerWrite, ledgerSyncedNotInPlace, ledgerInPlace, inSnapshot };

// The real disk, killing its own process at one step of the save.
class KillingDisk : public CountingStoreDisk {
public:
    explicit KillingDisk(KillAt at) : at_(at) {}
    bool replaceFile(const QString& path, const QByteArray& bytes, QString& error) override {
        if (at_ == KillAt::beforeLedgerWrite) std::raise(SIGKILL);
        const bool written = CountingStoreDisk::replaceFile(path, bytes, error);
        if (at_ == KillAt::ledgerInPlace) std::raise(SIGKILL);
        return written;
    }
    bool replaceDerivedFile(const QString& path, const QByteArray& bytes) override {
        if (at_ == KillAt::inSnapshot) std::raise(SIGKILL);
        return CountingStoreDisk::replaceDerivedFile(path, bytes);
    }

private:
    KillAt at_;
};

const QString kBookedNote = QStringLiteral("Регулярно: Карманные");

std::vector<QDateTime> bookedDates(const MoneyData& d) {
    std::vector<QDateTime> dates;
    for (const MoneyTransaction& t : d.transactions)
        if (t.note == kBookedNote) dates.push_back(t.date);
    std::sort(dates.begin(), dates.end());
    return dates;
}

std::vector<QDateTime> nextDates(const MoneyData& d) {
    std::vector<QDateTime> dates;
    for (const RecurringTransaction& item : d.recurringTransactions.value_or(std::vector<RecurringTransaction>{}))
        dates.push_back(item.nextDate);
    return dates;
}

}  // namespace

class BookingKill : public StoreFixture {
protected:
    QStringList siblingsOfLedger() const {
        return QDir(zanbeck("accounts")).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }
};

// Killed at any moment between booking due operations and their save, the
// file holds either the ledger as it was read or every booking with every
// item advanced, never part of them; the next start then finds the same
// operations due and books each exactly once.
TEST_F(BookingKill, KilledAtAnyStepTheNextStartBooksEachDueOperationOnce) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must write into this test's folder
    const QDateTime now = local(2026, 6, 15, 12);
    clock.set(now);
    MoneyData d = ledgerWith({expense(Decimal(3), local(2026, 6, 2))});
    d.recurringTransactions = std::vector<RecurringTransaction>{
        {"W", "Карманные", TransactionKind::income, Decimal(50), "Подарок", RecurringFrequency::weekly,
         local(2026, 5, 25, 9), true},
        {"M", "Карманные", TransactionKind::income, Decimal(20), "Подарок", RecurringFrequency::monthly,
         local(2026, 4, 15, 9), true},
    };
    const std::vector<QDateTime> due = {local(2026, 4, 15, 9), local(2026, 5, 15, 9), local(2026, 5, 25, 9),
                                        local(2026, 6, 1, 9),  local(2026, 6, 8, 9),  local(2026, 6, 15, 9),
                                        local(2026, 6, 15, 9)};
    const std::vector<QDateTime> advanced = {local(2026, 6, 22, 9), local(2026, 7, 15, 9)};
    writeLedger(anonymousFile(), d);
    const QByteArray asRead = readFile(anonymousFile());
    const QString ledgerFolder = QFileInfo(zanbeck("accounts")).canonicalFilePath();

    const struct {
        const char* name;
        KillAt at;
        bool savedBeforeDeath;
    } cases[] = {
        {"booked and shown, not saved", KillAt::afterBooking, false},
        {"in the save, before the ledger is written", KillAt::beforeLedgerWrite, false},
        {"new ledger written and synced, not yet in place", KillAt::ledgerSyncedNotInPlace, false},
        {"new ledger in place, before the snapshot", KillAt::ledgerInPlace, true},
        {"in the snapshot's write", KillAt::inSnapshot, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(anonymousFile(), asRead);
        QDir(temp.filePath("group")).removeRecursively();
        EXPECT_EXIT(
            {
                KillingDisk killer(c.at);
                MoneyStore::Environment env = environment();
                env.disk = &killer;
                if (c.at == KillAt::ledgerSyncedNotInPlace)
                    disk_syncs::setAfterSync([&](const QString& folder) {
                        if (folder == ledgerFolder) std::raise(SIGKILL);
                    });
                MoneyStore opened(env);
                if (opened.hasUnsavedBookings() && c.at == KillAt::afterBooking) std::raise(SIGKILL);
                opened.saveBookings();
                std::_Exit(0);  // every case dies before this
            },
            ::testing::KilledBySignal(SIGKILL), "");

        if (c.savedBeforeDeath) {
            const std::optional<MoneyData> onFile = onDisk();
            ASSERT_TRUE(onFile);
            EXPECT_EQ(bookedDates(*onFile), due);
            EXPECT_EQ(nextDates(*onFile), advanced);
        } else {
            EXPECT_EQ(readFile(anonymousFile()), asRead);
        }
        EXPECT_EQ(siblingsOfLedger(), QStringList{"anonymous.json"}) << "no temporary file left beside it";

        MoneyStore& next = reopen();
        EXPECT_EQ(next.hasUnsavedBookings(), !c.savedBeforeDeath);
        next.saveBookings();
        EXPECT_EQ(bookedDates(next.data()), due);
        EXPECT_EQ(nextDates(next.data()), advanced);
        EXPECT_EQ(onDisk(), next.data());
        // The widget's snapshot, lost or never written, follows the ledger again.
        EXPECT_EQ(AppGroupDefaults::open()->value("balance").toDouble(), 257.0);  // 4 × 50 + 3 × 20 − 3
        store.reset();
    }
}
