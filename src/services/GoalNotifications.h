#pragma once

#include "models/MoneyModels.h"

#include <QString>
#include <vector>

class NotificationCenter;
class Preferences;

// Posts one notification the first time the balance reaches a goal of a given
// amount. The marks ("notified-goal-<id>-<amount>") live in the standard user
// defaults, are device-wide and never removed; a goal is marked even when the
// notification server drops the request.
class MoneyNotificationService {
public:
    MoneyNotificationService(NotificationCenter& center, Preferences& marks);

    void notifyReachedGoals(const std::vector<SavingsGoal>& goals, const Decimal& balance);

    static QString markKey(const SavingsGoal& goal);

private:
    NotificationCenter& center_;
    Preferences& marks_;
};
