#include "account/FamilyServerConfig.h"

#include <QHostAddress>

QString defaultFamilyServerUrl() {
    return QStringLiteral(ZANBECK_FAMILY_SERVER_URL);
}

bool isAllowedFamilyServerOrigin(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) return true;
    if (scheme != QLatin1String("http")) return false;
    const QString host = url.host().toLower();
    if (host == QLatin1String("localhost")) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}
