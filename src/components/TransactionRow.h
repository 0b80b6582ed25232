#pragma once

#include "models/MoneyModels.h"

#include <QWidget>

class SymbolView;
class TextLabel;

// One ledger operation on one line: the kind arrow on a pale disc, the
// category over the note (or the date when the note is empty), and the signed
// amount. Display only: taps, swipes and links belong to the screen placing it.
class TransactionRow : public QWidget {
    Q_OBJECT
public:
    explicit TransactionRow(const MoneyTransaction& transaction, QWidget* parent = nullptr);

    void setTransaction(const MoneyTransaction& transaction);
    const MoneyTransaction& transaction() const { return transaction_; }

    SymbolView* kindIcon() const { return icon_; }
    TextLabel* categoryLabel() const { return category_; }
    TextLabel* detailLabel() const { return detail_; }
    TextLabel* amountLabel() const { return amount_; }

    // "+" for an income, "−" (U+2212) for an expense, then the money text.
    static QString signedAmountText(const MoneyTransaction& transaction);
    // The note, or the date when the note is empty.
    static QString detailText(const MoneyTransaction& transaction);
    // "Доход, <money>, <category>" / "Расход, <money>, <category>".
    static QString accessibleText(const MoneyTransaction& transaction);
    static QString kindSymbol(TransactionKind kind);

private:
    void refresh();

    MoneyTransaction transaction_;
    SymbolView* icon_;
    TextLabel* category_;
    TextLabel* detail_;
    TextLabel* amount_;
};
