#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "services/Preferences.h"
#include "support/TempDir.h"

namespace {

class AppGroupDefaultsTest : public ::testing::Test {
protected:
    void TearDown() override { AppGroupDefaults::setDirectoryOverride({}); }

    void blockWithFile(const QString& path) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a folder");
    }

    TempDir dir_;
};

TEST_F(AppGroupDefaultsTest, EachOpenSeesWhatEarlierOpensWrote) {
    const QString folder = dir_.filePath("group/created/on/demand");
    AppGroupDefaults::setDirectoryOverride(folder);
    {
        auto defaults = AppGroupDefaults::open();
        ASSERT_TRUE(defaults.has_value());
        defaults->setValue("pendingDestination", "planner");
        defaults->setValue("balance", 1234.5);
        defaults->setValue("updatedAt", QDateTime(QDate(2024, 5, 1), QTime(8, 30), Qt::UTC));
    }  // closing the handle flushes it
    EXPECT_TRUE(QFile::exists(folder + "/defaults.ini"));

    auto reader = AppGroupDefaults::open();
    ASSERT_TRUE(reader.has_value());
    EXPECT_EQ(reader->value("pendingDestination").toString(), "planner");
    EXPECT_DOUBLE_EQ(reader->value("balance").toDouble(), 1234.5);
    EXPECT_EQ(reader->value("updatedAt").toDateTime(), QDateTime(QDate(2024, 5, 1), QTime(8, 30), Qt::UTC));

    reader->remove("pendingDestination");
    EXPECT_TRUE(reader->sync());
    EXPECT_FALSE(AppGroupDefaults::open()->value("pendingDestination").isValid());
}

TEST_F(AppGroupDefaultsTest, CannotOpenWhereAFileStandsInForTheFolderOrAFolderForTheFile) {
    blockWithFile(dir_.filePath("blocked"));
    ASSERT_TRUE(QDir().mkpath(dir_.filePath("group/defaults.ini")));
    for (const char* folder : {"blocked", "blocked/group.com.quorvel.Zanbeck", "group"}) {
        AppGroupDefaults::setDirectoryOverride(dir_.filePath(folder));
        EXPECT_FALSE(AppGroupDefaults::open().has_value()) << folder;
    }
}

TEST_F(AppGroupDefaultsTest, DefaultFolderIsNamedAfterTheGroup) {
    AppGroupDefaults::setDirectoryOverride(dir_.path());
    EXPECT_EQ(AppGroupDefaults::directory(), dir_.path());
    AppGroupDefaults::setDirectoryOverride({});
    EXPECT_TRUE(AppGroupDefaults::directory().endsWith("/group.com.quorvel.Zanbeck"));
}

}  // namespace
