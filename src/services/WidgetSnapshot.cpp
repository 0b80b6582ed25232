#include "services/WidgetSnapshot.h"

#include "platform/Clock.h"
#include "platform/WidgetCenter.h"
#include "services/AppGroupIni.h"
#include "services/Preferences.h"
#include "services/StoreDisk.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString kBalance = QStringLiteral("balance");
const QString kIncome = QStringLiteral("todayIncome");
const QString kExpense = QStringLiteral("todayExpense");
const QString kUpdatedAt = QStringLiteral("updatedAt");

bool holds(const QByteArray& ini, const QString& key, double value) {
    const std::optional<QByteArray> stored = app_group_ini::rawValue(ini, key);
    bool ok = false;
    return stored && stored->toDouble(&ok) == value && ok;
}
}  // namespace

WidgetSnapshotWriter::WidgetSnapshotWriter(WidgetCenter& widgets, const Clock& clock, StoreDisk& disk)
    : widgets_(widgets), clock_(clock), disk_(disk) {}

bool WidgetSnapshotWriter::write(const Decimal& balance, const Decimal& income, const Decimal& expense) {
    const std::optional<QString> path = AppGroupDefaults::usableFile();
    if (!path)
        return false;
    QByteArray ini;
    if (QFile file(*path); file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return false;
        ini = file.readAll();
    }
    const double balanceValue = balance.toDouble();
    const double incomeValue = income.toDouble();
    const double expenseValue = expense.toDouble();
    if (holds(ini, kBalance, balanceValue) && holds(ini, kIncome, incomeValue) &&
        holds(ini, kExpense, expenseValue) && app_group_ini::rawValue(ini, kUpdatedAt))
        return false;

    const StoreDisk::Values values = {{kBalance, balanceValue},
                                      {kIncome, incomeValue},
                                      {kExpense, expenseValue},
                                      {kUpdatedAt, clock_.now()}};
    if (QFileInfo::exists(*path + QStringLiteral(".lock"))) {
        std::optional<AppGroupDefaults> shared = AppGroupDefaults::open();
        if (!shared || !disk_.writeAppGroup(*shared, values))
            return false;
    } else if (!disk_.replaceDerivedFile(*path, app_group_ini::withValues(ini, values))) {
        return false;
    }
    widgets_.reloadAllTimelines();
    return true;
}
