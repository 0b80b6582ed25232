#include "services/WidgetSnapshot.h"

#include "platform/Clock.h"
#include "platform/WidgetCenter.h"
#include "services/Preferences.h"
#include "services/StoreDisk.h"

namespace {
const QString kBalance = QStringLiteral("balance");
const QString kIncome = QStringLiteral("todayIncome");
const QString kExpense = QStringLiteral("todayExpense");
const QString kUpdatedAt = QStringLiteral("updatedAt");

bool holds(const AppGroupDefaults& shared, const QString& key, double value) {
    bool ok = false;
    const double stored = shared.value(key).toDouble(&ok);
    return ok && stored == value;
}
}  // namespace

WidgetSnapshotWriter::WidgetSnapshotWriter(WidgetCenter& widgets, const Clock& clock, StoreDisk& disk)
    : widgets_(widgets), clock_(clock), disk_(disk) {}

bool WidgetSnapshotWriter::write(const Decimal& balance, const Decimal& income, const Decimal& expense) {
    std::optional<AppGroupDefaults> shared = AppGroupDefaults::open();
    if (!shared)
        return false;
    const double balanceValue = balance.toDouble();
    const double incomeValue = income.toDouble();
    const double expenseValue = expense.toDouble();
    if (holds(*shared, kBalance, balanceValue) && holds(*shared, kIncome, incomeValue) &&
        holds(*shared, kExpense, expenseValue) && shared->value(kUpdatedAt).isValid())
        return false;
    disk_.writeAppGroup(*shared, {{kBalance, balanceValue},
                                  {kIncome, incomeValue},
                                  {kExpense, expenseValue},
                                  {kUpdatedAt, clock_.now()}});
    widgets_.reloadAllTimelines();
    return true;
}
