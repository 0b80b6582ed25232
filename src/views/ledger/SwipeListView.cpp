#include "views/ledger/SwipeListView.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainterPath>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

#include "views/ledger/TransactionListModel.h"

SwipeListView::SwipeListView(TransactionListModel* model, QWidget* parent)
    : QListView(parent), model_(model) {
    setObjectName(QStringLiteral("operationsList"));
    setModel(model);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setResizeMode(QListView::Adjust);  // row heights depend on the width (long categories wrap)
    setMouseTracking(false);
    // As every painted list: the keyboard comes by Tab, never by a click, so
    // that a key never repeats on a row what the mouse just did.
    setFocusPolicy(Qt::TabFocus);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    SwipeRows::Host host;
    host.rowAt = [this](const QPoint& pos) { return rowKeyAt(pos); };
    host.rowRect = [this](const QString& key) { return cardOf(key); };
    host.repaintRow = [this](const QString& key) { repaintRow(key); };
    host.scrollBar = [this] { return verticalScrollBar(); };
    swipes_ = std::make_unique<SwipeRows>(leadingActions(), trailingActions(), std::move(host));
    // A reset means a new list: no row stays open, no drag goes on.
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { swipes_->reset(); });
}

SwipeListView::~SwipeListView() = default;

QString SwipeListView::keyOf(RowAction action) {
    switch (action) {
        case RowAction::favorite:
            return QStringLiteral("favorite");
        case RowAction::copy:
            return QStringLiteral("copy");
        case RowAction::remove:
            return QStringLiteral("remove");
    }
    return {};
}

std::optional<RowAction> SwipeListView::actionOf(const QString& key) {
    for (RowAction action : {RowAction::favorite, RowAction::copy, RowAction::remove})
        if (keyOf(action) == key) return action;
    return std::nullopt;
}

QList<SwipeAction> SwipeListView::leadingActions() {
    return {{keyOf(RowAction::favorite), QStringLiteral("Избранное"), QStringLiteral("star"), ColorRole::Yellow},
            {keyOf(RowAction::copy), QStringLiteral("Копия"), QStringLiteral("plus.square.on.square"), ColorRole::Teal}};
}

QList<SwipeAction> SwipeListView::trailingActions() {
    return {{keyOf(RowAction::remove), QStringLiteral("Удалить"), QStringLiteral("trash"), ColorRole::Red}};
}

QRect SwipeListView::cardRect(const QRect& itemRect) {
    return itemRect.adjusted(kSideMargin, 0, -kSideMargin, 0);
}

QPainterPath SwipeListView::cardShape(const QRectF& card, bool first, bool last) {
    constexpr qreal r = 12;  // the rows' card
    QPainterPath path;
    if (!first && !last) {
        path.addRect(card);
        return path;
    }
    path.moveTo(card.left(), card.top() + (first ? r : 0));
    if (first) path.arcTo(QRectF(card.left(), card.top(), 2 * r, 2 * r), 180, -90);
    path.lineTo(card.right() - (first ? r : 0), card.top());
    if (first) path.arcTo(QRectF(card.right() - 2 * r, card.top(), 2 * r, 2 * r), 90, -90);
    path.lineTo(card.right(), card.bottom() - (last ? r : 0));
    if (last) path.arcTo(QRectF(card.right() - 2 * r, card.bottom() - 2 * r, 2 * r, 2 * r), 0, -90);
    path.lineTo(card.left() + (last ? r : 0), card.bottom());
    if (last) path.arcTo(QRectF(card.left(), card.bottom() - 2 * r, 2 * r, 2 * r), 270, -90);
    path.closeSubpath();
    return path;
}

void SwipeListView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    // A list flowing top to bottom lays its rows out again only when its
    // height changes; here a row's height may depend on the width (a long
    // category wraps), and the width changes whenever the scroll bar comes
    // or goes, so the rows are measured again. Rows that are all one line
    // at both widths keep their height (each takes the viewport's width as
    // it is drawn), so nothing needs laying out.
    if (event->size().width() == event->oldSize().width()) return;
    if (uniformItemSizes() && rowsShareHeight(viewport()->width())) return;
    scheduleDelayedItemsLayout();
}

void SwipeListView::doItemsLayout() {
    // Rows that are all one line tall share one height: the view then takes
    // it from one row instead of asking every row of the list (a ledger's
    // worth at every layout), and places them by arithmetic. A category that
    // wraps at this width makes the list view ask and place each row.
    if (model()->rowCount() > 0) setUniformItemSizes(rowsShareHeight(viewport()->width()));
    if (model()->rowCount() > 0 && uniformItemSizes()) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = viewport()->rect();
        rowHeight_ = std::max(1, itemDelegate()->sizeHint(option, model()->index(0, 0)).height());
        // What the list view's own layout ends with, without placing a row.
        QAbstractItemView::doItemsLayout();
        return;
    }
    rowHeight_ = 0;
    QListView::doItemsLayout();
}

void SwipeListView::updateGeometries() {
    if (rowHeight_ == 0) {
        QListView::updateGeometries();
        return;
    }
    const qint64 content = qint64(model()->rowCount()) * rowHeight_;
    const int page = viewport()->height();
    verticalScrollBar()->setSingleStep(rowHeight_);  // a wheel step moves by rows, as a list view does
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, int(std::clamp<qint64>(content - page, 0, std::numeric_limits<int>::max())));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void SwipeListView::scrollContentsBy(int dx, int dy) {
    if (rowHeight_ == 0) {
        QListView::scrollContentsBy(dx, dy);
        return;
    }
    // The list view moves the pixels on screen by its own layout, which
    // holds no row while the rows are placed by arithmetic: it would move
    // nothing, and the rows already on screen would stay where they were
    // drawn. The offset is the scroll bar's, so the pixels move by its change.
    viewport()->scroll(dx, dy);
}

QRect SwipeListView::placedRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model() || index.row() >= model()->rowCount()) return {};
    return {0, index.row() * rowHeight_, viewport()->width(), rowHeight_};
}

QRect SwipeListView::visualRect(const QModelIndex& index) const {
    if (rowHeight_ == 0) return QListView::visualRect(index);
    const QRect rect = placedRect(index);
    return rect.isValid() ? rect.translated(0, -verticalOffset()) : QRect();
}

QModelIndex SwipeListView::indexAt(const QPoint& point) const {
    if (rowHeight_ == 0) return QListView::indexAt(point);
    if (point.x() < 0 || point.x() >= viewport()->width()) return {};
    const qint64 y = qint64(point.y()) + verticalOffset();
    if (y < 0) return {};
    const qint64 row = y / rowHeight_;
    return row < model()->rowCount() ? model()->index(int(row), 0) : QModelIndex();
}

int SwipeListView::horizontalOffset() const { return rowHeight_ == 0 ? QListView::horizontalOffset() : 0; }

int SwipeListView::verticalOffset() const {
    return rowHeight_ == 0 ? QListView::verticalOffset() : verticalScrollBar()->value();
}

void SwipeListView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (rowHeight_ == 0) {
        QListView::scrollTo(index, hint);
        return;
    }
    const QRect rect = placedRect(index);
    if (!rect.isValid()) return;
    const int page = viewport()->height();
    const int value = verticalScrollBar()->value();
    int target = value;
    switch (hint) {
        case PositionAtTop:
            target = rect.top();
            break;
        case PositionAtBottom:
            target = rect.bottom() + 1 - page;
            break;
        case PositionAtCenter:
            target = rect.center().y() - page / 2;
            break;
        case EnsureVisible:
            if (rect.top() < value)
                target = rect.top();
            else if (rect.bottom() + 1 > value + page)
                target = rect.bottom() + 1 - page;
            break;
    }
    verticalScrollBar()->setValue(target);
}

QModelIndex SwipeListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    if (rowHeight_ == 0) return QListView::moveCursor(cursorAction, modifiers);
    const int count = model()->rowCount();
    if (count == 0) return {};
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    const int page = std::max(1, viewport()->height() / rowHeight_);
    // With no current row the walk starts where the user looks.
    const int onScreen = std::max(rowsOnScreen().first, 0);
    int row = current;
    switch (cursorAction) {
        case MoveUp:
        case MovePrevious:
            row = current < 0 ? onScreen : current - 1;
            break;
        case MoveDown:
        case MoveNext:
            row = current < 0 ? onScreen : current + 1;
            break;
        case MovePageUp:
            row = current - page;
            break;
        case MovePageDown:
            row = std::max(current, 0) + page;
            break;
        case MoveHome:
            row = 0;
            break;
        case MoveEnd:
            row = count - 1;
            break;
        default:
            break;
    }
    return model()->index(std::clamp(row, 0, count - 1), 0);
}

std::pair<int, int> SwipeListView::rowsOnScreen() const {
    const QRect area = viewport()->rect();
    const QModelIndex top = indexAt(QPoint(area.center().x(), area.top()));
    if (!top.isValid()) return {-1, -1};
    const QModelIndex bottom = indexAt(QPoint(area.center().x(), area.bottom()));
    return {top.row(), bottom.isValid() ? bottom.row() : model()->rowCount() - 1};
}

void SwipeListView::paintEvent(QPaintEvent* event) {
    // The rows the damaged area crosses, and only those, each on its card,
    // pushed aside over its swipe actions, tinted while it is the current
    // row of a list that has the keyboard.
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect area = event->rect();
    const QModelIndex firstIndex = indexAt(QPoint(viewport()->width() / 2, area.top()));
    if (!firstIndex.isValid()) return;
    const int count = model()->rowCount();
    const QModelIndex current = hasFocus() ? currentIndex() : QModelIndex();
    const QStyle::State base = QStyle::State_Enabled | (isActiveWindow() ? QStyle::State_Active : QStyle::State_None);
    for (int row = firstIndex.row(); row < count; ++row) {
        const QModelIndex index = model()->index(row, 0);
        const QRect rect = visualRect(index);
        if (rect.top() > area.bottom()) break;
        const QRect card = cardRect(rect);
        const int offset = swipes_->offsetOf(keyOf(index.data(TransactionListModel::IdRole).toUuid()));
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(cardShape(card, row == 0, row == count - 1));
        swipes_->paintActions(&painter, card, offset);
        painter.translate(offset, 0);
        option.rect = rect;
        option.state = base | (index == current ? QStyle::State_HasFocus : QStyle::State_None);
        itemDelegate()->paint(&painter, option, index);
        painter.restore();
    }
}

int SwipeListView::offsetOf(const QUuid& id) const { return swipes_->offsetOf(keyOf(id)); }

QUuid SwipeListView::openRow() const { return QUuid::fromString(swipes_->openRow()); }

void SwipeListView::closeOpenRow() { swipes_->closeOpenRow(); }

QString SwipeListView::rowKeyAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !cardRect(visualRect(index)).contains(pos)) return {};
    return keyOf(index.data(TransactionListModel::IdRole).toUuid());
}

QRect SwipeListView::cardOf(const QString& key) const {
    const int row = key.isEmpty() ? -1 : model_->rowOf(QUuid::fromString(key));
    return row >= 0 ? cardRect(visualRect(model_->index(row))) : QRect();
}

void SwipeListView::repaintRow(const QString& key) {
    const int row = key.isEmpty() ? -1 : model_->rowOf(QUuid::fromString(key));
    if (row >= 0) viewport()->update(visualRect(model_->index(row)));
}

void SwipeListView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    // A press always starts afresh: a release lost to another window leaves no drag behind.
    if (event->button() == Qt::LeftButton)
        swipes_->press(event->position().toPoint(), event->globalPosition().toPoint(), false);
}

void SwipeListView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click opens no row and runs no action;
    // it may still start a drag.
    event->accept();
    if (event->button() == Qt::LeftButton && !swipes_->isFollowing())
        swipes_->press(event->position().toPoint(), event->globalPosition().toPoint(), true);
}

void SwipeListView::mouseMoveEvent(QMouseEvent* event) {
    swipes_->move(event->globalPosition().toPoint());
    event->accept();
}

void SwipeListView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const SwipeRows::Outcome outcome = swipes_->release(event->position().toPoint());
    const QUuid id = QUuid::fromString(outcome.id);
    if (outcome.kind == SwipeRows::Outcome::Kind::tap) {
        emit rowTapped(id);
    } else if (outcome.kind == SwipeRows::Outcome::Kind::action) {
        if (const std::optional<RowAction> action = actionOf(outcome.key)) emit actionTriggered(*action, id);
    }
}

void SwipeListView::showRowActions(const QUuid& id, const QPoint& globalPos) {
    const int row = model_->rowOf(id);
    if (row < 0) return;
    closeOpenRow();
    const QRect rect = visualRect(model_->index(row));
    const QPoint at = globalPos.isNull() ? viewport()->mapToGlobal(QPoint(rect.center().x(), rect.bottom())) : globalPos;
    swipes_->showMenu(this, keyOf(id), at, [this](const QString& key, const QString& action) {
        // The row may have gone while its menu was open.
        const QUuid row = QUuid::fromString(key);
        const std::optional<RowAction> picked = actionOf(action);
        if (picked && model_->rowOf(row) >= 0) emit actionTriggered(*picked, row);
    });
}

void SwipeListView::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        if (currentIndex().isValid()) showRowActions(currentIndex().data(TransactionListModel::IdRole).toUuid());
        return;
    }
    const QString key = rowKeyAt(event->pos());
    if (!key.isEmpty()) showRowActions(QUuid::fromString(key), event->globalPos());
}

void SwipeListView::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    const bool pressKey =
        event->key() == Qt::Key_Space || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Return;
    if (menuKey || pressKey) {
        // The current row's actions as a menu: no key runs one by itself,
        // and a held key (which repeats) opens it once.
        if (!event->isAutoRepeat() && currentIndex().isValid())
            showRowActions(currentIndex().data(TransactionListModel::IdRole).toUuid());
        event->accept();
        return;
    }
    std::optional<CursorAction> walk;
    switch (event->key()) {
        case Qt::Key_Up:
            walk = MoveUp;
            break;
        case Qt::Key_Down:
            walk = MoveDown;
            break;
        case Qt::Key_PageUp:
            walk = MovePageUp;
            break;
        case Qt::Key_PageDown:
            walk = MovePageDown;
            break;
        case Qt::Key_Home:
            walk = MoveHome;
            break;
        case Qt::Key_End:
            walk = MoveEnd;
            break;
        default:
            // No typing to find a row and no selection: the search field finds rows.
            event->ignore();
            return;
    }
    // The list selects nothing, so the item view would not move its current
    // row at all: the walk moves it here, and the row comes into view.
    event->accept();
    closeOpenRow();
    const QModelIndex next = moveCursor(*walk, event->modifiers());
    if (!next.isValid()) return;
    selectionModel()->setCurrentIndex(next, QItemSelectionModel::NoUpdate);
    scrollTo(next);
}

void SwipeListView::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    // The current row is drawn only while the list has the keyboard.
    if (currentIndex().isValid()) viewport()->update(visualRect(currentIndex()));
}
