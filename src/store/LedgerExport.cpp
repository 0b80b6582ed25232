#include "store/LedgerExport.h"

#include <QStringList>
#include <exception>

#include "models/LedgerJson.h"
#include "store/LedgerQueries.h"

namespace ledger {

namespace {

QString quoted(QString field) {
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QString tagsText(const MoneyTransaction& t) {
    if (!t.tags) return {};
    return t.tags->join(QLatin1Char('|'));
}

}  // namespace

QString csvExport(const MoneyData& data) {
    QStringList lines;
    lines.reserve(qsizetype(data.transactions.size()) + 1);
    lines.append(QStringLiteral("date,type,amount,category,note,wallet,tags"));
    for (std::size_t i : sortedOrder(data)) {
        const MoneyTransaction& t = data.transactions[i];
        const QStringList fields{
            quoted(formatLedgerDate(t.date)),
            quoted(rawValue(t.kind)),
            quoted(t.amount.toString()),
            quoted(t.category),
            quoted(t.note),
            quoted(t.wallet.value_or(QStringLiteral("Основной"))),
            quoted(tagsText(t)),
        };
        lines.append(fields.join(QLatin1Char(',')));
    }
    return lines.join(QLatin1Char('\n'));
}

QString jsonExport(const MoneyData& data) {
    try {
        const QByteArray bytes = encodeMoneyData(data);
        if (bytes.isEmpty()) return QStringLiteral("{}");
        return QString::fromUtf8(bytes);
    } catch (const std::exception&) {
        return QStringLiteral("{}");
    }
}

}  // namespace ledger
