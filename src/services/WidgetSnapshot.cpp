#include "services/WidgetSnapshot.h"

#include "platform/Clock.h"
#include "platform/WidgetCenter.h"
#include "services/Preferences.h"

WidgetSnapshotWriter::WidgetSnapshotWriter(WidgetCenter& widgets, const Clock& clock)
    : widgets_(widgets), clock_(clock) {}

void WidgetSnapshotWriter::write(const Decimal& balance, const Decimal& income, const Decimal& expense) {
    std::optional<AppGroupDefaults> shared = AppGroupDefaults::open();
    if (!shared)
        return;
    shared->setValue(QStringLiteral("balance"), balance.toDouble());
    shared->setValue(QStringLiteral("todayIncome"), income.toDouble());
    shared->setValue(QStringLiteral("todayExpense"), expense.toDouble());
    shared->setValue(QStringLiteral("updatedAt"), clock_.now());
    shared->sync();
    widgets_.reloadAllTimelines();
}
