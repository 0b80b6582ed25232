#include "components/LazyColumn.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QScrollBar>
#include <QVBoxLayout>

#include "components/InViewWatch.h"
#include "components/PageBody.h"

namespace {

// Passes beyond one per card, for the scroll and size changes a pass causes.
constexpr std::size_t kExtraPasses = 8;

bool hiddenOnPurpose(const QWidget* widget) {
    return widget->testAttribute(Qt::WA_WState_ExplicitShowHide) &&
           widget->testAttribute(Qt::WA_WState_Hidden);
}

}  // namespace

LazyColumn::LazyColumn(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("lazyColumn"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    watchHost();
}

LazyColumn::~LazyColumn() {
    // The cards live beside the column, on its parent.
    for (Entry& entry : entries_)
        if (entry.widget && entry.widget->parent() != this) delete entry.widget.data();
}

QWidget* LazyColumn::host() const { return parentWidget() ? parentWidget() : const_cast<LazyColumn*>(this); }

void LazyColumn::watchHost() {
    if (host_ == host()) return;
    if (host_ && host_ != this) host_->removeEventFilter(this);
    host_ = host();
    if (host_ != this) host_->installEventFilter(this);
    for (Entry& entry : entries_)
        if (entry.widget && entry.widget->parentWidget() != host_) {
            const bool hidden = hiddenOnPurpose(entry.widget);
            entry.widget->setParent(host_);
            if (!hidden) entry.widget->show();
        }
}

bool LazyColumn::isCard(const QObject* object) const {
    for (const Entry& entry : entries_)
        if (entry.widget == object) return true;
    return false;
}

LazyColumn* LazyColumn::addTo(PageBody* page) {
    auto* column = new LazyColumn;
    column->setSpacing(page->stack()->spacing());
    page->addWidget(column);
    return column;
}

int LazyColumn::addCard(Factory make, Draw draw, int estimatedHeight, int kind) {
    Entry entry;
    entry.make = std::move(make);
    entry.draw = std::move(draw);
    entry.estimate = std::max(0, estimatedHeight);
    entry.kind = kind;
    entries_.push_back(std::move(entry));
    scheduleRefresh();
    return count() - 1;
}

int LazyColumn::addWidget(QWidget* widget, Draw draw) {
    const int index = addCard([widget] { return widget; }, std::move(draw), 0);
    build(index);
    return index;
}

bool LazyColumn::isBuilt(int index) const {
    return index >= 0 && index < count() && entries_[std::size_t(index)].widget;
}

int LazyColumn::builtCount() const {
    int n = 0;
    for (const Entry& entry : entries_) n += entry.widget ? 1 : 0;
    return n;
}

QWidget* LazyColumn::card(int index) {
    if (index < 0 || index >= count()) return nullptr;
    if (!isBuilt(index)) {
        build(index);
        refresh();
    }
    return entries_[std::size_t(index)].widget;
}

QWidget* LazyColumn::builtCard(int index) const {
    return isBuilt(index) ? entries_[std::size_t(index)].widget.data() : nullptr;
}

int LazyColumn::cardTop(int index) const {
    return index >= 0 && std::size_t(index) < tops_.size() ? tops_[std::size_t(index)] : 0;
}

void LazyColumn::setCardShown(int index, bool shown) {
    if (index < 0 || index >= count()) return;
    Entry& entry = entries_[std::size_t(index)];
    if (entry.out == !shown) return;
    entry.out = !shown;
    if (entry.widget) {
        entry.hiddenWithColumn = false;
        if (!shown)
            entry.widget->hide();
        else if (isHidden())
            entry.hiddenWithColumn = true;  // shown again with the column
        else
            entry.widget->show();
    }
    scheduleRefresh();
}

bool LazyColumn::isCardShown(int index) const {
    return index >= 0 && index < count() && !entries_[std::size_t(index)].out;
}

void LazyColumn::setSpacing(int spacing) {
    spacing_ = spacing;
    scheduleRefresh();
}

void LazyColumn::setBuildMargin(int margin) {
    margin_ = margin;
    scheduleRefresh();
}

void LazyColumn::redraw() {
    for (Entry& entry : entries_)
        if (entry.widget && entry.draw) entry.draw(entry.widget);
    refresh();
}

void LazyColumn::clear() {
    for (Entry& entry : entries_) {
        if (!entry.widget) continue;
        entry.widget->removeEventFilter(this);
        entry.widget->hide();
        entry.widget->deleteLater();
    }
    entries_.clear();
    tops_.clear();
    refresh();
}

QWidget* LazyColumn::build(int index) {
    Entry& entry = entries_[std::size_t(index)];
    if (entry.widget) return entry.widget;
    QWidget* widget = entry.make();
    if (!widget) widget = new QWidget;  // a factory that has nothing to show still takes its place
    const bool hidden = hiddenOnPurpose(widget);
    // Beside the column rather than inside it, so that what a card draws
    // beyond its bounds (a shadow) is not cut at the column's edges.
    widget->setParent(host());
    widget->installEventFilter(this);
    entry.widget = widget;
    // Laid out at the column's width before it is drawn, so that what it
    // measures while drawing (the rows of a painted list) is measured at the
    // width it is shown at, not at a new widget's default width first.
    const QMargins margins = contentsMargins();
    if (const int w = width() - margins.left() - margins.right(); w > 0) {
        widget->resize(w, widget->height());
        if (QLayout* layout = widget->layout()) layout->activate();
    }
    if (entry.draw) entry.draw(widget);
    if (!entry.out && !hidden && !hiddenOnPurpose(widget) && !isHidden()) {
        // Shown at the height it takes at that width, so that its first
        // resize is its last: a card that lays out costly content (a chart)
        // does so once.
        if (const int w = width() - margins.left() - margins.right(); w > 0) widget->resize(w, measure(widget, w));
        widget->show();
    }
    return widget;
}

int LazyColumn::measure(QWidget* widget, int width) const {
    int height = widget->hasHeightForWidth() ? widget->heightForWidth(width) : -1;
    if (height < 0) height = widget->sizeHint().height();
    height = std::max({height, widget->minimumHeight(), 0});
    if (widget->sizePolicy().verticalPolicy() != QSizePolicy::Ignored)
        height = std::max(height, widget->minimumSizeHint().height());
    return std::min(height, widget->maximumHeight());
}

int LazyColumn::estimateFor(const Entry& entry) const {
    if (entry.kind != 0)
        for (const auto& [kind, mean] : kindMeans_)
            if (kind == entry.kind) return mean;
    return entry.estimate;
}

int LazyColumn::heightOf(const Entry& entry) const {
    if (entry.out) return -1;
    if (!entry.widget) return estimateFor(entry);
    return entry.widget->isHidden() ? -1 : std::max(entry.measured, 0);
}

QRect LazyColumn::reach() const {
    if (scrollArea_) {
        QWidget* viewport = scrollArea_->viewport();
        const QPoint offset = mapTo(viewport, QPoint(0, 0));
        const int margin = margin_ >= 0 ? margin_ : viewport->height();
        return QRect(0, -offset.y() - margin, width(), viewport->height() + 2 * margin);
    }
    const int visible = QWidget::window() ? QWidget::window()->height() : height();
    const int margin = margin_ >= 0 ? margin_ : visible;
    return QRect(0, -margin, width(), visible + 2 * margin);
}

int LazyColumn::anchorIndex() const {
    QScrollBar* bar = scrollArea_ ? scrollArea_->verticalScrollBar() : nullptr;
    if (!bar || bar->value() <= 0 || tops_.size() != entries_.size()) return -1;
    // The first built card reaching into the viewport (an estimated one shows
    // nothing yet), else the first card there at all.
    const int viewTop = -mapTo(scrollArea_->viewport(), QPoint(0, 0)).y();
    int anchor = -1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const int h = heightOf(entries_[i]);
        if (h <= 0 || tops_[i] + h <= viewTop) continue;
        if (entries_[i].widget && entries_[i].measured > 0) return int(i);
        if (anchor < 0) anchor = int(i);
    }
    return anchor;
}

void LazyColumn::layoutCards(int anchor) {
    // What is on screen stays in place when cards above it change height.
    QScrollBar* bar = scrollArea_ ? scrollArea_->verticalScrollBar() : nullptr;
    const bool anchored = anchor >= 0 && bar && std::size_t(anchor) < tops_.size();
    const int anchorTop = anchored ? tops_[std::size_t(anchor)] : 0;

    const QMargins margins = contentsMargins();
    const QPoint origin = host() == this ? QPoint() : pos();
    const int w = std::max(0, width() - margins.left() - margins.right());
    int minimumWidth = 0;
    for (Entry& entry : entries_) {
        if (!entry.widget || entry.widget->isHidden()) continue;
        entry.measured = measure(entry.widget, w);
        minimumWidth = std::max(minimumWidth, entry.widget->minimumSizeHint().width());
    }
    // Cards of one kind not built yet are estimated from the built ones.
    std::vector<std::pair<int, std::pair<long long, int>>> sums;
    for (const Entry& entry : entries_) {
        if (entry.kind == 0 || !entry.widget || entry.measured < 0) continue;
        auto it =
            std::find_if(sums.begin(), sums.end(), [&](const auto& s) { return s.first == entry.kind; });
        if (it == sums.end()) it = sums.insert(sums.end(), {entry.kind, {0, 0}});
        it->second.first += entry.measured;
        ++it->second.second;
    }
    kindMeans_.clear();
    for (const auto& [kind, sum] : sums) kindMeans_.emplace_back(kind, int(sum.first / sum.second));

    tops_.assign(entries_.size(), 0);
    int y = margins.top();
    bool first = true;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        Entry& entry = entries_[i];
        const int h = heightOf(entry);
        if (h < 0) {  // hidden: takes no room and no spacing
            tops_[i] = y;
            continue;
        }
        if (!first) y += spacing_;
        first = false;
        tops_[i] = y;
        if (entry.widget) entry.widget->setGeometry(QRect(margins.left(), y, w, h).translated(origin));
        y += h;
    }
    y += margins.bottom();
    minimumWidth += margins.left() + margins.right();

    bool changed = false;
    if (minimumWidth != minimumWidth_) {
        minimumWidth_ = minimumWidth;
        changed = true;
    }
    if (y != totalHeight_ || height() != y) {
        totalHeight_ = y;
        setFixedHeight(y);
        changed = true;
    }
    if (changed) {
        updateGeometry();
        syncScrollRange();
    }
    if (anchored && std::size_t(anchor) < tops_.size()) {
        const int delta = tops_[std::size_t(anchor)] - anchorTop;
        if (delta != 0) bar->setValue(bar->value() + delta);
    }
}

void LazyColumn::syncScrollRange() {
    if (!scrollArea_) return;
    if (QWidget* content = parentWidget(); content && content->layout()) content->layout()->activate();
    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(scrollArea_, &request);
}

void LazyColumn::refresh() {
    if (refreshing_) {
        // A resize or a scroll caused by this refresh: one more pass looks again.
        again_ = true;
        return;
    }
    refreshing_ = true;
    attachToScrollArea();
    // Chosen once: the content seen before this refresh is what stays put.
    const int anchor = anchorIndex();
    // One card at a time: once built, its real height moves the cards after
    // it, which may take them out of reach (an estimate is only a guess).
    const std::size_t passes = entries_.size() + kExtraPasses;
    for (std::size_t pass = 0; pass < passes; ++pass) {
        again_ = false;
        layoutCards(anchor);
        // Until the column is on screen its width and the viewport are not
        // known yet: nothing is near, and cards measured now would be measured
        // at a wrong width.
        if (!isVisible()) break;
        const QRect near = reach();
        bool built = false;
        for (std::size_t i = 0; i < entries_.size() && !built; ++i) {
            if (entries_[i].widget || entries_[i].out) continue;
            const int top = tops_[i];
            if (top + std::max(heightOf(entries_[i]), 1) > near.top() && top < near.bottom()) {
                build(int(i));
                built = true;
            }
        }
        if (!built && !again_) break;
    }
    layoutCards(anchor);
    refreshing_ = false;
}

void LazyColumn::attachToScrollArea() {
    followEnclosingScrollArea(this, this, scrollArea_, [this] { refresh(); });
}

void LazyColumn::scheduleRefresh() { QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest)); }

QSize LazyColumn::sizeHint() const { return {minimumWidth_, totalHeight_}; }

QSize LazyColumn::minimumSizeHint() const { return {minimumWidth_, totalHeight_}; }

bool LazyColumn::event(QEvent* event) {
    if (event->type() == QEvent::LayoutRequest) {
        refresh();
        return true;
    }
    if (event->type() == QEvent::ParentChange) {
        watchHost();
        scheduleRefresh();
    }
    return QWidget::event(event);
}

bool LazyColumn::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Resize:
            if (scrollArea_ && watched == scrollArea_->viewport()) scheduleRefresh();
            break;
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            if (isCard(watched)) scheduleRefresh();
            break;
        case QEvent::LayoutRequest:
            // A card's content changed its size, or the page's stack moved the column.
            if (watched == host_ || isCard(watched)) scheduleRefresh();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void LazyColumn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    refresh();
}

void LazyColumn::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    refresh();
}

void LazyColumn::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden on its own (not with the page): its cards go with it.
    if (!isHidden()) return;
    for (Entry& entry : entries_)
        if (entry.widget && !entry.widget->isHidden()) {
            entry.widget->hide();
            entry.hiddenWithColumn = true;
        }
}

void LazyColumn::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    for (Entry& entry : entries_)
        if (entry.widget && entry.hiddenWithColumn) {
            entry.hiddenWithColumn = false;
            entry.widget->show();
        }
    refresh();
}
