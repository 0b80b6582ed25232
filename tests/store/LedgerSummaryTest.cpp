// The one-walk figures (LedgerSummary, MoneySum) against the plain one-walk-
// per-figure way of working them out, on generated ledgers full of edges:
// instants on both sides of local day and month bounds, clock-change days,
// records dated in the future, amounts of every scale up to 38 digits (whose
// sums round), shared and unshared texts.
#include <gtest/gtest.h>

#include <QHash>
#include <QSet>
#include <QTimeZone>
#include <algorithm>
#include <random>

#include "store/Badges.h"
#include "store/LedgerQueries.h"
#include "store/LedgerSummary.h"
#include "store/MoneyMath.h"
#include "store/MoneySum.h"
#include "store/SmartTip.h"

namespace {

using K = TransactionKind;
using Span = LedgerCalendar::Span;

Decimal dec(const char* text) { return *Decimal::parse(text); }

// The straightforward way: one walk per figure, every sum through money::add.
namespace reference {

qint64 at(const MoneyTransaction& t) { return t.date.toMSecsSinceEpoch(); }

Decimal balance(const MoneyData& data) {
    Decimal sum = data.startingBalance;
    for (const MoneyTransaction& t : data.transactions)
        sum = t.kind == K::income ? money::add(sum, t.amount) : money::sub(sum, t.amount);
    return sum;
}

Decimal sumIn(const MoneyData& data, K kind, const Span& span) {
    Decimal sum;
    for (const MoneyTransaction& t : data.transactions)
        if (t.kind == kind && span.contains(at(t))) sum = money::add(sum, t.amount);
    return sum;
}

MonthTotals totalsIn(const MoneyData& data, const Span& span) {
    return {sumIn(data, K::income, span), sumIn(data, K::expense, span)};
}

Decimal totalIncome(const MoneyData& data) {
    Decimal sum;
    for (const MoneyTransaction& t : data.transactions)
        if (t.kind == K::income) sum = money::add(sum, t.amount);
    return sum;
}

MonthTotals previousMonth(const MoneyData& data, const QueryContext& ctx) {
    const QDate monthAgo = ctx.calendar.localDate(ctx.now).addMonths(-1);
    if (!monthAgo.isValid()) return {};
    return totalsIn(data, ctx.calendar.monthSpan(monthAgo));
}

std::vector<CategoryAmount> categories(const MoneyData& data, const Span& month) {
    std::vector<CategoryAmount> rows;
    QHash<QString, std::size_t> index;
    for (const MoneyTransaction& t : data.transactions) {
        if (t.kind != K::expense || !month.contains(at(t))) continue;
        const auto it = index.find(t.category);
        if (it == index.end()) {
            index.insert(t.category, rows.size());
            rows.push_back({t.category, t.amount});
        } else {
            rows[*it].amount = money::add(rows[*it].amount, t.amount);
        }
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CategoryAmount& a, const CategoryAmount& b) { return b.amount < a.amount; });
    return rows;
}

std::optional<MoneyTransaction> largest(const MoneyData& data, const Span& month) {
    const MoneyTransaction* best = nullptr;
    for (const MoneyTransaction& t : data.transactions)
        if (t.kind == K::expense && month.contains(at(t)) && (!best || best->amount < t.amount)) best = &t;
    if (!best) return std::nullopt;
    return *best;
}

// Each transaction looks its day up by converting its instant to the zone.
std::vector<DailyAmount> dailyRows(const MoneyData& data, const QueryContext& ctx, int days, bool withIncome) {
    const QDate last = ctx.calendar.localDate(ctx.now);
    std::vector<DailyAmount> rows;
    for (int i = 0; i < days; ++i) {
        const QDate day = last.addDays(i - (days - 1));
        Decimal income, expense;
        for (const MoneyTransaction& t : data.transactions)
            if (ctx.calendar.localDate(t.date) == day)
                (t.kind == K::income ? income : expense) =
                    money::add(t.kind == K::income ? income : expense, t.amount);
        if (withIncome) rows.push_back({ctx.calendar.startOfDay(day), K::income, income});
        rows.push_back({ctx.calendar.startOfDay(day), K::expense, expense});
    }
    return rows;
}

struct Days {
    qint64 distinct = 0;
    qint64 streak = 0;
    qint64 span = 0;
};

Days days(const MoneyData& data, const LedgerCalendar& calendar) {
    std::vector<qint64> list;
    for (const MoneyTransaction& t : data.transactions) list.push_back(calendar.localDate(t.date).toJulianDay());
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
    Days d;
    d.distinct = qint64(list.size());
    qint64 run = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        run = i > 0 && list[i] - list[i - 1] == 1 ? run + 1 : 1;
        d.streak = std::max(d.streak, run);
    }
    if (!data.transactions.empty()) {
        const auto [first, last] = std::minmax_element(
            data.transactions.begin(), data.transactions.end(),
            [](const MoneyTransaction& a, const MoneyTransaction& b) { return at(a) < at(b); });
        d.span = calendar.localDate(first->date).daysTo(calendar.localDate(last->date)) + 1;
    }
    return d;
}

qint64 wallets(const MoneyData& data) {
    QSet<QString> seen;
    for (const MoneyTransaction& t : data.transactions)
        if (t.wallet && !t.wallet->isEmpty()) seen.insert(*t.wallet);
    return seen.size();
}

}  // namespace reference

// A ledger whose instants crowd the edges the figures cut at.
class EdgeLedger {
public:
    EdgeLedger(const QueryContext& ctx, std::uint32_t seed) : ctx_(ctx), rng_(seed) {
        const LedgerCalendar& cal = ctx.calendar;
        const QDate today = cal.localDate(ctx.now);
        // Bounds of today, this and the previous month, the thirty days, and
        // the clock changes of the year around now.
        for (const QDate& day : {today, today.addDays(1), today.addDays(-6), today.addDays(-29),
                                 QDate(today.year(), today.month(), 1),
                                 QDate(today.year(), today.month(), 1).addMonths(1),
                                 QDate(today.year(), today.month(), 1).addMonths(-1)})
            edges_.push_back(cal.startOfDay(day).toMSecsSinceEpoch());
        QDateTime from = ctx.now.addDays(-400);
        for (int i = 0; i < 4; ++i) {
            const QTimeZone::OffsetData change = cal.zone().nextTransition(from);
            if (!change.atUtc.isValid()) break;
            edges_.push_back(change.atUtc.toMSecsSinceEpoch());
            from = change.atUtc;
        }
    }

    MoneyData make(int count) {
        MoneyData d = MoneyData::emptyLedger();
        d.startingBalance = amount();
        d.monthlyBudget = pick(3) == 0 ? Decimal() : dec("5000");
        d.goalAmount = Decimal(2500);
        d.dailyLimit = pick(2) ? Decimal(40) : Decimal();
        const QString shared[] = {QStringLiteral("Еда"), QString::fromUtf8("Транспорт"), QString::fromUtf8("Игры")};
        const QString wallets[] = {QString::fromUtf8("Карта"), QString::fromUtf8("Копилка"), QStringLiteral("")};
        const bool manyWallets = pick(2);
        for (int i = 0; i < count; ++i) {
            MoneyTransaction t;
            t.id = QUuid::createUuid();
            t.kind = pick(4) == 0 ? K::income : K::expense;
            t.amount = amount();
            // Shared texts as the ledger reader leaves them, and equal texts
            // of their own as a hand-built ledger has them.
            const int c = int(pick(3));
            t.category = pick(2) ? shared[c] : QString::fromUtf8(QByteArray(shared[c].toUtf8()));
            t.date = QDateTime::fromMSecsSinceEpoch(instant(), QTimeZone::utc());
            if (pick(2)) {
                switch (pick(4)) {
                    case 0:
                        t.wallet = QString();
                        break;
                    case 1:
                        t.wallet = wallets[pick(3)];
                        break;
                    case 2:
                        t.wallet = QString::fromUtf8(wallets[pick(3)].toUtf8());
                        break;
                    default:  // sometimes more wallets than a short list holds
                        t.wallet = QStringLiteral("W") + QString::number(pick(manyWallets ? 60 : 2));
                }
            }
            if (pick(3) == 0) t.tags = pick(2) ? QStringList{} : QStringList{QStringLiteral("школа")};
            if (pick(4) == 0) t.isFavorite = pick(2) == 0;
            if (pick(10) == 0) t.receiptFilename = QStringLiteral("r.jpg");
            d.transactions.push_back(std::move(t));
        }
        return d;
    }

private:
    std::uint32_t pick(std::uint32_t n) { return std::uint32_t(rng_() % n); }

    qint64 instant() {
        switch (pick(4)) {
            case 0: {  // right on an edge, or a millisecond either side
                const qint64 edge = edges_[pick(std::uint32_t(edges_.size()))];
                return edge + qint64(pick(3)) - 1;
            }
            case 1:  // within a few hours of an edge
                return edges_[pick(std::uint32_t(edges_.size()))] + (qint64(pick(12 * 3600)) - 6 * 3600) * 1000;
            case 2:  // up to a year in the future
                return ctx_.now.toMSecsSinceEpoch() + qint64(pick(365 * 86400)) * 1000;
            default:  // the last two years and a bit
                return ctx_.now.toMSecsSinceEpoch() - qint64(pick(800 * 86400)) * 1000 - qint64(pick(1000));
        }
    }

    Decimal amount() {
        switch (pick(10)) {
            case 0:  // 38 digits: sums of these round
                return dec("98765432109876543210987654321098765432");
            case 1:
                return dec("1.2345678901234567890123456789e-40");
            case 2:
                return Decimal(qint64(pick(50)) * 100);  // a whole hundred, exponent 2
            case 3:
                return Decimal(0);
            case 4:
                return dec("-3.5");  // a hand-edited negative amount
            default:
                return *Decimal::checkedDiv(Decimal(qint64(1 + pick(100000))), Decimal(100));
        }
    }

    QueryContext ctx_;
    std::mt19937 rng_;
    std::vector<qint64> edges_;
};

// One zone and "now" per case; the last ones sit on the edges themselves.
struct Moment {
    const char* zone;
    QDate day;
    QTime time;  // local
};

const Moment kMoments[] = {
    {"Europe/Berlin", QDate(2026, 6, 15), QTime(14, 0)},
    {"Europe/Berlin", QDate(2026, 3, 29), QTime(3, 30)},    // spring forward: a 23-hour day
    {"Europe/Berlin", QDate(2026, 10, 25), QTime(2, 30)},   // fall back: a 25-hour day, 02:30 twice
    {"Europe/Berlin", QDate(2026, 3, 31), QTime(23, 59)},   // the previous month is February
    {"Europe/Berlin", QDate(2026, 1, 1), QTime(0, 0)},      // the first instant of a year
    {"America/Sao_Paulo", QDate(2018, 11, 4), QTime(1, 0)}, // a day that starts at 01:00
    {"Asia/Kathmandu", QDate(2026, 2, 28), QTime(23, 59, 59)},
    {"Pacific/Apia", QDate(2012, 1, 31), QTime(12, 0)},     // last month lacks 30 December 2011
    {"UTC", QDate(2026, 12, 31), QTime(23, 59, 59)},
};

struct Case {
    Moment moment;
    int count;
    std::uint32_t seed;
};

std::vector<Case> cases() {
    std::vector<Case> all;
    std::uint32_t seed = 1;
    for (const Moment& m : kMoments)
        for (const int count : {0, 1, 40, 1500}) all.push_back({m, count, seed++});
    return all;
}

class SummaryAgainstReference : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        const Case& c = GetParam();
        const QTimeZone zone(c.moment.zone);
        ASSERT_TRUE(zone.isValid()) << c.moment.zone;
        ctx = QueryContext{LedgerCalendar(zone), QDateTime(c.moment.day, c.moment.time, zone).toUTC()};
        data = EdgeLedger(ctx, c.seed).make(c.count);
    }

    QueryContext ctx{LedgerCalendar(QTimeZone::utc()), QDateTime()};
    MoneyData data;
};

TEST_P(SummaryAgainstReference, EveryFigureOfTheOneWalkEqualsItsOwnWalk) {
    const ledger::LedgerSummary s = ledger::summarize(data, ctx);
    const Span month = ctx.calendar.monthSpan(ctx.now);
    EXPECT_EQ(s.balance, reference::balance(data));
    EXPECT_EQ(s.totalIncome, reference::totalIncome(data));
    EXPECT_EQ(s.today, reference::totalsIn(data, ctx.calendar.daySpan(ctx.now)));
    EXPECT_EQ(s.month, reference::totalsIn(data, month));
    EXPECT_EQ(s.previousMonth, reference::previousMonth(data, ctx));
    EXPECT_EQ(s.monthTransactionCount,
              std::count_if(data.transactions.begin(), data.transactions.end(),
                            [&](const MoneyTransaction& t) { return month.contains(reference::at(t)); }));
    EXPECT_EQ(s.incomes + s.expenses, qint64(data.transactions.size()));
    EXPECT_EQ(s.categories, reference::categories(data, month));
    EXPECT_EQ(s.largestExpense, reference::largest(data, month));
    EXPECT_EQ(s.weekly, reference::dailyRows(data, ctx, 7, true));
    EXPECT_EQ(s.thirtyDays, reference::dailyRows(data, ctx, 30, false));
    const reference::Days days = reference::days(data, ctx.calendar);
    EXPECT_EQ(s.distinctDays, days.distinct);
    EXPECT_EQ(s.longestStreak, days.streak);
    EXPECT_EQ(s.trackingSpanDays, days.span);
    EXPECT_EQ(s.wallets, reference::wallets(data));
}

TEST_P(SummaryAgainstReference, EachQueryAndItsShareOfTheSummaryAgree) {
    const Span month = ctx.calendar.monthSpan(ctx.now);
    const ledger::LedgerSummary s = ledger::summarize(data, ctx);
    // A part asked alone gives what the whole summary gives.
    const ledger::LedgerSummary totals = ledger::summarize(data, ctx, ledger::LedgerSummary::withTotals);
    EXPECT_EQ(totals.month, s.month);
    EXPECT_EQ(totals.balance, s.balance);
    EXPECT_TRUE(totals.categories.empty());

    EXPECT_EQ(ledger::balance(data), s.balance);
    EXPECT_EQ(ledger::total(data, K::income, ctx.now, ctx.calendar), s.today.income);
    EXPECT_EQ(ledger::total(data, K::expense, ctx.now, ctx.calendar), s.today.expense);
    EXPECT_EQ(ledger::monthTotal(data, K::expense, ctx.now, ctx.calendar), s.month.expense);
    EXPECT_EQ(ledger::currentMonthTotals(data, ctx), s.month);
    EXPECT_EQ(ledger::previousMonthTotals(data, ctx), s.previousMonth);
    EXPECT_EQ(ledger::currentMonthTransactionCount(data, ctx), s.monthTransactionCount);
    EXPECT_EQ(ledger::largestExpense(data, ctx), s.largestExpense);
    EXPECT_EQ(ledger::expenseByCategoryForCurrentMonth(data, ctx), s.categories);
    EXPECT_EQ(ledger::weeklyAmounts(data, ctx.now, ctx.calendar), s.weekly);
    EXPECT_EQ(ledger::thirtyDayExpenses(data, ctx.now, ctx.calendar), s.thirtyDays);
    for (const CategoryAmount& row : s.categories) {
        // The same text in a string of its own is the same category.
        const QString copy = QString::fromUtf8(row.name.toUtf8());
        EXPECT_EQ(ledger::categorySpent(data, copy, ctx), row.amount) << row.name.toStdString();
    }
    EXPECT_EQ(ledger::categorySpent(data, QStringLiteral("нет такой"), ctx), Decimal());

    // The rules over the month's expense, with and without a budget.
    const Decimal spent = reference::sumIn(data, K::expense, month);
    EXPECT_EQ(ledger::budgetProgress(data, ctx), ledger::budgetProgress(data, spent));
    EXPECT_EQ(ledger::safeToSpendToday(data, ctx), ledger::safeToSpendToday(data, spent, ctx));
    EXPECT_EQ(ledger::projectedMonthExpense(data, ctx), ledger::projectedMonthExpense(spent, ctx));
    if (data.monthlyBudget->signum() > 0) {
        EXPECT_EQ(ledger::budgetProgress(data, ctx), money::ratio(spent, *data.monthlyBudget));
    }

    // Newest first, equal instants in ledger order (the edges repeat instants).
    std::vector<MoneyTransaction> sorted = data.transactions;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const MoneyTransaction& a, const MoneyTransaction& b) { return a.date > b.date; });
    for (const std::size_t n : {std::size_t(0), std::size_t(1), std::size_t(5), std::size_t(60)})
        EXPECT_EQ(ledger::newestTransactions(data, n),
                  std::vector<MoneyTransaction>(sorted.begin(), sorted.begin() + std::min(n, sorted.size())));

    EXPECT_EQ(ledger::transactionDayCount(data, ctx.calendar), s.distinctDays);
    EXPECT_EQ(ledger::longestTransactionStreak(data, ctx.calendar), s.longestStreak);
    EXPECT_EQ(ledger::trackingSpanDays(data, ctx.calendar), s.trackingSpanDays);
}

TEST_P(SummaryAgainstReference, BadgesFromTheSummaryEqualBadgesFromTheLedger) {
    const BadgeStatistics fromLedger = ledger::badgeStatistics(data, ctx, QStringLiteral("EUR"));
    const BadgeStatistics fromSummary =
        ledger::badgeStatistics(data, ledger::summarize(data, ctx), ctx, QStringLiteral("EUR"));
    EXPECT_EQ(ledger::badges(fromLedger, QStringLiteral("EUR")), ledger::badges(fromSummary, QStringLiteral("EUR")));
    EXPECT_EQ(fromLedger.balance, reference::balance(data));
    EXPECT_EQ(fromLedger.totalIncome, reference::totalIncome(data));
    EXPECT_EQ(fromLedger.wallets, reference::wallets(data));
    EXPECT_EQ(fromLedger.savingsRate, ledger::savingsRate(reference::totalsIn(data, ctx.calendar.monthSpan(ctx.now))));
    const auto count = [&](auto pred) {
        return qint64(std::count_if(data.transactions.begin(), data.transactions.end(), pred));
    };
    EXPECT_EQ(fromLedger.receipts, count([](const MoneyTransaction& t) { return bool(t.receiptFilename); }));
    EXPECT_EQ(fromLedger.favourites, count([](const MoneyTransaction& t) { return t.isFavorite.value_or(false); }));
    EXPECT_EQ(fromLedger.tagged, count([](const MoneyTransaction& t) { return t.tags && !t.tags->empty(); }));
}

TEST_P(SummaryAgainstReference, SmartTipReadsTheSameTotals) {
    // The tip's first rule that holds, decided on the reference totals.
    const MonthTotals today = reference::totalsIn(data, ctx.calendar.daySpan(ctx.now));
    const MonthTotals month = reference::totalsIn(data, ctx.calendar.monthSpan(ctx.now));
    const QString tip = ledger::smartTip(data, ctx);
    EXPECT_EQ(ledger::smartTip(data, ledger::summarize(data, ctx, ledger::LedgerSummary::withTotals)), tip);
    if (data.dailyLimit.signum() > 0 && data.dailyLimit < today.expense)
        EXPECT_TRUE(tip.startsWith(QStringLiteral("Сегодня лимит превышен"))) << tip.toStdString();
    else if (money::sub(today.income, today.expense).signum() > 0)
        EXPECT_TRUE(tip.startsWith(QStringLiteral("Сегодня ты в плюсе"))) << tip.toStdString();
    else if (month.income.signum() > 0 &&
             !(money::mul(money::sub(month.income, month.expense), Decimal(5)) < month.income))
        EXPECT_TRUE(tip.startsWith(QStringLiteral("Ты сохраняешь"))) << tip.toStdString();
    else
        EXPECT_TRUE(tip.startsWith(QStringLiteral("Перед незапланированной"))) << tip.toStdString();
}

INSTANTIATE_TEST_SUITE_P(GeneratedLedgers, SummaryAgainstReference, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             QString name = QString::fromLatin1(info.param.moment.zone) + QLatin1Char('_') +
                                            info.param.moment.day.toString(QStringLiteral("yyyyMMdd")) +
                                            QLatin1Char('_') + QString::number(info.param.count);
                             name.replace(QLatin1Char('/'), QLatin1Char('_'));
                             return name.toStdString();
                         });

// The running sum against money::add one by one, where the sum stays exact
// and where it must round.
TEST(MoneySumTest, EqualsAddingOneByOneAtEveryScale) {
    const std::vector<std::vector<const char*>> sequences = {
        {},
        {"0"},
        {"12.5", "-12.5", "3"},                       // back to zero, then on at another scale
        {"500", "0.01", "1e10", "-0.001"},             // exponents 2, -2, 10, -3
        {"99999999999999999999999999999999999", "1", "1"},  // 35 digits, then carried
        {"9999999999999999999999999999999999999", "1"},     // 37 digits: beyond what is held
        {"98765432109876543210987654321098765432", "0.5", "0.5", "-1e37"},  // rounds
        {"1e-120", "1e100"},                           // too far apart to align
        {"1e127", "1e127"},                            // the top of the range
        {"-98765432109876543210987654321098765432", "-98765432109876543210987654321098765432"},
    };
    for (const auto& sequence : sequences) {
        for (const bool subtract : {false, true}) {
            MoneySum sum(dec("7.25"));
            Decimal expected = dec("7.25");
            for (const char* text : sequence) {
                const Decimal amount = dec(text);
                if (subtract) {
                    sum.sub(amount);
                    expected = money::sub(expected, amount);
                } else {
                    sum.add(amount);
                    expected = money::add(expected, amount);
                }
            }
            EXPECT_EQ(sum.value(), expected) << (sequence.empty() ? "" : sequence.front()) << " " << subtract;
        }
    }
}

}  // namespace
