#pragma once

#include <QPointer>
#include <QWindow>

#include "platform/ScenePhase.h"

class ScreenLockMonitor;

// What the scene phase is made of on a desktop.
struct WindowSceneState {
    bool visible = false;  // shown, not hidden
    bool minimised = false;
    bool active = false;        // holds the keyboard focus
    bool screenLocked = false;  // the session's screen is locked
};

// Hidden, minimised or behind a locked screen is background; visible without
// focus is only inactive, so switching to another window never locks the app.
ScenePhase scenePhaseFor(const WindowSceneState& state);

// The scene phase of the app's main window, followed through the window's
// visibility and focus and the session's screen lock.
class WindowScenePhase : public ScenePhaseSource {
    Q_OBJECT
public:
    // Both must outlive this object, or be destroyed with it; the monitor may be null.
    explicit WindowScenePhase(QWindow* window, ScreenLockMonitor* screenLock = nullptr,
                              QObject* parent = nullptr);

    ScenePhase phase() const override { return phase_; }
    WindowSceneState state() const;

private:
    void update();

    QPointer<QWindow> window_;
    QPointer<ScreenLockMonitor> screenLock_;
    ScenePhase phase_;
};
