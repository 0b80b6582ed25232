// The ways to a row's swipe actions other than a swipe: the row's own
// keyboard stop, the menu (right-click, the Menu key, Shift+F10) and the
// accessible row's actions.
#include <QContextMenuEvent>

#include "components/PaintedList.h"
#include "components/SwipeRows.h"

QList<PaintedList::ButtonRef> PaintedList::focusStops(int row) const {
    QList<ButtonRef> stops;
    if (row < 0 || row >= ids_.size()) return stops;
    const QString& id = ids_.at(row);
    if (hasRowStops()) stops.append({id, kRowKey});
    for (const PaintedButton& b : buttonsOf(row))
        if (b.enabled && isEnabled()) stops.append({id, b.key});
    return stops;
}

QList<PaintedList::ButtonRef> PaintedList::accessibleItems() const {
    QList<ButtonRef> items;
    for (int row = 0; row < ids_.size(); ++row) {
        const QString& id = ids_.at(row);
        if (hasRowStops() || !rowName(id).isEmpty()) items.append({id, kRowKey});
        for (const PaintedButton& b : buttonsOf(row)) items.append({id, b.key});
    }
    return items;
}

QString PaintedList::rowName(const QString& id) const {
    return index_.contains(id) ? delegate_.accessibleName(id) : QString();
}

bool PaintedList::runSwipeAction(const QString& id, const QString& key) {
    // The row may have gone while its menu was open.
    if (!index_.contains(id) || !swipe_ || !swipe_->hasAction(key)) return false;
    closeOpenRow();
    emit swipeActionTriggered(id, key);
    return true;
}

void PaintedList::showRowActions(const QString& id, const QPoint& globalPos) {
    if (!hasRowStops() || !index_.contains(id)) return;
    closeOpenRow();
    const QRect row = rowRect(id);
    swipe_->showMenu(this, id,
                     globalPos.isNull() ? mapToGlobal(QPoint(row.left() + row.width() / 2, row.bottom())) : globalPos,
                     [this](const QString& row, const QString& key) { runSwipeAction(row, key); });
}

void PaintedList::contextMenuEvent(QContextMenuEvent* event) {
    if (!hasRowStops()) return QWidget::contextMenuEvent(event);
    event->accept();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        if (index_.contains(focus_.id)) showRowActions(focus_.id);
        return;
    }
    const int row = rowAt(event->pos().y());
    if (row >= 0) showRowActions(ids_.at(row), event->globalPos());
}
