#pragma once

#include <QString>

#include "models/MoneyModels.h"

namespace ledger {

// All transactions as CSV for spreadsheets: the header
// "date,type,amount,category,note,wallet,tags", then one line per transaction
// newest first, every field quoted with inner quotes doubled, lines joined by
// "\n" with none after the last.
QString csvExport(const MoneyData& data);

// The whole ledger document, byte for byte what a save writes; "{}" if it
// cannot be encoded.
QString jsonExport(const MoneyData& data);

}  // namespace ledger
