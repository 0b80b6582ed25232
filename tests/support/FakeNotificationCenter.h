#pragma once

#include <QList>
#include <QTimer>

#include "platform/NotificationCenter.h"

// Records every posted request; requestPermission answers `permitted` on the
// next event-loop turn, as the real one answers later.
class FakeNotificationCenter : public NotificationCenter {
public:
    void post(const NotificationRequest& request) override { posted.append(request); }
    void requestPermission(std::function<void(bool granted)> done) override {
        const bool answer = permitted;
        QTimer::singleShot(0, [done = std::move(done), answer] { done(answer); });
    }

    QList<NotificationRequest> posted;
    bool permitted = true;
};
