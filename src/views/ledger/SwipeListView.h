#pragma once

#include <QListView>
#include <QPoint>
#include <QUuid>
#include <QVector>
#include <optional>

#include "components/SwipeGesture.h"

class TransactionListModel;

// What a swipe or the context menu of an operation can do.
enum class RowAction { favorite, copy, remove };

// The list of operations with the phone's row gestures (SwipeGesture), driven
// by the mouse or a touch screen's synthesized mouse events: a row's leading
// actions are "Избранное" and "Копия", its trailing action "Удалить"; a tap
// opens the row. The context menu offers the same three actions.
class SwipeListView : public QListView {
    Q_OBJECT
public:
    static constexpr int kActionWidth = SwipeGesture::kActionWidth;
    static constexpr int kDragThreshold = SwipeGesture::kDragThreshold;
    static constexpr int kSideMargin = 16;  // between the rows' card and the view's edges

    explicit SwipeListView(TransactionListModel* model, QWidget* parent = nullptr);

    static QVector<RowAction> leadingActions() { return {RowAction::favorite, RowAction::copy}; }
    static QVector<RowAction> trailingActions() { return {RowAction::remove}; }
    static QString title(RowAction action);   // "Избранное", "Копия", "Удалить"
    static QString symbol(RowAction action);  // "star", "plus.square.on.square", "trash"

    // The horizontal offset a row is drawn at: positive while its leading
    // actions show, negative while its trailing action shows.
    int offsetOf(const QUuid& id) const;
    // The open row (null id when none) and the actions shown under a row at an offset.
    QUuid openRow() const { return QUuid::fromString(gesture_.openKey()); }
    void closeOpenRow();
    // The card a row is drawn in, inside its item rectangle.
    static QRect cardRect(const QRect& itemRect);
    // Whether an offset is far enough for a full swipe on a card of that width.
    static bool isFullSwipe(int offset, int cardWidth);

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
    int cardWidthOf(const QUuid& id) const;
    QUuid idAt(const QPoint& pos) const;
    void repaintRow(const QUuid& id);
    // The action of the open row's button under a point, if any.
    std::optional<RowAction> buttonAt(const QPoint& pos) const;
    void trigger(RowAction action, QUuid id);  // by value: closing the row clears the open key

    // The rows' one height while they are placed by arithmetic; 0 while the list view lays them out.
    int rowHeight_ = 0;
    // A row's place in the whole list (not scrolled) while placed by arithmetic.
    QRect placedRect(const QModelIndex& index) const;
    TransactionListModel* model_;
    SwipeGesture gesture_{int(leadingActions().size()), int(trailingActions().size())};
    int scrollStart_ = 0;
};
