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

namespace {
QString itemKey(const QString& id, const QString& key) { return id + QChar(0) + key; }
}  // namespace

const std::vector<PaintedList::Item>& PaintedList::items() const {
    if (itemsValid_) return items_;
    items_.clear();
    itemIndex_.clear();
    const bool rowStops = hasRowStops();
    const bool enabled = isEnabled();
    for (int row = 0; row < ids_.size(); ++row) {
        const QString& id = ids_.at(row);
        if (rowStops || !rowName(id).isEmpty()) items_.push_back({{id, kRowKey}, rowStops});
        for (const PaintedButton& b : buttonsOf(row)) items_.push_back({{id, b.key}, b.enabled && enabled});
    }
    itemIndex_.reserve(qsizetype(items_.size()));
    for (size_t i = 0; i < items_.size(); ++i) itemIndex_.insert(itemKey(items_[i].ref.id, items_[i].ref.key), int(i));
    itemsValid_ = true;
    return items_;
}

QList<PaintedList::ButtonRef> PaintedList::accessibleItems() const {
    QList<ButtonRef> refs;
    for (const Item& item : items()) refs.append(item.ref);
    return refs;
}

PaintedList::ButtonRef PaintedList::accessibleItem(int index) const {
    const std::vector<Item>& all = items();
    return index >= 0 && size_t(index) < all.size() ? all[size_t(index)].ref : ButtonRef{};
}

int PaintedList::indexOfAccessibleItem(const ButtonRef& item) const {
    items();
    return itemIndex_.value(itemKey(item.id, item.key), -1);
}

PaintedList::ButtonRef PaintedList::accessibleItemAt(const QPoint& pos) const {
    int row = -1;
    const ButtonRef button = buttonAt(pos, &row);
    if (!button.key.isEmpty()) return button;
    // Outside a button: the row itself, when it is listed.
    if (row < 0) return {};
    const ButtonRef self{ids_.at(row), kRowKey};
    return indexOfAccessibleItem(self) >= 0 ? self : ButtonRef{};
}

QString PaintedList::rowName(const QString& id) const {
    return index_.contains(id) ? delegate_.accessibleName(id) : QString();
}

QString PaintedList::buttonDescription(const QString& id, const QString& key) const {
    return index_.contains(id) ? delegate_.accessibleDescription(id, key) : QString();
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
