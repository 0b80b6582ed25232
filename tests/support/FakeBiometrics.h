#pragma once

#include "platform/Biometrics.h"

#include <QTimer>
#include <optional>

// Biometrics whose answer the test gives. With `answer` set, verify() answers
// on the next event-loop turn; without it the verification stays pending
// until the test calls finish().
class FakeBiometrics : public Biometrics {
public:
    bool isAvailable() override {
        ++availabilityChecks;
        return available;
    }
    void verify(std::function<void(Outcome)> done) override {
        ++verifications;
        if (pending_) {
            QTimer::singleShot(0, [done] { done(Outcome::failed); });
            return;
        }
        pending_ = std::move(done);
        if (answer) {
            const Outcome outcome = *answer;
            QTimer::singleShot(0, [this, outcome] { finish(outcome); });
        }
    }
    void cancel() override {
        ++cancels;
        finish(Outcome::cancelled);
    }

    // Answers the pending verification, if any.
    void finish(Outcome outcome) {
        if (!pending_) return;
        auto done = std::move(pending_);
        pending_ = nullptr;
        done(outcome);
    }
    bool isVerifying() const { return static_cast<bool>(pending_); }

    bool available = true;
    std::optional<Outcome> answer;
    int availabilityChecks = 0;
    int verifications = 0;
    int cancels = 0;

private:
    std::function<void(Outcome)> pending_;
};
