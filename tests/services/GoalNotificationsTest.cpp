#include <gtest/gtest.h>

#include "services/GoalNotifications.h"
#include "services/Preferences.h"
#include "support/FakeNotificationCenter.h"
#include "support/TempDir.h"

class GoalNotificationsTest : public ::testing::Test {
protected:
    GoalNotificationsTest() {
        Preferences::resetStandard(temp.filePath("standard.ini"));
        Preferences::standard().setValue("currencyCode", "USD");
        Preferences::standard().setValue("appLanguage", "en_US");
    }
    ~GoalNotificationsTest() override { Preferences::resetStandard(); }

    static SavingsGoal goal(const QString& id, const QString& name, const char* amount) {
        return SavingsGoal{id, name, *Decimal::parse(std::string_view(amount)), std::nullopt, std::nullopt};
    }

    TempDir temp;
    Preferences marks{temp.filePath("marks.ini")};
    FakeNotificationCenter center;
    MoneyNotificationService service{center, marks};
};

TEST_F(GoalNotificationsTest, ReachedExactlyNotifiesOnceWithTheMoneyText) {
    service.notifyReachedGoals({goal("primary", "Мини ПК", "388")},
                               *Decimal::parse(std::string_view("387.99")));
    EXPECT_TRUE(center.posted.isEmpty());
    EXPECT_FALSE(marks.contains("notified-goal-primary-388"));

    service.notifyReachedGoals({goal("primary", "Мини ПК", "388")}, Decimal(388));
    ASSERT_EQ(center.posted.size(), 1);
    EXPECT_EQ(center.posted[0].identifier, "notified-goal-primary-388");
    EXPECT_EQ(center.posted[0].title, "Цель достигнута! 🎉");
    EXPECT_EQ(center.posted[0].body, "Ты накопил на «Мини ПК». В копилке $388.00.");
    EXPECT_TRUE(marks.boolean("notified-goal-primary-388", false));

    // Falling below and rising again does not notify the same goal and amount twice.
    service.notifyReachedGoals({goal("primary", "Мини ПК", "388")}, Decimal(10));
    service.notifyReachedGoals({goal("primary", "Мини ПК", "388")}, Decimal(500));
    EXPECT_EQ(center.posted.size(), 1);

    // A new amount is a new mark.
    service.notifyReachedGoals({goal("primary", "Мини ПК", "399.50")}, Decimal(500));
    ASSERT_EQ(center.posted.size(), 2);
    EXPECT_EQ(center.posted[1].identifier, "notified-goal-primary-399.5");
}

TEST_F(GoalNotificationsTest, ZeroGoalsNeverAndOthersInListOrderWithNamesAsPlainText) {
    // The center escapes markup; the service must not, or "&" would show as "&amp;".
    service.notifyReachedGoals({goal("A", "ноль", "0"), goal("B", "<b>Лего</b> & co", "5"),
                                goal("C", "далеко", "900"), goal("D", "вторая", "1.5")},
                               Decimal(50));
    ASSERT_EQ(center.posted.size(), 2);
    EXPECT_EQ(center.posted[0].identifier, "notified-goal-B-5");
    EXPECT_EQ(center.posted[0].body, "Ты накопил на «<b>Лего</b> & co». В копилке $50.00.");
    EXPECT_EQ(center.posted[1].identifier, "notified-goal-D-1.5");
    EXPECT_FALSE(marks.contains("notified-goal-A-0"));
}
