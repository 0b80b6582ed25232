#include "views/planning/ToolFigures.h"

#include <QObject>
#include <algorithm>

#include "services/GlobalPreferences.h"
#include "store/MoneyStore.h"

namespace tool_figures {

namespace {

// The figures of one state of a store, kept beside the store (a child object,
// gone with it).
class Shared : public QObject {
public:
    static constexpr const char* kName = "toolSharedFigures";

    explicit Shared(MoneyStore& store) : QObject(&store) { setObjectName(QLatin1String(kName)); }

    static Shared* find(const MoneyStore& store) {
        return static_cast<Shared*>(store.findChild<QObject*>(QLatin1String(kName), Qt::FindDirectChildrenOnly));
    }
    static Shared& of(const MoneyStore& store) {
        if (Shared* shared = find(store)) return *shared;
        // The store is only read; the child holds what was read from it.
        return *new Shared(const_cast<MoneyStore&>(store));
    }

    QString badgesFor;
    std::shared_ptr<const std::vector<MoneyBadge>> badges;
    int badgeComputations = 0;
    quint64 timelineFor = 0;
    std::shared_ptr<const Timeline> timeline;
    int timelineComputations = 0;
};

}  // namespace

std::shared_ptr<const std::vector<MoneyBadge>> badges(const MoneyStore& store) {
    // The badges depend on "now" only through its day in the store's
    // calendar, and on the currency through their texts.
    const QString key = QString::number(store.revision()) + QChar(u'/') +
                        store.calendar().localDate(store.now()).toString(Qt::ISODate) + QChar(u'/') +
                        QString::fromUtf8(store.timeZone().id()) + QChar(u'/') + GlobalPreferences::currencyCode();
    Shared& shared = Shared::of(store);
    if (!shared.badges || shared.badgesFor != key) {
        shared.badges = std::make_shared<const std::vector<MoneyBadge>>(store.badges());
        shared.badgesFor = key;
        ++shared.badgeComputations;
    }
    return shared.badges;
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
    Shared& shared = Shared::of(store);
    if (!shared.timeline || shared.timelineFor != store.revision()) {
        shared.timeline = std::make_shared<const Timeline>(store.data().transactions);
        shared.timelineFor = store.revision();
        ++shared.timelineComputations;
    }
    return shared.timeline;
}

int badgesComputed(const MoneyStore& store) {
    const Shared* shared = Shared::find(store);
    return shared ? shared->badgeComputations : 0;
}

int timelinesComputed(const MoneyStore& store) {
    const Shared* shared = Shared::find(store);
    return shared ? shared->timelineComputations : 0;
}

}  // namespace tool_figures
