#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "services/Preferences.h"
#include "support/TempDir.h"

TEST(AppGroupDefaultsTest, EachOpenSeesWhatEarlierOpensWroteInAFolderNamedAfterTheGroup) {
    EXPECT_TRUE(AppGroupDefaults::directory().endsWith("/group.com.quorvel.Zanbeck"));
    TempDir dir;
    const QString folder = dir.filePath("group/created/on/demand");
    AppGroupDefaults::setDirectoryOverride(folder);
    const QDateTime at(QDate(2024, 5, 1), QTime(8, 30), Qt::UTC);
    {
        auto defaults = AppGroupDefaults::open();
        ASSERT_TRUE(defaults.has_value());
        defaults->setValue("pendingDestination", "planner");
        defaults->setValue("balance", 1234.5);
        defaults->setValue("updatedAt", at);
    }  // closing the handle flushes it
    EXPECT_TRUE(QFile::exists(folder + "/defaults.ini"));

    auto reader = AppGroupDefaults::open();
    ASSERT_TRUE(reader.has_value());
    EXPECT_EQ(reader->value("pendingDestination").toString(), "planner");
    EXPECT_DOUBLE_EQ(reader->value("balance").toDouble(), 1234.5);
    EXPECT_EQ(reader->value("updatedAt").toDateTime(), at);
    reader->remove("pendingDestination");
    EXPECT_TRUE(reader->sync());
    EXPECT_FALSE(AppGroupDefaults::open()->value("pendingDestination").isValid());

    // A file where the folder should be, or a folder where the file should be.
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(QDir().mkpath(dir.filePath("other/defaults.ini")));
    for (const char* unusable : {"blocked", "blocked/group.com.quorvel.Zanbeck", "other"}) {
        AppGroupDefaults::setDirectoryOverride(dir.filePath(unusable));
        EXPECT_FALSE(AppGroupDefaults::open().has_value()) << unusable;
    }
    AppGroupDefaults::setDirectoryOverride({});
}
