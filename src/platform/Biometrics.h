#pragma once

#include <functional>

// Unlocking with the body instead of the code (a fingerprint reader on Linux).
// The caller shows its own prompt while a verification runs and may cancel it.
class Biometrics {
public:
    enum class Outcome {
        success,      // the enrolled owner was recognised
        noMatch,      // a finger was read but not recognised
        cancelled,    // cancel() was called
        unavailable,  // no reader, no enrolled finger, or no system service
        failed,       // the reader or the service reported an error, or gave no answer in time
    };

    virtual ~Biometrics() = default;
    // Whether a verification could start now: a reader exists and holds at
    // least one enrolled finger of this user. Asks afresh on every call.
    virtual bool isAvailable() = 0;
    // Starts one verification. `done` is called exactly once, later on the
    // main thread (never from inside this call). A call while another
    // verification runs is answered at once with `failed` (still later, not
    // from inside the call) and leaves the running one alone.
    virtual void verify(std::function<void(Outcome)> done) = 0;
    // Ends the running verification, whose `done` then gets `cancelled`. Does
    // nothing when none runs.
    virtual void cancel() = 0;
};
