#include "views/ledger/SwipeListView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

#include "components/Popups.h"
#include "components/Symbols.h"
#include "components/Theme.h"
#include "views/ledger/TransactionListModel.h"
#include "views/ledger/TransactionRowDelegate.h"

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
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    // A reset means a new list: no row stays open, no drag goes on.
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { gesture_.reset(); });
}

QString SwipeListView::title(RowAction action) {
    switch (action) {
        case RowAction::favorite:
            return QStringLiteral("Избранное");
        case RowAction::copy:
            return QStringLiteral("Копия");
        case RowAction::remove:
            return QStringLiteral("Удалить");
    }
    return {};
}

QString SwipeListView::symbol(RowAction action) {
    switch (action) {
        case RowAction::favorite:
            return QStringLiteral("star");
        case RowAction::copy:
            return QStringLiteral("plus.square.on.square");
        case RowAction::remove:
            return QStringLiteral("trash");
    }
    return {};
}

QRect SwipeListView::cardRect(const QRect& itemRect) {
    return itemRect.adjusted(kSideMargin, 0, -kSideMargin, 0);
}

bool SwipeListView::isFullSwipe(int offset, int cardWidth) {
    return SwipeGesture(int(leadingActions().size()), int(trailingActions().size()))
        .isFullSwipe(offset, cardWidth);
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
    const auto* rows = qobject_cast<const TransactionRowDelegate*>(itemDelegate());
    if (uniformItemSizes() && rows && rows->allRowsOneLine(viewport()->width())) return;
    scheduleDelayedItemsLayout();
}

void SwipeListView::doItemsLayout() {
    // Rows that are all one line tall share one height: the view then takes
    // it from one row instead of asking every row of the list (a ledger's
    // worth at every layout), and places them by arithmetic. A category that
    // wraps at this width makes the list view ask and place each row.
    const auto* rows = qobject_cast<const TransactionRowDelegate*>(itemDelegate());
    if (model()->rowCount() > 0) setUniformItemSizes(rows && rows->allRowsOneLine(viewport()->width()));
    if (model()->rowCount() > 0 && uniformItemSizes()) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
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
    int row = current;
    switch (cursorAction) {
        case MoveUp:
        case MovePrevious:
            row = current < 0 ? 0 : current - 1;
            break;
        case MoveDown:
        case MoveNext:
            row = current + 1;
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

void SwipeListView::paintEvent(QPaintEvent* event) {
    if (rowHeight_ == 0) {
        QListView::paintEvent(event);
        return;
    }
    // The rows the damaged area crosses, and only those.
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect area = event->rect();
    const QModelIndex firstIndex = indexAt(QPoint(0, area.top()));
    if (!firstIndex.isValid()) return;
    const int count = model()->rowCount();
    for (int row = firstIndex.row(); row < count; ++row) {
        const QModelIndex index = model()->index(row, 0);
        option.rect = visualRect(index);
        if (option.rect.top() > area.bottom()) break;
        option.state = QStyle::State_Enabled | (isActiveWindow() ? QStyle::State_Active : QStyle::State_None);
        itemDelegate()->paint(&painter, option, index);
    }
}

int SwipeListView::offsetOf(const QUuid& id) const { return gesture_.offsetOf(keyOf(id)); }

void SwipeListView::closeOpenRow() {
    const QUuid was = openRow();
    gesture_.closeOpenRow();
    repaintRow(was);
}

QUuid SwipeListView::idAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !cardRect(visualRect(index)).contains(pos)) return {};
    return index.data(TransactionListModel::IdRole).toUuid();
}

int SwipeListView::cardWidthOf(const QUuid& id) const {
    const int row = model_->rowOf(id);
    return row >= 0 ? cardRect(visualRect(model_->index(row))).width() : 0;
}

void SwipeListView::repaintRow(const QUuid& id) {
    if (id.isNull()) return;
    const int row = model_->rowOf(id);
    if (row >= 0) viewport()->update(visualRect(model_->index(row)));
}

std::optional<RowAction> SwipeListView::buttonAt(const QPoint& pos) const {
    const QUuid open = openRow();
    const int row = model_->rowOf(open);
    if (open.isNull() || row < 0) return std::nullopt;
    const QRect card = cardRect(visualRect(model_->index(row)));
    if (pos.y() < card.top() || pos.y() > card.bottom()) return std::nullopt;
    const bool leading = gesture_.openSide() > 0;
    const std::optional<int> index =
        gesture_.buttonAt(leading ? pos.x() - card.left() : card.right() - pos.x());
    if (!index) return std::nullopt;
    return (leading ? leadingActions() : trailingActions()).at(*index);
}

void SwipeListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || gesture_.phase() != SwipeGesture::Phase::idle) {
        event->accept();
        return;
    }
    gesture_.press(event->position().toPoint(), keyOf(idAt(event->position().toPoint())));
    scrollStart_ = verticalScrollBar()->value();
    event->accept();
}

void SwipeListView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void SwipeListView::mouseMoveEvent(QMouseEvent* event) {
    if (gesture_.phase() == SwipeGesture::Phase::idle) return;
    const QUuid pressed = QUuid::fromString(gesture_.pressedKey());
    QString closed;
    const SwipeGesture::Phase phase =
        gesture_.move(event->position().toPoint(), cardWidthOf(pressed), &closed);
    if (!closed.isEmpty()) repaintRow(QUuid::fromString(closed));
    if (phase == SwipeGesture::Phase::swipe)
        repaintRow(pressed);
    else if (phase == SwipeGesture::Phase::scroll)
        verticalScrollBar()->setValue(scrollStart_ - gesture_.scrollDelta(event->position().toPoint()));
    event->accept();
}

void SwipeListView::mouseReleaseEvent(QMouseEvent* event) {
    if (gesture_.phase() == SwipeGesture::Phase::idle || event->button() != Qt::LeftButton) return;
    const QPoint pos = event->position().toPoint();
    const QUuid pressed = QUuid::fromString(gesture_.pressedKey());
    // Read before the release: a tap on an open row's button needs the row still open.
    const std::optional<RowAction> button = buttonAt(pos);
    const SwipeGesture::Release release = gesture_.release(keyOf(idAt(pos)), cardWidthOf(pressed));
    const QUuid id = QUuid::fromString(release.key);
    switch (release.kind) {
        case SwipeGesture::Release::Kind::tapWhileOpen:
            // While a row is open a tap only acts on its buttons or closes it.
            if (button)
                trigger(*button, id);
            else
                closeOpenRow();
            break;
        case SwipeGesture::Release::Kind::tap:
            emit rowTapped(id);
            break;
        case SwipeGesture::Release::Kind::fullSwipe:
            trigger(release.side > 0 ? leadingActions().first() : trailingActions().first(), id);
            break;
        case SwipeGesture::Release::Kind::settled:
            repaintRow(id);
            break;
        case SwipeGesture::Release::Kind::none:
            break;
    }
    event->accept();
}

void SwipeListView::trigger(RowAction action, QUuid id) {
    closeOpenRow();
    repaintRow(id);
    emit actionTriggered(action, id);
}

void SwipeListView::contextMenuEvent(QContextMenuEvent* event) {
    const QUuid id = idAt(event->pos());
    if (id.isNull()) return;
    closeOpenRow();
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("rowContextMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (RowAction action : {RowAction::favorite, RowAction::copy, RowAction::remove}) {
        const QIcon icon = action == RowAction::remove ? Symbols::icon(symbol(action), ColorRole::Red)
                                                       : Symbols::menuIcon(symbol(action));
        QAction* item = menu->addAction(icon, title(action));
        static const char* const names[] = {"rowAction_favorite", "rowAction_copy", "rowAction_remove"};
        item->setObjectName(QString::fromLatin1(names[static_cast<int>(action)]));
        if (action == RowAction::remove) Popups::setDestructive(item);
        connect(item, &QAction::triggered, this, [this, action, id] { emit actionTriggered(action, id); });
    }
    menu->popup(event->globalPos());
    event->accept();
}
