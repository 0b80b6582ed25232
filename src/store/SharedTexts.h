#pragma once

#include "models/MoneyModels.h"

#include <QSet>
#include <QString>

// One string per distinct short text of the transactions (categories, wallets,
// tags). The ledger reader shares them within a document; this pool keeps new
// and edited records sharing with what was loaded, so caches keyed by a text
// object (the operations list's row measurements) recognise it without hashing.
class SharedTexts {
public:
    // Forgets the pool; the next share() collects the ledger's texts afresh.
    void reset();
    // The transaction's category, wallet and tags replaced by equal texts of
    // the ledger (or of earlier shares), collecting the ledger first if needed.
    void share(MoneyTransaction& t, const MoneyData& ledger);

private:
    QString shared(const QString& text);
    void collect(const MoneyData& ledger);

    QSet<QString> texts_;
    bool collected_ = false;
};
