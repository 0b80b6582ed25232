#include "store/KeptFigures.h"

#include <QHash>
#include <QObject>
#include <optional>

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
    // The sums as they follow the ledger from change to change, and the
    // state they were last brought to.
    std::optional<ledger::RunningSummary> running;
    State runningState;

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

namespace {

// Brings the running sums from the state before the store's last change to
// the state after it; false when that change is not one transaction's, the
// sums were last brought to an earlier state, or the day or the zone moved.
bool follow(ledger::RunningSummary& running, const State& was, const State& now, const MoneyStore& store) {
    const LedgerChange& change = store.lastChange();
    if (was.day != now.day || was.zone != now.zone || was.revision + 1 != now.revision ||
        change.revision != now.revision)
        return false;
    switch (change.kind) {
        case LedgerChange::Kind::added:
            return running.added(store.data());
        case LedgerChange::Kind::removed:
            return change.before && running.removed(store.data(), change.position, *change.before);
        case LedgerChange::Kind::replaced:
            return change.before && running.replaced(store.data(), change.position, *change.before);
        case LedgerChange::Kind::whole:
            break;
    }
    return false;
}

}  // namespace

std::shared_ptr<const ledger::LedgerSummary> sums(const MoneyStore& store) {
    if (std::shared_ptr<const void> kept = detail::find(store, kSumsKey))
        return std::static_pointer_cast<const ledger::LedgerSummary>(kept);
    Kept& kept = Kept::of(store);
    const State now = stateOf(store);
    if (!kept.running || !follow(*kept.running, kept.runningState, now, store)) {
        kept.running.emplace(store.data(), store.queryContext());
        ++kept.computations[kSumsKey];
    }
    kept.runningState = now;
    auto value = std::make_shared<const ledger::LedgerSummary>(kept.running->summary(store.data()));
    kept.values.insert(kSumsKey, value);
    return value;
}

int sumsComputed(const MoneyStore& store) { return computations(store, kSumsKey); }

}  // namespace kept_figures
