#include "views/ledger/LedgerFigures.h"

#include <QHash>
#include <QObject>

#include "store/MoneyStore.h"

namespace {

// The figures of one state of a store's ledger on one day, kept beside the
// store (a child object, gone with it).
class KeptFigures : public QObject {
public:
    static constexpr const char* kName = "ledgerSharedFigures";

    explicit KeptFigures(MoneyStore& store) : QObject(&store) { setObjectName(QLatin1String(kName)); }

    static KeptFigures* find(const MoneyStore& store) {
        return static_cast<KeptFigures*>(store.findChild<QObject*>(QLatin1String(kName), Qt::FindDirectChildrenOnly));
    }
    static KeptFigures& of(const MoneyStore& store) {
        if (KeptFigures* kept = find(store)) return *kept;
        // The store is only read; the child holds what was read from it.
        return *new KeptFigures(const_cast<MoneyStore&>(store));
    }

    // Drops every figure unless they were worked out for this state, day and zone.
    void holdFor(quint64 revision, const QDate& day, const QByteArray& zone) {
        if (revision == revision_ && day == day_ && zone == zone_) return;
        revision_ = revision;
        day_ = day;
        zone_ = zone;
        values.clear();
    }

    QHash<QString, std::any> values;
    int computations = 0;

private:
    quint64 revision_ = 0;
    QDate day_;
    QByteArray zone_;
};

}  // namespace

LedgerFigures::LedgerFigures(const MoneyStore& store) : store_(store), ctx_(store.queryContext()) {
    KeptFigures& kept = KeptFigures::of(store);
    kept.holdFor(store.revision(), ctx_.calendar.localDate(ctx_.now), ctx_.calendar.zone().id());
    kept_ = &kept;
}

const std::any* LedgerFigures::find(const QString& key) const {
    const auto& values = static_cast<KeptFigures*>(kept_)->values;
    const auto it = values.constFind(key);
    return it == values.constEnd() ? nullptr : &*it;
}

void LedgerFigures::keep(const QString& key, std::any value) {
    auto* kept = static_cast<KeptFigures*>(kept_);
    kept->values.insert(key, std::move(value));
    ++kept->computations;
}

int LedgerFigures::computations(const MoneyStore& store) {
    const KeptFigures* kept = KeptFigures::find(store);
    return kept ? kept->computations : 0;
}

Decimal LedgerFigures::balance() {
    return shared<Decimal>(QStringLiteral("balance"), [this] { return ledger::balance(store_.data()); });
}

Decimal LedgerFigures::todayTotal(TransactionKind kind) {
    return shared<Decimal>(kind == TransactionKind::income ? QStringLiteral("todayIncome")
                                                           : QStringLiteral("todayExpense"),
                           [&] { return ledger::total(store_.data(), kind, ctx_.now, ctx_.calendar); });
}

Decimal LedgerFigures::monthExpense() {
    return shared<Decimal>(QStringLiteral("monthExpense"), [this] {
        return ledger::monthTotal(store_.data(), TransactionKind::expense, ctx_.now, ctx_.calendar);
    });
}

std::vector<CategoryAmount> LedgerFigures::monthExpenseByCategory() {
    return shared<std::vector<CategoryAmount>>(QStringLiteral("monthExpenseByCategory"), [this] {
        return ledger::expenseByCategoryForCurrentMonth(store_.data(), ctx_);
    });
}

Decimal LedgerFigures::safeToSpendToday() {
    return shared<Decimal>(QStringLiteral("safeToSpendToday"),
                           [this] { return ledger::safeToSpendToday(store_.data(), ctx_); });
}
