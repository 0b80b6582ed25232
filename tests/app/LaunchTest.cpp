#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>

#include "app/Launch.h"
#include "app/SingleInstance.h"
#include "services/PendingDestination.h"
#include "services/Preferences.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override { AppGroupDefaults::setDirectoryOverride(dir.filePath("group")); }
    void TearDown() override { AppGroupDefaults::setDirectoryOverride({}); }

    static std::optional<QString> pending() {
        auto defaults = AppGroupDefaults::open();
        const QVariant value = defaults ? defaults->value(pending_destination::kKey) : QVariant();
        return value.isValid() ? std::optional<QString>(value.toString()) : std::nullopt;
    }
    TempDir dir;
    SingleInstance running{dir.filePath("run"), "zanbeck"};
};

TEST_F(LaunchTest, TheIntentLeavesItsSectionAndActivatesTheRunningInstanceALinkIsForwardedAsALink) {
    ASSERT_EQ(running.claim(), SingleInstance::Claim::primary);
    QSignalSpy spy(&running, &SingleInstance::messageReceived);
    SingleInstance launch(dir.filePath("run"), "zanbeck");
    LaunchRequest intent;
    intent.section = MoneyDestination::calendar;
    EXPECT_EQ(claimOrForward(intent, launch), LaunchOutcome::forwarded);
    EXPECT_EQ(pending(), "calendar");
    ASSERT_TRUE(waitUntil([&] { return spy.size() == 1; }));
    EXPECT_EQ(spy.front().at(0).value<InstanceMessage>(), InstanceMessage::activate());
    // The root view reads it once, and it is gone.
    EXPECT_EQ(pending_destination::take(), "calendar");
    EXPECT_EQ(pending(), std::nullopt);

    LaunchRequest link;
    link.url = "zanbeck://add-income";
    SingleInstance linkLaunch(dir.filePath("run"), "zanbeck");
    EXPECT_EQ(claimOrForward(link, linkLaunch), LaunchOutcome::forwarded);
    ASSERT_TRUE(waitUntil([&] { return spy.size() == 2; }));
    EXPECT_EQ(spy.back().at(0).value<InstanceMessage>().url, "zanbeck://add-income");
    EXPECT_EQ(pending(), std::nullopt);
}

TEST_F(LaunchTest, TheIntentWithNoInstanceRunningStoresAndBecomesTheInstance) {
    LaunchRequest request;
    request.section = MoneyDestination::income;
    EXPECT_EQ(claimOrForward(request, running), LaunchOutcome::becomeInstance);
    EXPECT_EQ(pending(), "income");
}

TEST_F(LaunchTest, TheIntentAnswersEvenWhenTheGroupCannotBeWritten) {
    QFile blocker(dir.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppGroupDefaults::setDirectoryOverride(dir.filePath("blocked"));
    EXPECT_EQ(runOpenIntent(MoneyDestination::expense), "Открываю Zanbeck");
}

TEST(LaunchDisplay, APlatformOrADisplayIsNeeded) {
    const std::pair<std::pair<const char*, const char*>, bool> cases[] = {
        {{nullptr, nullptr}, false},
        {{"DISPLAY", ""}, false},
        {{"DISPLAY", ":0"}, true},
        {{"WAYLAND_DISPLAY", "wayland-0"}, true},
        {{"QT_QPA_PLATFORM", "offscreen"}, true}};
    for (const auto& [variable, has] : cases) {
        QProcessEnvironment environment;
        if (variable.first) environment.insert(variable.first, variable.second);
        EXPECT_EQ(hasDisplay(environment), has) << (variable.first ? variable.first : "none");
    }
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
    EXPECT_TRUE(preferencesPathForRole(AppAccountRole::child).isEmpty())
        << "the child's app uses the default file";
    const QString parent = preferencesPathForRole(AppAccountRole::parent);
    ASSERT_FALSE(parent.isEmpty());
    EXPECT_NE(QFileInfo(parent).absoluteFilePath(),
              QFileInfo(Preferences::defaultFilePath()).absoluteFilePath());
}
