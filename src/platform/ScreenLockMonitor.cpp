#include "platform/ScreenLockMonitor.h"

#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>

namespace {

// The screen savers publish their interface under these object paths.
const char* const kScreenSavers[][2] = {
    {"/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
};

}  // namespace

ScreenLockMonitor::ScreenLockMonitor(QDBusConnection sessionBus, QDBusConnection systemBus, QObject* parent)
    : QObject(parent) {
    if (sessionBus.isConnected()) {
        // An empty service matches the signal from whichever screen saver sends it.
        for (const auto& saver : kScreenSavers)
            sessionBus.connect(QString(), QString::fromLatin1(saver[0]), QString::fromLatin1(saver[1]),
                               QStringLiteral("ActiveChanged"), this, SLOT(onScreenSaverActiveChanged(bool)));
    }
    if (systemBus.isConnected()) watchLoginSession(systemBus);
}

void ScreenLockMonitor::watchLoginSession(QDBusConnection systemBus) {
    const QString sessionId = qEnvironmentVariable("XDG_SESSION_ID");
    if (sessionId.isEmpty()) return;
    QDBusInterface manager(QStringLiteral("org.freedesktop.login1"),
                           QStringLiteral("/org/freedesktop/login1"),
                           QStringLiteral("org.freedesktop.login1.Manager"), systemBus);
    if (!manager.isValid()) return;
    manager.setTimeout(1000);
    const QDBusReply<QDBusObjectPath> path = manager.call(QStringLiteral("GetSession"), sessionId);
    if (!path.isValid()) return;
    const QString service = QStringLiteral("org.freedesktop.login1");
    const QString interface = QStringLiteral("org.freedesktop.login1.Session");
    systemBus.connect(service, path.value().path(), interface, QStringLiteral("Lock"), this,
                      SLOT(onSessionLock()));
    systemBus.connect(service, path.value().path(), interface, QStringLiteral("Unlock"), this,
                      SLOT(onSessionUnlock()));
}

void ScreenLockMonitor::onScreenSaverActiveChanged(bool active) { setLocked(active); }
void ScreenLockMonitor::onSessionLock() { setLocked(true); }
void ScreenLockMonitor::onSessionUnlock() { setLocked(false); }

void ScreenLockMonitor::setLocked(bool locked) {
    if (locked_ == locked) return;
    locked_ = locked;
    emit lockedChanged(locked);
}
