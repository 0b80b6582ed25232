#include "account/AppAccountRole.h"

#include "account/BundleInfo.h"

QString AppAccountRole::rawValue() const {
    return value_ == parent ? QStringLiteral("parent") : QStringLiteral("child");
}

std::optional<AppAccountRole> AppAccountRole::fromRawValue(const QString& text) {
    if (text == QLatin1String("parent")) return AppAccountRole(parent);
    if (text == QLatin1String("child")) return AppAccountRole(child);
    return std::nullopt;
}

AppAccountRole AppAccountRole::build() {
    const QJsonValue role = BundleInfo::value(QStringLiteral("ZanbeckRole"));
    return role.isString() && role.toString() == QLatin1String("parent") ? AppAccountRole(parent)
                                                                         : AppAccountRole(child);
}
