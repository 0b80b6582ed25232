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
// for the ledger it was built from, and follows a change of one transaction
// of that ledger (the screen builds one afresh after any other change).
class TransactionListIndex {
public:
    explicit TransactionListIndex(const std::vector<MoneyTransaction>& transactions);

    // The positions that pass the filter, in its order (equal keys in ledger order).
    std::vector<int> visible(const TransactionFilter& filter, const QDateTime& now, const QTimeZone& zone) const;
    // Incomes added, expenses subtracted, over the positions.
    Decimal total(const std::vector<int>& positions) const;

    int size() const { return static_cast<int>(at_.size()); }

    // The ledger it reads after one transaction was added at its end, removed
    // from `position` or replaced at `position`: the sorts' orders and the
    // search texts worked out so far take that one in, moved or out, as a
    // fresh index of the ledger would hold them. False when it cannot follow
    // (an amount finer or larger than its units): then it must not be used.
    bool added();
    bool removed(std::size_t position);
    bool replaced(std::size_t position);

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
    // Reads one transaction's instant, flags and units into position i;
    // false when its amount does not fit the units.
    bool read(std::size_t i);
    // The key a sort orders position i by (smallest first, equal keys in ledger order).
    quint64 key(TransactionSort sort, int i) const;
    // Puts position i into every order worked out, where its key belongs.
    void place(int i);
    // The folded searchable text of one transaction.
    static QString rowText(const MoneyTransaction& t);

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
