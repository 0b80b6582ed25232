#pragma once

#include "support/FakeNotificationCenter.h"
#include "support/FakeWidgetCenter.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"
#include "models/LedgerJson.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <memory>

// A store on a temporary data folder with a fixed clock, an explicit zone,
// its own preferences file and app group folder, and fake platform services.
class StoreFixture : public ::testing::Test {
protected:
    StoreFixture() : clock(QDateTime(QDate(2026, 6, 15), QTime(12, 0), Qt::UTC)) {
        AppGroupDefaults::setDirectoryOverride(temp.filePath("group"));
        Preferences::resetStandard(temp.filePath("standard.ini"));
        Preferences::standard().setValue("appLanguage", "en_US");
        marks = std::make_unique<Preferences>(temp.filePath("standard-marks.ini"));
    }
    ~StoreFixture() override {
        AppGroupDefaults::setDirectoryOverride({});
        Preferences::resetStandard();
    }

    QString dataFolder() const { return temp.filePath("data"); }
    QString zanbeck(const QString& rest) const { return dataFolder() + "/Zanbeck/" + rest; }
    QString anonymousFile() const { return zanbeck("accounts/anonymous.json"); }

    MoneyStore::Environment environment() {
        MoneyStore::Environment env;
        env.paths = StorePaths(dataFolder());
        env.clock = &clock;
        env.timeZone = zone;
        env.widgets = &widgets;
        env.notifications = &notifications;
        env.preferences = marks.get();
        return env;
    }
    std::unique_ptr<MoneyStore> makeStore(std::optional<QString> file = std::nullopt) {
        return std::make_unique<MoneyStore>(environment(), std::move(file));
    }

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
    static void writeLedger(const QString& path, const MoneyData& data) { writeFile(path, encodeMoneyData(data)); }
    static std::optional<MoneyData> readLedger(const QString& path) { return decodeMoneyData(readFile(path)); }

    static MoneyTransaction transaction(TransactionKind kind, int amount, const QDateTime& date,
                                        const QString& category = "Еда") {
        return MoneyTransaction{QUuid::createUuid(), kind, Decimal(amount), category, "", date.toUTC(),
                                std::nullopt, std::nullopt, std::nullopt, std::nullopt};
    }

    TempDir temp;
    FixedClock clock;
    QTimeZone zone{"Europe/Berlin"};
    FakeWidgetCenter widgets;
    FakeNotificationCenter notifications;
    std::unique_ptr<Preferences> marks;
};
