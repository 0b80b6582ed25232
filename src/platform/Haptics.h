#pragma once

#include <QString>
#include <functional>

// Short sensory feedback the phone plays on success or failure. Desktops have
// no vibration motor, so the Linux build plays nothing; screens still call it
// so that the same code drives a phone build and tests can count the calls.
class Haptics {
public:
    enum class Feedback { success, warning, error, selection, impact };

    virtual ~Haptics() = default;
    virtual void play(Feedback feedback) = 0;
    // The success or error notification that closes an explicit save
    // ("Сохранить настройки"). A phone plays it like any other; `message`
    // ("Сохранено", or the error) is for a device that cannot play it.
    virtual void playSaveOutcome(Feedback feedback, const QString& message) {
        (void)message;
        play(feedback);
    }
};

// Plays nothing at all.
class SilentHaptics : public Haptics {
public:
    void play(Feedback) override {}
};

// The Linux implementation: nothing to play, but an explicit save would then
// give no sign, so its outcome is shown in the window (`show`: the app's short
// confirmation) instead.
class WindowHaptics : public Haptics {
public:
    using Show = std::function<void(Feedback feedback, const QString& message)>;

    explicit WindowHaptics(Show show) : show_(std::move(show)) {}

    void play(Feedback) override {}
    void playSaveOutcome(Feedback feedback, const QString& message) override {
        if (show_ && !message.isEmpty()) show_(feedback, message);
    }

private:
    Show show_;
};
