#pragma once

#include <QList>
#include <QPair>
#include <QRect>
#include <QString>

class QPainter;
struct MoneyTransaction;

// Paints a ledger operation as TransactionRow lays it out (the kind arrow on
// a pale disc, the category over the note or date, the signed amount), for
// every painted list that shows operations: the operations list and the
// calendar's day. The amount shrinks and then elides inside its width, so a
// row never widens its page.
namespace TransactionRowPainter {

// How a row's content shares its width.
struct Columns {
    int amountWidth = 0;     // what the amount is given: its natural width, or less
    int textWidth = 0;       // the text column: every pixel the amount leaves
    int categoryHeight = 0;  // the category wrapped at the column's width
    int amountPixelSize = 0;  // the size the list's amounts share; 0: the amount's own
};

// What a row's content leaves its text column and amount together.
int textRoom(int contentWidth);
// The columns of a row whose content (the row without its paddings) is
// `contentWidth` wide, measured afresh: the amount keeps its size while the
// category's widest word and the date fit beside it, and shrinks first.
Columns columns(const MoneyTransaction& t, int contentWidth);
// The size at which every amount of a list fits its row at `contentWidth`,
// leaving out an amount that only fits far smaller (it shrinks alone), as
// the widget rows of one list share theirs; 0 when the full size fits all.
int sharedAmountSize(const QList<const MoneyTransaction*>& rows, int contentWidth);
// The same for rows whose columns are known: each row's signed amount text
// and the amount width of its columns.
int sharedAmountSize(const QList<QPair<QString, int>>& amounts);
// The content's height: the icon's, or the text column's when taller.
int contentHeight(int categoryHeight);
// Paints the content in `content`: the icon at its left edge, the amount
// ending at its right edge, the texts between, centred on its middle.
void paint(QPainter* painter, const QRect& content, const MoneyTransaction& t, const Columns& columns);

}  // namespace TransactionRowPainter
