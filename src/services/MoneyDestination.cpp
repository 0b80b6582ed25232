#include "services/MoneyDestination.h"

namespace money_destination {

QList<MoneyDestination> allCases() {
    return {MoneyDestination::dashboard, MoneyDestination::expense, MoneyDestination::income,
            MoneyDestination::planner, MoneyDestination::calendar};
}

QString rawValue(MoneyDestination destination) {
    switch (destination) {
        case MoneyDestination::dashboard:
            return QStringLiteral("dashboard");
        case MoneyDestination::expense:
            return QStringLiteral("expense");
        case MoneyDestination::income:
            return QStringLiteral("income");
        case MoneyDestination::planner:
            return QStringLiteral("planner");
        case MoneyDestination::calendar:
            return QStringLiteral("calendar");
    }
    return QStringLiteral("dashboard");
}

std::optional<MoneyDestination> fromRawValue(const QString& text) {
    for (MoneyDestination destination : allCases())
        if (rawValue(destination) == text) return destination;
    return std::nullopt;
}

QString displayTitle(MoneyDestination destination) {
    switch (destination) {
        case MoneyDestination::dashboard:
            return QStringLiteral("Главная");
        case MoneyDestination::expense:
            return QStringLiteral("Новый расход");
        case MoneyDestination::income:
            return QStringLiteral("Новый доход");
        case MoneyDestination::planner:
            return QStringLiteral("Планировщик");
        case MoneyDestination::calendar:
            return QStringLiteral("Финансовый календарь");
    }
    return {};
}

QString typeDisplayName() { return QStringLiteral("Раздел Zanbeck"); }

MoneyDestination forStoredValue(const QString& text) {
    return fromRawValue(text).value_or(MoneyDestination::dashboard);
}

}  // namespace money_destination
