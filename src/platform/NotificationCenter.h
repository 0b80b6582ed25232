#pragma once

#include <QString>
#include <functional>

// One local notification, delivered at once. The identifier names the request
// (posting again with the same identifier replaces the earlier one where the
// notification server allows it).
struct NotificationRequest {
    QString identifier;
    QString title;
    QString body;  // plain text; implementations escape it for servers that read markup
};

// Local notifications. Posting is fire-and-forget: nothing waits for the
// outcome, and without a notification server the request is silently dropped.
class NotificationCenter {
public:
    virtual ~NotificationCenter() = default;
    virtual void post(const NotificationRequest& request) = 0;
    // Asks whether notifications can be shown. `done` is called exactly once,
    // later on the main thread (never from inside this call), with the answer.
    virtual void requestPermission(std::function<void(bool granted)> done) = 0;
};
