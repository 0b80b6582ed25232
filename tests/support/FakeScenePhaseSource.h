#pragma once

#include "platform/ScenePhase.h"

// A scene phase the test moves by hand; like the real one it emits only on a change.
class FakeScenePhaseSource : public ScenePhaseSource {
    Q_OBJECT
public:
    explicit FakeScenePhaseSource(ScenePhase initial = ScenePhase::active) : phase_(initial) {}

    ScenePhase phase() const override { return phase_; }
    void setPhase(ScenePhase phase) {
        if (phase == phase_) return;
        phase_ = phase;
        emit phaseChanged(phase);
    }

private:
    ScenePhase phase_;
};
