#pragma once

#include <QString>
#include <optional>

#include "services/MoneyDestination.h"

// The section the open-app intent leaves for the root view: key
// "pendingDestination" in the app group's shared defaults. The intent writes
// it (replacing a value still waiting); the child's tab view takes it, each
// time it is shown. When the app group cannot be opened both sides do nothing.
namespace pending_destination {

inline constexpr const char* kKey = "pendingDestination";

// The intent's work: stores the section's raw value. false when the app group
// could not be opened or written (the intent still counts as done).
bool store(MoneyDestination destination);

// Reads and removes the stored text. nullopt, with nothing removed, when no
// value waits or the app group cannot be opened. The text is removed before
// anyone interprets it, so a value naming no section is consumed too; map it
// with money_destination::forStoredValue.
std::optional<QString> take();

}  // namespace pending_destination
