#pragma once

#include <QListView>
#include <QPoint>
#include <QUuid>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "components/SwipeRows.h"

class QPainterPath;

class TransactionListModel;

// What a swipe or the row's menu of an operation can do.
enum class RowAction { favorite, copy, remove };

// The list of operations. Its rows follow the kit's rules through the swipe
// controller the painted lists share (SwipeRows): a row's leading actions
// are "Избранное" and "Копия", its trailing action "Удалить"; a tap opens
// the row, the second press of a double-click does nothing; the row's menu
// (a right-click, the Menu key, Shift+F10, or Space, Enter or Return on the
// current row) offers the same three actions, and runs one only once it is
// picked. The keyboard walks the rows (the arrows, Page Up and Down, Home
// and End), and the current row is drawn while the list has the keyboard.
class SwipeListView : public QListView {
    Q_OBJECT
public:
    static constexpr int kActionWidth = SwipeGesture::kActionWidth;
    static constexpr int kDragThreshold = SwipeGesture::kDragThreshold;
    static constexpr int kSideMargin = 16;  // between the rows' card and the view's edges

    explicit SwipeListView(TransactionListModel* model, QWidget* parent = nullptr);
    ~SwipeListView() override;

    static QList<SwipeAction> leadingActions();   // "Избранное", "Копия"
    static QList<SwipeAction> trailingActions();  // "Удалить"
    static QString keyOf(RowAction action);       // "favorite", "copy", "remove"
    static std::optional<RowAction> actionOf(const QString& key);

    // The horizontal offset a row is drawn at: positive while its leading
    // actions show, negative while its trailing action shows.
    int offsetOf(const QUuid& id) const;
    // The open row (null id when none).
    QUuid openRow() const;
    void closeOpenRow();
    // The row's actions as a menu at `globalPos` (below the row when none is given).
    void showRowActions(const QUuid& id, const QPoint& globalPos = {});
    // The card a row is drawn in, inside its item rectangle.
    static QRect cardRect(const QRect& itemRect);
    // The card's outline: its corners round at the list's first and last rows.
    static QPainterPath cardShape(const QRectF& card, bool first, bool last);

    // Whether every row is one line tall at a viewport width (the screen
    // asks its rows' delegate): the rows then share one height.
    void setRowsShareHeight(std::function<bool(int viewportWidth)> test) { rowsShareHeight_ = std::move(test); }
    // The first and last rows the viewport shows now (-1, -1 when none).
    std::pair<int, int> rowsOnScreen() const;

    void doItemsLayout() override;

    // While the rows share one height, the list places them by arithmetic
    // (row × height) instead of laying out each of them as a list view
    // does: an open, a filter or a keystroke then costs the rows on screen,
    // not the rows of the list. Otherwise the list view lays them out.
    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    void rowTapped(const QUuid& id);
    void actionTriggered(RowAction action, const QUuid& id);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    static QString keyOf(const QUuid& id) {
        return id.isNull() ? QString() : id.toString(QUuid::WithoutBraces);
    }
    QString rowKeyAt(const QPoint& pos) const;
    QRect cardOf(const QString& key) const;
    void repaintRow(const QString& key);
    bool rowsShareHeight(int viewportWidth) const { return rowsShareHeight_ && rowsShareHeight_(viewportWidth); }

    // The rows' one height while they are placed by arithmetic; 0 while the list view lays them out.
    int rowHeight_ = 0;
    // A row's place in the whole list (not scrolled) while placed by arithmetic.
    QRect placedRect(const QModelIndex& index) const;
    TransactionListModel* model_;
    std::unique_ptr<SwipeRows> swipes_;
    std::function<bool(int)> rowsShareHeight_;
};
