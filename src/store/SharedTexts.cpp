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
    // Most records repeat the previous one's category and wallet; a text
    // shared with it needs no second look.
    const QString* lastCategory = nullptr;
    const QString* lastWallet = nullptr;
    const auto take = [this](const QString& text, const QString*& last) {
        if (!last || !text.isSharedWith(*last)) shared(text);
        last = &text;
    };
    for (const MoneyTransaction& t : ledger.transactions) {
        take(t.category, lastCategory);
        if (t.wallet) take(*t.wallet, lastWallet);
        if (t.tags)
            for (const QString& tag : *t.tags) shared(tag);
    }
}

void SharedTexts::share(MoneyTransaction& t, const MoneyData& ledger) {
    if (!collected_) collect(ledger);
    t.category = shared(t.category);
    if (t.wallet) t.wallet = shared(*t.wallet);
    if (t.tags)
        for (QString& tag : *t.tags) tag = shared(tag);
}
