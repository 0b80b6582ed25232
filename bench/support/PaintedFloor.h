#pragma once

// The floor every screen is measured against: what Qt itself needs to show N
// records in the phone window. A QListView whose delegate paints each record
// as two lines (a title over a detail) with an amount on the right, and beside
// it the same records as a column of composed widgets (labels in layouts in a
// scroll area), which is what a screen pays when it builds a widget tree per
// record.
#include <QAbstractListModel>
#include <QListView>
#include <QScrollArea>
#include <QStyledItemDelegate>

// N generated records; reading a row formats its texts on the spot, so the
// model costs nothing per row until the row is painted.
class FloorModel : public QAbstractListModel {
public:
    enum Role { DetailRole = Qt::UserRole + 1, AmountRole };
    explicit FloorModel(int rows, QObject* parent = nullptr);
    // A new list of the same length with other amounts, published as one reset.
    void reset();
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    static QString title(int row);
    static QString detail(int row);
    static QString amount(int row, int generation);

private:
    int rows_;
    int generation_ = 0;
};

// Paints a record as the app's rows look: a title over a detail, the amount
// on the right, a separator. Every row has the same height.
class FloorDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int kRowHeight = 62;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The painted floor: the list with its model and delegate.
class PaintedFloorList : public QListView {
public:
    explicit PaintedFloorList(int rows, QWidget* parent = nullptr);
    FloorModel* floorModel() const { return model_; }

private:
    FloorModel* model_;
};

// The composed floor: one widget per record (two labels over each other and
// an amount label in layouts), stacked in a scroll area.
class WidgetFloorColumn : public QScrollArea {
public:
    explicit WidgetFloorColumn(int rows, QWidget* parent = nullptr);
    // Replaces every row widget by a new one (what a screen does that rebuilds its list).
    void replaceRows();

private:
    void fill(int generation);
    int rows_;
    int generation_ = 0;
};

// The median of a floor's samples and the spread around it: the 10th and
// 90th percentiles, in milliseconds.
struct FloorTime {
    double medianMs = 0;
    double lowMs = 0;
    double highMs = 0;
};

// The painted floor's costs at one size: construction to the first full paint
// of the phone window and one model reset plus repaint, in milliseconds, and
// the bytes the opened window holds.
struct FloorFigures {
    double openMs = 0;
    double resetMs = 0;
    qint64 heldBytes = 0;  // what the opened window holds on the heap (heapBytesInUse)
    FloorTime open;
    FloorTime reset;
};

// Measured once per program run for each size, exactly as bench_floor's
// paintedOpen and paintedReset measure it (opens of a new window; resets of
// one open window, again and again), after warm-up runs that are not counted,
// so a screen benchmark states its ratio to the same floor bench_floor
// reports, measured in the same run: that ratio holds on a busy machine where
// absolute times do not.
const FloorFigures& paintedFloor(int rows);
