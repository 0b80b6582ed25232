#pragma once

#include <QObject>

// Where the app's one window stands, as the phone's scene phase has it:
// active (in front, with focus), inactive (visible without focus) and
// background (not visible to the user: minimised, hidden, or the session's
// screen is locked). The launch view locks the app on every move to background.
enum class ScenePhase { active, inactive, background };

// Reports the scene phase and each change of it. Tests drive a fake
// (tests/support/FakeScenePhaseSource.h); the app uses WindowScenePhase.
class ScenePhaseSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual ScenePhase phase() const = 0;

signals:
    // Emitted once per change, never for the initial value.
    void phaseChanged(ScenePhase phase);
};

Q_DECLARE_METATYPE(ScenePhase)
