#include "components/AdaptiveGridLayout.h"

#include <algorithm>

AdaptiveGridLayout::AdaptiveGridLayout(int minimumColumnWidth, int spacing, QWidget* parent)
    : QLayout(parent), minimum_(qMax(1, minimumColumnWidth)) {
    setSpacing(spacing);
    setContentsMargins(0, 0, 0, 0);
}

AdaptiveGridLayout::~AdaptiveGridLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void AdaptiveGridLayout::setFixedColumns(int columns) {
    fixedColumns_ = qMax(0, columns);
    invalidate();
}

int AdaptiveGridLayout::columnCount(int width) const {
    if (fixedColumns_ > 0) return fixedColumns_;
    const int s = qMax(0, spacing());
    return qMax(1, (width + s) / (minimum_ + s));
}

void AdaptiveGridLayout::addItem(QLayoutItem* item) {
    items_.append(item);
    invalidate();
}

QLayoutItem* AdaptiveGridLayout::takeAt(int index) {
    if (index < 0 || index >= items_.size()) return nullptr;
    QLayoutItem* item = items_.takeAt(index);
    invalidate();
    return item;
}

int AdaptiveGridLayout::heightForWidth(int width) const {
    return doLayout(QRect(0, 0, width, 0), false);
}

QSize AdaptiveGridLayout::sizeHint() const {
    const int columns = fixedColumns_ > 0 ? fixedColumns_ : 2;
    const int width = columns * minimum_ + (columns - 1) * qMax(0, spacing());
    const QMargins m = contentsMargins();
    return {width + m.left() + m.right(), heightForWidth(width + m.left() + m.right())};
}

QSize AdaptiveGridLayout::minimumSize() const {
    // The height follows the width (heightForWidth); the minimum is one row.
    const QMargins m = contentsMargins();
    int row = 0;
    for (QLayoutItem* item : items_)
        if (!item->isEmpty()) row = qMax(row, item->minimumSize().height());
    return {minimum_ + m.left() + m.right(), row + m.top() + m.bottom()};
}

void AdaptiveGridLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    doLayout(rect, true);
}

int AdaptiveGridLayout::doLayout(const QRect& rect, bool apply) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int s = qMax(0, spacing());
    QList<QLayoutItem*> visible;
    for (QLayoutItem* item : items_)
        if (!item->isEmpty()) visible.append(item);
    if (visible.isEmpty()) return contentsMargins().top() + contentsMargins().bottom();

    const int columns = columnCount(area.width());
    const int cell = qMax(1, (area.width() - (columns - 1) * s) / columns);
    int y = area.top();
    for (int start = 0; start < visible.size(); start += columns) {
        const int end = std::min<int>(start + columns, visible.size());
        int rowHeight = 0;
        for (int i = start; i < end; ++i) {
            QLayoutItem* item = visible[i];
            const int h = item->hasHeightForWidth() ? item->heightForWidth(cell) : item->sizeHint().height();
            rowHeight = qMax(rowHeight, qMax(h, item->minimumSize().height()));
        }
        if (apply)
            for (int i = start; i < end; ++i)
                visible[i]->setGeometry(QRect(area.left() + (i - start) * (cell + s), y, cell, rowHeight));
        y += rowHeight + s;
    }
    return y - s - area.top() + contentsMargins().top() + contentsMargins().bottom();
}

AdaptiveGrid::AdaptiveGrid(int minimumColumnWidth, int spacing, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("adaptiveGrid"));
    grid_ = new AdaptiveGridLayout(minimumColumnWidth, spacing, this);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}
