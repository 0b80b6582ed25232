#pragma once

#include "models/Decimal.h"

class Clock;
class WidgetCenter;

// Writes the home-screen widget's snapshot ("balance", "todayIncome",
// "todayExpense" as doubles and "updatedAt" as the time of writing) into the
// app group's shared defaults, then asks the widgets to reload. When the shared
// defaults cannot be opened nothing is written and no reload is asked for.
class WidgetSnapshotWriter {
public:
    WidgetSnapshotWriter(WidgetCenter& widgets, const Clock& clock);

    void write(const Decimal& balance, const Decimal& income, const Decimal& expense);

private:
    WidgetCenter& widgets_;
    const Clock& clock_;
};
