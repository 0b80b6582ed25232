#pragma once

#include "platform/Haptics.h"

#include <QList>

// Records every feedback played, in order.
class FakeHaptics : public Haptics {
public:
    void play(Feedback feedback) override { played.append(feedback); }
    int count(Feedback feedback) const { return static_cast<int>(played.count(feedback)); }

    QList<Feedback> played;
};
