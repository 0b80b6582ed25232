#include "store/SmartTip.h"

#include "services/MoneyText.h"
#include "store/LedgerSummary.h"
#include "store/MoneyMath.h"
#include "store/MoneySum.h"

namespace ledger {

namespace {

// Today's and this month's totals, in one walk and nothing else.
struct TipTotals {
    MonthTotals today;
    MonthTotals month;
};

TipTotals tipTotals(const MoneyData& data, const QueryContext& ctx) {
    const LedgerCalendar::Span today = ctx.calendar.daySpan(ctx.now);
    const LedgerCalendar::Span month = ctx.calendar.monthSpan(ctx.now);
    MoneySum todayIncome, todayExpense, monthIncome, monthExpense;
    for (const MoneyTransaction& t : data.transactions) {
        const qint64 at = t.date.toMSecsSinceEpoch();
        const bool income = t.kind == TransactionKind::income;
        if (today.contains(at)) (income ? todayIncome : todayExpense).add(t.amount);
        if (month.contains(at)) (income ? monthIncome : monthExpense).add(t.amount);
    }
    return {{todayIncome.value(), todayExpense.value()}, {monthIncome.value(), monthExpense.value()}};
}

QString tipFrom(const MoneyData& data, const MonthTotals& today, const MonthTotals& month) {
    const Decimal& todayIncome = today.income;
    const Decimal& todayExpense = today.expense;

    if (data.dailyLimit.signum() > 0 && data.dailyLimit < todayExpense)
        return QStringLiteral("Сегодня лимит превышен на ") +
               cnyText(money::sub(todayExpense, data.dailyLimit)) + QStringLiteral(".");

    const Decimal net = money::sub(todayIncome, todayExpense);
    if (net.signum() > 0)
        return QStringLiteral("Сегодня ты в плюсе на ") + cnyText(net) + QStringLiteral(". Отличный темп!");

    const Decimal& monthIncome = month.income;
    if (monthIncome.signum() > 0) {
        const Decimal saved = money::sub(monthIncome, month.expense);
        // share = saved / income >= 0.2, compared exactly: saved × 5 >= income.
        if (!(money::mul(saved, Decimal(5)) < monthIncome))
            return QStringLiteral("Ты сохраняешь больше 20% дохода — так держать!");
    }
    return QStringLiteral("Перед незапланированной покупкой дай себе 10 минут на решение.");
}

}  // namespace

QString smartTip(const MoneyData& data, const QueryContext& ctx) {
    const TipTotals totals = tipTotals(data, ctx);
    return tipFrom(data, totals.today, totals.month);
}

QString smartTip(const MoneyData& data, const LedgerSummary& sums) { return tipFrom(data, sums.today, sums.month); }

}  // namespace ledger
