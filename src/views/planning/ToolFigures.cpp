#include "views/planning/ToolFigures.h"

#include <algorithm>

#include "services/GlobalPreferences.h"
#include "store/KeptFigures.h"
#include "store/MoneyStore.h"

namespace tool_figures {

namespace {

const QString kBadgesKey = QStringLiteral("tools/badges/");
const QString kTimelineKey = QStringLiteral("tools/timeline");

}  // namespace

std::shared_ptr<const std::vector<MoneyBadge>> badges(const MoneyStore& store) {
    // The badges' texts name the currency.
    return kept_figures::get<std::vector<MoneyBadge>>(store, kBadgesKey + GlobalPreferences::currencyCode(),
                                                      [&] { return store.badges(); });
}

Timeline::Timeline(const std::vector<MoneyTransaction>& transactions) {
    msecs_.reserve(transactions.size());
    for (const MoneyTransaction& t : transactions) msecs_.push_back(t.date.toMSecsSinceEpoch());
}

std::vector<MoneyTransaction> Timeline::day(const MoneyStore& store, QDate day) const {
    const LedgerCalendar::Span span = store.calendar().daySpan(day);
    std::vector<std::pair<qint64, std::size_t>> picked;
    for (std::size_t i = 0; i < msecs_.size(); ++i)
        if (span.contains(msecs_[i])) picked.emplace_back(msecs_[i], i);
    std::sort(picked.begin(), picked.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? b.first < a.first : a.second < b.second;
    });
    std::vector<MoneyTransaction> out;
    out.reserve(picked.size());
    const std::vector<MoneyTransaction>& all = store.data().transactions;
    for (const auto& [moment, index] : picked)
        if (index < all.size()) out.push_back(all[index]);
    return out;
}

std::shared_ptr<const Timeline> timeline(const MoneyStore& store) {
    return kept_figures::get<Timeline>(store, kTimelineKey, [&] { return Timeline(store.data().transactions); });
}

int badgesComputed(const MoneyStore& store) {
    return kept_figures::computations(store, kBadgesKey + GlobalPreferences::currencyCode());
}

int timelinesComputed(const MoneyStore& store) { return kept_figures::computations(store, kTimelineKey); }

}  // namespace tool_figures
