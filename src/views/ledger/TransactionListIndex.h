#pragma once

#include "views/ledger/TransactionFilters.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// What the operations list filters, sorts and sums by, read once from one
// state of the ledger: every operation's instant, kind and favourite mark,
// its amount as a whole number of the ledger's smallest unit, its searchable
// text case-folded, and the ledger's order for each sort. A filter, a search
// keystroke or a sort then walks compact arrays instead of the operations.
// Answers exactly as the filter's rules read (TransactionFilters.h); holds
// for the ledger it was built from only (the screen builds one per revision).
class TransactionListIndex {
public:
    explicit TransactionListIndex(const std::vector<MoneyTransaction>& transactions);

    // The positions that pass the filter, in its order (equal keys in ledger order).
    std::vector<int> visible(const TransactionFilter& filter, const QDateTime& now, const QTimeZone& zone) const;
    // Incomes added, expenses subtracted, over the positions.
    Decimal total(const std::vector<int>& positions) const;

    int size() const { return static_cast<int>(at_.size()); }

    // A text as the search compares it: every character case-folded alone,
    // as a case-insensitive match compares them.
    static QString folded(QStringView text);

private:
    enum Flag : std::uint8_t { income = 1, favorite = 2 };

    // The ledger's positions in a sort's order, worked out on first use.
    const std::vector<int>& order(TransactionSort sort) const;
    // Puts the positions in date order (newest or oldest first) without
    // sorting when the ledger already runs in date order either way; false
    // (positions untouched) when it does not.
    bool inDateOrder(std::vector<int>& positions, bool newestFirst) const;
    // The folded searchable texts, end to end, worked out on the first search.
    void foldTexts() const;

    const std::vector<MoneyTransaction>& transactions_;
    std::vector<qint64> at_;          // UTC milliseconds
    std::vector<std::uint8_t> flags_;
    // Amounts as whole multiples of 10^unitExponent_, while every one fits
    // comfortably; otherwise the total adds the amounts themselves.
    std::vector<qint64> units_;
    int unitExponent_ = 0;
    bool unitsExact_ = true;
    mutable std::array<std::optional<std::vector<int>>, 4> orders_;
    mutable std::optional<QString> texts_;
    mutable std::vector<qsizetype> textStarts_;  // size() + 1 offsets into texts_
};
