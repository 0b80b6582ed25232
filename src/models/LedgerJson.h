#pragma once

#include "models/MoneyModels.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The ledger document's JSON form. Reading is strict and all-or-nothing;
// writing is pretty-printed with ascending keys in every object, "/" escaped as
// "\/", UTF-8 text, UTC dates with whole seconds and upper-case UUIDs.
struct LedgerDecodeError {
    QString message;  // for diagnostics only; never shown to the user
};

QByteArray encodeMoneyData(const MoneyData& data);

// nullopt (with *error filled when given) for any violation anywhere.
std::optional<MoneyData> decodeMoneyData(QByteArrayView bytes, LedgerDecodeError* error = nullptr);

// The document's date form: "YYYY-MM-DDTHH:MM:SSZ" in UTC, fraction dropped.
QString formatLedgerDate(const QDateTime& date);
// Strict reader of the internet date-time form with whole seconds; nullopt otherwise.
std::optional<QDateTime> parseLedgerDate(QStringView text);
