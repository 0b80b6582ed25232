#include "views/ledger/TransactionFilters.h"

#include "store/LedgerCalendar.h"

#include <algorithm>
#include <limits>

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

namespace {

// The instants a period lets through, [begin, end) in UTC milliseconds.
struct Window {
    qint64 begin = std::numeric_limits<qint64>::min();
    qint64 end = std::numeric_limits<qint64>::max();
};

Window windowFor(TransactionDateFilter filter, const QDateTime& now, const QTimeZone& zone) {
    const LedgerCalendar calendar(zone);
    Window w;
    switch (filter) {
    case TransactionDateFilter::all:
        break;
    case TransactionDateFilter::today: {
        const auto span = calendar.daySpan(now);
        w.begin = span.begin;
        w.end = span.end;
        break;
    }
    case TransactionDateFilter::week: {
        // Six calendar days back at the same local time of day (a wall time a
        // clock change skips is read with the offset before the change, as
        // every date step of the ledger is); a moment the calendar cannot
        // form lets everything through.
        const QDateTime from = calendar.addingDays(now, -6);
        if (from.isValid()) w.begin = from.toMSecsSinceEpoch();
        break;
    }
    case TransactionDateFilter::month: {
        const auto span = calendar.monthSpan(now);
        w.begin = span.begin;
        w.end = span.end;
        break;
    }
    }
    return w;
}

// The text a search looks in: category, note, wallet and tags, joined by
// single spaces. Written into one reused buffer to spare an allocation per row.
void searchableText(const MoneyTransaction& t, QString& out) {
    out.clear();
    out += t.category;
    out += u' ';
    out += t.note;
    out += u' ';
    if (t.wallet) out += *t.wallet;
    out += u' ';
    if (t.tags) {
        bool first = true;
        for (const QString& tag : *t.tags) {
            if (!first) out += u' ';
            out += tag;
            first = false;
        }
    }
}

}  // namespace

std::vector<int> visibleTransactionIndices(const std::vector<MoneyTransaction>& transactions,
                                           const TransactionFilter& filter, const QDateTime& now,
                                           const QTimeZone& zone) {
    const Window window = windowFor(filter.date, now, zone);
    const bool searching = !filter.searchText.isEmpty();
    QString buffer;

    std::vector<int> kept;
    kept.reserve(transactions.size());
    for (int i = 0; i < static_cast<int>(transactions.size()); ++i) {
        const MoneyTransaction& t = transactions[static_cast<size_t>(i)];
        if (filter.kind && t.kind != *filter.kind) continue;
        if (filter.favoritesOnly && !t.isFavorite.value_or(false)) continue;
        if (filter.date != TransactionDateFilter::all) {
            const qint64 at = t.date.toMSecsSinceEpoch();
            if (at < window.begin || at >= window.end) continue;
        }
        if (searching) {
            searchableText(t, buffer);
            if (!buffer.contains(filter.searchText, Qt::CaseInsensitive)) continue;
        }
        kept.push_back(i);
    }

    // Stable sorts over extracted keys: equal keys keep their ledger order.
    switch (filter.sort) {
    case TransactionSort::newest:
    case TransactionSort::oldest: {
        std::vector<std::pair<qint64, int>> keyed;
        keyed.reserve(kept.size());
        for (int i : kept) keyed.emplace_back(transactions[static_cast<size_t>(i)].date.toMSecsSinceEpoch(), i);
        if (filter.sort == TransactionSort::newest)
            std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        else
            std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (size_t k = 0; k < keyed.size(); ++k) kept[k] = keyed[k].second;
        break;
    }
    case TransactionSort::biggest:
        std::stable_sort(kept.begin(), kept.end(), [&](int a, int b) {
            return transactions[static_cast<size_t>(a)].amount > transactions[static_cast<size_t>(b)].amount;
        });
        break;
    case TransactionSort::smallest:
        std::stable_sort(kept.begin(), kept.end(), [&](int a, int b) {
            return transactions[static_cast<size_t>(a)].amount < transactions[static_cast<size_t>(b)].amount;
        });
        break;
    }
    return kept;
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
