#include <gtest/gtest.h>

#include <QFile>

#include "services/DeepLink.h"
#include "services/MoneyDestination.h"
#include "services/PendingDestination.h"
#include "services/Preferences.h"
#include "support/TempDir.h"

namespace md = money_destination;

TEST(MoneyDestination, RawValuesTitlesAndOrder) {
    const QList<MoneyDestination> all = md::allCases();
    ASSERT_EQ(all.size(), 5);
    const QStringList raw{"dashboard", "expense", "income", "planner", "calendar"};
    const QStringList titles{"Главная", "Новый расход", "Новый доход", "Планировщик", "Финансовый календарь"};
    for (int i = 0; i < all.size(); ++i) {
        EXPECT_EQ(md::rawValue(all[i]), raw[i]);
        EXPECT_EQ(md::displayTitle(all[i]), titles[i]);
        EXPECT_EQ(md::fromRawValue(raw[i]), all[i]);
    }
    EXPECT_EQ(md::typeDisplayName(), "Раздел Zanbeck");
}

TEST(MoneyDestination, OnlyExactRawValuesAreSectionsAndAnythingElseStoredOpensTheDashboard) {
    for (const char* text :
         {"Dashboard", "EXPENSE", " income", "planner ", "", "add-expense", "calendar\n"}) {
        EXPECT_FALSE(md::fromRawValue(QString::fromUtf8(text))) << text;
        EXPECT_EQ(md::forStoredValue(QString::fromUtf8(text)), MoneyDestination::dashboard) << text;
    }
    EXPECT_EQ(md::forStoredValue("calendar"), MoneyDestination::calendar);
    EXPECT_EQ(md::forStoredValue("income"), MoneyDestination::income);
}

TEST(DeepLinkHost, TakenFromTheRawTextWithoutCaseFolding) {
    EXPECT_EQ(deep_link::host("zanbeck://add-expense"), "add-expense");
    EXPECT_EQ(deep_link::host("zanbeck://Add-Expense"), "Add-Expense");
    EXPECT_EQ(deep_link::host("ZANBECK://PLANNER/x?y=1#z"), "PLANNER");
    EXPECT_EQ(deep_link::host("zanbeck://user:pw@calendar:8080/path"), "calendar");
    EXPECT_EQ(deep_link::host("zanbeck://add%2Dincome"), "add-income");
    EXPECT_EQ(deep_link::host("zanbeck://[::1]:80/"), "[::1]");
    EXPECT_EQ(deep_link::host("https://planner?x"), "planner");
}

TEST(DeepLinkHost, AbsentWithoutSchemeAuthorityOrName) {
    for (const char* text :
         {"zanbeck:", "zanbeck:add-expense", "zanbeck:///add-expense", "zanbeck://", "zanbeck://:80",
          "add-expense", "//add-expense", "", "1zanbeck://planner", "zan beck://planner"})
        EXPECT_FALSE(deep_link::host(QString::fromUtf8(text))) << text;
}

TEST(DeepLinkDestination, HostsOpenTheirSectionsAndEverythingElseTheDashboard) {
    EXPECT_EQ(deep_link::destination("zanbeck://add-expense"), MoneyDestination::expense);
    EXPECT_EQ(deep_link::destination("zanbeck://add-income/ignored?q=1"), MoneyDestination::income);
    EXPECT_EQ(deep_link::destination("zanbeck://planner"), MoneyDestination::planner);
    EXPECT_EQ(deep_link::destination("zanbeck://calendar"), MoneyDestination::calendar);
    // Case-sensitive: a host in another case is just another host.
    EXPECT_EQ(deep_link::destination("zanbeck://ADD-EXPENSE"), MoneyDestination::dashboard);
    EXPECT_EQ(deep_link::destination("zanbeck://Planner"), MoneyDestination::dashboard);
    EXPECT_EQ(deep_link::destination("zanbeck://elsewhere"), MoneyDestination::dashboard);
    EXPECT_EQ(deep_link::destination("zanbeck:"), MoneyDestination::dashboard);
    EXPECT_EQ(deep_link::destination("not a url"), MoneyDestination::dashboard);
}

class PendingDestinationTest : public ::testing::Test {
protected:
    void SetUp() override { AppGroupDefaults::setDirectoryOverride(dir.filePath("group")); }
    void TearDown() override { AppGroupDefaults::setDirectoryOverride({}); }

    static void write(const QString& value) {
        auto defaults = AppGroupDefaults::open();
        ASSERT_TRUE(defaults);
        defaults->setValue(pending_destination::kKey, value);
        ASSERT_TRUE(defaults->sync());
    }
    static bool stored() {
        auto defaults = AppGroupDefaults::open();
        return defaults && defaults->value(pending_destination::kKey).isValid();
    }

    TempDir dir;
};

TEST_F(PendingDestinationTest, TakeReadsTheLastStoredOnceAndRemovesOnlyIt) {
    AppGroupDefaults::open()->setValue("balance", "12.50");
    ASSERT_TRUE(pending_destination::store(MoneyDestination::income));
    ASSERT_TRUE(pending_destination::store(MoneyDestination::calendar));
    EXPECT_EQ(pending_destination::take(), "calendar");
    EXPECT_FALSE(stored());
    EXPECT_EQ(pending_destination::take(), std::nullopt);
    EXPECT_EQ(AppGroupDefaults::open()->value("balance").toString(), "12.50");

    write("Calendar");  // unknown values are consumed too
    const std::optional<QString> value = pending_destination::take();
    ASSERT_TRUE(value);
    EXPECT_EQ(md::forStoredValue(*value), MoneyDestination::dashboard);
    EXPECT_FALSE(stored());
}

TEST_F(PendingDestinationTest, AnUnusableGroupStoresNothingAndTakesNothing) {
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppGroupDefaults::setDirectoryOverride(dir.filePath("blocked"));  // a file where the folder should be
    EXPECT_FALSE(pending_destination::store(MoneyDestination::expense));
    EXPECT_EQ(pending_destination::take(), std::nullopt);
}
