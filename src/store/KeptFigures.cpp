#include "store/KeptFigures.h"

#include <QHash>
#include <QObject>

#include "store/LedgerSummary.h"
#include "store/MoneyStore.h"

namespace kept_figures {

namespace {

const QString kSumsKey = QStringLiteral("ledger/sums");

class Kept : public QObject {
public:
    static constexpr const char* kName = "keptLedgerFigures";

    explicit Kept(MoneyStore& store) : QObject(&store) { setObjectName(QLatin1String(kName)); }

    static Kept* find(const MoneyStore& store) {
        return static_cast<Kept*>(store.findChild<QObject*>(QLatin1String(kName), Qt::FindDirectChildrenOnly));
    }
    static Kept& of(const MoneyStore& store) {
        if (Kept* kept = find(store)) return *kept;
        // The store is only read; the child holds what was read from it.
        return *new Kept(const_cast<MoneyStore&>(store));
    }

    // Lets go of every figure unless they were worked out for this state.
    void holdFor(State state) {
        if (state == state_) return;
        state_ = std::move(state);
        values.clear();
    }

    QHash<QString, std::shared_ptr<const void>> values;
    QHash<QString, int> computations;

private:
    State state_;
};

}  // namespace

State stateOf(const MoneyStore& store) {
    return State{store.revision(), store.calendar().localDate(store.now()), store.timeZone().id()};
}

namespace detail {

std::shared_ptr<const void> find(const MoneyStore& store, const QString& key) {
    Kept& kept = Kept::of(store);
    kept.holdFor(stateOf(store));
    return kept.values.value(key);
}

void keep(const MoneyStore& store, const QString& key, std::shared_ptr<const void> value) {
    Kept& kept = Kept::of(store);
    kept.values.insert(key, std::move(value));
    ++kept.computations[key];
}

}  // namespace detail

int computations(const MoneyStore& store, const QString& key) {
    const Kept* kept = Kept::find(store);
    return kept ? kept->computations.value(key) : 0;
}

std::shared_ptr<const ledger::LedgerSummary> sums(const MoneyStore& store) {
    return get<ledger::LedgerSummary>(store, kSumsKey, [&] {
        return ledger::summarize(store.data(), store.queryContext(),
                                 ledger::LedgerSummary::withTotals | ledger::LedgerSummary::withCategories |
                                     ledger::LedgerSummary::withCategoryNames);
    });
}

int sumsComputed(const MoneyStore& store) { return computations(store, kSumsKey); }

}  // namespace kept_figures
