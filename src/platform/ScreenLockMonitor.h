#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Whether the desktop session's screen is locked, from the screen saver's
// ActiveChanged signal on the session bus (org.freedesktop.ScreenSaver and
// GNOME's org.gnome.ScreenSaver) and from logind's Lock and Unlock signals of
// this login session on the system bus. Without those services the screen
// simply never reads as locked.
class ScreenLockMonitor : public QObject {
    Q_OBJECT
public:
    // The buses are parameters so that tests can use a private bus. The login
    // session watched is this process's own (XDG_SESSION_ID).
    explicit ScreenLockMonitor(QDBusConnection sessionBus = QDBusConnection::sessionBus(),
                               QDBusConnection systemBus = QDBusConnection::systemBus(),
                               QObject* parent = nullptr);

    bool isLocked() const { return locked_; }

signals:
    void lockedChanged(bool locked);

private slots:
    void onScreenSaverActiveChanged(bool active);
    void onSessionLock();
    void onSessionUnlock();

private:
    void setLocked(bool locked);
    void watchLoginSession(QDBusConnection systemBus);

    bool locked_ = false;
};
