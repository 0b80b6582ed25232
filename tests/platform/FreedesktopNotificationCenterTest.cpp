#include <gtest/gtest.h>

#include <optional>

#include "DBusTestSupport.h"
#include "FakeDBusServices.h"
#include "PrivateBus.h"
#include "platform/FreedesktopNotificationCenter.h"

TEST(FreedesktopNotificationCenterWithoutBus, PostsVanishAndPermissionIsRefusedLater) {
    FreedesktopNotificationCenter center(QDBusConnection(QStringLiteral("no-such-connection")));
    center.post({"id", "title", "body"});  // must neither crash nor block
    std::optional<bool> granted;
    center.requestPermission([&](bool g) { granted = g; });
    EXPECT_FALSE(granted.has_value());
    ASSERT_TRUE(waitUntil([&] { return granted.has_value(); }));
    EXPECT_FALSE(*granted);
}

class FreedesktopNotificationsOnPrivateBus : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ANY_PRIVATE_BUS();
        service = std::make_unique<FakeBusService>("org.freedesktop.Notifications");
        server =
            service->add("/org/freedesktop/Notifications", std::make_unique<FakeNotificationServer>(log));
        ASSERT_TRUE(service->start());
        center = std::make_unique<FreedesktopNotificationCenter>(clientConnection("notifications"));
    }
    void TearDown() override {
        center.reset();
        QDBusConnection::disconnectFromBus("client-notifications");
    }
    bool waitForPosts(size_t n) {
        return waitUntil([&] { return server->posted().size() >= n; });
    }

    CallLog log;
    std::unique_ptr<FakeBusService> service;
    FakeNotificationServer* server = nullptr;
    std::unique_ptr<FreedesktopNotificationCenter> center;
};

TEST_F(FreedesktopNotificationsOnPrivateBus,
       PostDeliversTitleAndEscapedBodyWithDefaultSoundAndPermissionIsGranted) {
    center->post({"notified-goal-primary-388", QString::fromUtf8("Цель достигнута! 🎉"),
                  QString::fromUtf8("Ты накопил на «A<B & C>».")});
    ASSERT_TRUE(waitForPosts(1));
    const auto posted = server->posted().front();
    EXPECT_EQ(posted.summary, QString::fromUtf8("Цель достигнута! 🎉"));
    EXPECT_EQ(posted.body, QString::fromUtf8("Ты накопил на «A&lt;B &amp; C&gt;»."));
    EXPECT_EQ(posted.replacesId, 0u);
    EXPECT_EQ(posted.hints.value("sound-name").toString(), "message-new-instant");

    std::optional<bool> granted;  // a server answers: permission is granted
    center->requestPermission([&](bool g) { granted = g; });
    ASSERT_TRUE(waitUntil([&] { return granted.has_value(); }));
    EXPECT_TRUE(*granted);
}

TEST_F(FreedesktopNotificationsOnPrivateBus, PlainTextServerGetsTheBodyAsTyped) {
    server->capabilities = {"body"};
    center->post({"id", "title", "A<B & C>"});
    ASSERT_TRUE(waitForPosts(1));
    EXPECT_EQ(server->posted().front().body, "A<B & C>");
}

TEST_F(FreedesktopNotificationsOnPrivateBus, SameIdentifierReplacesTheEarlierNotification) {
    // Each post goes out only after the replies to the previous one were
    // handled, so the server's id for "goal-1" is known before the third post.
    center->post({"goal-1", "first", "body"});
    ASSERT_TRUE(waitForPosts(1));
    center->post({"goal-2", "other", "body"});
    ASSERT_TRUE(waitForPosts(2));
    center->post({"goal-1", "again", "body"});
    ASSERT_TRUE(waitForPosts(3));
    const auto posted = server->posted();
    EXPECT_EQ(posted[1].replacesId, 0u);
    EXPECT_EQ(posted[2].replacesId, 101u);  // the id the server gave "goal-1"
}

TEST_F(FreedesktopNotificationsOnPrivateBus, WithoutServerNothingIsPostedAndPermissionIsRefused) {
    service.reset();
    center->post({"id", "title", "body"});
    std::optional<bool> granted;
    center->requestPermission([&](bool g) { granted = g; });
    ASSERT_TRUE(waitUntil([&] { return granted.has_value(); }));
    EXPECT_FALSE(*granted);
}
