#include "store/LedgerSummary.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <bit>
#include <limits>

#include "store/MoneyMath.h"
#include "store/MoneySum.h"

namespace ledger {

namespace {

constexpr int kTrendDays = 30;
constexpr int kWeekDays = 7;
// The week's first day among the thirty days' bounds.
constexpr int kWeekStart = kTrendDays - kWeekDays;

// The day bounds of the thirty days ending with the day of now (the last one
// is the end of today), and the days' first instants: both charts' rows and
// slots, taken from the calendar exactly as the chart queries take them.
struct DayBounds {
    std::vector<QDateTime> starts;
    std::vector<qint64> bounds;

    DayBounds(const QDateTime& now, const LedgerCalendar& calendar) {
        const QDate last = calendar.localDate(now);
        starts.reserve(kTrendDays);
        bounds.reserve(kTrendDays + 1);
        for (int i = 0; i <= kTrendDays; ++i) {
            const QDate day = last.addDays(i - (kTrendDays - 1));
            const QDateTime start = calendar.startOfDay(day.isValid() ? day : last);
            if (i < kTrendDays) starts.push_back(start);
            bounds.push_back(start.toMSecsSinceEpoch());
        }
    }

    // The slot of `at` among the days from `first` (an index into bounds) to
    // the end, or -1 outside them.
    int slot(qint64 at, int first) const {
        const auto begin = bounds.begin() + first;
        if (at < *begin || at >= bounds.back()) return -1;
        return int(std::upper_bound(begin, bounds.end(), at) - begin) - 1;
    }
};

// Distinct texts met in a walk (wallets, expense categories), in order of
// first appearance. Texts the ledger reader shares are recognised by their
// data alone; others are compared, and past a few dozen distinct ones, hashed.
class DistinctTexts {
public:
    void add(const QString& text) {
        const std::size_t scanned = std::min(list_.size(), kListed);
        for (std::size_t i = 0; i < scanned; ++i)
            if (list_[i].isSharedWith(text)) return;
        if (many_) {
            if (many_->contains(text)) return;
            many_->insert(text);
        } else {
            if (std::find(list_.begin(), list_.end(), text) != list_.end()) return;
            if (list_.size() == kListed) {
                many_.emplace(list_.begin(), list_.end());
                many_->insert(text);
            }
        }
        list_.push_back(text);
    }
    qint64 count() const { return qint64(list_.size()); }
    std::vector<QString> take() { return std::move(list_); }

private:
    static constexpr std::size_t kListed = 32;
    std::vector<QString> list_;
    std::optional<QSet<QString>> many_;
};

// This month's expense per category, in order of first appearance.
class CategorySums {
public:
    void add(const QString& category, const Decimal& amount) {
        std::size_t row = rows_.size();
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (names_[i].isSharedWith(category)) {
                row = i;
                break;
            }
        if (row == rows_.size()) {
            const auto it = index_.constFind(category);
            if (it == index_.constEnd()) {
                index_.insert(category, rows_.size());
                names_.push_back(category);
                rows_.emplace_back();
            } else {
                row = *it;
            }
        }
        rows_[row].add(amount);
    }

    // Largest first; equal amounts keep their order of first appearance.
    std::vector<CategoryAmount> rows() const {
        std::vector<CategoryAmount> result;
        result.reserve(rows_.size());
        for (std::size_t i = 0; i < rows_.size(); ++i) result.push_back({names_[i], rows_[i].value()});
        std::stable_sort(result.begin(), result.end(),
                         [](const CategoryAmount& a, const CategoryAmount& b) { return b.amount < a.amount; });
        return result;
    }

private:
    std::vector<QString> names_;
    std::vector<MoneySum> rows_;
    QHash<QString, std::size_t> index_;
};

constexpr qint64 kMsecsPerDay = 86'400'000;
constexpr qint64 kEpochJulianDay = 2'440'588;  // 1970-01-01

qint64 floorDiv(qint64 a, qint64 b) {
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Local day numbers of many instants between two known ones. The zone's
// offset is looked up once per UTC day of that range (from its list of clock
// changes), so an instant costs a division; a UTC day holding a clock change
// asks the zone itself. A range too wide for a table asks the zone for every
// instant.
class LocalDays {
public:
    LocalDays(const QTimeZone& zone, qint64 firstAt, qint64 lastAt) : mapper_(zone) {
        firstDay_ = floorDiv(firstAt, kMsecsPerDay);
        const qint64 days = floorDiv(lastAt, kMsecsPerDay) - firstDay_ + 1;
        if (days <= 0 || days > kMaxTableDays) return;
        offsets_.assign(std::size_t(days), 0);
        const QDateTime from = QDateTime::fromMSecsSinceEpoch(firstDay_ * kMsecsPerDay, QTimeZone::utc());
        const QDateTime to = QDateTime::fromMSecsSinceEpoch((firstDay_ + days) * kMsecsPerDay, QTimeZone::utc());
        int offset = zone.offsetFromUtc(from);
        const QTimeZone::OffsetDataList changes =
            zone.hasTransitions() ? zone.transitions(from, to) : QTimeZone::OffsetDataList();
        qsizetype next = 0;
        for (qint64 day = 0; day < days; ++day) {
            const qint64 end = (firstDay_ + day + 1) * kMsecsPerDay;
            bool changed = false;
            while (next < changes.size() && changes[next].atUtc.toMSecsSinceEpoch() < end) {
                changed = true;
                offset = changes[next].offsetFromUtc;
                ++next;
            }
            offsets_[std::size_t(day)] = changed ? kMixed : offset;
        }
    }

    qint64 julianDay(qint64 at) {
        if (!offsets_.empty()) {
            const qint64 day = floorDiv(at, kMsecsPerDay) - firstDay_;
            if (day >= 0 && day < qint64(offsets_.size()) && offsets_[std::size_t(day)] != kMixed)
                return floorDiv(at + qint64(offsets_[std::size_t(day)]) * 1000, kMsecsPerDay) + kEpochJulianDay;
        }
        return mapper_.julianDay(at);
    }

private:
    static constexpr qint64 kMaxTableDays = 1 << 20;
    static constexpr int kMixed = std::numeric_limits<int>::min();
    LocalDayMapper mapper_;
    qint64 firstDay_ = 0;
    std::vector<int> offsets_;  // seconds east of UTC for each UTC day, or kMixed
};

struct DayStatistics {
    qint64 distinct = 0;
    qint64 longestStreak = 0;
};

// Distinct days and the longest run of consecutive ones, from local day
// numbers in any order (repeats allowed). A ledger's days lie within a few
// years, so they are marked in a bitmap over their range; a range too wide
// for that (hand-edited dates centuries apart) is sorted instead.
DayStatistics dayStatistics(std::vector<qint64>& days, qint64 first, qint64 last) {
    DayStatistics result;
    if (days.empty()) return result;
    const qint64 range = last - first + 1;
    const qint64 bitmapLimit = std::max<qint64>(1 << 16, 64 * qint64(days.size()));
    if (range > 0 && range <= bitmapLimit) {
        std::vector<std::uint64_t> marks(std::size_t((range + 63) / 64));
        for (const qint64 day : days) {
            const qint64 bit = day - first;
            marks[std::size_t(bit / 64)] |= std::uint64_t(1) << (bit % 64);
        }
        qint64 run = 0;
        for (const std::uint64_t word : marks) {
            result.distinct += std::popcount(word);
            if (word == ~std::uint64_t(0)) {
                run += 64;
            } else {
                for (int b = 0; b < 64; ++b) {
                    if (word >> b & 1) {
                        ++run;
                    } else {
                        result.longestStreak = std::max(result.longestStreak, run);
                        run = 0;
                    }
                }
            }
            result.longestStreak = std::max(result.longestStreak, run);
        }
        return result;
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    result.distinct = qint64(days.size());
    qint64 run = 1;
    result.longestStreak = 1;
    for (std::size_t i = 1; i < days.size(); ++i) {
        run = days[i] - days[i - 1] == 1 ? run + 1 : 1;
        result.longestStreak = std::max(result.longestStreak, run);
    }
    return result;
}

// The length of the month containing now and the day of now within it.
struct MonthPosition {
    int length = 30;
    int day = 1;
};

MonthPosition monthPosition(const QueryContext& ctx) {
    const QDate today = ctx.calendar.localDate(ctx.now);
    MonthPosition p;
    if (today.isValid()) {
        p.length = today.daysInMonth() > 0 ? today.daysInMonth() : 30;
        p.day = std::max(today.day(), 1);
    }
    return p;
}

}  // namespace

LedgerSummary summarize(const MoneyData& data, const QueryContext& ctx, unsigned parts) {
    using Span = LedgerCalendar::Span;
    const bool wantTotals = parts & LedgerSummary::withTotals;
    const bool wantCategories = parts & LedgerSummary::withCategories;
    const bool wantCategoryNames = parts & LedgerSummary::withCategoryNames;
    const bool wantRows = parts & LedgerSummary::withDailyRows;
    const bool wantBadges = parts & LedgerSummary::withBadgeCounts;
    // Where a transaction needs its instant: the month and day spans.
    const bool wantMonth = wantTotals || wantCategories;

    const Span today = wantTotals ? ctx.calendar.daySpan(ctx.now) : Span{};
    const Span month = wantMonth ? ctx.calendar.monthSpan(ctx.now) : Span{};
    Span previous;
    if (wantTotals) {
        const QDate monthAgo = ctx.calendar.localDate(ctx.now).addMonths(-1);
        if (monthAgo.isValid()) previous = ctx.calendar.monthSpan(monthAgo);
    }
    const std::optional<DayBounds> days =
        wantRows ? std::optional<DayBounds>(std::in_place, ctx.now, ctx.calendar) : std::nullopt;

    MoneySum balance(data.startingBalance), totalIncome;
    MoneySum todayIncome, todayExpense, monthIncome, monthExpense, previousIncome, previousExpense;
    std::vector<MoneySum> weekIncome(wantRows ? kWeekDays : 0), weekExpense(wantRows ? kWeekDays : 0),
        trend(wantRows ? kTrendDays : 0);
    CategorySums categories;
    const MoneyTransaction* largest = nullptr;
    DistinctTexts wallets, expenseCategories;
    // The instants, for their local days once the range is known.
    std::vector<qint64> instants;
    qint64 firstAt = std::numeric_limits<qint64>::max(), lastAt = std::numeric_limits<qint64>::min();
    if (wantBadges) instants.reserve(data.transactions.size());

    LedgerSummary s;
    for (const MoneyTransaction& t : data.transactions) {
        const bool income = t.kind == TransactionKind::income;
        const qint64 at = t.date.toMSecsSinceEpoch();
        if (wantTotals) {
            if (income) {
                balance.add(t.amount);
                totalIncome.add(t.amount);
                ++s.incomes;
            } else {
                balance.sub(t.amount);
                ++s.expenses;
            }
            if (today.contains(at)) (income ? todayIncome : todayExpense).add(t.amount);
            if (previous.contains(at)) (income ? previousIncome : previousExpense).add(t.amount);
        }
        if (wantCategoryNames && !income) expenseCategories.add(t.category);
        if (wantMonth && month.contains(at)) {
            if (wantTotals) {
                (income ? monthIncome : monthExpense).add(t.amount);
                ++s.monthTransactionCount;
            }
            if (wantCategories && !income) {
                categories.add(t.category, t.amount);
                if (!largest || largest->amount < t.amount) largest = &t;
            }
        }
        if (wantRows) {
            if (!income) {
                const int slot = days->slot(at, 0);
                if (slot >= 0) trend[std::size_t(slot)].add(t.amount);
            }
            const int weekSlot = days->slot(at, kWeekStart);
            if (weekSlot >= 0) (income ? weekIncome : weekExpense)[std::size_t(weekSlot)].add(t.amount);
        }
        if (wantBadges) {
            if (t.receiptFilename) ++s.receipts;
            if (t.isFavorite.value_or(false)) ++s.favourites;
            if (t.tags && !t.tags->empty()) ++s.tagged;
            if (t.wallet && !t.wallet->isEmpty()) wallets.add(*t.wallet);
            instants.push_back(at);
            firstAt = std::min(firstAt, at);
            lastAt = std::max(lastAt, at);
        }
    }

    if (wantTotals) {
        s.balance = balance.value();
        s.totalIncome = totalIncome.value();
        s.today = {todayIncome.value(), todayExpense.value()};
        s.month = {monthIncome.value(), monthExpense.value()};
        s.previousMonth = {previousIncome.value(), previousExpense.value()};
    }
    if (wantCategories) {
        s.categories = categories.rows();
        if (largest) s.largestExpense = *largest;
    }
    if (wantCategoryNames) s.expenseCategoryNames = expenseCategories.take();
    if (wantRows) {
        s.weekly.reserve(2 * kWeekDays);
        for (int i = 0; i < kWeekDays; ++i) {
            const QDateTime& start = days->starts[std::size_t(kWeekStart + i)];
            s.weekly.push_back({start, TransactionKind::income, weekIncome[std::size_t(i)].value()});
            s.weekly.push_back({start, TransactionKind::expense, weekExpense[std::size_t(i)].value()});
        }
        s.thirtyDays.reserve(kTrendDays);
        for (int i = 0; i < kTrendDays; ++i)
            s.thirtyDays.push_back({days->starts[std::size_t(i)], TransactionKind::expense, trend[std::size_t(i)].value()});
    }
    if (wantBadges) {
        s.wallets = wallets.count();
        if (!instants.empty()) {
            LocalDays local(ctx.calendar.zone(), firstAt, lastAt);
            // The instants become their days in place.
            qint64 firstDay = std::numeric_limits<qint64>::max(), lastDay = std::numeric_limits<qint64>::min();
            for (qint64& at : instants) {
                at = local.julianDay(at);
                firstDay = std::min(firstDay, at);
                lastDay = std::max(lastDay, at);
            }
            const DayStatistics stats = dayStatistics(instants, firstDay, lastDay);
            s.distinctDays = stats.distinct;
            s.longestStreak = stats.longestStreak;
            // From the day of the earliest instant to the day of the latest.
            s.trackingSpanDays = local.julianDay(lastAt) - local.julianDay(firstAt) + 1;
        }
    }
    return s;
}

Decimal projectedMonthExpense(const Decimal& monthExpense, const QueryContext& ctx) {
    const MonthPosition p = monthPosition(ctx);
    return money::mul(money::div(monthExpense, Decimal(p.day)), Decimal(p.length));
}

Decimal safeToSpendToday(const MoneyData& data, const Decimal& monthExpense, const QueryContext& ctx) {
    const Decimal budget = data.monthlyBudget.value_or(Decimal());
    if (budget.signum() <= 0) return Decimal();
    const Decimal rest = money::sub(budget, monthExpense);
    if (rest.signum() <= 0) return Decimal();
    const MonthPosition p = monthPosition(ctx);
    const int daysLeft = std::max(p.length - p.day + 1, 1);
    return money::div(rest, Decimal(daysLeft));
}

double budgetProgress(const MoneyData& data, const Decimal& monthExpense) {
    const Decimal budget = data.monthlyBudget.value_or(Decimal());
    if (budget.signum() <= 0) return 0;
    return money::ratio(monthExpense, budget);
}

}  // namespace ledger

namespace ledger {

namespace {

// An amount whose every sum with the others of a ledger is exact, both
// stepped one by one (as summarize does) and moved by one amount (as a
// running summary does): at most twelve fraction digits and below 10^12, so
// a billion of them still fit in 34 of Decimal's 38 digits.
constexpr int kTameScale = 12;
bool tame(const Decimal& amount) {
    if (amount.isZero()) return true;
    const int e = amount.exponent();
    if (e < -kTameScale || e > kTameScale) return false;
    const Decimal::Coefficient c = amount.coefficient();
    const Decimal::Coefficient bound = money_sum::kPow10[std::size_t(kTameScale - e)];
    return c < bound && c > -bound;
}

}  // namespace

RunningSummary::RunningSummary(const MoneyData& data, const QueryContext& ctx) : startingBalance_(data.startingBalance) {
    const LedgerSummary totals = summarize(data, ctx, LedgerSummary::withTotals);
    balance_ = totals.balance;
    totalIncome_ = totals.totalIncome;
    todayIncome_ = totals.today.income;
    todayExpense_ = totals.today.expense;
    monthIncome_ = totals.month.income;
    monthExpense_ = totals.month.expense;
    previousIncome_ = totals.previousMonth.income;
    previousExpense_ = totals.previousMonth.expense;
    incomes_ = totals.incomes;
    expenses_ = totals.expenses;
    monthCount_ = totals.monthTransactionCount;
    // The same spans as summarize's.
    today_ = ctx.calendar.daySpan(ctx.now);
    month_ = ctx.calendar.monthSpan(ctx.now);
    const QDate monthAgo = ctx.calendar.localDate(ctx.now).addMonths(-1);
    if (monthAgo.isValid()) previous_ = ctx.calendar.monthSpan(monthAgo);

    if (!tame(startingBalance_)) ++untame_;
    // The categories' first positions and counts, found as DistinctTexts
    // finds them: texts a ledger read from its file shares by their data
    // alone, a few dozen others by comparing, past that by hashing.
    constexpr std::size_t kListed = 32;
    std::vector<QString> listed;
    std::vector<Name> counted;
    std::optional<QHash<QString, std::size_t>> many;
    for (std::size_t i = 0; i < data.transactions.size(); ++i) {
        const MoneyTransaction& t = data.transactions[i];
        if (!tame(t.amount)) ++untame_;
        if (t.kind == TransactionKind::income) continue;
        if (month_.contains(t.date.toMSecsSinceEpoch())) monthExpenses_.push_back(i);
        std::size_t found = listed.size();
        const std::size_t scanned = std::min(listed.size(), kListed);
        for (std::size_t j = 0; j < scanned; ++j)
            if (listed[j].isSharedWith(t.category)) {
                found = j;
                break;
            }
        if (found == listed.size()) {
            if (many) {
                if (const auto it = many->constFind(t.category); it != many->constEnd()) found = *it;
            } else {
                found = std::size_t(std::find(listed.begin(), listed.end(), t.category) - listed.begin());
            }
        }
        if (found == listed.size()) {
            listed.push_back(t.category);
            counted.push_back(Name{0, i});
            if (many) {
                many->insert(t.category, found);
            } else if (listed.size() > kListed) {
                many.emplace();
                for (std::size_t j = 0; j < listed.size(); ++j) many->insert(listed[j], j);
            }
        }
        ++counted[found].count;
    }
    names_.reserve(qsizetype(listed.size()));
    for (std::size_t j = 0; j < listed.size(); ++j) names_.insert(listed[j], counted[j]);
}

bool RunningSummary::inMonth(const MoneyTransaction& t) const {
    return t.kind != TransactionKind::income && month_.contains(t.date.toMSecsSinceEpoch());
}

void RunningSummary::count(const MoneyTransaction& t, int sign) {
    const auto step = [sign](Decimal& sum, const Decimal& amount) { sum = sign > 0 ? sum + amount : sum - amount; };
    const bool income = t.kind == TransactionKind::income;
    const qint64 at = t.date.toMSecsSinceEpoch();
    if (income) {
        step(balance_, t.amount);
        step(totalIncome_, t.amount);
        incomes_ += sign;
    } else {
        step(balance_, -t.amount);
        expenses_ += sign;
    }
    if (today_.contains(at)) step(income ? todayIncome_ : todayExpense_, t.amount);
    if (previous_.contains(at)) step(income ? previousIncome_ : previousExpense_, t.amount);
    if (month_.contains(at)) {
        step(income ? monthIncome_ : monthExpense_, t.amount);
        monthCount_ += sign;
    }
}

void RunningSummary::addName(const QString& category, std::size_t position) {
    auto it = names_.find(category);
    if (it == names_.end()) {
        names_.insert(category, Name{1, position});
        return;
    }
    ++it->count;
    it->first = std::min(it->first, position);
}

void RunningSummary::dropName(const MoneyData& data, const QString& category, std::size_t position,
                              std::size_t shift) {
    auto it = names_.find(category);
    if (it == names_.end()) return;
    if (--it->count == 0) {
        names_.erase(it);
        return;
    }
    if (it->first != position) return;
    // The category's first expense went: the next one is its first now.
    const std::vector<MoneyTransaction>& all = data.transactions;
    for (std::size_t i = position + 1 - shift; i < all.size(); ++i)
        if (all[i].kind != TransactionKind::income && all[i].category == category) {
            it->first = i;
            return;
        }
}

bool RunningSummary::added(const MoneyData& data) {
    if (data.transactions.empty()) return false;
    const std::size_t position = data.transactions.size() - 1;
    const MoneyTransaction& t = data.transactions.back();
    if (untame_ > 0 || !tame(t.amount) || data.startingBalance != startingBalance_) return false;
    count(t, +1);
    if (t.kind != TransactionKind::income) {
        addName(t.category, position);
        if (inMonth(t)) monthExpenses_.push_back(position);
    }
    return true;
}

bool RunningSummary::removed(const MoneyData& data, std::size_t position, const MoneyTransaction& before) {
    if (untame_ > 0 || !tame(before.amount) || data.startingBalance != startingBalance_) return false;
    count(before, -1);
    // The later transactions moved up by one.
    for (auto it = names_.begin(); it != names_.end(); ++it)
        if (it->first > position) --it->first;
    if (before.kind != TransactionKind::income) dropName(data, before.category, position, 1);
    auto at = std::lower_bound(monthExpenses_.begin(), monthExpenses_.end(), position);
    if (at != monthExpenses_.end() && *at == position) at = monthExpenses_.erase(at);
    for (; at != monthExpenses_.end(); ++at) --*at;
    return true;
}

bool RunningSummary::replaced(const MoneyData& data, std::size_t position, const MoneyTransaction& before) {
    if (position >= data.transactions.size()) return false;
    const MoneyTransaction& t = data.transactions[position];
    if (untame_ > 0 || !tame(before.amount) || !tame(t.amount) || data.startingBalance != startingBalance_)
        return false;
    count(before, -1);
    count(t, +1);
    if (before.kind != TransactionKind::income) dropName(data, before.category, position, 0);
    if (t.kind != TransactionKind::income) addName(t.category, position);
    const auto at = std::lower_bound(monthExpenses_.begin(), monthExpenses_.end(), position);
    const bool listed = at != monthExpenses_.end() && *at == position;
    if (listed && !inMonth(t))
        monthExpenses_.erase(at);
    else if (!listed && inMonth(t))
        monthExpenses_.insert(at, position);
    return true;
}

LedgerSummary RunningSummary::summary(const MoneyData& data) const {
    LedgerSummary s;
    s.balance = balance_;
    s.totalIncome = totalIncome_;
    s.incomes = incomes_;
    s.expenses = expenses_;
    s.today = {todayIncome_, todayExpense_};
    s.month = {monthIncome_, monthExpense_};
    s.previousMonth = {previousIncome_, previousExpense_};
    s.monthTransactionCount = monthCount_;
    // This month's expenses, in ledger order, as summarize walks them.
    CategorySums categories;
    const MoneyTransaction* largest = nullptr;
    for (const std::size_t i : monthExpenses_) {
        const MoneyTransaction& t = data.transactions[i];
        categories.add(t.category, t.amount);
        if (!largest || largest->amount < t.amount) largest = &t;
    }
    s.categories = categories.rows();
    if (largest) s.largestExpense = *largest;
    std::vector<std::pair<std::size_t, QString>> names;
    names.reserve(std::size_t(names_.size()));
    for (auto it = names_.begin(); it != names_.end(); ++it) names.emplace_back(it->first, it.key());
    std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    s.expenseCategoryNames.reserve(names.size());
    for (auto& [first, name] : names) s.expenseCategoryNames.push_back(std::move(name));
    return s;
}

}  // namespace ledger
