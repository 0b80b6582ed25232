#pragma once

#include "components/TransactionRowPainter.h"
#include "models/MoneyModels.h"

#include <QFont>
#include <QWidget>

// One ledger operation on one line: the kind arrow on a pale disc, the
// category over the note (or the date when the note is empty), and the signed
// amount. Display only: taps, swipes and links belong to the screen placing it.
// Measured and painted by TransactionRowPainter, as the painted lists of
// operations are, so an operation looks and fits alike everywhere.
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
    // column and amount together); the text column gets all the rest. The
    // amount keeps its natural width while the column still gets `needed`
    // (what the text must have whole: the category's widest word and the
    // date line); otherwise it shrinks (TextFit, down to about half its
    // size) to leave the column that much, down to the width its smallest
    // face needs; it never takes the column below a third of the room (or
    // what the column needs, when less) nor below the category's widest word
    // (up to half the room): an amount too long for that elides.
    static int amountWidth(int natural, int room, int needed, int widestWord);
    // What the text column needs at least: the widest word of the category,
    // the whole category when it is short (up to `shortCategory` wide: it
    // stays on one line), and, when the row shows the date (no note), the
    // whole date line. A note elides instead.
    static int neededColumn(const MoneyTransaction& transaction, int shortCategory);
    // What a row's text column keeps beside its amount (the `widestWord` of
    // amountWidth): the category's widest word and, for a row showing its
    // date, the date in digits (less kDateReach for these rows), but never the room the amount needs whole in
    // its smallest face (`smallestAmount`): money is not cut for the date.
    static int keptColumn(int widestWord, int numericDate, int room, int smallestAmount);
    static int keptColumn(const MoneyTransaction& transaction, int room);
    // The width of a date in digits: every such date is as wide, the
    // font's digits being of equal width.
    static int numericDateWidth();
    // The amount's width in the smallest face it may shrink to.
    static int smallestAmountWidth(const QString& amountText);
    // A date in digits (shown only beside an amount squeezed for it) may
    // reach this far into the gap before the amount: the flexible gap keeps
    // its least width.
    static constexpr int kDateReach = 28;  // the two row spacings around the flexible gap
    // The note, or the date as it fits a text column `columnWidth` wide:
    // abbreviated where it fits whole, else in digits reaching kDateReach
    // past the column; with the width the line is given.
    struct DetailLine {
        QString text;
        int width = 0;
    };
    static DetailLine detailLine(const MoneyTransaction& transaction, int columnWidth);
    // The share of the room up to which a category counts as short.
    static constexpr qreal kShortCategoryShare = 0.6;

    // Rows side by side in one list (children of one widget) draw their
    // amounts in one size: the largest at which every amount fits its row,
    // leaving out an amount that only fits far smaller (it shrinks alone).
    // Rows do this by themselves whenever they are placed; this does it now.
    static void shareAmountSize(const QList<TransactionRow*>& rows);
    // Amounts that need less than this share of the body size shrink alone.
    static constexpr qreal kSharedSizeFloor = 0.7;

    explicit TransactionRow(const MoneyTransaction& transaction, QWidget* parent = nullptr);

    void setTransaction(const MoneyTransaction& transaction);
    const MoneyTransaction& transaction() const { return transaction_; }

    // "+" for an income, "−" (U+2212) for an expense, then the money text.
    static QString signedAmountText(const MoneyTransaction& transaction);
    // The note, or the date when the note is empty.
    static QString detailText(const MoneyTransaction& transaction);
    // "Доход, <money>, <category>" / "Расход, <money>, <category>".
    static QString accessibleText(const MoneyTransaction& transaction);
    static QString kindSymbol(TransactionKind kind);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void scheduleSharing();
    void refresh();
    // The row's columns at a width, measured once per width (layouts ask
    // for the height again and again, and every paint needs them).
    const TransactionRowPainter::Columns& columnsAt(int width) const;

    MoneyTransaction transaction_;
    mutable int measuredWidth_ = -1;
    mutable TransactionRowPainter::Columns columns_;
    int sharedPixelSize_ = 0;  // the size the list's amounts share; 0: the amount's own
};
