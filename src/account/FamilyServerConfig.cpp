#include "account/FamilyServerConfig.h"

QString defaultFamilyServerUrl() {
    return QStringLiteral(ZANBECK_FAMILY_SERVER_URL);
}
