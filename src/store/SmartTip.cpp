#include "store/SmartTip.h"

#include "services/MoneyText.h"
#include "store/MoneyMath.h"

namespace ledger {

QString smartTip(const MoneyData& data, const QueryContext& ctx) {
    const Decimal todayIncome = total(data, TransactionKind::income, ctx.now, ctx.calendar);
    const Decimal todayExpense = total(data, TransactionKind::expense, ctx.now, ctx.calendar);

    if (data.dailyLimit.signum() > 0 && data.dailyLimit < todayExpense)
        return QStringLiteral("Сегодня лимит превышен на ") +
               cnyText(money::sub(todayExpense, data.dailyLimit)) + QStringLiteral(".");

    const Decimal net = money::sub(todayIncome, todayExpense);
    if (net.signum() > 0)
        return QStringLiteral("Сегодня ты в плюсе на ") + cnyText(net) + QStringLiteral(". Отличный темп!");

    const Decimal monthIncome = monthTotal(data, TransactionKind::income, ctx.now, ctx.calendar);
    if (monthIncome.signum() > 0) {
        const Decimal saved =
            money::sub(monthIncome, monthTotal(data, TransactionKind::expense, ctx.now, ctx.calendar));
        // share = saved / income >= 0.2, compared exactly: saved × 5 >= income.
        if (!(money::mul(saved, Decimal(5)) < monthIncome))
            return QStringLiteral("Ты сохраняешь больше 20% дохода — так держать!");
    }
    return QStringLiteral("Перед незапланированной покупкой дай себе 10 минут на решение.");
}

}  // namespace ledger
