#pragma once

#include <QDBusConnection>

#include "support/WaitUntil.h"

// A client connection of its own to the (private) session bus.
inline QDBusConnection clientConnection(const QString& name) {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client-" + name);
}
