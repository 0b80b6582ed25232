#include <gtest/gtest.h>

#include <QFile>

#include "services/DeepLink.h"
#include "services/MoneyDestination.h"
#include "services/PendingDestination.h"
#include "services/Preferences.h"
#include "support/TempDir.h"

namespace md = money_destination;

TEST(MoneyDestination, RawValuesTitlesAndOrderAndAnythingElseStoredOpensTheDashboard) {
    const QStringList raw{"dashboard", "expense", "income", "planner", "calendar"};
    const QStringList titles{"Главная", "Новый расход", "Новый доход", "Планировщик", "Финансовый календарь"};
    ASSERT_EQ(md::allCases().size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(md::rawValue(md::allCases()[i]), raw[i]);
        EXPECT_EQ(md::displayTitle(md::allCases()[i]), titles[i]);
        EXPECT_EQ(md::forStoredValue(raw[i]), md::allCases()[i]);
    }
    EXPECT_EQ(md::typeDisplayName(), "Раздел Zanbeck");
    for (const char* text :
         {"Dashboard", "EXPENSE", " income", "planner ", "", "add-expense", "calendar\n"}) {
        EXPECT_FALSE(md::fromRawValue(QString::fromUtf8(text))) << text;
        EXPECT_EQ(md::forStoredValue(QString::fromUtf8(text)), MoneyDestination::dashboard) << text;
    }
}

TEST(DeepLink, HostComesFromTheRawTextUnfoldedAndOnlyExactHostsOpenTheirSections) {
    const std::pair<const char*, const char*> hosts[] = {{"zanbeck://Add-Expense", "Add-Expense"},
                                                         {"ZANBECK://PLANNER/x?y=1#z", "PLANNER"},
                                                         {"zanbeck://user:pw@calendar:8080/path", "calendar"},
                                                         {"zanbeck://add%2Dincome", "add-income"},
                                                         {"zanbeck://[::1]:80/", "[::1]"},
                                                         {"https://planner?x", "planner"}};
    for (const auto& [link, host] : hosts) EXPECT_EQ(deep_link::host(link), host) << link;
    for (const char* text :
         {"zanbeck:", "zanbeck:add-expense", "zanbeck:///add-expense", "zanbeck://", "zanbeck://:80",
          "add-expense", "//add-expense", "", "1zanbeck://planner", "zan beck://planner"})
        EXPECT_FALSE(deep_link::host(QString::fromUtf8(text))) << text;

    const std::pair<const char*, MoneyDestination> destinations[] = {
        {"zanbeck://add-expense", MoneyDestination::expense},
        {"zanbeck://add-income/ignored?q=1", MoneyDestination::income},
        {"zanbeck://planner", MoneyDestination::planner},
        {"zanbeck://calendar", MoneyDestination::calendar},
        {"zanbeck://ADD-EXPENSE", MoneyDestination::dashboard},  // another case is another host
        {"zanbeck://Planner", MoneyDestination::dashboard},
        {"zanbeck://elsewhere", MoneyDestination::dashboard},
        {"zanbeck:", MoneyDestination::dashboard},
        {"not a url", MoneyDestination::dashboard}};
    for (const auto& [link, destination] : destinations)
        EXPECT_EQ(deep_link::destination(link), destination) << link;
}

TEST(PendingDestination, TakeReadsTheLastStoredOnceAndRemovesOnlyItAndAnUnusableGroupHoldsNothing) {
    TempDir dir;
    AppGroupDefaults::setDirectoryOverride(dir.filePath("group"));
    AppGroupDefaults::open()->setValue("balance", "12.50");
    ASSERT_TRUE(pending_destination::store(MoneyDestination::income));
    ASSERT_TRUE(pending_destination::store(MoneyDestination::calendar));
    EXPECT_EQ(pending_destination::take(), "calendar");
    EXPECT_EQ(pending_destination::take(), std::nullopt);
    EXPECT_EQ(AppGroupDefaults::open()->value("balance").toString(), "12.50");

    AppGroupDefaults::open()->setValue(pending_destination::kKey,
                                       "Calendar");  // unknown values are consumed too
    EXPECT_EQ(pending_destination::take(), "Calendar");
    EXPECT_EQ(pending_destination::take(), std::nullopt);

    QFile blocker(dir.filePath("blocked"));  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppGroupDefaults::setDirectoryOverride(dir.filePath("blocked"));
    EXPECT_FALSE(pending_destination::store(MoneyDestination::expense));
    EXPECT_EQ(pending_destination::take(), std::nullopt);
    AppGroupDefaults::setDirectoryOverride({});
}
