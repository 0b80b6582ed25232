#include "platform/WindowScenePhase.h"

#include "platform/ScreenLockMonitor.h"

ScenePhase scenePhaseFor(const WindowSceneState& state) {
    if (!state.visible || state.minimised || state.screenLocked) return ScenePhase::background;
    return state.active ? ScenePhase::active : ScenePhase::inactive;
}

WindowScenePhase::WindowScenePhase(QWindow* window, ScreenLockMonitor* screenLock, QObject* parent)
    : ScenePhaseSource(parent), window_(window), screenLock_(screenLock) {
    phase_ = scenePhaseFor(state());
    if (window) {
        connect(window, &QWindow::visibilityChanged, this, &WindowScenePhase::update);
        connect(window, &QWindow::windowStateChanged, this, &WindowScenePhase::update);
        connect(window, &QWindow::activeChanged, this, &WindowScenePhase::update);
    }
    if (screenLock) connect(screenLock, &ScreenLockMonitor::lockedChanged, this, &WindowScenePhase::update);
}

WindowSceneState WindowScenePhase::state() const {
    WindowSceneState state;
    if (window_) {
        state.visible = window_->isVisible() && window_->visibility() != QWindow::Hidden;
        state.minimised =
            (window_->windowStates() & Qt::WindowMinimized) || window_->visibility() == QWindow::Minimized;
        state.active = window_->isActive();
    }
    state.screenLocked = screenLock_ && screenLock_->isLocked();
    return state;
}

void WindowScenePhase::update() {
    const ScenePhase next = scenePhaseFor(state());
    if (next == phase_) return;
    phase_ = next;
    emit phaseChanged(next);
}
