#include "platform/FreedesktopNotificationCenter.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int kCallTimeoutMs = 5000;

QDBusMessage call(const QString& method) { return QDBusMessage::createMethodCall(kService, kPath, kInterface, method); }

}  // namespace

FreedesktopNotificationCenter::FreedesktopNotificationCenter(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(bus) {}

QString FreedesktopNotificationCenter::bodyFor(const QString& body, bool serverReadsMarkup) {
    return serverReadsMarkup ? body.toHtmlEscaped() : body;
}

void FreedesktopNotificationCenter::post(const NotificationRequest& request) {
    if (!bus_.isConnected()) return;
    // Whether the body is read as markup is the server's choice, so ask first.
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call("GetCapabilities"), kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, request] {
        watcher->deleteLater();
        QDBusPendingReply<QStringList> capabilities = *watcher;
        if (capabilities.isError()) return;  // no server: dropped, as without permission
        send(request, capabilities.value().contains(QStringLiteral("body-markup")));
    });
}

void FreedesktopNotificationCenter::send(const NotificationRequest& request, bool serverReadsMarkup) {
    QDBusMessage notify = call("Notify");
    QVariantMap hints;
    hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    notify << QCoreApplication::applicationName()             // app_name
           << serverIds_.value(request.identifier, 0u)          // replaces_id
           << QString()                                         // app_icon
           << request.title                                     // summary (never markup)
           << bodyFor(request.body, serverReadsMarkup)          // body
           << QStringList()                                     // actions
           << hints                                             // hints
           << -1;                                               // expire_timeout: the server's default
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(notify, kCallTimeoutMs), this);
    const QString identifier = request.identifier;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, identifier] {
        watcher->deleteLater();
        QDBusPendingReply<uint> reply = *watcher;
        if (!reply.isError() && !identifier.isEmpty()) serverIds_.insert(identifier, reply.value());
    });
}

void FreedesktopNotificationCenter::requestPermission(std::function<void(bool granted)> done) {
    if (!bus_.isConnected()) {
        QTimer::singleShot(0, this, [done] { if (done) done(false); });
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call("GetCapabilities"), kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done] {
        watcher->deleteLater();
        if (done) done(!watcher->isError());
    });
}
