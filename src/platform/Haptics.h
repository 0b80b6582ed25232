#pragma once

// Short sensory feedback the phone plays on success or failure. Desktops have
// no vibration motor, so the Linux build plays nothing; screens still call it
// so that the same code drives a phone build and tests can count the calls.
class Haptics {
public:
    enum class Feedback { success, warning, error, selection, impact };

    virtual ~Haptics() = default;
    virtual void play(Feedback feedback) = 0;
};

// The Linux implementation: nothing to play.
class SilentHaptics : public Haptics {
public:
    void play(Feedback) override {}
};
