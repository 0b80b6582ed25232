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
// figures. "updatedAt" therefore tells when the figures last changed.
//
// The snapshot is written without syncing the disk (StoreDisk's
// replaceDerivedFile): the four keys are set in the defaults file's text,
// which then replaces the file in one rename, so a reader never sees half a
// file. Losing it to a crash is harmless: it is derived from the ledger, which
// was synced before it, so it never runs ahead of what is on disk; a lost
// snapshot leaves the previous figures (or an empty file), and the next start
// compares the snapshot with the ledger and writes it again. Only while
// another process holds QSettings' lock on the file is it written through
// QSettings, under that lock, so neither write undoes the other.
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
