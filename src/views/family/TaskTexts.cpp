#include "views/family/TaskTexts.h"

QString taskRewardText(qint64 rewardCents, const QString& currencyCode) {
    return QLatin1Char('+') + QString::number(rewardCents / 100) + QLatin1Char(' ') + currencyCode;
}
