#pragma once

#include <QString>
#include <optional>

#include "services/MoneyDestination.h"

// Links of the form "zanbeck://add-expense" that the desktop hands to the app.
// Only the host counts; scheme, path and query are ignored.
namespace deep_link {

// The URL scheme registered for the child's build.
inline constexpr const char* kScheme = "zanbeck";

// The host exactly as written in the link's text (no case folding, which URL
// parsers apply to hosts), percent-escapes resolved, without user info and
// port. nullopt when the text has no scheme, no "//" authority or an empty host.
std::optional<QString> host(const QString& url);

// The section a link opens: "add-expense" the expense form, "add-income" the
// income form, "planner" and "calendar" the planner, everything else
// (including no host and hosts in another letter case) the dashboard.
MoneyDestination destination(const QString& url);

}  // namespace deep_link
