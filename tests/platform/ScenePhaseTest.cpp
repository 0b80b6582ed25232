#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QSignalSpy>
#include <QWindow>

#include "DBusTestSupport.h"
#include "PrivateBus.h"
#include "platform/ScreenLockMonitor.h"
#include "platform/WindowScenePhase.h"

// The mapping is checked through real windows and the screen saver signal.
class WindowScenePhaseTest : public ::testing::Test {
protected:
    WindowScenePhaseTest() : window(), phase(&window) {}

    QList<ScenePhase> changes(const QSignalSpy& spy) const {
        QList<ScenePhase> list;
        for (const auto& arguments : spy) list << arguments.at(0).value<ScenePhase>();
        return list;
    }

    QWindow window;
    WindowScenePhase phase;
};

TEST_F(WindowScenePhaseTest, ShowingBringsItForwardMinimisingOrHidingSendsItBack) {
    EXPECT_EQ(phase.phase(), ScenePhase::background);  // not yet shown
    QSignalSpy spy(&phase, &ScenePhaseSource::phaseChanged);
    window.show();
    EXPECT_NE(phase.phase(), ScenePhase::background);
    window.showMinimized();
    EXPECT_EQ(phase.phase(), ScenePhase::background);
    window.showNormal();
    EXPECT_NE(phase.phase(), ScenePhase::background);
    window.hide();
    EXPECT_EQ(phase.phase(), ScenePhase::background);
    ASSERT_EQ(spy.size(), 4);
    EXPECT_EQ(changes(spy).at(1), ScenePhase::background);
    EXPECT_EQ(changes(spy).at(3), ScenePhase::background);
}

TEST_F(WindowScenePhaseTest, LosingFocusOnlyMakesItInactive) {
    window.show();
    window.requestActivate();
    QCoreApplication::processEvents();
    QWindow other;
    other.show();
    other.requestActivate();
    QCoreApplication::processEvents();
    ASSERT_FALSE(window.isActive());
    EXPECT_EQ(phase.phase(), ScenePhase::inactive);

    QSignalSpy spy(&phase, &ScenePhaseSource::phaseChanged);
    window.requestActivate();
    QCoreApplication::processEvents();
    ASSERT_TRUE(window.isActive());
    EXPECT_EQ(changes(spy), QList<ScenePhase>{ScenePhase::active});
    other.requestActivate();
    QCoreApplication::processEvents();
    EXPECT_EQ(changes(spy), (QList<ScenePhase>{ScenePhase::active, ScenePhase::inactive}));
}

TEST(ScreenLockMonitorWithoutBus, NeverReadsAsLocked) {
    ScreenLockMonitor monitor(QDBusConnection(QStringLiteral("no-such-session")),
                              QDBusConnection(QStringLiteral("no-such-system")));
    EXPECT_FALSE(monitor.isLocked());
}

// The screen saver's signal, sent from another connection on a private bus.
class ScreenLockMonitorOnPrivateBus : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_ANY_PRIVATE_BUS(); }
    void TearDown() override { QDBusConnection::disconnectFromBus("client-screensaver"); }

    static void sendActiveChanged(const char* path, const char* interface, bool active) {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, "ActiveChanged");
        signal << active;
        ASSERT_TRUE(clientConnection("screensaver").send(signal));
    }
};

TEST_F(ScreenLockMonitorOnPrivateBus, FollowsTheScreenSaverAndLocksTheSceneWhileActive) {
    ScreenLockMonitor monitor(QDBusConnection::sessionBus(),
                              QDBusConnection(QStringLiteral("no-such-system")));
    QWindow window;
    WindowScenePhase phase(&window, &monitor);
    window.show();
    ASSERT_NE(phase.phase(), ScenePhase::background);

    sendActiveChanged("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", true);
    ASSERT_TRUE(waitUntil([&] { return monitor.isLocked(); }));
    EXPECT_EQ(phase.phase(), ScenePhase::background);

    sendActiveChanged("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", false);
    ASSERT_TRUE(waitUntil([&] { return !monitor.isLocked(); }));
    EXPECT_NE(phase.phase(), ScenePhase::background);

    sendActiveChanged("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", true);
    EXPECT_TRUE(waitUntil([&] { return monitor.isLocked(); }));
}

// Signals from one sender arrive in order, so once a later marker signal is
// seen, everything sent before it has been handled.
class SignalMarker : public QObject {
    Q_OBJECT
public:
    int seen = 0;
public slots:
    void mark() { ++seen; }
};

TEST_F(ScreenLockMonitorOnPrivateBus, IgnoresOtherSignalsOfTheSameName) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    ScreenLockMonitor monitor(bus, QDBusConnection(QStringLiteral("no-such-system")));
    SignalMarker marker;
    ASSERT_TRUE(
        bus.connect(QString(), "/org/example/Marker", "org.example.Marker", "Mark", &marker, SLOT(mark())));

    sendActiveChanged("/org/example/Other", "org.example.Other", true);
    sendActiveChanged("/org/freedesktop/ScreenSaver", "org.freedesktop.OtherInterface", true);
    ASSERT_TRUE(clientConnection("screensaver")
                    .send(QDBusMessage::createSignal("/org/example/Marker", "org.example.Marker", "Mark")));
    ASSERT_TRUE(waitUntil([&] { return marker.seen == 1; }));
    EXPECT_FALSE(monitor.isLocked());
}

#include "ScenePhaseTest.moc"
