#include "views/ledger/TransactionListIndex.h"

#include "store/LedgerCalendar.h"

#include <algorithm>
#include <limits>

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

// Amounts beyond this many units are summed as decimals: the sum of a
// ledger's worth of units then never leaves 128 bits, nor 38 digits.
constexpr qint64 kLargestUnits = 1'000'000'000'000'000;  // 10^15
constexpr int kWidestScale = 15;

// Every character of the basic plane case-folded, looked up rather than
// worked out for each character of a ledger's texts.
const std::vector<char16_t>& foldTable() {
    static const std::vector<char16_t> table = [] {
        std::vector<char16_t> t(0x10000);
        for (char32_t c = 0; c < 0x10000; ++c) t[c] = char16_t(QChar::toCaseFolded(c));
        return t;
    }();
    return table;
}

// Writes the folded text at `out` (at most as many units as the text) and
// returns the end.
QChar* writeFolded(QChar* out, QStringView text) {
    const std::vector<char16_t>& fold = foldTable();
    const qsizetype n = text.size();
    const char16_t* units = text.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = units[i];
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(units[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(c, units[i + 1]));
            if (QChar::requiresSurrogates(folded)) {
                *out++ = QChar(QChar::highSurrogate(folded));
                *out++ = QChar(QChar::lowSurrogate(folded));
            } else {
                *out++ = QChar(char16_t(folded));
            }
            ++i;
        } else {
            *out++ = QChar(fold[c]);
        }
    }
    return out;
}

// The text a search looks in: category, note, wallet and tags, joined by
// single spaces (a character pair never spans a space, so folding the parts
// folds the whole). Its length at most, and the text written at `at`.
qsizetype rowLength(const MoneyTransaction& t) {
    qsizetype length = t.category.size() + t.note.size() + 3 + (t.wallet ? t.wallet->size() : 0);
    if (t.tags)
        for (const QString& tag : *t.tags) length += tag.size() + 1;
    return length;
}

QChar* writeRow(QChar* at, const MoneyTransaction& t) {
    at = writeFolded(at, t.category);
    *at++ = u' ';
    at = writeFolded(at, t.note);
    *at++ = u' ';
    if (t.wallet) at = writeFolded(at, *t.wallet);
    *at++ = u' ';
    if (t.tags) {
        bool first = true;
        for (const QString& tag : *t.tags) {
            if (!first) *at++ = u' ';
            at = writeFolded(at, tag);
            first = false;
        }
    }
    return at;
}

// Orders positions by their keys, smallest first, equal keys keeping their
// order: a byte at a time from the lowest (bytes every key shares are
// skipped), which costs a few passes over the ledger where comparing sorts
// cost a score of them.
void sortStably(std::vector<int>& positions, const std::vector<quint64>& keys) {
    std::vector<int> sorted(positions.size());
    for (int shift = 0; shift < 64; shift += 8) {
        std::array<size_t, 257> starts{};
        for (int i : positions) ++starts[((keys[size_t(i)] >> shift) & 0xff) + 1];
        if (std::find(starts.begin() + 1, starts.end(), positions.size()) != starts.end()) continue;
        for (size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
        for (int i : positions) sorted[starts[(keys[size_t(i)] >> shift) & 0xff]++] = i;
        positions.swap(sorted);
    }
}

// A signed key as an unsigned one of the same order, or of the reverse order.
quint64 ascending(qint64 key) { return quint64(key) ^ (quint64(1) << 63); }
quint64 descending(qint64 key) { return ~ascending(key); }

QString decimalText(Decimal::Coefficient units, int exponent) {
    const bool negative = units < 0;
    __extension__ typedef unsigned __int128 Magnitude;
    Magnitude rest = negative ? static_cast<Magnitude>(-units) : static_cast<Magnitude>(units);
    QString digits;
    do {
        digits.prepend(QChar(u'0' + int(rest % 10)));
        rest /= 10;
    } while (rest > 0);
    return (negative ? QStringLiteral("-") : QString()) + digits + u'e' + QString::number(exponent);
}

}  // namespace

TransactionListIndex::TransactionListIndex(const std::vector<MoneyTransaction>& transactions)
    : transactions_(transactions) {
    const size_t n = transactions.size();
    at_.resize(n);
    flags_.resize(n);
    units_.resize(n);
    int smallest = 0;
    for (size_t i = 0; i < n; ++i) {
        const MoneyTransaction& t = transactions[i];
        at_[i] = t.date.toMSecsSinceEpoch();
        flags_[i] = std::uint8_t((t.kind == TransactionKind::income ? income : 0) |
                                 (t.isFavorite.value_or(false) ? favorite : 0));
        if (!t.amount.isZero()) smallest = std::min(smallest, t.amount.exponent());
    }
    unitExponent_ = smallest;
    for (size_t i = 0; i < n && unitsExact_; ++i) {
        const Decimal& amount = transactions[i].amount;
        const int scale = amount.isZero() ? 0 : amount.exponent() - unitExponent_;
        Decimal::Coefficient units = amount.coefficient();
        for (int s = 0; s < scale && scale <= kWidestScale; ++s) units *= 10;
        if (scale > kWidestScale || units > kLargestUnits || units < -kLargestUnits)
            unitsExact_ = false;
        else
            units_[i] = static_cast<qint64>(units);
    }
    if (!unitsExact_) units_.clear();
}

const std::vector<int>& TransactionListIndex::order(TransactionSort sort) const {
    std::optional<std::vector<int>>& slot = orders_[static_cast<size_t>(sort)];
    if (slot) return *slot;
    std::vector<int>& positions = slot.emplace(at_.size());
    for (size_t i = 0; i < positions.size(); ++i) positions[i] = static_cast<int>(i);
    // Stable: equal keys keep their ledger order, so a filter taken from this
    // order is the filtered ledger sorted.
    const bool byDate = sort == TransactionSort::newest || sort == TransactionSort::oldest;
    const bool largestFirst = sort == TransactionSort::newest || sort == TransactionSort::biggest;
    if (!byDate && !unitsExact_) {
        const auto byAmount = [this](int a, int b) {
            return transactions_[size_t(a)].amount < transactions_[size_t(b)].amount;
        };
        if (largestFirst)
            std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) { return byAmount(b, a); });
        else
            std::stable_sort(positions.begin(), positions.end(), byAmount);
        return positions;
    }
    if (byDate && inDateOrder(positions, largestFirst)) return positions;
    const std::vector<qint64>& values = byDate ? at_ : units_;
    std::vector<quint64> keys(values.size());
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = largestFirst ? descending(values[i]) : ascending(values[i]);
    sortStably(positions, keys);
    return positions;
}

bool TransactionListIndex::inDateOrder(std::vector<int>& positions, bool newestFirst) const {
    // A ledger is mostly written as it happens, oldest first: then its
    // order by date is itself, or itself run backwards a day at a time
    // (equal instants keep their ledger order), found in one pass.
    const size_t n = at_.size();
    bool ascending = true;
    bool descending = true;
    for (size_t i = 1; i < n && (ascending || descending); ++i) {
        ascending = ascending && at_[i - 1] <= at_[i];
        descending = descending && at_[i - 1] >= at_[i];
    }
    if (!ascending && !descending) return false;
    if (ascending != newestFirst || (ascending && descending)) return true;  // the ledger's order already
    // Runs of equal instants, last run first, each in ledger order.
    size_t out = 0;
    for (size_t end = n; end > 0;) {
        size_t begin = end - 1;
        while (begin > 0 && at_[begin - 1] == at_[end - 1]) --begin;
        for (size_t i = begin; i < end; ++i) positions[out++] = static_cast<int>(i);
        end = begin;
    }
    return true;
}

QString TransactionListIndex::folded(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    out.truncate(writeFolded(out.data(), text) - out.constData());
    return out;
}

void TransactionListIndex::foldTexts() const {
    if (texts_) return;
    qsizetype length = 0;
    for (const MoneyTransaction& t : transactions_) length += rowLength(t);
    QString& texts = texts_.emplace(length, Qt::Uninitialized);
    QChar* const begin = texts.data();
    QChar* at = begin;
    textStarts_.clear();
    textStarts_.reserve(transactions_.size() + 1);
    for (const MoneyTransaction& t : transactions_) {
        textStarts_.push_back(at - begin);
        at = writeRow(at, t);
    }
    textStarts_.push_back(at - begin);
    texts.truncate(at - begin);  // counted a space over for each row with tags
}

QString TransactionListIndex::rowText(const MoneyTransaction& t) {
    QString text(rowLength(t), Qt::Uninitialized);
    text.truncate(writeRow(text.data(), t) - text.constData());
    return text;
}

bool TransactionListIndex::read(std::size_t i) {
    const MoneyTransaction& t = transactions_[i];
    at_[i] = t.date.toMSecsSinceEpoch();
    flags_[i] = std::uint8_t((t.kind == TransactionKind::income ? income : 0) |
                             (t.isFavorite.value_or(false) ? favorite : 0));
    if (!unitsExact_) return false;
    const Decimal& amount = t.amount;
    if (amount.isZero()) {
        units_[i] = 0;
        return true;
    }
    const int scale = amount.exponent() - unitExponent_;
    Decimal::Coefficient units = amount.coefficient();
    if (scale < 0 || scale > kWidestScale || units > kLargestUnits || units < -kLargestUnits) return false;
    for (int s = 0; s < scale; ++s) units *= 10;
    if (units > kLargestUnits || units < -kLargestUnits) return false;
    units_[i] = static_cast<qint64>(units);
    return true;
}

quint64 TransactionListIndex::key(TransactionSort sort, int i) const {
    const bool byDate = sort == TransactionSort::newest || sort == TransactionSort::oldest;
    const bool largestFirst = sort == TransactionSort::newest || sort == TransactionSort::biggest;
    const qint64 value = byDate ? at_[size_t(i)] : units_[size_t(i)];
    return largestFirst ? descending(value) : ascending(value);
}

void TransactionListIndex::place(int i) {
    for (size_t s = 0; s < orders_.size(); ++s) {
        if (!orders_[s]) continue;
        std::vector<int>& order = *orders_[s];
        const auto sort = static_cast<TransactionSort>(s);
        const quint64 k = key(sort, i);
        // Equal keys stay in ledger order.
        const auto at = std::lower_bound(order.begin(), order.end(), i, [&](int a, int b) {
            const quint64 ka = key(sort, a);
            return ka < k || (ka == k && a < b);
        });
        order.insert(at, i);
    }
}

bool TransactionListIndex::added() {
    const size_t n = transactions_.size();
    if (!unitsExact_ || n != at_.size() + 1) return false;
    at_.resize(n);
    flags_.resize(n);
    units_.resize(n);
    if (!read(n - 1)) return false;
    place(int(n - 1));
    if (texts_) {
        texts_->append(rowText(transactions_.back()));
        textStarts_.push_back(texts_->size());
    }
    return true;
}

bool TransactionListIndex::removed(std::size_t position) {
    if (!unitsExact_ || transactions_.size() + 1 != at_.size() || position >= at_.size()) return false;
    const auto gone = std::ptrdiff_t(position);
    at_.erase(at_.begin() + gone);
    flags_.erase(flags_.begin() + gone);
    units_.erase(units_.begin() + gone);
    const int p = int(position);
    for (std::optional<std::vector<int>>& order : orders_) {
        if (!order) continue;
        // Out, and every later position one less.
        auto out = order->begin();
        for (const int i : *order)
            if (i != p) *out++ = i > p ? i - 1 : i;
        order->erase(out, order->end());
    }
    if (texts_) {
        const qsizetype start = textStarts_[position];
        const qsizetype length = textStarts_[position + 1] - start;
        texts_->remove(start, length);
        textStarts_.erase(textStarts_.begin() + gone);
        for (size_t i = position; i < textStarts_.size(); ++i) textStarts_[i] -= length;
    }
    return true;
}

bool TransactionListIndex::replaced(std::size_t position) {
    if (!unitsExact_ || transactions_.size() != at_.size() || position >= at_.size()) return false;
    if (!read(position)) return false;
    const int p = int(position);
    for (std::optional<std::vector<int>>& order : orders_)
        if (order) order->erase(std::find(order->begin(), order->end(), p));
    place(p);
    if (texts_) {
        const QString row = rowText(transactions_[position]);
        const qsizetype start = textStarts_[position];
        const qsizetype delta = row.size() - (textStarts_[position + 1] - start);
        texts_->replace(start, textStarts_[position + 1] - start, row);
        for (size_t i = position + 1; i < textStarts_.size(); ++i) textStarts_[i] += delta;
    }
    return true;
}

std::vector<int> TransactionListIndex::visible(const TransactionFilter& filter, const QDateTime& now,
                                               const QTimeZone& zone) const {
    const Window window = windowFor(filter.date, now, zone);
    const bool dated = filter.date != TransactionDateFilter::all;
    const bool searching = !filter.searchText.isEmpty();
    QString needle;
    if (searching) {
        foldTexts();
        needle = folded(filter.searchText);
    }
    const std::uint8_t mask = std::uint8_t((filter.kind ? income : 0) | (filter.favoritesOnly ? favorite : 0));
    const std::uint8_t wanted =
        std::uint8_t((filter.kind == TransactionKind::income ? income : 0) | (filter.favoritesOnly ? favorite : 0));

    const std::vector<int>& positions = order(filter.sort);
    std::vector<int> kept;
    kept.reserve(positions.size());
    const QStringView texts = texts_ ? QStringView(*texts_) : QStringView();
    for (int i : positions) {
        const auto at = static_cast<size_t>(i);
        if ((flags_[at] & mask) != wanted) continue;
        if (dated && (at_[at] < window.begin || at_[at] >= window.end)) continue;
        if (searching &&
            !texts.sliced(textStarts_[at], textStarts_[at + 1] - textStarts_[at]).contains(needle, Qt::CaseSensitive))
            continue;
        kept.push_back(i);
    }
    return kept;
}

Decimal TransactionListIndex::total(const std::vector<int>& positions) const {
    if (!unitsExact_) return visibleTotal(transactions_, positions);
    Decimal::Coefficient units = 0;
    for (int i : positions) {
        const auto at = static_cast<size_t>(i);
        units += (flags_[at] & income) ? units_[at] : -units_[at];
    }
    if (units == 0) return Decimal();
    const std::optional<Decimal> total = Decimal::parse(decimalText(units, unitExponent_).toStdString());
    return total ? *total : visibleTotal(transactions_, positions);
}
