#include "StoreFixture.h"
#include "services/ReceiptStore.h"
#include "support/DiskSyncs.h"
#include "support/ScopedUmask.h"
#include "support/LimitedDisk.h"

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes the store save once: a due recurring item books one transaction.
void bookOneAndSave(MoneyStore& store, const QDateTime& now) {
    MoneyData d = store.data();
    std::vector<RecurringTransaction> items =
        d.recurringTransactions.value_or(std::vector<RecurringTransaction>{});
    items.push_back(RecurringTransaction{QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(), "Кино",
                                         TransactionKind::expense, Decimal(5), "Досуг",
                                         RecurringFrequency::monthly, now.addSecs(-60), true});
    d.recurringTransactions = items;
    store.setData(d);
    store.processDueRecurringTransactions(now);
}

QStringList siblingsOf(const QString& path) {
    const QFileInfo info(path);
    return QDir(info.path())
        .entryList({info.fileName() + "*"},
                   QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}


}  // namespace

using MoneyStoreFiles = StoreFixture;

TEST_F(MoneyStoreFiles, FreshInstallWritesTheEmptyLedgerWithEveryKey) {
    MoneyStore& s = reopen();
    EXPECT_EQ(s.filePath(), anonymousFile());
    EXPECT_EQ(s.data(), MoneyData::emptyLedger());
    EXPECT_EQ(onDisk(), MoneyData::emptyLedger());  // absent keys would read back as absent
    EXPECT_FALSE(s.saveError());
    EXPECT_FALSE(QFileInfo::exists(zanbeck("money_data.json")));
    EXPECT_EQ(widgets.reloads, 1) << "one start-up snapshot, written with the new file";
}

TEST_F(MoneyStoreFiles, ExistingLedgerIsReadAndNotRewrittenOnOpen) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalName = "Велосипед";
    d.goalAmount = Decimal(300);
    QByteArray bytes = encodeMoneyData(d);
    bytes.replace("\"goalName\"",
                  "\"extraKey\" : 1,\n  \"goalName\"");  // survives only while nothing is written
    writeFile(anonymousFile(), bytes);

    MoneyStore& s = reopen();
    EXPECT_EQ(s.data(), d);
    EXPECT_EQ(readFile(anonymousFile()), bytes);
}

TEST_F(MoneyStoreFiles, DamagedFileIsKeptAtOpenAndMovedAsideBeforeTheFirstWrite) {
    const QByteArray damaged = "{\"startingBalance\": 0, \"transactions\": [";
    writeFile(anonymousFile(), damaged);

    MoneyStore& s = reopen();
    EXPECT_EQ(s.data(), MoneyData::emptyLedger());
    EXPECT_EQ(readFile(anonymousFile()), damaged);
    EXPECT_FALSE(s.saveError());

    bookOneAndSave(s, clock.now());
    EXPECT_FALSE(s.saveError());
    const QStringList names = siblingsOf(anonymousFile());
    ASSERT_EQ(names.size(), 2) << names.join(", ").toStdString();
    EXPECT_EQ(names[0], "anonymous.json");
    EXPECT_TRUE(names[1].startsWith("anonymous.json.unreadable-"));
    EXPECT_EQ(readFile(zanbeck("accounts/" + names[1])), damaged);
    const auto written = readLedger(anonymousFile());
    ASSERT_TRUE(written);
    EXPECT_EQ(written->transactions.size(), 1u);

    // Only that first write sets a file aside; later saves overwrite normally.
    bookOneAndSave(s, clock.now());
    EXPECT_EQ(siblingsOf(anonymousFile()).size(), 2);
    EXPECT_EQ(readLedger(anonymousFile())->transactions.size(), 2u);
}

TEST_F(MoneyStoreFiles, ReadErrorIsNotMistakenForAMissingFile) {
    // A folder where the ledger should be cannot be read, but something exists.
    ASSERT_TRUE(QDir().mkpath(anonymousFile()));
    writeFile(anonymousFile() + "/keep.txt", "precious");

    MoneyStore& s = reopen();
    EXPECT_TRUE(QFileInfo(anonymousFile()).isDir());
    EXPECT_FALSE(s.saveError());

    bookOneAndSave(s, clock.now());
    EXPECT_FALSE(s.saveError());
    EXPECT_TRUE(QFileInfo(anonymousFile()).isFile());
    const QStringList names = siblingsOf(anonymousFile());
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(readFile(zanbeck("accounts/" + names[1] + "/keep.txt")), "precious");
}

TEST_F(MoneyStoreFiles, WriteIsRefusedWhenTheUnreadableFileCannotBeMovedAside) {
    writeFile(anonymousFile(), "not json");
    MoneyStore& s = reopen();
    // Every name the store could move the file to is taken.
    const QString stamp = clock.now().toString("yyyyMMdd-HHmmss");
    writeFile(anonymousFile() + ".unreadable-" + stamp, "x");
    for (int i = 1; i < 100; ++i)
        writeFile(anonymousFile() + ".unreadable-" + stamp + "-" + QString::number(i), "x");

    bookOneAndSave(s, clock.now());
    ASSERT_TRUE(s.saveError());
    EXPECT_TRUE(s.saveError()->startsWith("Не удалось сохранить данные: "));
    EXPECT_EQ(readFile(anonymousFile()), "not json");
    EXPECT_EQ(s.data().transactions.size(), 1u);  // the change stays in memory
}

TEST_F(MoneyStoreFiles, FailedWriteSetsSaveErrorAndTheNextGoodWriteClearsIt) {
    // A file where the accounts folder should be: the folder cannot be made.
    writeFile(zanbeck("accounts"), "in the way");
    MoneyStore& s = reopen();
    ASSERT_TRUE(s.saveError());
    EXPECT_TRUE(s.saveError()->startsWith("Не удалось сохранить данные: "));
    EXPECT_GT(s.saveError()->size(), QString("Не удалось сохранить данные: ").size());
    EXPECT_EQ(readFile(zanbeck("accounts")), "in the way");
    const int reloadsAfterFailure = widgets.reloads;  // only the start-up snapshot

    QSignalSpy errors(&s, &MoneyStore::saveErrorChanged);
    bookOneAndSave(s, clock.now());
    EXPECT_TRUE(s.saveError());
    EXPECT_EQ(errors.count(), 0);                     // the same failure again
    EXPECT_EQ(widgets.reloads, reloadsAfterFailure);  // no snapshot after a failed save

    QFile::remove(zanbeck("accounts"));
    bookOneAndSave(s, clock.now());
    EXPECT_FALSE(s.saveError());
    EXPECT_EQ(errors.count(), 1);
    EXPECT_EQ(widgets.reloads, reloadsAfterFailure + 1);
    EXPECT_EQ(readLedger(anonymousFile())->transactions.size(), 2u);  // both bookings reach the file
}

TEST_F(MoneyStoreFiles, WithoutADataFolderNothingIsWrittenAnywhere) {
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(temp.path());
    MoneyStore::Environment env = environment();
    env.paths = StorePaths(std::nullopt);
    MoneyStore nowhere(env);
    EXPECT_FALSE(nowhere.filePath());
    ASSERT_TRUE(nowhere.saveError());
    bookOneAndSave(nowhere, clock.now());
    EXPECT_TRUE(nowhere.saveError());

    MoneyStore relative(environment(), QString("ledger.json"));
    EXPECT_TRUE(relative.saveError());
    for (const char* name : {"ledger.json", "money_data.json", "anonymous.json"})
        EXPECT_FALSE(QFileInfo::exists(temp.filePath(name))) << name;
    EXPECT_FALSE(StorePaths(QString("relative/place")).usable());
    QDir::setCurrent(cwd);
}

TEST_F(MoneyStoreFiles, SuccessfulSaveWritesSnapshotThenNotifiesReachedGoals) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalName = "Мини ПК";
    d.goalAmount = Decimal(5);
    d.startingBalance = Decimal(20);
    writeLedger(anonymousFile(), d);
    MoneyStore& s = reopen();
    EXPECT_TRUE(notifications.posted.isEmpty());  // opening a ledger posts nothing

    bookOneAndSave(s, clock.now());  // balance 20 - 5 = 15 passes the goal
    ASSERT_EQ(notifications.posted.size(), 1);
    EXPECT_EQ(notifications.posted[0].identifier, "notified-goal-primary-5");
    EXPECT_TRUE(marks->boolean("notified-goal-primary-5", false));
    auto shared = AppGroupDefaults::open();
    ASSERT_TRUE(shared);
    EXPECT_DOUBLE_EQ(shared->value("balance").toDouble(), 15.0);
    EXPECT_DOUBLE_EQ(shared->value("todayExpense").toDouble(), 5.0);
    EXPECT_DOUBLE_EQ(shared->value("todayIncome").toDouble(), 0.0);

    bookOneAndSave(s, clock.now());
    EXPECT_EQ(notifications.posted.size(), 1);  // 10 still passes, but the goal is already marked

    // Without the shared folder the save still lands, but no widget is asked to reload.
    const int reloads = widgets.reloads;
    QDir(temp.filePath("group")).removeRecursively();
    writeFile(temp.filePath("group"), "in the way");
    bookOneAndSave(s, clock.now());
    EXPECT_FALSE(s.saveError());
    EXPECT_EQ(onDisk()->transactions.size(), 3u);
    EXPECT_EQ(widgets.reloads, reloads);
}

TEST_F(MoneyStoreFiles, SnapshotAtOpenCountsTodayInTheStoresZone) {
    // 23:30 UTC on 14 June is 01:30 on 15 June in Berlin: today's income there.
    const auto utc = [](int d, int h, int m) {
        return QDateTime(QDate(2026, 6, d), QTime(h, m), QTimeZone::utc());
    };
    MoneyData d = ledgerWith({income(Decimal(7), utc(14, 23, 30)), expense(Decimal(3), utc(14, 21, 0)),
                              expense(Decimal(2), utc(15, 8, 0))});
    d.startingBalance = Decimal(100);
    clock.set(utc(15, 9, 30).addSecs(15));
    open(d);
    auto shared = AppGroupDefaults::open();
    ASSERT_TRUE(shared);
    EXPECT_DOUBLE_EQ(shared->value("balance").toDouble(), 102.0);
    EXPECT_DOUBLE_EQ(shared->value("todayIncome").toDouble(), 7.0);
    EXPECT_DOUBLE_EQ(shared->value("todayExpense").toDouble(), 2.0);
    EXPECT_EQ(shared->value("updatedAt").toDateTime(), clock.now());
    EXPECT_EQ(widgets.reloads, 1);
}

// Each change of a saved profile replaces the ledger file once and syncs the
// disk twice, the ledger's bytes and then its folder (the rename); the widget
// snapshot is written (and the widgets reloaded) only when the balance or one
// of today's totals moved, and never syncs the disk (it is written again from
// the ledger at the next start).
TEST_F(MoneyStoreFiles, EveryChangeSyncsTheLedgerAndItsFolderAndTheSnapshotOnlyWhenItsFiguresMove) {
    MoneyData d = ledgerWith({income(Decimal(40), local(2026, 6, 10))});
    d.startingBalance = Decimal(10);
    MoneyStore& s = open(d);
    ASSERT_EQ(disk.snapshotWrites(), 1);  // the start-up snapshot
    const QString ledgerFolder = zanbeck("accounts");
    const QString groupFolder = temp.filePath("group");
    disk_syncs::reset();
    const QUuid old = s.data().transactions[0].id;
    const QDateTime today = clock.now();

    const auto book = [&](TransactionKind kind, const Decimal& amount, const QDateTime& at) {
        return [=](MoneyStore& m) { m.add(kind, amount, "Еда", "", at, {}, false, "Основной"); };
    };
    struct Change {
        const char* what;
        std::function<void(MoneyStore&)> apply;
        bool movesSnapshot;
    };
    const std::vector<Change> changes = {
        {"expense today", book(TransactionKind::expense, dec("2.5"), today), true},
        {"favourite mark", [&](MoneyStore& m) { m.toggleFavorite(old); }, false},
        {"income last week", book(TransactionKind::income, Decimal(3), local(2026, 6, 8)), true},
        {"a wish", [](MoneyStore& m) { m.addWish("Самокат", Decimal(90)); }, false},
        {"copy of the old income, dated now", [&](MoneyStore& m) { m.duplicateTransaction(old); }, true},
        {"monthly budget", [](MoneyStore& m) { m.setMonthlyBudget(Decimal(300)); }, false},
        {"income today", book(TransactionKind::income, dec("0.1"), today), true},
        {"a debt", [](MoneyStore& m) { m.addDebt("Лёша", Decimal(4), DebtDirection::owesMe, "", {}); },
         false},
        {"goal settings", [](MoneyStore& m) { m.updateSettings("Велосипед", Decimal(500), {}, Decimal(10)); },
         false},
        {"delete the old income", [&](MoneyStore& m) { m.deleteTransactions({old}); }, true},
    };
    int snapshotChanges = 0;
    for (const Change& change : changes) {
        const int ledgerBefore = disk.ledgerWrites;
        const int groupBefore = disk.snapshotWrites();
        const int ledgerSyncsBefore = disk_syncs::countIn(ledgerFolder);
        const int folderSyncsBefore = disk_syncs::folderSyncsOf(ledgerFolder);
        const int syncsBefore = int(disk_syncs::folders().size());
        const int reloadsBefore = widgets.reloads;
        change.apply(s);
        snapshotChanges += change.movesSnapshot ? 1 : 0;
        EXPECT_FALSE(s.saveError()) << change.what;
        EXPECT_EQ(disk.ledgerWrites, ledgerBefore + 1) << change.what;
        EXPECT_EQ(disk.snapshotWrites(), groupBefore + (change.movesSnapshot ? 1 : 0)) << change.what;
        EXPECT_EQ(disk_syncs::countIn(ledgerFolder), ledgerSyncsBefore + 2) << change.what;
        EXPECT_EQ(disk_syncs::folderSyncsOf(ledgerFolder), folderSyncsBefore + 1) << change.what;
        EXPECT_EQ(int(disk_syncs::folders().size()), syncsBefore + 2)
            << change.what << ": only the ledger syncs";
        EXPECT_EQ(widgets.reloads, reloadsBefore + (change.movesSnapshot ? 1 : 0)) << change.what;
    }
    EXPECT_EQ(saves(), 10);
    EXPECT_EQ(disk.snapshotWrites(), 1 + snapshotChanges);
    EXPECT_EQ(disk.appGroupWrites, 0) << "no other writer held the group's lock";
    EXPECT_EQ(disk_syncs::countIn(ledgerFolder), 20);
    EXPECT_EQ(disk_syncs::folderSyncsOf(ledgerFolder), 10);
    EXPECT_EQ(disk_syncs::countIn(groupFolder), 0);

    // What the widget reads is the last change's figures: 10 + 40 - 2.5 + 3 + 40 + 0.1 - 40, and
    // today the copy (dated now) and 0.1 in, 2.5 out.
    auto shared = AppGroupDefaults::open();
    ASSERT_TRUE(shared);
    EXPECT_DOUBLE_EQ(shared->value("balance").toDouble(), 50.6);
    EXPECT_DOUBLE_EQ(shared->value("todayIncome").toDouble(), 40.1);
    EXPECT_DOUBLE_EQ(shared->value("todayExpense").toDouble(), 2.5);
    EXPECT_EQ(onDisk(), s.data());
}

TEST_F(MoneyStoreFiles, SnapshotIsWrittenAgainWhenTheDayTurnsOrTheSharedFiguresDiffer) {
    MoneyStore& s = open(ledgerWith({expense(Decimal(5), clock.now())}));
    ASSERT_EQ(disk.snapshotWrites(), 1);
    s.setMonthlyBudget(Decimal(100));
    EXPECT_EQ(disk.snapshotWrites(), 1);

    // Next day: the same ledger shows no expense today any more.
    setNow(clock.now().addDays(1));
    s.setMonthlyBudget(Decimal(120));
    EXPECT_EQ(disk.snapshotWrites(), 2);
    EXPECT_DOUBLE_EQ(AppGroupDefaults::open()->value("todayExpense").toDouble(), 0.0);

    // Someone else (another profile's store, a cleared app group) left other
    // figures there: the next save puts this profile's back.
    AppGroupDefaults::open()->setValue("balance", 999.0);
    s.setMonthlyBudget(Decimal(130));
    EXPECT_EQ(disk.snapshotWrites(), 3);
    EXPECT_DOUBLE_EQ(AppGroupDefaults::open()->value("balance").toDouble(), -5.0);
}

// On a full disk (here: a file size limit just at the ledger's own size) a
// change is not saved: the ledger stays byte for byte, and the failure reaches
// the dashboard as any failed save does. Small ledgers too, which a buffered
// writer would have kept whole in memory and renamed over the ledger empty.
TEST_F(MoneyStoreFiles, ASaveOnAFullDiskKeepsTheOldLedgerAndSaysSo) {
    for (const int transactions : {0, 30, 400}) {
        SCOPED_TRACE(transactions);
        MoneyData d = MoneyData::emptyLedger();
        for (int i = 0; i < transactions; ++i)
            d.transactions.push_back(expense(Decimal(i + 1), local(2026, 6, 1)));
        writeLedger(anonymousFile(), d);
        const QByteArray before = readFile(anonymousFile());
        const QString saveError = limited_disk::withFileSizeLimit(before.size(), [&] {
            MoneyStore opened(environment());
            opened.add(TransactionKind::expense, Decimal(12), "Еда", "", clock.now(), {}, false, "Основной");
            return opened.saveError().value_or("no error");
        });
        EXPECT_EQ(saveError, "Не удалось сохранить данные: файл слишком большой");
        EXPECT_EQ(readFile(anonymousFile()), before);
        EXPECT_EQ(siblingsOf(anonymousFile()), QStringList{"anonymous.json"});
    }
}

TEST_F(MoneyStoreFiles, AFullTmpfsKeepsTheOldLedgerAndSaysSo) {
    const QString data = temp.filePath("data");
    QDir().mkpath(data);
    const std::optional<QString> found = limited_disk::onSmallTmpfs(data, 128 * 1024, [&] {
        writeLedger(anonymousFile(), ledgerWith({expense(Decimal(3), local(2026, 6, 1))}));
        const QByteArray before = readFile(anonymousFile());
        MoneyStore opened(environment());
        limited_disk::fill(data);
        opened.add(TransactionKind::expense, Decimal(12), "Еда", "", clock.now(), {}, false, "Основной");
        QString wrong;
        if (opened.saveError() != QString("Не удалось сохранить данные: на диске нет места"))
            wrong += "save error: " + opened.saveError().value_or("none") + "\n";
        if (readFile(anonymousFile()) != before) wrong += "the ledger changed\n";
        return wrong;
    });
    if (!found) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    EXPECT_EQ(*found, "");
}

// Whatever stands at the ledger's path and cannot be read as a ledger (a
// FIFO, which must not hold the start, a folder, a file over the size cap,
// damaged JSON) starts an empty ledger without a word and without a write;
// the first save sets it aside byte for byte and says so once, naming it.
TEST_F(MoneyStoreFiles, AnUnreadableLedgerIsSetAsideAtTheFirstSaveAndTheUserToldItsNameOnce) {
    const QByteArray valid = encodeMoneyData(ledgerWith({expense(Decimal(3), local(2026, 6, 1))}));
    const struct {
        const char* name;
        std::function<void(const QString&)> make;
        std::function<bool(const QString&)> kept;
    } cases[] = {
        {"FIFO", [](const QString& p) { ASSERT_EQ(::mkfifo(QFile::encodeName(p).constData(), 0600), 0); },
         [](const QString& p) { return QFileInfo(p).isFile() == false && QFileInfo(p).exists(); }},
        {"folder", [](const QString& p) { QDir().mkpath(p + "/inside"); },
         [](const QString& p) { return QFileInfo(p + "/inside").isDir(); }},
        {"over the cap", [&](const QString& p) { writeFile(p, valid + QByteArray(1000, ' ')); },
         [&](const QString& p) { return readFile(p) == valid + QByteArray(1000, ' '); }},
        {"damaged", [](const QString& p) { writeFile(p, "{\"transactions\": ["); },
         [](const QString& p) { return readFile(p) == "{\"transactions\": ["; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(zanbeck("accounts")).removeRecursively();
        QDir().mkpath(zanbeck("accounts"));
        c.make(anonymousFile());
        MoneyStore::Environment env = environment();
        env.maxLedgerBytes = valid.size() + 999;  // the valid ledger alone would be read
        store = std::make_unique<MoneyStore>(env);
        MoneyStore& s = *store;
        QSignalSpy notices(&s, &MoneyStore::ledgerNoticeChanged);
        EXPECT_EQ(s.data(), MoneyData::emptyLedger());
        EXPECT_FALSE(s.saveError());
        EXPECT_FALSE(s.ledgerNotice());
        EXPECT_TRUE(c.kept(anonymousFile())) << "untouched while nothing is written";

        bookOneAndSave(s, clock.now());
        EXPECT_FALSE(s.saveError());
        const QString aside = "anonymous.json.unreadable-20260615-120000";
        EXPECT_EQ(siblingsOf(anonymousFile()), (QStringList{"anonymous.json", aside}));
        EXPECT_TRUE(c.kept(zanbeck("accounts/" + aside)));
        EXPECT_EQ(s.ledgerNotice(),
                  "Файл данных повреждён и сохранён как «" + aside + "». Начат новый журнал.");
        EXPECT_EQ(notices.count(), 1);

        s.setLedgerNotice(std::nullopt);  // the user has read it
        bookOneAndSave(s, clock.now());
        EXPECT_FALSE(s.ledgerNotice());
        EXPECT_EQ(notices.count(), 2);
        EXPECT_EQ(readLedger(anonymousFile())->transactions.size(), 2u);
    }
}

TEST_F(MoneyStoreFiles, DataFoldersAndFilesArePrivateWhateverTheUmask) {
    for (const mode_t mask : {mode_t(000), mode_t(022)}) {
        SCOPED_TRACE(mask);
        QDir(temp.filePath("data")).removeRecursively();
        {
            const ScopedUmask scoped(mask);
            MoneyStore& s = reopen();
            s.setMonthlyBudget(Decimal(100));
            ASSERT_TRUE(ReceiptStore(s.paths()).save("jpeg bytes"));
            MoneyStore::Environment env = environment();
            store = std::make_unique<MoneyStore>(env, zanbeck("accounts/kid.json"));
        }
        for (const char* folder : {"", "accounts", "receipts"})
            EXPECT_EQ(modeOf(zanbeck(folder)), 0700u) << folder;
        EXPECT_EQ(modeOf(temp.filePath("data")), 0700u);
        EXPECT_EQ(modeOf(anonymousFile()), 0600u);
        EXPECT_EQ(modeOf(zanbeck("accounts/kid.json")), 0600u);
        const QStringList receipts = QDir(zanbeck("receipts")).entryList(QDir::Files);
        ASSERT_EQ(receipts.size(), 1);
        EXPECT_EQ(modeOf(zanbeck("receipts/" + receipts[0])), 0600u);
        EXPECT_EQ(modeOf(temp.filePath("group/defaults.ini")), 0600u);
        EXPECT_EQ(modeOf(temp.filePath("group")), 0700u);
    }
}

TEST_F(MoneyStoreFiles, WiderModesFoundAtStartAreNarrowed) {
    openEmpty();
    ASSERT_TRUE(ReceiptStore(store->paths()).save("jpeg bytes"));
    store.reset();
    const QString receipt = zanbeck("receipts/" + QDir(zanbeck("receipts")).entryList(QDir::Files).value(0));
    writeFile(zanbeck("money_data.json"), encodeMoneyData(MoneyData::emptyLedger()));
    for (const QString& folder : {zanbeck(""), zanbeck("accounts"), zanbeck("receipts")})
        ::chmod(QFile::encodeName(folder).constData(), 0777);
    for (const QString& file : {anonymousFile(), receipt, zanbeck("money_data.json")})
        ::chmod(QFile::encodeName(file).constData(), 0666);

    const QByteArray ledger = readFile(anonymousFile());
    reopen();
    for (const QString& folder : {zanbeck(""), zanbeck("accounts"), zanbeck("receipts")})
        EXPECT_EQ(modeOf(folder), 0700u) << folder.toStdString();
    for (const QString& file : {anonymousFile(), receipt, zanbeck("money_data.json")})
        EXPECT_EQ(modeOf(file), 0600u) << file.toStdString();
    EXPECT_EQ(readFile(anonymousFile()), ledger) << "narrowing writes nothing";
}
