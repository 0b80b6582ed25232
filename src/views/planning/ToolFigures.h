#pragma once

#include <QDate>
#include <memory>
#include <vector>

#include "models/MoneyModels.h"

class MoneyStore;

// What the money tools read from the whole ledger, worked out once per state
// of the store and shared by every reader until the next change (a screen
// opened again, a filter switched, another day picked, a redraw for the
// theme): a read after a change of the ledger, on another day of the store's
// calendar, in another time zone or another currency works it out afresh, so
// a shared value is never stale.
namespace tool_figures {

// The badge catalogue, in its order.
std::shared_ptr<const std::vector<MoneyBadge>> badges(const MoneyStore& store);

// The moments of the ledger's operations, read once: a day is then found by
// comparing numbers, without reading a date of the ledger again.
class Timeline {
public:
    explicit Timeline(const std::vector<MoneyTransaction>& transactions);
    // The operations of a local day of the store's calendar, newest first
    // (equal moments in the ledger's order), as the store lists them for that day.
    std::vector<MoneyTransaction> day(const MoneyStore& store, QDate day) const;

private:
    std::vector<qint64> msecs_;  // ms since the epoch, in the ledger's order
};
std::shared_ptr<const Timeline> timeline(const MoneyStore& store);

// How many times the store's catalogue and timeline were worked out (for tests).
int badgesComputed(const MoneyStore& store);
int timelinesComputed(const MoneyStore& store);

}  // namespace tool_figures
