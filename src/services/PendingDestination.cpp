#include "services/PendingDestination.h"

#include "services/Preferences.h"

namespace pending_destination {

bool store(MoneyDestination destination) {
    std::optional<AppGroupDefaults> defaults = AppGroupDefaults::open();
    if (!defaults) return false;
    defaults->setValue(QString::fromLatin1(kKey), money_destination::rawValue(destination));
    return defaults->sync();
}

std::optional<QString> take() {
    std::optional<AppGroupDefaults> defaults = AppGroupDefaults::open();
    if (!defaults) return std::nullopt;
    const QString key = QString::fromLatin1(kKey);
    const QVariant value = defaults->value(key);
    if (!value.isValid()) return std::nullopt;
    defaults->remove(key);
    defaults->sync();
    return value.toString();
}

}  // namespace pending_destination
