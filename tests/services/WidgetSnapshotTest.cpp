#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTimeZone>

#include "services/Preferences.h"
#include "services/WidgetSnapshot.h"
#include "support/FakeWidgetCenter.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

class WidgetSnapshotTest : public ::testing::Test {
protected:
    WidgetSnapshotTest() { AppGroupDefaults::setDirectoryOverride(temp.filePath("group")); }
    ~WidgetSnapshotTest() override { AppGroupDefaults::setDirectoryOverride({}); }

    TempDir temp;
    FixedClock clock{QDateTime(QDate(2026, 10, 4), QTime(2, 30, 5), Qt::UTC)};
    FakeWidgetCenter widgets;
};

TEST_F(WidgetSnapshotTest, WritesTheFourKeysThenAsksForAReloadOrNeitherWhenTheGroupCannotOpen) {
    WidgetSnapshotWriter writer(widgets, clock);
    const Decimal balance = *Decimal::parse(std::string_view("277.1"));
    const Decimal cent = *Decimal::parse(std::string_view("0.01"));
    writer.write(balance, Decimal(40), cent);
    auto shared = AppGroupDefaults::open();
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->value("balance").toDouble(), 277.1);
    EXPECT_EQ(shared->value("todayIncome").toDouble(), 40.0);
    EXPECT_EQ(shared->value("todayExpense").toDouble(), 0.01);
    EXPECT_EQ(shared->value("updatedAt").toDateTime(), clock.now());
    EXPECT_EQ(widgets.reloads, 1);

    // Every write renews all keys, the time included, even with equal amounts.
    clock.advanceSeconds(60);
    writer.write(balance, Decimal(40), cent);
    EXPECT_EQ(AppGroupDefaults::open()->value("updatedAt").toDateTime(), clock.now());
    EXPECT_EQ(widgets.reloads, 2);

    // Nothing and no reload when the shared defaults cannot open.
    QDir(temp.filePath("group")).removeRecursively();
    QFile blocker(temp.filePath("group"));  // a file where the group folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    writer.write(Decimal(1), Decimal(2), Decimal(3));
    EXPECT_EQ(widgets.reloads, 2);
}
