#pragma once

#include "models/MoneyModels.h"

#include <QFont>
#include <QWidget>

class SymbolView;
class TextLabel;

// One ledger operation on one line: the kind arrow on a pale disc, the
// category over the note (or the date when the note is empty), and the signed
// amount. Display only: taps, swipes and links belong to the screen placing it.
class TransactionRow : public QWidget {
    Q_OBJECT
public:
    // Sizes and faces shared with the painted rows of the operations list.
    static constexpr int kIconBox = 42;
    static constexpr int kSpacerMin =
        8;  // the flexible gap before the amount, with the row spacing on both sides
    static constexpr int kColumnGap = 3;  // between the category and the note or date
    static QFont categoryFont();
    static QFont detailFont();
    static QFont amountFont();
    // The width the amount takes of `room` (what the row leaves its text
    // column and amount together): its natural width while the category's
    // widest word still fits beside it; otherwise it shrinks (TextFit, down
    // to about half its size) to make room for that word, so that a large
    // amount does not cut a word of the category.
    static int amountWidth(int natural, int room, int widestWord);

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

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void fitAmount();

    MoneyTransaction transaction_;
    SymbolView* icon_;
    TextLabel* category_;
    TextLabel* detail_;
    TextLabel* amount_;
};
