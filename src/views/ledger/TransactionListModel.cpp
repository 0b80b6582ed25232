#include "views/ledger/TransactionListModel.h"

#include "components/TransactionRow.h"
#include "store/MoneyStore.h"

TransactionListModel::TransactionListModel(const MoneyStore& store, QObject* parent)
    : QAbstractListModel(parent), store_(store) {}

void TransactionListModel::setRows(std::vector<int> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

const std::vector<MoneyTransaction>& TransactionListModel::ledger() const { return store_.data().transactions; }

quint64 TransactionListModel::ledgerRevision() const { return store_.revision(); }

const MoneyTransaction* TransactionListModel::transactionAt(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    const auto& all = store_.data().transactions;
    const int position = rows_[static_cast<size_t>(row)];
    // The ledger may have changed since the rows were computed; the screen
    // recomputes them right after, but never read past the end meanwhile.
    if (position < 0 || position >= static_cast<int>(all.size())) return nullptr;
    return &all[static_cast<size_t>(position)];
}

int TransactionListModel::rowOf(const QUuid& id) const {
    for (int row = 0; row < rowCount(); ++row)
        if (const MoneyTransaction* t = transactionAt(row); t && t->id == id) return row;
    return -1;
}

int TransactionListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant TransactionListModel::data(const QModelIndex& index, int role) const {
    const MoneyTransaction* t = transactionAt(index.row());
    if (!t) return {};
    switch (role) {
    case Qt::DisplayRole: return t->category;
    case Qt::AccessibleTextRole:
        // The row reads as the kit's row does, then the favourite star's label.
        return t->isFavorite.value_or(false) ? TransactionRow::accessibleText(*t) + QStringLiteral(", Избранное")
                                             : TransactionRow::accessibleText(*t);
    case IdRole: return t->id;
    case FavoriteRole: return t->isFavorite.value_or(false);
    default: return {};
    }
}
