#include "views/ledger/TransactionFilters.h"

#include "views/ledger/TransactionListIndex.h"

QString rawValue(TransactionDateFilter filter) {
    switch (filter) {
    case TransactionDateFilter::all: return QStringLiteral("Всё время");
    case TransactionDateFilter::today: return QStringLiteral("Сегодня");
    case TransactionDateFilter::week: return QStringLiteral("7 дней");
    case TransactionDateFilter::month: return QStringLiteral("Этот месяц");
    }
    return {};
}

std::optional<TransactionDateFilter> transactionDateFilter(const QString& raw) {
    for (TransactionDateFilter f : kTransactionDateFilters)
        if (rawValue(f) == raw) return f;
    return std::nullopt;
}

QString rawValue(TransactionSort sort) {
    switch (sort) {
    case TransactionSort::newest: return QStringLiteral("Сначала новые");
    case TransactionSort::oldest: return QStringLiteral("Сначала старые");
    case TransactionSort::biggest: return QStringLiteral("Сначала крупные");
    case TransactionSort::smallest: return QStringLiteral("Сначала мелкие");
    }
    return {};
}

std::optional<TransactionSort> transactionSort(const QString& raw) {
    for (TransactionSort s : kTransactionSorts)
        if (rawValue(s) == raw) return s;
    return std::nullopt;
}

std::vector<int> visibleTransactionIndices(const std::vector<MoneyTransaction>& transactions,
                                           const TransactionFilter& filter, const QDateTime& now,
                                           const QTimeZone& zone) {
    return TransactionListIndex(transactions).visible(filter, now, zone);
}

Decimal visibleTotal(const std::vector<MoneyTransaction>& transactions, const std::vector<int>& indices) {
    Decimal total;
    for (int i : indices) {
        const MoneyTransaction& t = transactions[static_cast<size_t>(i)];
        if (t.kind == TransactionKind::income)
            total += t.amount;
        else
            total -= t.amount;
    }
    return total;
}
