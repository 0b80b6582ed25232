#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTimeZone>
#include <initializer_list>
#include <memory>

#include "models/LedgerJson.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "support/CountingStoreDisk.h"
#include "support/FakeNotificationCenter.h"
#include "support/FakeWidgetCenter.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

// A store on a temporary data folder with a fixed clock (15 June 2026, 12:00 UTC),
// an explicit zone (Europe/Berlin, which changes its clocks), its own preferences
// and app group folder, and fake platform services. Saves are counted where
// they reach the disk: one ledger file replaced per successful save.
class StoreFixture : public ::testing::Test {
protected:
    StoreFixture() : clock(QDateTime(QDate(2026, 6, 15), QTime(12, 0), QTimeZone::utc())) {
        AppGroupDefaults::setDirectoryOverride(temp.filePath("group"));
        Preferences::resetStandard(temp.filePath("standard.ini"));
        Preferences::standard().setValue("appLanguage", "en_US");
        marks = std::make_unique<Preferences>(temp.filePath("marks.ini"));
    }
    ~StoreFixture() override {
        store.reset();
        AppGroupDefaults::setDirectoryOverride({});
        Preferences::resetStandard();
    }

    QString zanbeck(const QString& rest) const { return temp.filePath("data") + "/Zanbeck/" + rest; }
    QString anonymousFile() const { return zanbeck("accounts/anonymous.json"); }

    MoneyStore::Environment environment() {
        MoneyStore::Environment env;
        env.paths = StorePaths(temp.filePath("data"));
        env.clock = &clock;
        env.timeZone = zone;
        env.widgets = &widgets;
        env.notifications = &notifications;
        env.preferences = marks.get();
        env.disk = &disk;
        return env;
    }
    // A store of its own, for fixtures that keep it themselves (the operations-list view tests).
    std::unique_ptr<MoneyStore> makeStore() {
        auto made = std::make_unique<MoneyStore>(environment());
        savesAtOpen = disk.ledgerWrites;
        return made;
    }
    // A store on whatever the data folder holds now.
    MoneyStore& reopen() {
        store = makeStore();
        return *store;
    }
    // Writes the ledger as the anonymous profile's file and opens a store on it.
    MoneyStore& open(const MoneyData& data) {
        writeLedger(anonymousFile(), data);
        return reopen();
    }
    MoneyStore& openEmpty() { return open(MoneyData::emptyLedger()); }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void writeLedger(const QString& path, const MoneyData& data) {
        writeFile(path, encodeMoneyData(data));
    }
    static std::optional<MoneyData> readLedger(const QString& path) {
        return decodeMoneyData(readFile(path));
    }

    // Successful saves since the store was opened.
    int saves() const { return disk.ledgerWrites - savesAtOpen; }
    std::optional<MoneyData> onDisk() const { return readLedger(anonymousFile()); }

    // A local wall-clock time in the store's zone.
    QDateTime local(int y, int m, int d, int h = 12, int mi = 0, int s = 0) const {
        return QDateTime(QDate(y, m, d), QTime(h, mi, s), zone).toUTC();
    }
    void setNow(const QDateTime& at) { clock.set(at.toUTC()); }
    static Decimal dec(const char* text) { return *Decimal::parse(std::string_view(text)); }

    static MoneyTransaction tx(TransactionKind kind, const Decimal& amount, const QDateTime& date,
                               const QString& category = QStringLiteral("Еда")) {
        return MoneyTransaction{QUuid::createUuid(), kind,         amount,       category,     QString(),
                                date.toUTC(),        std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    }
    static MoneyTransaction income(const Decimal& amount, const QDateTime& date) {
        return tx(TransactionKind::income, amount, date);
    }
    static MoneyTransaction expense(const Decimal& amount, const QDateTime& date,
                                    const QString& category = QStringLiteral("Еда")) {
        return tx(TransactionKind::expense, amount, date, category);
    }
    static MoneyData ledgerWith(std::initializer_list<MoneyTransaction> list) {
        MoneyData d = MoneyData::emptyLedger();
        d.transactions.assign(list.begin(), list.end());
        return d;
    }
    // The empty ledger with the three default-backed lists absent.
    static MoneyData withDefaults() {
        MoneyData d = MoneyData::emptyLedger();
        d.rewardTasks.reset();
        d.quickTemplates.reset();
        d.challenges.reset();
        return d;
    }
    // A transaction the store books by itself: no tags, not a favourite, main wallet, no receipt.
    static void expectBooked(const MoneyTransaction& t, TransactionKind kind, const Decimal& amount,
                             const QString& category, const QString& note, const QDateTime& date) {
        EXPECT_FALSE(t.id.isNull());
        EXPECT_EQ(t, (MoneyTransaction{t.id, kind, amount, category, note, date, QStringList{},
                                       false, QStringLiteral("Основной"), std::nullopt}));
    }

    TempDir temp;
    FixedClock clock;
    QTimeZone zone{"Europe/Berlin"};
    FakeWidgetCenter widgets;
    FakeNotificationCenter notifications;
    CountingStoreDisk disk;
    std::unique_ptr<Preferences> marks;
    std::unique_ptr<MoneyStore> store;
    int savesAtOpen = 0;
};
