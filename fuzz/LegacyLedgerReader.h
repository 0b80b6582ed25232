#pragma once

#include "models/LedgerJson.h"

// The former nlohmann-based reader; same contract as decodeMoneyData.
std::optional<MoneyData> decodeMoneyDataLegacy(QByteArrayView bytes, LedgerDecodeError* error = nullptr);
