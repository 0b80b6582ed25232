#pragma once

#include "platform/NotificationCenter.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

// Local notifications through the desktop's notification server
// (org.freedesktop.Notifications on the session bus). Nothing here blocks:
// calls go out asynchronously and their outcome is not waited for. Without a
// session bus or a server, posts vanish silently and permission is refused.
class FreedesktopNotificationCenter : public QObject, public NotificationCenter {
    Q_OBJECT
public:
    // The bus is a parameter so that tests can put a stand-in server on a private bus.
    explicit FreedesktopNotificationCenter(QDBusConnection bus = QDBusConnection::sessionBus(),
                                           QObject* parent = nullptr);

    void post(const NotificationRequest& request) override;
    // "Permitted" means that a notification server answers on the bus.
    void requestPermission(std::function<void(bool granted)> done) override;

    // The body as the server should get it: escaped where the server reads
    // markup, so that "<", ">" and "&" in a goal's name show as typed.
    static QString bodyFor(const QString& body, bool serverReadsMarkup);

private:
    void send(const NotificationRequest& request, bool serverReadsMarkup);

    QDBusConnection bus_;
    // The server's id of the last notification posted under each identifier,
    // so that posting the same identifier again replaces it.
    QHash<QString, uint> serverIds_;
};
