#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <memory>
#include <utility>

class MoneyStore;

namespace ledger {
struct LedgerSummary;
}

// Figures worked out from a store's whole ledger for the screens, kept beside
// the store (a child object, gone with it) and shared by every reader until
// the store's state moves on: the cards of one redraw, a redraw for the theme,
// a screen opened again or a filter switched all read the same value. A read
// after a change of the ledger, on another day of the store's calendar or in
// another time zone works every figure out afresh, so a shared value is never
// stale. A figure with texts in the user's currency names the currency in its
// key.
//
//   auto summary = kept_figures::get<ledger::LedgerSummary>(store, QStringLiteral("totals"),
//                                                             [&] { return ledger::summarize(...); });
namespace kept_figures {

// Everything besides the ledger that a kept figure may depend on: "now" only
// through its day in the store's calendar.
struct State {
    quint64 revision = 0;
    QDate day;
    QByteArray zone;

    bool operator==(const State&) const = default;
};
State stateOf(const MoneyStore& store);

namespace detail {
std::shared_ptr<const void> find(const MoneyStore& store, const QString& key);
void keep(const MoneyStore& store, const QString& key, std::shared_ptr<const void> value);
}  // namespace detail

// The figure kept under `key` for the store as it is now, or the one
// `compute` works out at this call (kept for the next readers). One key
// always holds values of one type.
template <class T, class Compute>
std::shared_ptr<const T> get(const MoneyStore& store, const QString& key, Compute&& compute) {
    if (std::shared_ptr<const void> kept = detail::find(store, key)) return std::static_pointer_cast<const T>(kept);
    auto value = std::make_shared<const T>(std::forward<Compute>(compute)());
    detail::keep(store, key, value);
    return value;
}

// How many times the figure under `key` was worked out for this store.
int computations(const MoneyStore& store, const QString& key);

// The ledger's sums (LedgerSummary's totals, this month's categories and every expense category) for
// the store as it is now: the balance and today's and this month's totals
// that the screens, the widget snapshot and the goal notifications read
// after a change come from one walk, and a change of one transaction on the
// same day moves them by that transaction alone (ledger::RunningSummary).
std::shared_ptr<const ledger::LedgerSummary> sums(const MoneyStore& store);
// How many times the whole ledger was walked for the sums.
int sumsComputed(const MoneyStore& store);

}  // namespace kept_figures
