#pragma once

#include <QList>
#include <QString>
#include <optional>

// The sections the open-app intent can open. The raw values are what the
// intent leaves under "pendingDestination" in the app group, so they never change.
enum class MoneyDestination { dashboard, expense, income, planner, calendar };

namespace money_destination {

// All cases in declaration order.
QList<MoneyDestination> allCases();
QString rawValue(MoneyDestination destination);
// Only the five exact raw values (case-sensitive) are destinations.
std::optional<MoneyDestination> fromRawValue(const QString& text);
// The section's title as the system offers it ("Главная", "Новый расход", ...).
QString displayTitle(MoneyDestination destination);
// The name of the section type: "Раздел Zanbeck".
QString typeDisplayName();

// What the root view applies for a value read from "pendingDestination": a
// value that names no section opens the dashboard.
MoneyDestination forStoredValue(const QString& text);

}  // namespace money_destination
