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
