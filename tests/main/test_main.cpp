#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

// Every test program runs with a QApplication (offscreen) so that widget,
// timer and coroutine tests share one event loop, and with test-mode
// standard paths so nothing touches the developer's own data or settings.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    qputenv("TZ", "UTC");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("ZanbeckTests");
    QApplication::setApplicationName("zanbeck-tests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
