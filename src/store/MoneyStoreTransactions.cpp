// Adding, deleting (with one step of undo), favouriting, duplicating and
// replacing transactions. None of them validates: the forms do.
#include <algorithm>

#include "store/MoneyStore.h"

namespace {

const QString kMainWallet = QStringLiteral("Основной");

MoneyTransaction* findTransaction(MoneyData& data, const QUuid& id) {
    auto it = std::find_if(data.transactions.begin(), data.transactions.end(),
                           [&](const MoneyTransaction& t) { return t.id == id; });
    return it == data.transactions.end() ? nullptr : &*it;
}

}  // namespace

void MoneyStore::add(TransactionKind kind, const Decimal& amount, const QString& category,
                     const QString& note, const QDateTime& date, const QStringList& tags,
                     bool isFavorite, const QString& wallet, const std::optional<QString>& receiptFilename) {
    MoneyTransaction t{QUuid::createUuid(), kind, amount,     category, note,
                       date.toUTC(),        tags, isFavorite, wallet,   receiptFilename};
    shareTexts(t);
    mutate([&](MoneyData& d) { d.transactions.push_back(std::move(t)); });
}

void MoneyStore::deleteTransactions(const QSet<QUuid>& ids) {
    // The buffer first, then the ledger, then the undo flag, then one save.
    std::vector<MoneyTransaction> removed;
    std::vector<MoneyTransaction> kept;
    kept.reserve(data_.transactions.size());
    for (MoneyTransaction& t : data_.transactions)
        (ids.contains(t.id) ? removed : kept).push_back(std::move(t));
    deletedBuffer_ = std::move(removed);
    data_.transactions = std::move(kept);
    publishData();
    setCanUndoDelete(!deletedBuffer_.empty());
    save();
}

void MoneyStore::undoDelete() {
    if (deletedBuffer_.empty()) return;
    data_.transactions.insert(data_.transactions.end(), deletedBuffer_.begin(), deletedBuffer_.end());
    publishData();
    deletedBuffer_.clear();
    setCanUndoDelete(false);
    save();
}

void MoneyStore::toggleFavorite(const QUuid& id) {
    if (!findTransaction(data_, id)) return;
    mutate([&](MoneyData& d) {
        MoneyTransaction* t = findTransaction(d, id);
        t->isFavorite = !t->isFavorite.value_or(false);
    });
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
    mutate([&](MoneyData& d) { d.transactions.push_back(std::move(copy)); });
}

void MoneyStore::updateTransaction(const MoneyTransaction& transaction) {
    if (!findTransaction(data_, transaction.id)) return;
    MoneyTransaction replacement = transaction;
    replacement.date = replacement.date.toUTC();
    shareTexts(replacement);
    mutate([&](MoneyData& d) {
        *findTransaction(d, transaction.id) = std::move(replacement);
    });
}
