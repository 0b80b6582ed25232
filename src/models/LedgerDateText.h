#pragma once

// The ledger's date text on plain bytes, shared by the reader and the writer.
// Internal to the models library; the QString forms are in LedgerJson.h.

#include <QDateTime>
#include <optional>
#include <string_view>

namespace ledgerdate {

// Writes "YYYY-MM-DDTHH:MM:SSZ" (20 bytes) for the date in UTC, the fraction of
// a second dropped. Dates outside years 1 to 9999 are written as the nearest
// end of that range and an invalid date as the epoch, so that the document
// always reads back.
void write(const QDateTime& date, char* out);
inline constexpr int kLength = 20;

// Seconds since 1970 of "YYYY-MM-DDTHH:MM:SS" followed by "Z" or "+HH:MM" /
// "-HH:MM"; nullopt for any other form, a fraction of a second, or a field out
// of range.
std::optional<qint64> parseSeconds(std::string_view text);

}  // namespace ledgerdate
