#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <functional>

// Runs the event loop until `done` holds or `limitMs` passed; never hangs.
inline bool waitUntil(const std::function<bool()>& done, int limitMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A client connection of its own to the (private) session bus.
inline QDBusConnection clientConnection(const QString& name) {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client-" + name);
}
