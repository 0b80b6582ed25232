#include "views/ledger/SwipeListView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

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
    // worth at every layout). A category that wraps at this width makes the
    // view ask each row.
    const auto* rows = qobject_cast<const TransactionRowDelegate*>(itemDelegate());
    if (model()->rowCount() > 0) setUniformItemSizes(rows && rows->allRowsOneLine(viewport()->width()));
    QListView::doItemsLayout();
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
