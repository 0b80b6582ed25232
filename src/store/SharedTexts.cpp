#include "store/SharedTexts.h"

namespace {
// Long texts rarely repeat, and an unbounded pool would keep every typed tag.
constexpr qsizetype kMaxLength = 48;
constexpr qsizetype kMaxEntries = 4096;
}  // namespace

void SharedTexts::reset() {
    texts_.clear();
    collected_ = false;
}

QString SharedTexts::shared(const QString& text) {
    if (text.size() > kMaxLength) return text;
    if (const auto it = texts_.constFind(text); it != texts_.constEnd()) return *it;
    if (texts_.size() < kMaxEntries) texts_.insert(text);
    return text;
}

void SharedTexts::collect(const MoneyData& ledger) {
    collected_ = true;
    // A ledger read from its file already shares its equal texts, so most
    // records hold a string whose data was met before: known by its address,
    // it needs no hashing of its characters.
    // (A ledger built in memory holds many copies of one text: their
    // addresses are remembered only up to a bound.)
    QSet<const QChar*> seen;
    const auto take = [&](const QString& text) {
        const QChar* data = text.constData();
        if (seen.contains(data)) return;
        if (seen.size() < kMaxEntries) seen.insert(data);
        shared(text);
    };
    for (const MoneyTransaction& t : ledger.transactions) {
        take(t.category);
        if (t.wallet) take(*t.wallet);
        if (t.tags)
            for (const QString& tag : *t.tags) take(tag);
    }
}

void SharedTexts::share(MoneyTransaction& t, const MoneyData& ledger) {
    if (!collected_) collect(ledger);
    t.category = shared(t.category);
    if (t.wallet) t.wallet = shared(*t.wallet);
    if (t.tags)
        for (QString& tag : *t.tags) tag = shared(tag);
}
