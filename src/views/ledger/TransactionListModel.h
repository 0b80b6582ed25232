#pragma once

#include "models/MoneyModels.h"

#include <QAbstractListModel>
#include <vector>

class MoneyStore;

// The operations the list shows, as positions in the store's ledger. Holds no
// copy of a transaction: every row reads the store's ledger when it is drawn,
// and the screen hands in new positions after every change of the ledger.
class TransactionListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        IdRole = Qt::UserRole + 1,  // the transaction's id (QUuid)
        FavoriteRole,               // bool
    };

    explicit TransactionListModel(const MoneyStore& store, QObject* parent = nullptr);

    // Replaces the shown positions (one reset: the list is recomputed whole).
    void setRows(std::vector<int> rows);
    const std::vector<int>& rows() const { return rows_; }

    // The ledger position a row shows; -1 for a row outside the list.
    int positionAt(int row) const {
        return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(row)] : -1;
    }
    // The whole ledger the rows are positions in, and the store's revision of it.
    const std::vector<MoneyTransaction>& ledger() const;
    quint64 ledgerRevision() const;
    // The transaction on a row; null for a row outside the list.
    const MoneyTransaction* transactionAt(int row) const;
    // The row showing the transaction with this id; -1 when it is not shown.
    int rowOf(const QUuid& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    // A flat list's index without the virtual calls of the generic one: the
    // list view asks it for every row each time it lays the rows out.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = {}) const override {
        return !parent.isValid() && column == 0 && row >= 0 && row < static_cast<int>(rows_.size())
                   ? createIndex(row, 0)
                   : QModelIndex();
    }
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const MoneyStore& store_;
    std::vector<int> rows_;
};
