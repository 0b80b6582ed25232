#include "views/ledger/SwipeListView.h"

#include "components/Popups.h"
#include "components/Symbols.h"
#include "components/Theme.h"
#include "views/ledger/TransactionListModel.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>

SwipeListView::SwipeListView(TransactionListModel* model, QWidget* parent) : QListView(parent), model_(model) {
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
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        openId_ = QUuid();
        openOffset_ = 0;
        drag_ = Drag::none;
    });
}

QString SwipeListView::title(RowAction action) {
    switch (action) {
    case RowAction::favorite: return QStringLiteral("Избранное");
    case RowAction::copy: return QStringLiteral("Копия");
    case RowAction::remove: return QStringLiteral("Удалить");
    }
    return {};
}

QString SwipeListView::symbol(RowAction action) {
    switch (action) {
    case RowAction::favorite: return QStringLiteral("star");
    case RowAction::copy: return QStringLiteral("plus.square.on.square");
    case RowAction::remove: return QStringLiteral("trash");
    }
    return {};
}

QRect SwipeListView::cardRect(const QRect& itemRect) { return itemRect.adjusted(kSideMargin, 0, -kSideMargin, 0); }

bool SwipeListView::isFullSwipe(int offset, int cardWidth) {
    if (offset == 0) return false;
    const int buttons = (offset > 0 ? leadingActions() : trailingActions()).size() * kActionWidth;
    return std::abs(offset) >= std::max(cardWidth / 2, buttons + 24);
}
void SwipeListView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    // A list flowing top to bottom lays its rows out again only when its
    // height changes; here a row's height depends on the width (a long
    // category wraps), and the width changes whenever the scroll bar comes
    // or goes, so the rows are measured again.
    if (event->size().width() != event->oldSize().width()) scheduleDelayedItemsLayout();
}


int SwipeListView::offsetOf(const QUuid& id) const {
    if (id.isNull()) return 0;
    if (drag_ == Drag::horizontal && id == pressId_) return liveOffset_;
    return id == openId_ ? openOffset_ : 0;
}

void SwipeListView::closeOpenRow() {
    const QUuid was = openId_;
    openId_ = QUuid();
    openOffset_ = 0;
    repaintRow(was);
}

QUuid SwipeListView::idAt(const QPoint& pos) const {
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !cardRect(visualRect(index)).contains(pos)) return {};
    return index.data(TransactionListModel::IdRole).toUuid();
}

void SwipeListView::repaintRow(const QUuid& id) {
    if (id.isNull()) return;
    const int row = model_->rowOf(id);
    if (row >= 0) viewport()->update(visualRect(model_->index(row)));
}

std::optional<RowAction> SwipeListView::buttonAt(const QPoint& pos) const {
    if (openId_.isNull() || openOffset_ == 0) return std::nullopt;
    const int row = model_->rowOf(openId_);
    if (row < 0) return std::nullopt;
    const QRect card = cardRect(visualRect(model_->index(row)));
    if (pos.y() < card.top() || pos.y() > card.bottom()) return std::nullopt;
    const QVector<RowAction> actions = openOffset_ > 0 ? leadingActions() : trailingActions();
    const int width = std::abs(openOffset_) / actions.size();
    // The first action sits at the outer edge of its side.
    const int distance = openOffset_ > 0 ? pos.x() - card.left() : card.right() - pos.x();
    if (distance < 0 || distance >= std::abs(openOffset_)) return std::nullopt;
    return actions.at(std::min<int>(distance / std::max(width, 1), actions.size() - 1));
}

void SwipeListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || drag_ != Drag::none) {
        event->accept();
        return;
    }
    pressPos_ = event->position().toPoint();
    pressId_ = idAt(pressPos_);
    drag_ = Drag::pending;
    scrollStart_ = verticalScrollBar()->value();
    dragStartOffset_ = pressId_ == openId_ ? openOffset_ : 0;
    liveOffset_ = dragStartOffset_;
    event->accept();
}

void SwipeListView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void SwipeListView::mouseMoveEvent(QMouseEvent* event) {
    if (drag_ == Drag::none) return;
    const QPoint delta = event->position().toPoint() - pressPos_;
    if (drag_ == Drag::pending) {
        if (std::max(std::abs(delta.x()), std::abs(delta.y())) < kDragThreshold) return;
        const bool sideways = std::abs(delta.x()) > std::abs(delta.y());
        drag_ = sideways && !pressId_.isNull() ? Drag::horizontal : Drag::vertical;
        if (openId_ != pressId_ || drag_ == Drag::vertical) closeOpenRow();
        if (drag_ == Drag::horizontal) {
            // The row now follows the finger; it is no longer "open" at rest.
            openId_ = QUuid();
            openOffset_ = 0;
        }
    }
    if (drag_ == Drag::horizontal) {
        const int row = model_->rowOf(pressId_);
        const int limit = row >= 0 ? cardRect(visualRect(model_->index(row))).width() : 0;
        liveOffset_ = std::clamp(dragStartOffset_ + delta.x(), -limit, limit);
        repaintRow(pressId_);
    } else {
        verticalScrollBar()->setValue(scrollStart_ - delta.y());
    }
    event->accept();
}

void SwipeListView::mouseReleaseEvent(QMouseEvent* event) {
    const Drag drag = drag_;
    if (drag == Drag::none || event->button() != Qt::LeftButton) return;
    if (drag == Drag::horizontal) {
        finishSwipe();
    } else if (drag == Drag::pending) {
        drag_ = Drag::none;
        if (!openId_.isNull()) {
            // While a row is open a tap only acts on its buttons or closes it.
            if (const auto action = buttonAt(event->position().toPoint()))
                trigger(*action, openId_);
            else
                closeOpenRow();
        } else if (!pressId_.isNull() && pressId_ == idAt(event->position().toPoint())) {
            emit rowTapped(pressId_);
        }
    }
    drag_ = Drag::none;
    event->accept();
}

void SwipeListView::finishSwipe() {
    const QUuid id = pressId_;
    const int offset = liveOffset_;
    drag_ = Drag::none;
    const int row = model_->rowOf(id);
    const int cardWidth = row >= 0 ? cardRect(visualRect(model_->index(row))).width() : 0;
    if (row >= 0 && isFullSwipe(offset, cardWidth)) {
        trigger(offset > 0 ? leadingActions().first() : trailingActions().first(), id);
        return;
    }
    const int leading = leadingActions().size() * kActionWidth;
    const int trailing = trailingActions().size() * kActionWidth;
    if (offset > leading / 2) {
        openId_ = id;
        openOffset_ = leading;
    } else if (offset < -trailing / 2) {
        openId_ = id;
        openOffset_ = -trailing;
    } else {
        openId_ = QUuid();
        openOffset_ = 0;
    }
    repaintRow(id);
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
    const QColor tint = Theme::current().color(ColorRole::Label);
    for (RowAction action : {RowAction::favorite, RowAction::copy, RowAction::remove}) {
        const QColor color = action == RowAction::remove ? Theme::current().color(ColorRole::Red) : tint;
        QAction* item = menu->addAction(Symbols::icon(symbol(action), color), title(action));
        static const char* const names[] = {"rowAction_favorite", "rowAction_copy", "rowAction_remove"};
        item->setObjectName(QString::fromLatin1(names[static_cast<int>(action)]));
        if (action == RowAction::remove) Popups::setDestructive(item);
        connect(item, &QAction::triggered, this, [this, action, id] { emit actionTriggered(action, id); });
    }
    menu->popup(event->globalPos());
    event->accept();
}
