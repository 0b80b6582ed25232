#include "store/SmartTip.h"

#include "services/MoneyText.h"
#include "store/LedgerSummary.h"
#include "store/MoneyMath.h"

namespace ledger {

QString smartTip(const MoneyData& data, const QueryContext& ctx) {
    // Today's and this month's totals in one walk.
    return smartTip(data, summarize(data, ctx, LedgerSummary::withTotals));
}

QString smartTip(const MoneyData& data, const LedgerSummary& sums) {
    const Decimal& todayIncome = sums.today.income;
    const Decimal& todayExpense = sums.today.expense;

    if (data.dailyLimit.signum() > 0 && data.dailyLimit < todayExpense)
        return QStringLiteral("Сегодня лимит превышен на ") +
               cnyText(money::sub(todayExpense, data.dailyLimit)) + QStringLiteral(".");

    const Decimal net = money::sub(todayIncome, todayExpense);
    if (net.signum() > 0)
        return QStringLiteral("Сегодня ты в плюсе на ") + cnyText(net) + QStringLiteral(". Отличный темп!");

    const Decimal& monthIncome = sums.month.income;
    if (monthIncome.signum() > 0) {
        const Decimal saved = money::sub(monthIncome, sums.month.expense);
        // share = saved / income >= 0.2, compared exactly: saved × 5 >= income.
        if (!(money::mul(saved, Decimal(5)) < monthIncome))
            return QStringLiteral("Ты сохраняешь больше 20% дохода — так держать!");
    }
    return QStringLiteral("Перед незапланированной покупкой дай себе 10 минут на решение.");
}

}  // namespace ledger
