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
#include "support/FakeNotificationCenter.h"
#include "support/FakeWidgetCenter.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

// A store opened on a prepared ledger, with helpers to build transactions at
// local times of the store's zone (Europe/Berlin, which changes its clocks)
// and to count saves (every successful save reloads the widget timelines once).
class LedgerFixture : public ::testing::Test {
protected:
    LedgerFixture() : clock(QDateTime(QDate(2026, 6, 15), QTime(12, 0), QTimeZone::utc())) {
        AppGroupDefaults::setDirectoryOverride(temp.filePath("group"));
        Preferences::resetStandard(temp.filePath("standard.ini"));
        Preferences::standard().setValue("appLanguage", "en_US");
        marks = std::make_unique<Preferences>(temp.filePath("marks.ini"));
    }
    ~LedgerFixture() override {
        store.reset();
        AppGroupDefaults::setDirectoryOverride({});
        Preferences::resetStandard();
    }

    QString anonymousFile() const { return temp.filePath("data") + "/Zanbeck/accounts/anonymous.json"; }

    static void writeLedger(const QString& path, const MoneyData& data) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(encodeMoneyData(data));
    }
    static QByteArray readFile(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static std::optional<MoneyData> readLedger(const QString& path) {
        return decodeMoneyData(readFile(path));
    }

    // Writes the ledger as the anonymous profile's file and opens a store on it.
    MoneyStore& open(const MoneyData& data) {
        writeLedger(anonymousFile(), data);
        store = makeStore();
        return *store;
    }
    MoneyStore& openEmpty() { return open(MoneyData::emptyLedger()); }

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

    // Successful saves since the store was opened.
    int saves() const { return widgets.reloads - reloadsAtOpen; }
    std::optional<MoneyData> onDisk() const { return readLedger(anonymousFile()); }

    std::unique_ptr<MoneyStore> makeStore() {
        MoneyStore::Environment env;
        env.paths = StorePaths(temp.filePath("data"));
        env.clock = &clock;
        env.timeZone = zone;
        env.widgets = &widgets;
        env.notifications = &notifications;
        env.preferences = marks.get();
        auto s = std::make_unique<MoneyStore>(env);
        reloadsAtOpen = widgets.reloads;
        return s;
    }

    TempDir temp;
    FixedClock clock;
    QTimeZone zone{"Europe/Berlin"};
    FakeWidgetCenter widgets;
    FakeNotificationCenter notifications;
    std::unique_ptr<Preferences> marks;
    std::unique_ptr<MoneyStore> store;
    int reloadsAtOpen = 0;
};
