#pragma once

#include "platform/Clock.h"

class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime at) : at_(std::move(at)) {}
    QDateTime now() const override { return at_; }
    void set(QDateTime at) { at_ = std::move(at); }
    void advanceSeconds(qint64 s) { at_ = at_.addSecs(s); }

private:
    QDateTime at_;
};
