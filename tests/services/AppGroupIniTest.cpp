#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTimeZone>
#include <algorithm>

#include "platform/Clock.h"
#include "services/AppGroupIni.h"
#include "services/Preferences.h"
#include "services/WidgetSnapshot.h"
#include "support/CountingStoreDisk.h"
#include "support/DiskSyncs.h"
#include "support/FakeWidgetCenter.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace {

using Values = std::vector<std::pair<QString, QVariant>>;

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// What QSettings itself leaves in a new file after the given writes.
QByteArray writtenBySettings(const QString& path, const Values& values) {
    {
        QSettings settings(path, QSettings::IniFormat);
        for (const auto& [key, value] : values) settings.setValue(key, value);
    }
    return bytesOf(path);
}

}  // namespace

// The snapshot's keys edited into the file's text come out byte for byte as
// QSettings would have written them, whatever else the file holds, and read
// back through QSettings as the same numbers and the same instant.
TEST(AppGroupIniTest, EditedFileIsWhatQSettingsWouldWriteAndReadsBackTheSame) {
    TempDir dir;
    const QDateTime utc(QDate(2026, 6, 15), QTime(9, 30, 15, 123), QTimeZone::utc());
    const QDateTime offset(QDate(2026, 6, 15), QTime(9, 30), QTimeZone(3 * 3600));
    const QDateTime local(QDate(2026, 1, 2), QTime(23, 59, 59, 999), Qt::LocalTime);
    const std::vector<std::pair<const char*, Values>> before = {
        {"no file", {}},
        {"the open-app intent's key", {{"pendingDestination", "calendar"}}},
        {"an older snapshot", {{"balance", 3.0}, {"todayExpense", 1.5}, {"todayIncome", 0.0},
                               {"updatedAt", utc.addDays(-1)}}},
        {"keys on both sides and a section", {{"aaa", 1}, {"zzz", "a;b"}, {"grp/k", "v"}, {"Upper", true}}},
        {"only a section", {{"grp/k", 2}}},
    };
    std::vector<Values> snapshots = {
        {{"balance", 15.0}, {"todayIncome", 0.1}, {"todayExpense", 0.0}, {"updatedAt", utc}},
        {{"balance", -5.0}, {"todayIncome", 1e21}, {"todayExpense", 123456789.123456789}, {"updatedAt", offset}},
        {{"balance", 50.6}, {"todayIncome", 40.1}, {"todayExpense", 2.5}, {"updatedAt", local}},
    };
    // Streamed date-times are bytes of every value: escapes, and hex digits after them.
    QRandomGenerator random(20260615);
    for (int i = 0; i < 60; ++i)
        snapshots.push_back({{"balance", random.generateDouble() * 1e6},
                             {"updatedAt", QDateTime::fromMSecsSinceEpoch(qint64(random.bounded(4'000'000'000.0)) *
                                                                              1000 + random.bounded(1000),
                                                                          QTimeZone::utc())}});

    int n = 0;
    for (const auto& [what, start] : before) {
        for (const Values& snapshot : snapshots) {
            const QString expectedPath = dir.filePath(QString("expected%1.ini").arg(n));
            const QString editedPath = dir.filePath(QString("edited%1.ini").arg(n++));
            Values both = start;
            both.insert(both.end(), snapshot.begin(), snapshot.end());
            const QByteArray expected = writtenBySettings(expectedPath, both);
            const QByteArray startBytes = start.empty() ? QByteArray() : writtenBySettings(editedPath, start);

            const QByteArray edited = app_group_ini::withValues(startBytes, snapshot);
            EXPECT_EQ(edited.toStdString(), expected.toStdString()) << what;
            writeBytes(editedPath, edited);
            QSettings reader(editedPath, QSettings::IniFormat);
            for (size_t i = 0; i < both.size(); ++i) {
                const auto& [key, value] = both[i];
                const bool overwritten = std::any_of(both.begin() + i + 1, both.end(),
                                                     [&](const auto& later) { return later.first == key; });
                if (overwritten) continue;
                if (value.typeId() == QMetaType::Double)
                    EXPECT_EQ(reader.value(key).toDouble(), value.toDouble()) << what << " " << key.toStdString();
                else if (value.typeId() == QMetaType::QDateTime)
                    EXPECT_EQ(reader.value(key).toDateTime(), value.toDateTime()) << what;
                else
                    EXPECT_EQ(reader.value(key).toString(), value.toString()) << what;
            }
            for (const auto& [key, value] : snapshot) {
                if (value.typeId() == QMetaType::Double)
                    EXPECT_EQ(app_group_ini::rawValue(edited, key)->toDouble(), value.toDouble()) << what;
            }
        }
    }
    EXPECT_EQ(app_group_ini::rawValue("[General]\nzz=\"a;b\"\n", "zz"), QByteArray("a;b"));
    EXPECT_EQ(app_group_ini::rawValue("[grp]\nbalance=1\n", "balance"), std::nullopt);
}

// The widget's snapshot lands in the app group's file without one sync, keeps
// what others stored there, skips figures already there, and goes through
// QSettings' lock while another writer holds it.
TEST(AppGroupIniTest, SnapshotWriterSyncsNothingAndKeepsOtherKeys) {
    TempDir dir;
    AppGroupDefaults::setDirectoryOverride(dir.filePath("group"));
    FakeWidgetCenter widgets;
    FixedClock clock(QDateTime(QDate(2026, 6, 15), QTime(12, 0), QTimeZone::utc()));
    CountingStoreDisk disk;
    WidgetSnapshotWriter writer(widgets, clock, disk);
    {
        auto shared = AppGroupDefaults::open();
        ASSERT_TRUE(shared);
        shared->setValue("pendingDestination", "income");
    }
    const QString file = dir.filePath("group/defaults.ini");

    disk_syncs::reset();
    EXPECT_TRUE(writer.write(Decimal(20), Decimal(5), Decimal(0)));
    EXPECT_FALSE(writer.write(Decimal(20), Decimal(5), Decimal(0)));
    clock.set(clock.now().addSecs(60));
    EXPECT_TRUE(writer.write(Decimal(15), Decimal(5), Decimal(5)));
    EXPECT_EQ(disk_syncs::countIn(dir.filePath("group")), 0);
    EXPECT_EQ(disk.derivedWrites, 2);
    EXPECT_EQ(widgets.reloads, 2);
    {
        auto shared = AppGroupDefaults::open();
        EXPECT_EQ(shared->value("pendingDestination").toString(), "income");
        EXPECT_EQ(shared->value("balance").toDouble(), 15.0);
        EXPECT_EQ(shared->value("todayExpense").toDouble(), 5.0);
        EXPECT_EQ(shared->value("updatedAt").toDateTime(), clock.now());
    }
    EXPECT_EQ(QDir(dir.filePath("group")).entryList(QDir::Files), QStringList{"defaults.ini"})
        << "no temporary file left behind";

    // A lock file left by a writer that died: QSettings takes it over once it is stale.
    const QString lock = file + ".lock";
    writeBytes(lock, "1\nsomeone\n\n");
    QFile lockFile(lock);
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime));
    lockFile.close();
    EXPECT_TRUE(writer.write(Decimal(7), Decimal(5), Decimal(5)));
    EXPECT_EQ(disk.appGroupWrites, 1);
    EXPECT_EQ(AppGroupDefaults::open()->value("balance").toDouble(), 7.0);
    EXPECT_EQ(AppGroupDefaults::open()->value("pendingDestination").toString(), "income");
    AppGroupDefaults::setDirectoryOverride({});
}
