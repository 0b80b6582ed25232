#pragma once

#include "models/Decimal.h"

class Clock;
class StoreDisk;
class WidgetCenter;

// Writes the home-screen widget's snapshot ("balance", "todayIncome",
// "todayExpense" as doubles and "updatedAt" as the time of writing) into the
// app group's shared defaults, then asks the widgets to reload. When the shared
// defaults cannot be opened nothing is written and no reload is asked for.
//
// A snapshot whose three amounts equal what the shared defaults already hold is
// not written again and asks for no reload: the widget would draw the same
// figures, and every write costs the disk a sync. "updatedAt" therefore tells
// when the figures last changed.
class WidgetSnapshotWriter {
public:
    WidgetSnapshotWriter(WidgetCenter& widgets, const Clock& clock, StoreDisk& disk);

    // True when the snapshot was written (and a reload asked for).
    bool write(const Decimal& balance, const Decimal& income, const Decimal& expense);

private:
    WidgetCenter& widgets_;
    const Clock& clock_;
    StoreDisk& disk_;
};
