#pragma once

#include <QStyledItemDelegate>

class SwipeListView;
struct MoneyTransaction;

// Paints an operation of the list as the kit's TransactionRow draws it (kind
// arrow on a pale disc, category over note or date, signed amount), followed
// by a yellow star for a favourite, on the rows' card, with the swipe buttons
// under a row that is pushed aside. Only visible rows are ever painted, and
// a row's height is found without laying out text except for a category too
// long for one line.
class TransactionRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kPaddingH = 16;
    static constexpr int kPaddingV = 10;
    static constexpr int kIconBox = 42;
    static constexpr int kStarGap = 8;

    explicit TransactionRowDelegate(SwipeListView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The width the category may take in a card of the given width.
    static int categoryWidth(const MoneyTransaction& t, int cardWidth);

private:
    void paintContent(QPainter* painter, const QRect& card, const MoneyTransaction& t, bool first, bool last) const;
    void paintActions(QPainter* painter, const QRect& card, int offset, bool first, bool last) const;

    SwipeListView* view_;
};
