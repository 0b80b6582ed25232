#pragma once

#include <QString>

// A money task's reward as the family screens show it: "+", the whole
// currency units (cents / 100, the rest dropped), a space and the selected
// currency code ("+19 CNY" for 1999 cents). Not the ledger's money text.
QString taskRewardText(qint64 rewardCents, const QString& currencyCode);
