#pragma once

#include "models/MoneyModels.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <vector>

// The built-in lists that stand in for a ledger's own tasks, templates and
// challenges while the document has no such key. Each call builds a new list;
// nothing is cached, so the challenge dates and the currency in a title are
// those of the moment of the call.

std::vector<RewardTask> defaultRewardTasks();
std::vector<QuickTemplate> defaultQuickTemplates();
// now: the moment of the access; zone: the calendar's time zone (the end dates
// are "now plus 7 days" and "now plus 1 month" on that calendar);
// currencyCode: the selected currency, shown in the second challenge's title.
std::vector<SavingsChallenge> defaultChallenges(const QDateTime& now, const QTimeZone& zone,
                                                const QString& currencyCode);
