#include "store/LedgerQueries.h"

#include <array>
#include <utility>

#include <algorithm>

#include "store/DefaultCatalogs.h"
#include "store/LedgerSummary.h"
#include "store/MoneyMath.h"
#include "store/MoneySum.h"

namespace ledger {

namespace {

qint64 msecs(const MoneyTransaction& t) { return t.date.toMSecsSinceEpoch(); }

Decimal sumIn(const MoneyData& data, TransactionKind kind, const LedgerCalendar::Span& span) {
    MoneySum sum;
    for (const MoneyTransaction& t : data.transactions)
        if (t.kind == kind && span.contains(msecs(t))) sum.add(t.amount);
    return sum.value();
}

MonthTotals totalsIn(const MoneyData& data, const LedgerCalendar::Span& span) {
    MoneySum income, expense;
    for (const MoneyTransaction& t : data.transactions) {
        if (!span.contains(msecs(t))) continue;
        (t.kind == TransactionKind::income ? income : expense).add(t.amount);
    }
    return {income.value(), expense.value()};
}

MonthTotals thisMonth(const MoneyData& data, const QueryContext& ctx) {
    return totalsIn(data, ctx.calendar.monthSpan(ctx.now));
}


}  // namespace

std::vector<RewardTask> rewardTasksInUse(const MoneyData& data) {
    return data.rewardTasks ? *data.rewardTasks : defaultRewardTasks();
}

std::vector<QuickTemplate> templatesInUse(const MoneyData& data) {
    return data.quickTemplates ? *data.quickTemplates : defaultQuickTemplates();
}

std::vector<SavingsChallenge> challengesInUse(const MoneyData& data, const QueryContext& ctx,
                                              const QString& currencyCode) {
    return data.challenges ? *data.challenges : defaultChallenges(ctx.now, ctx.calendar.zone(), currencyCode);
}

Decimal balance(const MoneyData& data) {
    MoneySum sum(data.startingBalance);
    for (const MoneyTransaction& t : data.transactions) {
        if (t.kind == TransactionKind::income)
            sum.add(t.amount);
        else
            sum.sub(t.amount);
    }
    return sum.value();
}

Decimal total(const MoneyData& data, TransactionKind kind, const QDateTime& day,
              const LedgerCalendar& calendar) {
    return sumIn(data, kind, calendar.daySpan(day));
}

Decimal monthTotal(const MoneyData& data, TransactionKind kind, const QDateTime& referenceDate,
                   const LedgerCalendar& calendar) {
    return sumIn(data, kind, calendar.monthSpan(referenceDate));
}

MonthTotals previousMonthTotals(const MoneyData& data, const QueryContext& ctx) {
    const QDate monthAgo = ctx.calendar.localDate(ctx.now).addMonths(-1);
    if (!monthAgo.isValid()) return {};
    return totalsIn(data, ctx.calendar.monthSpan(monthAgo));
}

MonthTotals currentMonthTotals(const MoneyData& data, const QueryContext& ctx) {
    return thisMonth(data, ctx);
}

double goalProgress(const MoneyData& data) {
    if (data.goalAmount.signum() <= 0) return 0;
    return std::clamp(money::ratio(balance(data), data.goalAmount), 0.0, 1.0);
}

GoalProgress goalProgress(const Decimal& balance, const Decimal& amount) {
    if (amount.signum() <= 0 || balance.signum() <= 0) return {};
    if (balance >= amount) return {1.0, 100};
    const std::optional<Decimal> quotient = Decimal::checkedDiv(balance, amount);
    if (!quotient) return {};
    const std::optional<Decimal> hundredths = Decimal::checkedMul(*quotient, Decimal(100));
    const qint64 percent =
        hundredths ? std::clamp<qint64>(hundredths->truncated().toInt64Saturated(), 0, 99) : 0;
    return {std::clamp(quotient->toDouble(), 0.0, 1.0), percent};
}

std::vector<SavingsGoal> goals(const MoneyData& data) {
    std::vector<SavingsGoal> result;
    if (data.goalAmount.signum() > 0)
        result.push_back({QStringLiteral("primary"),
                          data.goalName.isEmpty() ? QStringLiteral("Моя цель") : data.goalName,
                          data.goalAmount, std::nullopt, false});
    if (data.additionalGoals)
        for (const SavingsGoal& g : *data.additionalGoals)
            if (!g.isArchived.value_or(false)) result.push_back(g);
    return result;
}

std::optional<qint64> daysRemaining(const SavingsGoal& goal, const QueryContext& ctx) {
    if (!goal.deadline) return std::nullopt;
    const QDate today = ctx.calendar.localDate(ctx.now);
    const QDate deadline = ctx.calendar.localDate(*goal.deadline);
    if (!today.isValid() || !deadline.isValid()) return 0;
    return std::max<qint64>(today.daysTo(deadline), 0);
}

qint64 completedTaskCount(const MoneyData& data) {
    qint64 count = 0;
    for (const RewardTask& task : rewardTasksInUse(data))
        count = money::addSaturated(count, task.completionCount);
    return count;
}

qint64 taskPoints(const MoneyData& data) {
    qint64 points = 0;
    for (const RewardTask& task : rewardTasksInUse(data)) {
        const qint64 weight = std::max<qint64>(task.difficulty.value_or(1), 1);
        points = money::addSaturated(
            points, money::mulSaturated(money::mulSaturated(task.completionCount, weight), 10));
    }
    return points;
}

double budgetProgress(const MoneyData& data, const QueryContext& ctx) {
    if (data.monthlyBudget.value_or(Decimal()).signum() <= 0) return 0;
    return budgetProgress(data, sumIn(data, TransactionKind::expense, ctx.calendar.monthSpan(ctx.now)));
}

qint64 savingsRate(const MoneyData& data, const QueryContext& ctx) {
    return savingsRate(thisMonth(data, ctx));
}

qint64 savingsRate(const MonthTotals& month) {
    if (month.income.signum() <= 0) return 0;
    return money::truncatedPercent(money::sub(month.income, month.expense), month.income);
}

Decimal projectedMonthExpense(const MoneyData& data, const QueryContext& ctx) {
    return projectedMonthExpense(sumIn(data, TransactionKind::expense, ctx.calendar.monthSpan(ctx.now)), ctx);
}

Decimal safeToSpendToday(const MoneyData& data, const QueryContext& ctx) {
    if (data.monthlyBudget.value_or(Decimal()).signum() <= 0) return Decimal();
    return safeToSpendToday(data, sumIn(data, TransactionKind::expense, ctx.calendar.monthSpan(ctx.now)), ctx);
}

std::optional<MoneyTransaction> largestExpense(const MoneyData& data, const QueryContext& ctx) {
    const LedgerCalendar::Span month = ctx.calendar.monthSpan(ctx.now);
    const MoneyTransaction* best = nullptr;
    for (const MoneyTransaction& t : data.transactions)
        if (t.kind == TransactionKind::expense && month.contains(msecs(t)) &&
            (!best || best->amount < t.amount))
            best = &t;
    if (!best) return std::nullopt;
    return *best;
}

qint64 currentMonthTransactionCount(const MoneyData& data, const QueryContext& ctx) {
    const LedgerCalendar::Span month = ctx.calendar.monthSpan(ctx.now);
    return std::count_if(data.transactions.begin(), data.transactions.end(),
                         [&](const MoneyTransaction& t) { return month.contains(msecs(t)); });
}

Decimal categorySpent(const MoneyData& data, const QString& category, const QueryContext& ctx) {
    const LedgerCalendar::Span month = ctx.calendar.monthSpan(ctx.now);
    MoneySum sum;
    for (const MoneyTransaction& t : data.transactions)
        if (t.kind == TransactionKind::expense && month.contains(msecs(t)) &&
            (t.category.isSharedWith(category) || t.category == category))
            sum.add(t.amount);
    return sum.value();
}

std::vector<CategoryAmount> expenseByCategoryForCurrentMonth(const MoneyData& data, const QueryContext& ctx) {
    return summarize(data, ctx, LedgerSummary::withCategories).categories;
}

std::vector<DebtRecord> openDebts(const MoneyData& data) {
    std::vector<DebtRecord> open;
    if (data.debts)
        for (const DebtRecord& d : *data.debts)
            if (!d.isSettled) open.push_back(d);
    return open;
}

namespace {
Decimal openDebtTotal(const MoneyData& data, DebtDirection direction) {
    Decimal sum;
    if (data.debts)
        for (const DebtRecord& d : *data.debts)
            if (!d.isSettled && d.direction == direction) sum = money::add(sum, d.amount);
    return sum;
}
}  // namespace

Decimal totalOwedToMe(const MoneyData& data) { return openDebtTotal(data, DebtDirection::owesMe); }
Decimal totalIOwe(const MoneyData& data) { return openDebtTotal(data, DebtDirection::iOwe); }

std::vector<QString> customCategories(const MoneyData& data, TransactionKind kind) {
    const auto& list =
        kind == TransactionKind::income ? data.customIncomeCategories : data.customExpenseCategories;
    return list.value_or(std::vector<QString>{});
}

namespace {
// Newest first, equal dates in list order. Sorts (date, position) keys, so no
// record is copied or moved: a 100,000-record ledger is 22 MB of records but
// only 1.6 MB of keys. A long list is sorted a byte of the key at a time
// (least significant first, each pass stable, bytes that every key shares
// skipped), which keeps equal dates in list order without comparing them.
std::vector<std::size_t> newestFirst(const std::vector<MoneyTransaction>& source, std::vector<std::size_t> picked) {
    struct Key {
        quint64 order;  // ascending for newest first
        std::size_t at;
    };
    std::vector<Key> keys(picked.size());
    for (std::size_t k = 0; k < picked.size(); ++k)
        keys[k] = {~(quint64(msecs(source[picked[k]])) ^ (quint64(1) << 63)), picked[k]};
    constexpr std::size_t kRadixFrom = 256;
    if (keys.size() < kRadixFrom) {
        std::sort(keys.begin(), keys.end(),
                  [](const Key& a, const Key& b) { return a.order != b.order ? a.order < b.order : a.at < b.at; });
    } else {
        std::vector<Key> sorted(keys.size());
        for (int shift = 0; shift < 64; shift += 8) {
            std::array<std::size_t, 256> count{};
            for (const Key& key : keys) ++count[(key.order >> shift) & 0xff];
            if (std::find(count.begin(), count.end(), keys.size()) != count.end()) continue;
            std::size_t start = 0;
            for (std::size_t& c : count) start += std::exchange(c, start);
            for (const Key& key : keys) sorted[count[(key.order >> shift) & 0xff]++] = key;
            keys.swap(sorted);
        }
    }
    for (std::size_t k = 0; k < keys.size(); ++k) picked[k] = keys[k].at;
    return picked;
}

std::vector<MoneyTransaction> copied(const std::vector<MoneyTransaction>& source,
                                     const std::vector<std::size_t>& order) {
    std::vector<MoneyTransaction> list;
    list.reserve(order.size());
    for (std::size_t i : order) list.push_back(source[i]);
    return list;
}
}  // namespace

std::vector<std::size_t> sortedOrder(const MoneyData& data) {
    std::vector<std::size_t> all(data.transactions.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    return newestFirst(data.transactions, std::move(all));
}

std::vector<MoneyTransaction> sortedTransactions(const MoneyData& data) {
    return copied(data.transactions, sortedOrder(data));
}

std::vector<MoneyTransaction> newestTransactions(const MoneyData& data, std::size_t count) {
    const std::vector<MoneyTransaction>& all = data.transactions;
    std::vector<std::size_t> best;  // indices, kept in display order
    best.reserve(count + 1);
    const auto before = [&all](std::size_t a, std::size_t b) {
        return all[a].date != all[b].date ? all[a].date > all[b].date : a < b;
    };
    // The instant a later transaction must pass to enter a full list: one
    // at the same instant or earlier comes after every one listed.
    std::optional<qint64> entry;
    for (std::size_t i = 0; i < all.size() && count > 0; ++i) {
        if (entry && msecs(all[i]) <= *entry && all[i].date.isValid()) continue;
        if (best.size() == count && !before(i, best.back())) continue;
        best.insert(std::upper_bound(best.begin(), best.end(), i, before), i);
        if (best.size() > count) best.pop_back();
        if (best.size() == count && all[best.back()].date.isValid()) entry = msecs(all[best.back()]);
    }
    return copied(all, best);
}

std::vector<MoneyTransaction> transactionsOn(const MoneyData& data, const QDateTime& day,
                                             const LedgerCalendar& calendar) {
    // Sorting the day alone gives the same order as cutting the day out of
    // the whole sorted list.
    const LedgerCalendar::Span span = calendar.daySpan(day);
    std::vector<std::size_t> picked;
    for (std::size_t i = 0; i < data.transactions.size(); ++i)
        if (span.contains(msecs(data.transactions[i]))) picked.push_back(i);
    return copied(data.transactions, newestFirst(data.transactions, std::move(picked)));
}

std::vector<MoneyTransaction> monthTransactions(const MoneyData& data, TransactionKind kind,
                                                const QDateTime& referenceDate,
                                                const LedgerCalendar& calendar) {
    const LedgerCalendar::Span month = calendar.monthSpan(referenceDate);
    std::vector<MoneyTransaction> list;
    for (const MoneyTransaction& t : data.transactions)
        if (t.kind == kind && month.contains(msecs(t))) list.push_back(t);
    return list;
}

std::vector<DailyAmount> weeklyAmounts(const MoneyData& data, const QDateTime& referenceDate,
                                       const LedgerCalendar& calendar) {
    return summarize(data, QueryContext{calendar, referenceDate}, LedgerSummary::withDailyRows).weekly;
}

std::vector<DailyAmount> thirtyDayExpenses(const MoneyData& data, const QDateTime& referenceDate,
                                           const LedgerCalendar& calendar) {
    return summarize(data, QueryContext{calendar, referenceDate}, LedgerSummary::withDailyRows).thirtyDays;
}

}  // namespace ledger
