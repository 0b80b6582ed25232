#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>

#include "app/Launch.h"
#include "app/SingleInstance.h"
#include "services/PendingDestination.h"
#include "services/Preferences.h"
#include "support/TempDir.h"

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override { AppGroupDefaults::setDirectoryOverride(dir.filePath("group")); }
    void TearDown() override { AppGroupDefaults::setDirectoryOverride({}); }

    static std::optional<QString> pending() {
        auto defaults = AppGroupDefaults::open();
        const QVariant value = defaults ? defaults->value(pending_destination::kKey) : QVariant();
        return value.isValid() ? std::optional<QString>(value.toString()) : std::nullopt;
    }
    static bool processUntil(const std::function<bool()>& done) {
        QDeadlineTimer deadline(5000);
        while (!done()) {
            if (deadline.hasExpired()) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    TempDir dir;
    SingleInstance running{dir.filePath("run"), "zanbeck"};
};

TEST_F(LaunchTest, TheIntentLeavesItsSectionAndActivatesTheRunningInstance) {
    ASSERT_EQ(running.claim(), SingleInstance::Claim::primary);
    QSignalSpy spy(&running, &SingleInstance::messageReceived);

    SingleInstance launch(dir.filePath("run"), "zanbeck");
    LaunchRequest request;
    request.section = MoneyDestination::calendar;
    EXPECT_EQ(claimOrForward(request, launch), LaunchOutcome::forwarded);
    EXPECT_EQ(pending(), "calendar");

    ASSERT_TRUE(processUntil([&] { return spy.size() == 1; }));
    EXPECT_EQ(spy.front().at(0).value<InstanceMessage>(), InstanceMessage::activate());
    // The root view reads it once, and it is gone.
    EXPECT_EQ(pending_destination::take(), "calendar");
    EXPECT_EQ(pending(), std::nullopt);
}

TEST_F(LaunchTest, TheIntentWithNoInstanceRunningStoresAndBecomesTheInstance) {
    LaunchRequest request;
    request.section = MoneyDestination::income;
    EXPECT_EQ(claimOrForward(request, running), LaunchOutcome::becomeInstance);
    EXPECT_EQ(pending(), "income");
}

TEST_F(LaunchTest, ALinkIsForwardedAsALinkAndStoresNothing) {
    ASSERT_EQ(running.claim(), SingleInstance::Claim::primary);
    QSignalSpy spy(&running, &SingleInstance::messageReceived);
    SingleInstance launch(dir.filePath("run"), "zanbeck");
    LaunchRequest request;
    request.url = "zanbeck://add-income";
    EXPECT_EQ(claimOrForward(request, launch), LaunchOutcome::forwarded);
    ASSERT_TRUE(processUntil([&] { return spy.size() == 1; }));
    EXPECT_EQ(spy.front().at(0).value<InstanceMessage>().url, "zanbeck://add-income");
    EXPECT_EQ(pending(), std::nullopt);
}

TEST_F(LaunchTest, TheIntentAnswersEvenWhenTheGroupCannotBeWritten) {
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppGroupDefaults::setDirectoryOverride(dir.filePath("blocked"));
    EXPECT_EQ(runOpenIntent(MoneyDestination::expense), "Открываю Zanbeck");
}

TEST(LaunchDisplay, APlatformOrADisplayIsNeeded) {
    QProcessEnvironment environment;
    EXPECT_FALSE(hasDisplay(environment));
    environment.insert("DISPLAY", "");
    EXPECT_FALSE(hasDisplay(environment));
    environment.insert("DISPLAY", ":0");
    EXPECT_TRUE(hasDisplay(environment));
    EXPECT_TRUE(hasDisplay([] {
        QProcessEnvironment e;
        e.insert("WAYLAND_DISPLAY", "wayland-0");
        return e;
    }()));
    EXPECT_TRUE(hasDisplay([] {
        QProcessEnvironment e;
        e.insert("QT_QPA_PLATFORM", "offscreen");
        return e;
    }()));
}

TEST(LaunchStorePaths, TheParentBuildKeepsItsLedgersApart) {
    const StorePaths child = storePathsForRole(AppAccountRole::child);
    const StorePaths parent = storePathsForRole(AppAccountRole::parent);
    ASSERT_TRUE(child.usable());
    ASSERT_TRUE(parent.usable());
    EXPECT_EQ(child.anonymousFile(), StorePaths::system().anonymousFile());
    EXPECT_NE(parent.anonymousFile(), child.anonymousFile());
    EXPECT_FALSE(parent.zanbeckFolder()->startsWith(*child.zanbeckFolder() + u'/'));
}

TEST(LaunchPreferences, TheParentBuildKeepsItsPreferencesApart) {
    EXPECT_TRUE(preferencesPathForRole(AppAccountRole::child).isEmpty()) << "the child's app uses the default file";
    const QString parent = preferencesPathForRole(AppAccountRole::parent);
    ASSERT_FALSE(parent.isEmpty());
    EXPECT_NE(QFileInfo(parent).absoluteFilePath(), QFileInfo(Preferences::defaultFilePath()).absoluteFilePath());
}
