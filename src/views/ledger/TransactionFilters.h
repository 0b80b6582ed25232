#pragma once

#include "models/Decimal.h"
#include "models/MoneyModels.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <array>
#include <optional>
#include <vector>

// The period the operations list shows. The raw value is the menu's label.
enum class TransactionDateFilter { all, today, week, month };
inline constexpr std::array<TransactionDateFilter, 4> kTransactionDateFilters = {
    TransactionDateFilter::all, TransactionDateFilter::today, TransactionDateFilter::week,
    TransactionDateFilter::month};
QString rawValue(TransactionDateFilter filter);  // "Всё время", "Сегодня", "7 дней", "Этот месяц"
std::optional<TransactionDateFilter> transactionDateFilter(const QString& rawValue);

// The order of the operations list. The raw value is the menu's label.
enum class TransactionSort { newest, oldest, biggest, smallest };
inline constexpr std::array<TransactionSort, 4> kTransactionSorts = {
    TransactionSort::newest, TransactionSort::oldest, TransactionSort::biggest, TransactionSort::smallest};
QString rawValue(TransactionSort sort);  // "Сначала новые", "Сначала старые", "Сначала крупные", "Сначала мелкие"
std::optional<TransactionSort> transactionSort(const QString& rawValue);

// Everything the user chose on the operations list.
struct TransactionFilter {
    std::optional<TransactionKind> kind;  // none: every kind
    TransactionDateFilter date = TransactionDateFilter::all;
    TransactionSort sort = TransactionSort::newest;
    bool favoritesOnly = false;
    QString searchText;  // used exactly as typed
};

// The positions in `transactions` of the operations that pass every test of
// the filter, in the filter's order; equal keys keep their ledger order.
// Periods use the calendar of `zone` (the user's current one) and `now`:
// "Сегодня" is now's local day, "7 дней" everything from six calendar days
// before now (same time of day) on, future dates included, "Этот месяц" now's
// local month.
std::vector<int> visibleTransactionIndices(const std::vector<MoneyTransaction>& transactions,
                                           const TransactionFilter& filter, const QDateTime& now,
                                           const QTimeZone& zone);

// Incomes added, expenses subtracted, over the given positions.
Decimal visibleTotal(const std::vector<MoneyTransaction>& transactions, const std::vector<int>& indices);
