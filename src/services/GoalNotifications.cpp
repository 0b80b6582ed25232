#include "services/GoalNotifications.h"

#include "platform/NotificationCenter.h"
#include "services/MoneyText.h"
#include "services/Preferences.h"

MoneyNotificationService::MoneyNotificationService(NotificationCenter& center, Preferences& marks)
    : center_(center), marks_(marks) {}

QString MoneyNotificationService::markKey(const SavingsGoal& goal) {
    return QStringLiteral("notified-goal-") + goal.id + QLatin1Char('-') + goal.amount.toString();
}

void MoneyNotificationService::notifyReachedGoals(const std::vector<SavingsGoal>& goals, const Decimal& balance) {
    for (const SavingsGoal& goal : goals) {
        if (goal.amount <= Decimal(0) || balance < goal.amount)
            continue;
        const QString key = markKey(goal);
        if (marks_.boolean(key, false))
            continue;
        // The body is plain text: the notification center escapes it for
        // servers that read markup, so a goal named "<b>" shows as typed.
        center_.post(NotificationRequest{
            key,
            QStringLiteral("Цель достигнута! 🎉"),
            QStringLiteral("Ты накопил на «") + goal.name + QStringLiteral("». В копилке ") + cnyText(balance) +
                QLatin1Char('.'),
        });
        marks_.setValue(key, true);
    }
}
