#pragma once

#include "models/MoneyModels.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QHash>
#include <QUuid>
#include <QString>
#include <optional>
#include <string>
#include <vector>

// The ledger document's JSON form. Reading is strict and all-or-nothing;
// writing is pretty-printed with ascending keys in every object, "/" escaped as
// "\/", UTF-8 text, UTC dates with whole seconds and upper-case UUIDs.
struct LedgerDecodeError {
    QString message;  // for diagnostics only; never shown to the user
};

QByteArray encodeMoneyData(const MoneyData& data);

// Encodes ledgers exactly as encodeMoneyData does, byte for byte, keeping each
// transaction's encoded bytes from one call to the next: a transaction equal
// in every field to one encoded by the previous call (found by its id) is
// copied, any other (added, changed, or after its equal's bytes were used) is
// encoded. A ledger that changed in a few records costs their encoding, a
// walk comparing the others and the copy of the document; the rest of the
// document (settings, goals, lists) is encoded whole every time. Holds a copy
// of every transaction (its texts shared with the ledger), its bytes and the
// last document, whose bytes before the first changed record are not copied
// again when nobody else holds that document any more.
class LedgerEncoder {
public:
    QByteArray encode(const MoneyData& data);
    // Lets go of what is kept; the next encode encodes every transaction.
    void clear();
    // The transactions the last encode had to encode (for tests and benchmarks).
    std::size_t reencodedCount() const { return reencoded_; }

private:
    struct Entry {
        MoneyTransaction record;
        std::string bytes;
    };
    // The part of the previous list a change is matched against.
    struct Window {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::size_t cursor = 0;  // where the next record is looked for first
        std::vector<bool> taken;
        std::size_t left = 0;  // not taken yet
        std::optional<QHash<QUuid, std::size_t>> index;
    };
    // Brings entries_ to the list, encoding only the records not kept.
    void update(const std::vector<MoneyTransaction>& list);
    // Index into entries_ of the bytes kept for t, or -1 when t must be encoded.
    std::size_t reuse(const MoneyTransaction& t, Window& old);

    std::vector<Entry> entries_;  // in the order of the last encode's transactions
    std::size_t prefix_ = 0;      // records unchanged at the front by the last update
    QByteArray out_;              // the last document, when outValid_
    std::string head_;            // its part before the transactions' list
    bool outValid_ = false;
    std::size_t reencoded_ = 0;
};

// nullopt (with *error filled when given) for any violation anywhere, and for
// hostile input: nesting deeper than 64, invalid UTF-8, lone surrogates,
// numbers outside Decimal's range. A repeated key takes its last value.
std::optional<MoneyData> decodeMoneyData(QByteArrayView bytes, LedgerDecodeError* error = nullptr);

// The reader looks a few bytes past the end of the document. Bytes read with
// this much spare capacity behind them (see readLedgerBytes) are decoded where
// they are; others are first copied into a padded buffer, which for a large
// ledger costs a copy of the whole file.
inline constexpr qsizetype kLedgerReadPadding = 64;
std::optional<MoneyData> decodeMoneyData(const QByteArray& bytes, LedgerDecodeError* error = nullptr);
// The rest of an open file, with that spare capacity behind it (filled, so the
// reader never looks at unset memory); nullopt on a read error.
std::optional<QByteArray> readLedgerBytes(QFile& file);

// The document's date form: "YYYY-MM-DDTHH:MM:SSZ" in UTC, fraction dropped.
// A date outside years 1 to 9999 is written as the nearest end of that range
// and an invalid one as the epoch, so that a written document always reads back.
QString formatLedgerDate(const QDateTime& date);
// Strict reader of the internet date-time form with whole seconds: "Z" or a
// "+HH:MM"/"-HH:MM" offset, upper-case "T" and "Z", real calendar dates, no
// leap second; nullopt otherwise. The result is in UTC.
std::optional<QDateTime> parseLedgerDate(QStringView text);
