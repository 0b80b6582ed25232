#pragma once

#include <QListView>
#include <QPoint>
#include <QUuid>
#include <QVector>
#include <optional>

class TransactionListModel;

// What a swipe or the context menu of an operation can do.
enum class RowAction { favorite, copy, remove };

// The list of operations with the phone's row gestures, driven by the mouse
// or a touch screen's synthesized mouse events:
// - a horizontal drag opens a row's leading actions ("Избранное", "Копия") or
//   its trailing action ("Удалить"); released past the middle of the buttons
//   it stays open, dragged beyond half the row it runs the first action of
//   that side (a full swipe);
// - a vertical drag scrolls the list;
// - a press released without moving is a tap: it opens the row, or, while a
//   row is open, runs the button under it or just closes that row;
// - one row is open at a time.
// A drag is never also a tap. The context menu offers the same three actions.
class SwipeListView : public QListView {
    Q_OBJECT
public:
    static constexpr int kActionWidth = 86;
    static constexpr int kDragThreshold = 8;  // movement before a press becomes a drag
    static constexpr int kSideMargin = 16;    // between the rows' card and the view's edges

    explicit SwipeListView(TransactionListModel* model, QWidget* parent = nullptr);

    static QVector<RowAction> leadingActions() { return {RowAction::favorite, RowAction::copy}; }
    static QVector<RowAction> trailingActions() { return {RowAction::remove}; }
    static QString title(RowAction action);   // "Избранное", "Копия", "Удалить"
    static QString symbol(RowAction action);  // "star", "plus.square.on.square", "trash"

    // The horizontal offset a row is drawn at: positive while its leading
    // actions show, negative while its trailing action shows.
    int offsetOf(const QUuid& id) const;
    // The open row (null id when none) and the actions shown under a row at an offset.
    QUuid openRow() const { return openId_; }
    void closeOpenRow();
    // The card a row is drawn in, inside its item rectangle.
    static QRect cardRect(const QRect& itemRect);
    // Whether an offset is far enough for a full swipe on a card of that width.
    static bool isFullSwipe(int offset, int cardWidth);

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

private:
    enum class Drag { none, pending, horizontal, vertical };

    QUuid idAt(const QPoint& pos) const;
    void repaintRow(const QUuid& id);
    // The action of the open row's button under a point, if any.
    std::optional<RowAction> buttonAt(const QPoint& pos) const;
    void finishSwipe();
    void trigger(RowAction action, QUuid id);  // by value: closing the row clears openId_

    TransactionListModel* model_;
    QUuid openId_;
    int openOffset_ = 0;
    Drag drag_ = Drag::none;
    QPoint pressPos_;
    QUuid pressId_;
    int dragStartOffset_ = 0;
    int liveOffset_ = 0;
    int scrollStart_ = 0;
};
