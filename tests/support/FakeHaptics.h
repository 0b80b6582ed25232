#pragma once

#include "platform/Haptics.h"

#include <QList>
#include <QStringList>

// Records every feedback played, in order.
class FakeHaptics : public Haptics {
public:
    void play(Feedback feedback) override { played.append(feedback); }
    void playSaveOutcome(Feedback feedback, const QString& message) override {
        saveMessages.append(message);
        play(feedback);
    }
    int count(Feedback feedback) const { return static_cast<int>(played.count(feedback)); }

    QList<Feedback> played;
    QStringList saveMessages;  // what a device without a motor shows instead, per save
};
