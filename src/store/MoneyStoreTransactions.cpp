// Adding, deleting (with one step of undo), favouriting, duplicating and
// replacing transactions. None of them validates: the forms do.
#include <algorithm>
#include <utility>

#include "store/MoneyStore.h"

namespace {

const QString kMainWallet = QStringLiteral("Основной");

MoneyTransaction* findTransaction(MoneyData& data, const QUuid& id) {
    auto it = std::find_if(data.transactions.begin(), data.transactions.end(),
                           [&](const MoneyTransaction& t) { return t.id == id; });
    return it == data.transactions.end() ? nullptr : &*it;
}

std::size_t positionOf(const MoneyData& data, const MoneyTransaction& t) {
    return std::size_t(&t - data.transactions.data());
}

}  // namespace

void MoneyStore::add(TransactionKind kind, const Decimal& amount, const QString& category,
                     const QString& note, const QDateTime& date, const QStringList& tags,
                     bool isFavorite, const QString& wallet, const std::optional<QString>& receiptFilename) {
    MoneyTransaction t{QUuid::createUuid(), kind, amount,     category, note,
                       date.toUTC(),        tags, isFavorite, wallet,   receiptFilename};
    shareTexts(t);
    data_.transactions.push_back(std::move(t));
    publishOne(LedgerChange::Kind::added, data_.transactions.size() - 1, std::nullopt);
}

void MoneyStore::deleteTransactions(const QSet<QUuid>& ids) {
    // The buffer first, then the ledger, then the undo flag, then one save.
    // The kept transactions close up in place: only those after the first
    // removed one move.
    std::vector<MoneyTransaction> removed;
    std::vector<MoneyTransaction>& list = data_.transactions;
    std::size_t firstRemoved = 0;
    std::size_t kept = 0;
    const QUuid* only = ids.size() == 1 ? &*ids.constBegin() : nullptr;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (only ? list[i].id == *only : ids.contains(list[i].id)) {
            if (removed.empty()) firstRemoved = i;
            removed.push_back(std::move(list[i]));
        } else {
            if (kept != i) list[kept] = std::move(list[i]);
            ++kept;
        }
    }
    list.erase(list.begin() + std::ptrdiff_t(kept), list.end());
    deletedBuffer_ = std::move(removed);
    if (deletedBuffer_.size() == 1)
        publishData(LedgerChange{LedgerChange::Kind::removed, 0, firstRemoved, deletedBuffer_.front()});
    else
        publishData();
    setCanUndoDelete(!deletedBuffer_.empty());
    save();
}

void MoneyStore::undoDelete() {
    if (deletedBuffer_.empty()) return;
    data_.transactions.insert(data_.transactions.end(), deletedBuffer_.begin(), deletedBuffer_.end());
    if (deletedBuffer_.size() == 1)
        publishData(LedgerChange{LedgerChange::Kind::added, 0, data_.transactions.size() - 1, std::nullopt});
    else
        publishData();
    deletedBuffer_.clear();
    setCanUndoDelete(false);
    save();
}

void MoneyStore::toggleFavorite(const QUuid& id) {
    MoneyTransaction* t = findTransaction(data_, id);
    if (!t) return;
    MoneyTransaction before = *t;
    t->isFavorite = !t->isFavorite.value_or(false);
    publishOne(LedgerChange::Kind::replaced, positionOf(data_, *t), std::move(before));
}

void MoneyStore::duplicateTransaction(const QUuid& id) {
    const MoneyTransaction* source = findTransaction(data_, id);
    if (!source) return;
    MoneyTransaction copy{QUuid::createUuid(),
                          source->kind,
                          source->amount,
                          source->category,
                          source->note,
                          now().toUTC(),
                          source->tags.value_or(QStringList{}),
                          source->isFavorite.value_or(false),
                          source->wallet.value_or(kMainWallet),
                          source->receiptFilename};
    shareTexts(copy);
    data_.transactions.push_back(std::move(copy));
    publishOne(LedgerChange::Kind::added, data_.transactions.size() - 1, std::nullopt);
}

void MoneyStore::updateTransaction(const MoneyTransaction& transaction) {
    // One search of the ledger: sharing the texts reads the ledger, never moves it.
    MoneyTransaction* t = findTransaction(data_, transaction.id);
    if (!t) return;
    MoneyTransaction replacement = transaction;
    replacement.date = replacement.date.toUTC();
    shareTexts(replacement);
    MoneyTransaction before = std::exchange(*t, std::move(replacement));
    publishOne(LedgerChange::Kind::replaced, positionOf(data_, *t), std::move(before));
}
