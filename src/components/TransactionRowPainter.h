#pragma once

#include <QFont>
#include <QList>
#include <QPair>
#include <QRect>
#include <QString>

class QPainter;
struct MoneyTransaction;
namespace TextFit {
class WrappedText;
}

// Paints a ledger operation as TransactionRow lays it out (the kind arrow on
// a pale disc, the category over the note or date, the signed amount), for
// every painted list that shows operations: the operations list and the
// calendar's day both draw a row's content here and nowhere else. The amount
// shrinks and then elides inside its width, so a row never widens its page.
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
// A row laid out at one width: every text as drawn, so that a list may keep
// it and paint the row again without measuring, wrapping or eliding.
struct Laid {
    const TextFit::WrappedText* category = nullptr;  // wrapped at the text column's width
    int categoryHeight = 0;
    int columnWidth = 0;
    QString detail;       // the second line, already elided to its box
    int detailWidth = 0;  // its box: the column, or more for a date in digits
    QString amount;       // the amount as drawn: whole, or elided
    QFont amountFont;     // and its face, shrunk to fit
    int amountWidth = 0;
};
// The amount in `width` from the face `face`: shrunk (TextFit::shrunkToFit),
// then elided where even the smallest face is too wide.
struct FittedAmount {
    QFont font;
    QString text;
};
FittedAmount fittedAmount(const QString& amountText, const QFont& face, int width);
// Paints a laid row in `content`: the icon at its left edge, the amount
// ending `trailing` pixels short of its right edge (a list's mark after the
// amount, such as a favourite's star, takes that room), the texts between,
// all centred on its middle. The painter's font, pen and brush are left changed.
void paint(QPainter* painter, const QRect& content, const MoneyTransaction& t, const Laid& laid, int trailing = 0);
// Lays the row out from its columns and paints it so.
void paint(QPainter* painter, const QRect& content, const MoneyTransaction& t, const Columns& columns);

}  // namespace TransactionRowPainter
