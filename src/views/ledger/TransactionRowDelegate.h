#pragma once

#include <QFontMetrics>
#include <QHash>
#include <QStyledItemDelegate>
#include <QUuid>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "components/TextFit.h"
#include "components/TransactionRow.h"
#include "components/TransactionRowPainter.h"

class TransactionListModel;
struct MoneyTransaction;

// Paints an operation of the list with TransactionRowPainter (kind arrow on
// a pale disc, category over note or date, signed amount), followed
// by a yellow star for a favourite, on the rows' card, tinted while it is the
// current row of a list that has the keyboard (State_HasFocus). Only visible
// rows are ever painted, and a row's height is found without laying out text
// except for a category too long for one line. It reads its rows' records
// and its state; what it needs of where the rows are shown (their width, the
// rows on screen) the screen hands in as Placement.
struct LedgerChange;

class TransactionRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kPaddingH = 16;
    static constexpr int kPaddingV = 10;
    static constexpr int kIconBox = TransactionRow::kIconBox;
    static constexpr int kStarGap = 8;

    // Where the rows are shown: their width, and the first and last rows on screen.
    struct Placement {
        std::function<int()> rowWidth;
        std::function<std::pair<int, int>()> rowsOnScreen;
    };
    TransactionRowDelegate(const TransactionListModel& rows, Placement placement, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Forgets the measured text widths and row heights (after the currency,
    // language or theme changed).
    void clearMeasurements();
    // Forgets the row heights (after the ledger changed: a row's position may
    // now hold another transaction, or the same one with other texts).
    void forgetHeights();
    // The same after the store's change to the ledger, keeping what it counts
    // of the categories' amounts when the change touched one transaction.
    void ledgerChanged(const LedgerChange& change);
    // How many row heights were worked out (not read back) in this process.
    static qint64 heightMeasurements() { return heightMeasurements_; }
    // Whether every operation of the ledger is one line tall in a view of
    // that viewport width, so that the rows share one height and the view
    // need not ask each row's. Settled per category (with the widest amount
    // of its rows), once per ledger and width.
    bool allRowsOneLine(int viewportWidth) const;

    // The width of a row's text column on a card of that width: everything
    // the icon, the gaps and the amount leave (a favourite's star narrows
    // the gap before its amount instead).
    int textWidth(const MoneyTransaction& t, int cardWidth) const;
    // A row's second line in a text column of that width, before any
    // eliding: the note, or the abbreviated date where it fits whole, else
    // the date in digits (which the column always keeps room for).
    QString detailLine(const MoneyTransaction& t, int columnWidth) const;
    // The face a row's amount is drawn in: the size the rows on screen share
    // (a favourite's too), or a smaller one for an amount that only fits far smaller.
    QFont amountFace(const MoneyTransaction& t, int cardWidth) const;

private:
    // A row's height and the card widths it holds for: a category on one line
    // beside any amount keeps its height at every width from where it fits;
    // a longer one holds only for the width it was wrapped at.
    struct MeasuredHeight {
        int height = 0;  // 0: not measured
        int fromWidth = 0;
        int toWidth = 0;
    };
    MeasuredHeight measureHeight(const MoneyTransaction* t, int cardWidth) const;

    // Text widths of categories (by text: a ledger repeats a few categories
    // many times) and of amount texts (by kind, sign and number of whole
    // digits: the font's digits are of equal width), so that finding the
    // heights of all rows neither formats nor measures every amount.
    int categoryAdvance(const QString& category) const;
    int amountAdvance(const MoneyTransaction& t) const;
    // An amount's kind, sign and whole digits, as one key.
    static int amountShape(const MoneyTransaction& t);
    // What the row leaves its text column and amount together (a favourite's too).
    static int textRoom(const MoneyTransaction& t, int cardWidth);
    // The height of a category wrapped at a width, laid out once per text and width.
    int categoryHeight(const QString& category, int width) const;
    int widestWord(const QString& category) const;
    // What the text column needs at least (TransactionRow::neededColumn), the widest words cached.
    int neededColumn(const MoneyTransaction& t, int room) const;
    // The same without the date line: what a row with a note needs, and
    // never more than what a row with its date needs.
    int neededBesideDate(const MoneyTransaction& t, int room) const;
    int neededBesideDate(const QString& category, int room) const;
    // The text column a row's amount leaves when the column needs `needed`.
    int columnFor(const MoneyTransaction& t, int room, int needed) const;
    int columnFor(int amount, int kept, int room, int needed) const;
    // What the row's text column keeps whole beside any amount: the
    // category's widest word and, on a row showing its date, the date in
    // digits, as far as the amount stays whole in its smallest face.
    int keptWidth(const MoneyTransaction& t, int room) const;
    // The width of the row's amount in the smallest face it shrinks to, by its shape.
    int smallestAmountAdvance(const MoneyTransaction& t) const;
    // The row's text column, or a narrower one that still holds its category
    // on one line (the date line left out where that settles it).
    int oneLineColumn(const MoneyTransaction& t, int room, int category) const;
    // The width of a row's date line, measured once per month, day length and hour.
    int dateLineWidth(const QDateTime& date) const;
    // The note, or the date when the note is empty (TransactionRow::detailText).
    QString detailText(const MoneyTransaction& t) const;
    // The amount's width in a row of a card that wide, and the size its whole amount fits at there.
    int amountWidthIn(const MoneyTransaction& t, int cardWidth) const;
    int amountWidthIn(const MoneyTransaction& t, const QString& amountText, int cardWidth) const;
    int fittingAmountSize(const MoneyTransaction& t, int cardWidth) const;
    int fittingAmountSize(const QString& amountText, int amountWidth) const;
    // The size the amounts of the rows on screen share (TransactionRow::shareAmountSize):
    // the largest every one of them fits at, leaving out one that only fits far smaller.
    int sharedAmountSize(int cardWidth) const;

    // What painting a row works out from its content and the card's width,
    // kept by ledger position until the ledger, the fonts or the width
    // change: a row painted again (a scroll, a filter, a keystroke, a swipe)
    // is drawn without formatting, measuring, wrapping or eliding.
    struct RowPaint {
        int cardWidth = -1;
        QString amountText;
        int fittingSize = 0;  // the size the amount fits at alone
        std::shared_ptr<const TextFit::WrappedText> category;
        // The row as TransactionRowPainter draws it; its category is the one above.
        TransactionRowPainter::Laid laid;
        int drawnSize = 0;  // the shared size the laid amount was fitted at
    };
    RowPaint& rowPaint(int position, const MoneyTransaction& t, int cardWidth) const;
    void paintContent(QPainter* painter, const QRect& card, const MoneyTransaction& t, RowPaint& row,
                      int sharedSize, bool last, bool current) const;

    const TransactionListModel& rows_;
    Placement placement_;
    mutable std::optional<QFontMetrics> categoryMetrics_;
    mutable std::optional<QFontMetrics> amountMetrics_;
    mutable std::optional<QFontMetrics> detailMetrics_;
    mutable QHash<int, int> dateLineWidths_;
    mutable int detailHeight_ = 0;
    mutable int lineHeight_ = 0;  // one line of category
    mutable int numericDateWidth_ = 0;
    mutable QHash<QString, int> categoryWidths_;
    mutable QHash<int, int> amountWidths_;
    mutable QHash<int, int> smallestAmountWidths_;
    mutable QHash<std::pair<QString, int>, int> wrappedHeights_;
    mutable QHash<std::pair<QString, int>, int> fittingSizes_;  // by amount text and width
    mutable QHash<qint64, QString> dateTexts_;                   // by instant
    mutable QHash<QString, int> widestWords_;
    mutable std::array<std::pair<QString, int>, 8> recentCategories_;
    mutable size_t nextRecent_ = 0;
    // By ledger position, so that a filter or a search keystroke (which
    // shows other positions of the same ledger) measures nothing again, and
    // the list's several layouts of one open measure each row once.
    mutable std::vector<MeasuredHeight> heights_;
    mutable QHash<int, RowPaint> rowPaints_;  // by ledger position
    // The ledger's categories, each with the widest amount of its rows.
    struct CategoryAmounts {
        QString category;
        int widestAmount = 0;
    };
    mutable std::optional<std::vector<CategoryAmounts>> categoryAmounts_;
    // How many rows of each amount shape (kind and sign, whole digits) each
    // category holds, for the ledger at shapesRevision_: a change of one row
    // moves two counts, and categoryAmounts_ is read from them.
    static constexpr int kShapeDigits = 19;
    struct CategoryShapes {
        QString category;
        std::array<std::array<int, kShapeDigits + 1>, 4> rows{};
    };
    mutable std::optional<std::vector<CategoryShapes>> shapes_;
    mutable QHash<QString, size_t> shapeIndex_;
    mutable quint64 shapesRevision_ = 0;
    void countShapes() const;
    void countShape(const MoneyTransaction& t, int sign) const;
    void forgetRows();
    mutable std::optional<std::pair<int, bool>> oneLineAt_;  // viewport width, answer
    const std::vector<CategoryAmounts>& categoryAmounts() const;
    static inline qint64 heightMeasurements_ = 0;
    // The shared size, for the rows on screen (first and last id) at a width.
    struct SharedSize {
        QUuid first;
        QUuid last;
        int rows = 0;
        int width = 0;
        int size = 0;
    };
    mutable SharedSize shared_;
};
