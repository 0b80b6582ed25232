#pragma once

#include <QDateTime>

// Source of "now", so that date rules can be tested at exact instants.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const { return QDateTime::currentDateTimeUtc(); }
    static Clock& system() {
        static Clock clock;
        return clock;
    }
};
