#pragma once

#include "models/MoneyModels.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <optional>

// The ledger document's JSON form. Reading is strict and all-or-nothing;
// writing is pretty-printed with ascending keys in every object, "/" escaped as
// "\/", UTF-8 text, UTC dates with whole seconds and upper-case UUIDs.
struct LedgerDecodeError {
    QString message;  // for diagnostics only; never shown to the user
};

QByteArray encodeMoneyData(const MoneyData& data);

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
