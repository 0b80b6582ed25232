#include "views/analytics/AnalyticsFigures.h"

#include <QObject>
#include <algorithm>

#include "services/GlobalPreferences.h"
#include "store/Badges.h"
#include "store/LedgerSummary.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"

namespace {

// The figures of one state of a store's ledger, kept beside the store (a
// child object, gone with it). Every figure depends on "now" only through
// its day in the store's calendar (today, this week, this month, the day of
// the month), and on the currency only through the badges' texts.
class SharedFigures : public QObject {
public:
    static constexpr const char* kName = "analyticsSharedFigures";

    explicit SharedFigures(MoneyStore& store) : QObject(&store) { setObjectName(QLatin1String(kName)); }

    static SharedFigures* find(const MoneyStore& store) {
        return static_cast<SharedFigures*>(
            store.findChild<QObject*>(QLatin1String(kName), Qt::FindDirectChildrenOnly));
    }
    static SharedFigures& of(const MoneyStore& store) {
        if (SharedFigures* shared = find(store)) return *shared;
        // The store is only read; the child holds what was read from it.
        return *new SharedFigures(const_cast<MoneyStore&>(store));
    }

    bool holds(quint64 revision, const QDate& day, const QString& currency) const {
        return figures && revision == revision_ && day == day_ && currency == currency_;
    }
    void keep(quint64 revision, const QDate& day, const QString& currency, AnalyticsFigures computed) {
        revision_ = revision;
        day_ = day;
        currency_ = currency;
        figures = std::move(computed);
        ++computations;
    }

    std::optional<AnalyticsFigures> figures;
    int computations = 0;

private:
    quint64 revision_ = 0;
    QDate day_;
    QString currency_;
};

AnalyticsFigures compute(const MoneyData& data, const QueryContext& ctx, const QString& currency) {
    // One walk over the ledger gives every figure below.
    const ledger::LedgerSummary summary = ledger::summarize(data, ctx);
    AnalyticsFigures f;
    f.calendar = ctx.calendar;
    f.now = ctx.now;
    f.month = summary.month;
    f.previousMonth = summary.previousMonth;
    f.savingsRate = ledger::savingsRate(f.month);
    const int day = std::max(ctx.calendar.localDate(ctx.now).day(), 1);
    f.averagePerDay = money::div(f.month.expense, Decimal(day));
    f.projectedMonthExpense = ledger::projectedMonthExpense(f.month.expense, ctx);
    f.safeToSpendToday = ledger::safeToSpendToday(data, f.month.expense, ctx);
    f.monthTransactionCount = summary.monthTransactionCount;
    f.largestExpense = summary.largestExpense;
    f.categories = summary.categories;
    f.weekly = summary.weekly;
    f.thirtyDays = summary.thirtyDays;
    f.badges = ledger::badges(ledger::badgeStatistics(data, summary, ctx, currency), currency);
    f.unlockedBadges = ledger::unlockedBadges(f.badges);
    f.badgePoints = ledger::badgePoints(f.badges);
    f.badgeCollectionProgress = ledger::badgeCollectionProgress(f.badges);
    return f;
}

}  // namespace

AnalyticsFigures analyticsFigures(const MoneyStore& store) {
    const QueryContext ctx = store.queryContext();
    const QDate day = ctx.calendar.localDate(ctx.now);
    const QString currency = GlobalPreferences::currencyCode();
    SharedFigures& shared = SharedFigures::of(store);
    if (!shared.holds(store.revision(), day, currency))
        shared.keep(store.revision(), day, currency, compute(store.data(), ctx, currency));
    AnalyticsFigures figures = *shared.figures;
    figures.now = ctx.now;
    return figures;
}

int analyticsFiguresComputed(const MoneyStore& store) {
    const SharedFigures* shared = SharedFigures::find(store);
    return shared ? shared->computations : 0;
}
