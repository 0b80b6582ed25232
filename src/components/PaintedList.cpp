#include "components/PaintedList.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimerEvent>
#include <algorithm>
#include <limits>
#include <utility>

#include "components/PaintedListAccessible.h"
#include "components/Spinner.h"
#include "components/SwipeRows.h"
#include "components/Symbols.h"
#include "components/Theme.h"

PaintedList::PaintedList(const PaintedRowDelegate& delegate, QWidget* parent)
    : QWidget(parent), delegate_(delegate) {
    setObjectName(QStringLiteral("paintedList"));
    // Its height is the sum of its rows wherever a layout has room (a box
    // layout gives a height-for-width item its height as its minimum), but
    // it never sets a window's minimum: outside a scroll area a fixed policy
    // would grow the window to every row's height and paint them all.
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    // Tab only: a click on a row's button leaves the keyboard focus where it
    // was, so that Space never repeats a money action the mouse just made.
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    clock_.start();
    tops_ = {0};
    PaintedListAccessible::install();
    connect(qApp, &QApplication::focusChanged, this, &PaintedList::onFocusChanged);
    connect(&Theme::current(), &Theme::changed, this, &PaintedList::updateAllRows);
}

PaintedList::~PaintedList() = default;

// ---- rows and heights ----

void PaintedList::setRows(const QStringList& ids) {
    invalidateItems();
    ids_ = ids;
    index_.clear();
    index_.reserve(ids_.size());
    for (int i = 0; i < ids_.size(); ++i) index_.insert(ids_.at(i), i);
    // Heights of rows a filter hides are kept, so that showing them again
    // costs no measuring; the cache is bounded by the rows shown.
    if (measures_by_id_.size() > 2 * ids_.size() + 1024) {
        for (auto it = measures_by_id_.begin(); it != measures_by_id_.end();)
            it = index_.contains(it.key()) ? std::next(it) : measures_by_id_.erase(it);
    }
    for (auto it = seen_.begin(); it != seen_.end();) it = index_.contains(it.key()) ? std::next(it) : seen_.erase(it);
    if (!index_.contains(hover_.id)) hover_ = {};
    if (!index_.contains(pressed_.id)) pressed_ = {};
    // A row that went can be neither open nor dragged.
    if (swipe_) swipe_->dropGone([this](const QString& id) { return index_.contains(id); });
    dropGoneFocus();
    otherTotals_.clear();
    layoutRows();
    updateSpinnerTimer();
    update();
}

void PaintedList::updateRow(const QString& id) {
    invalidateItems();
    if (!index_.contains(id)) {
        measures_by_id_.remove(id);  // a hidden row is measured when it is shown
        return;
    }
    otherTotals_.clear();
    measures_by_id_.remove(id);
    // A row not measured yet is measured when it comes near.
    if (index_.value(id) >= exactRows_) return dropGoneFocus();
    if (measuredHeight(id, laidWidth_) != laidHeight(index_.value(id))) layoutRows();
    dropGoneFocus();
    repaintRow(id);
}

void PaintedList::updateAllRows() {
    invalidateItems();
    delegate_.forgetMeasurements();
    measures_by_id_.clear();
    otherTotals_.clear();
    layoutRows();
    dropGoneFocus();
    update();
}

void PaintedList::setSpacing(int spacing) {
    if (spacing_ == spacing) return;
    spacing_ = spacing;
    otherTotals_.clear();
    layoutRows();
    update();
}

void PaintedList::setDividers(bool dividers) {
    if (dividers_ == dividers) return;
    dividers_ = dividers;
    update();
}

int PaintedList::measuredHeight(const QString& id, int width) const {
    const bool busy = busy_.contains(id);
    Measure& m = measures_by_id_[id];
    if (m.width != width || m.busy != busy) {
        m = {width, busy, delegate_.rowHeight(id, width, busy)};
        ++measures_;
    }
    return m.height;
}

void PaintedList::layoutRows() {
    // A new width may lay a row's buttons out otherwise.
    invalidateItems();
    const int oldTotal = tops_.back();
    tops_.assign(size_t(ids_.size()) + 1, 0);
    laidWidth_ = width();
    exactRows_ = 0;
    exactHeights_ = 0;
    placeRows(aheadEstimate_ > 0 ? aheadBottom() : std::numeric_limits<int>::max());
    // Measured in full, the totals at other widths stay: a new width changes no
    // row's content. Measured ahead, they were estimated from the rows measured
    // so far, which start again here.
    if (aheadEstimate_ > 0) otherTotals_.clear();
    if (tops_.back() != oldTotal) updateGeometry();
}

void PaintedList::placeRows(int bottom, int through) const {
    const int count = int(ids_.size());
    int y = tops_[size_t(exactRows_)];
    int i = exactRows_;
    for (; i < count && (i <= through || y <= bottom); ++i) {
        tops_[size_t(i)] = y;
        const int height = measuredHeight(ids_.at(i), laidWidth_);
        exactHeights_ += height;
        y += height + (i + 1 < count ? spacing_ : 0);
    }
    exactRows_ = i;
    // The rest at the mean of the measured rows: nearer their sum than any fixed guess.
    const int estimate = exactRows_ > 0 ? int(exactHeights_ / exactRows_) : aheadEstimate_;
    for (; i < count; ++i) {
        tops_[size_t(i)] = y;
        y += estimate + (i + 1 < count ? spacing_ : 0);
    }
    tops_.back() = y;
}

void PaintedList::measureDownTo(int bottom) const {
    if (exactRows_ >= ids_.size() || tops_[size_t(exactRows_)] > bottom) return;
    const int oldTotal = tops_.back();
    placeRows(bottom);
    // The list's height follows; what is above the rows just measured stays put.
    if (tops_.back() != oldTotal) heightCorrected();
}

void PaintedList::measureThrough(int row) const {
    if (row < exactRows_) return;
    const int oldTotal = tops_.back();
    placeRows(-1, row);
    if (tops_.back() != oldTotal) heightCorrected();
}

void PaintedList::heightCorrected() const {
    otherTotals_.clear();
    // A jump to the end lands where the estimate put it, and the rows found
    // there make the list taller or shorter only after the page's layout runs
    // again: without this the user would stop short of the last row (or
    // below it), with the scroll bar already at its old maximum.
    if (const QAbstractScrollArea* area = scrollArea()) {
        QScrollBar* bar = area->verticalScrollBar();
        if (bar->maximum() > 0 && bar->value() == bar->maximum()) {
            endValue_ = bar->value();
            connect(bar, &QScrollBar::rangeChanged, this, &PaintedList::keepEnd, Qt::UniqueConnection);
        }
    }
    const_cast<PaintedList*>(this)->updateGeometry();
}

void PaintedList::keepEnd(int, int maximum) {
    const int end = std::exchange(endValue_, -1);
    const QAbstractScrollArea* area = scrollArea();
    // Scrolled elsewhere since: the user's place stays.
    if (end < 0 || !area || area->verticalScrollBar()->value() != end) return;
    area->verticalScrollBar()->setValue(maximum);
}

int PaintedList::aheadBottom() const {
    // Hidden, nothing is measured yet: the width may not be the one shown.
    if (!isVisible()) return -1;
    const QAbstractScrollArea* area = scrollArea();
    const QWidget* view = area ? area->viewport() : window();
    return mapFrom(view, QPoint(0, view->height())).y() + view->height();
}

void PaintedList::setMeasuredAhead(int estimate) {
    if (aheadEstimate_ == estimate) return;
    aheadEstimate_ = estimate;
    otherTotals_.clear();
    layoutRows();
    update();
}

int PaintedList::laidHeight(int row) const {
    // The height the row was laid out with (the cache may hold another width's).
    const size_t r = size_t(row);
    return (r + 1 < size_t(ids_.size()) ? tops_[r + 1] - spacing_ : tops_.back()) - tops_[r];
}

int PaintedList::heightForWidth(int width) const {
    if (width == laidWidth_) return tops_.back();
    // A layout trying another width: the total is worked out once per width
    // and content, and the rows' own heights stay those of the list's width.
    if (const auto it = otherTotals_.constFind(width); it != otherTotals_.constEnd()) return *it;
    // Measured lazily, the rows measured at the list's width are measured at
    // this one too, and the rest count at their mean.
    const int measured = aheadEstimate_ > 0 ? exactRows_ : int(ids_.size());
    qint64 sum = 0;
    for (int i = 0; i < measured; ++i) {
        const QString& id = ids_.at(i);
        const auto m = measures_by_id_.constFind(id);
        const bool busy = busy_.contains(id);
        if (m != measures_by_id_.constEnd() && m->width == width && m->busy == busy) {
            sum += m->height;
        } else {
            sum += delegate_.rowHeight(id, width, busy);
            ++measures_;
        }
    }
    const int rest = int(ids_.size()) - measured;
    if (rest > 0) sum += qint64(rest) * (measured > 0 ? sum / measured : aheadEstimate_);
    const int y = int(sum) + (ids_.isEmpty() ? 0 : spacing_ * int(ids_.size() - 1));
    if (otherTotals_.size() > 8) otherTotals_.clear();
    otherTotals_.insert(width, y);
    return y;
}

QSize PaintedList::sizeHint() const {
    const int width = laidWidth_ > 0 ? laidWidth_ : 320;
    return {width, heightForWidth(width)};
}

void PaintedList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (width() != laidWidth_) layoutRows();
}

int PaintedList::rowAt(int y) const {
    if (ids_.isEmpty() || y < 0) return -1;
    measureDownTo(y);
    if (y >= tops_.back()) return -1;
    const auto it = std::upper_bound(tops_.begin(), tops_.end() - 1, y);
    const int row = int(it - tops_.begin()) - 1;
    if (row < 0) return -1;
    // Between two rows (the spacing) is no row.
    return y < tops_[size_t(row)] + measuredHeight(ids_.at(row), laidWidth_) ? row : -1;
}

QRect PaintedList::rowRect(const QString& id) const {
    const int row = index_.value(id, -1);
    if (row < 0) return {};
    measureThrough(row);
    return QRect(0, tops_[size_t(row)], laidWidth_, measuredHeight(id, laidWidth_));
}

// ---- buttons ----

QList<PaintedButton> PaintedList::buttonsOf(int row) const {
    measureThrough(row);
    const QString& id = ids_.at(row);
    const bool busy = busy_.contains(id);
    QList<PaintedButton> buttons = delegate_.buttons(id, laidWidth_, busy);
    const QPoint origin(0, tops_[size_t(row)]);
    for (PaintedButton& b : buttons) {
        b.rect.translate(origin);
        b.enabled = b.enabled && !busy && !held_;
    }
    return buttons;
}

QRect PaintedList::buttonRect(const QString& id, const QString& key) const {
    const int row = index_.value(id, -1);
    if (row < 0) return {};
    for (const PaintedButton& b : buttonsOf(row))
        if (b.key == key) return b.rect;
    return {};
}

QStringList PaintedList::buttonKeys(const QString& id) const {
    QStringList keys;
    const int row = index_.value(id, -1);
    if (row >= 0)
        for (const PaintedButton& b : buttonsOf(row)) keys << b.key;
    return keys;
}

bool PaintedList::isButtonEnabled(const QString& id, const QString& key) const {
    const int row = index_.value(id, -1);
    if (row < 0) return false;
    for (const PaintedButton& b : buttonsOf(row))
        if (b.key == key) return b.enabled && isEnabled();
    return false;
}

QString PaintedList::buttonName(const QString& id, const QString& key) const {
    const int row = index_.value(id, -1);
    if (row < 0) return {};
    for (const PaintedButton& b : buttonsOf(row))
        if (b.key == key) return b.name;
    return {};
}

QList<PaintedList::ButtonRef> PaintedList::allButtons() const {
    QList<ButtonRef> all;
    for (int row = 0; row < ids_.size(); ++row)
        for (const PaintedButton& b : buttonsOf(row)) all.append({ids_.at(row), b.key});
    return all;
}

PaintedList::ButtonRef PaintedList::buttonAt(const QPoint& pos, int* rowOut) const {
    const int row = rowAt(pos.y());
    if (rowOut) *rowOut = row;
    if (row < 0) return {};
    for (const PaintedButton& b : buttonsOf(row))
        if (b.rect.contains(pos)) return {ids_.at(row), b.key};
    return {};
}

bool PaintedList::see(const QString& id, const QList<PaintedButton>& shown) {
    auto it = seen_.find(id);
    if (it == seen_.end()) {
        seen_.insert(id, Seen{shown, -1});
        return false;
    }
    if (it->buttons == shown) return false;
    it->buttons = shown;
    it->changedAt = clock_.elapsed();
    return true;
}

bool PaintedList::acceptsPresses(const QString& id) const {
    const auto it = seen_.constFind(id);
    if (it == seen_.constEnd() || it->changedAt < 0) return true;
    return clock_.elapsed() - it->changedAt >= QApplication::doubleClickInterval();
}

bool PaintedList::pressButton(const QString& id, const QString& key) {
    if (key == kRowKey) {
        // A row's own stop only shows its actions: one of them runs once picked.
        if (!hasRowStops() || !index_.contains(id)) return false;
        showRowActions(id);
        return true;
    }
    if (!isButtonEnabled(id, key)) return false;
    emit buttonClicked(id, key);
    return true;
}

// ---- states ----

void PaintedList::setHeld(bool held) {
    if (held_ == held) return;
    held_ = held;
    invalidateItems();
    update();
}

void PaintedList::setBusy(const QString& id, bool busy) {
    if (busy_.contains(id) == busy) return;
    invalidateItems();
    if (busy)
        busy_.insert(id);
    else
        busy_.remove(id);
    if (!index_.contains(id)) return;
    // A busy row may be taller (its spinner), so it is measured again.
    otherTotals_.clear();
    // (A row not measured yet is measured when it comes near.)
    if (index_.value(id) < exactRows_) {
        if (measuredHeight(id, laidWidth_) != laidHeight(index_.value(id))) {
            layoutRows();
            update();
        } else {
            repaintRow(id);
        }
    }
    updateSpinnerTimer();
}

void PaintedList::setBusyRows(const QSet<QString>& ids) {
    const QSet<QString> was = busy_;
    for (const QString& id : was)
        if (!ids.contains(id)) setBusy(id, false);
    for (const QString& id : ids)
        if (!was.contains(id)) setBusy(id, true);
}

void PaintedList::repaintRow(const QString& id) {
    const QRect rect = rowRect(id);
    if (!rect.isEmpty()) update(rect);
}

void PaintedList::updateSpinnerTimer() {
    bool any = false;
    for (const QString& id : std::as_const(busy_)) any = any || index_.contains(id);
    if (any) {
        if (!spinnerTimer_.isActive()) spinnerTimer_.start(Spinner::kStepMs, this);
    } else {
        spinnerTimer_.stop();
    }
}

void PaintedList::timerEvent(QTimerEvent* event) {
    if (event->timerId() != spinnerTimer_.timerId()) return QWidget::timerEvent(event);
    spinnerStep_ = (spinnerStep_ + 1) % Spinner::kSpokes;
    for (const QString& id : std::as_const(busy_)) repaintRow(id);
}

void PaintedList::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        invalidateItems();
        update();
    }
}

// ---- painting ----

void PaintedList::paintEvent(QPaintEvent* event) {
    if (ids_.isEmpty()) return;
    const QRect exposed = event->rect();
    // Rows coming into view, and a screen below them, are measured before
    // anything is painted: the rows above them keep their places.
    if (aheadEstimate_ > 0) measureDownTo(std::max(exposed.bottom(), aheadBottom()));
    QPainter p(this);
    auto it = std::upper_bound(tops_.begin(), tops_.end() - 1, exposed.top());
    int row = std::max(0, int(it - tops_.begin()) - 1);
    for (; row < ids_.size() && tops_[size_t(row)] <= exposed.bottom(); ++row) {
        const QString& id = ids_.at(row);
        const QRect rect(0, tops_[size_t(row)], laidWidth_, measuredHeight(id, laidWidth_));
        if (!rect.intersects(exposed)) continue;
        PaintedRowState state;
        state.busy = busy_.contains(id);
        state.held = held_ || !isEnabled();
        state.pressedKey = pressed_.id == id ? pressed_.key : QString();
        state.hoverKey = hover_.id == id ? hover_.key : QString();
        state.focusKey = focus_.id == id && hasFocus() ? focus_.key : QString();
        state.spinnerStep = spinnerStep_;
        state.first = row == 0;
        state.last = row == ids_.size() - 1;
        state.exposed = exposed;
        const int offset = swipe_ ? swipe_->offsetOf(id) : 0;
        p.save();
        if (offset != 0) {
            // The row slides over its actions; the pointer's hover stays behind.
            swipe_->paintActions(&p, rect, offset);
            p.setClipRect(rect);
            p.translate(offset, 0);
            state.hoverKey.clear();
        }
        if (state.focusKey == kRowKey) {
            // The row's own stop: the whole row is tinted under its content,
            // which keeps every edge clear.
            SwipeRows::paintKeyboardRow(&p, rect);
        }
        delegate_.paintRow(&p, id, rect, state);
        p.restore();
        see(id, buttonsOf(row));
    }
    if (dividers_ && spacing_ > 0) {
        // Drawn apart from the rows: an exposed strip may hold only a gap.
        const QColor line = Theme::current().color(ColorRole::Separator);
        auto first = std::upper_bound(tops_.begin(), tops_.end() - 1, exposed.top());
        for (int r = std::max(1, int(first - tops_.begin()) - 1); r < ids_.size(); ++r) {
            const int y = tops_[size_t(r)] - spacing_ + spacing_ / 2;
            if (y > exposed.bottom()) break;
            p.fillRect(QRect(0, y, laidWidth_, 1), line);
        }
    }
}

void PaintedList::paintButton(QPainter* painter, const QRect& rowRect, const PaintedButton& button,
                              Button::Face face, const PaintedRowState& state) {
    face.enabled = state.isEnabled(button);
    face.down = face.enabled && state.pressedKey == button.key;
    face.focused = state.focusKey == button.key;
    if (face.text.isNull()) face.text = button.name;
    QRect rect = button.rect.translated(rowRect.topLeft());
    if (face.enabled && state.hoverKey == button.key && !face.down) {
        // Hover: a faint veil over the face, as the pointer's only sign.
        Button::paintFace(painter, rect, face);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QColor veil = Theme::current().color(ColorRole::Label);
        veil.setAlphaF(0.06f);
        painter->setPen(Qt::NoPen);
        painter->setBrush(veil);
        painter->drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), Spacing::controlRadius,
                                 Spacing::controlRadius);
        painter->restore();
        return;
    }
    Button::paintFace(painter, rect, face);
}

void PaintedList::paintSpinner(QPainter* painter, const QPoint& centre, const PaintedRowState& state) {
    Spinner::paintSpokes(painter, centre, Spinner::kDefaultSize, state.spinnerStep);
}

// ---- mouse ----

void PaintedList::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    if (swipe_) {
        // A press always starts afresh: a release lost to another window leaves no drag behind.
        pressSwipe(event, false);
        // While a row is open a press only runs one of its actions or closes it.
        if (!swipe_->openRow().isEmpty()) return;
    }
    int row = -1;
    const QPoint pos = event->position().toPoint();
    const ButtonRef hit = buttonAt(pos, &row);
    if (row < 0) return;
    const QString& id = ids_.at(row);
    // What is under the pointer now may not be what the user saw: a change
    // not yet painted counts as a change made just now.
    see(id, buttonsOf(row));
    if (!acceptsPresses(id)) return;
    if (!hit.key.isEmpty()) {
        if (!isButtonEnabled(hit.id, hit.key)) return;
        pressed_ = hit;
        repaintRow(id);
        return;
    }
    pressedOnRow_ = true;
    pressedRow_ = id;
}

void PaintedList::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click is never a press of a button, nor
    // of a swipe action; it may still start a drag.
    event->accept();
    if (swipe_ && event->button() == Qt::LeftButton && !swipe_->isFollowing()) pressSwipe(event, true);
}

void PaintedList::mouseMoveEvent(QMouseEvent* event) {
    if (moveSwipe(event)) return;
    const ButtonRef hit = buttonAt(event->position().toPoint());
    if (hit == hover_) return;
    const QString old = hover_.id;
    hover_ = hit;
    repaintRow(old);
    repaintRow(hit.id);
    setCursor(hit.key.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void PaintedList::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    const QString old = hover_.id;
    hover_ = {};
    repaintRow(old);
}

void PaintedList::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    if (releaseSwipe(event)) return;
    const ButtonRef pressed = pressed_;
    const QString pressedRow = pressedOnRow_ ? pressedRow_ : QString();
    pressed_ = {};
    pressedOnRow_ = false;
    pressedRow_.clear();
    if (!pressed.key.isEmpty()) {
        repaintRow(pressed.id);
        if (buttonAt(event->position().toPoint()) == pressed && isButtonEnabled(pressed.id, pressed.key))
            emit buttonClicked(pressed.id, pressed.key);
        return;
    }
    int row = -1;
    const ButtonRef hit = buttonAt(event->position().toPoint(), &row);
    if (!pressedRow.isEmpty() && hit.key.isEmpty() && row >= 0 && ids_.at(row) == pressedRow)
        emit rowClicked(pressedRow);
}

// ---- swipes ----

void PaintedList::setSwipeActions(const QList<SwipeAction>& leading, const QList<SwipeAction>& trailing) {
    // The rows' keyboard stops depend on whether there are swipe actions.
    invalidateItems();
    if (leading.isEmpty() && trailing.isEmpty()) {
        swipe_.reset();
    } else {
        SwipeRows::Host host;
        host.rowAt = [this](const QPoint& pos) {
            const int row = rowAt(pos.y());
            return row >= 0 ? ids_.at(row) : QString();
        };
        host.rowRect = [this](const QString& id) { return rowRect(id); };
        host.repaintRow = [this](const QString& id) { repaintRow(id); };
        host.scrollBar = [this]() -> QScrollBar* {
            QAbstractScrollArea* area = scrollArea();
            return area ? area->verticalScrollBar() : nullptr;
        };
        swipe_ = std::make_unique<SwipeRows>(leading, trailing, std::move(host));
    }
    update();
}

QList<SwipeAction> PaintedList::swipeActions() const { return swipe_ ? swipe_->actions() : QList<SwipeAction>(); }

int PaintedList::swipeOffset(const QString& id) const { return swipe_ ? swipe_->offsetOf(id) : 0; }

QString PaintedList::openRow() const { return swipe_ ? swipe_->openRow() : QString(); }

void PaintedList::closeOpenRow() {
    if (swipe_) swipe_->closeOpenRow();
}

QAbstractScrollArea* PaintedList::scrollArea() const {
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area;
    return nullptr;
}

void PaintedList::pressSwipe(QMouseEvent* event, bool doubleClick) {
    swipe_->press(event->position().toPoint(), event->globalPosition().toPoint(), doubleClick);
}

bool PaintedList::moveSwipe(QMouseEvent* event) {
    if (!swipe_) return false;
    const SwipeRows::Move move = swipe_->move(event->globalPosition().toPoint());
    if (move != SwipeRows::Move::dragging) return move == SwipeRows::Move::pending;
    // A drag is never a tap: the button it started on is let go.
    if (!pressed_.key.isEmpty()) repaintRow(pressed_.id);
    pressed_ = {};
    pressedOnRow_ = false;
    pressedRow_.clear();
    if (!hover_.id.isEmpty()) {
        repaintRow(hover_.id);
        hover_ = {};
    }
    return true;
}

bool PaintedList::releaseSwipe(QMouseEvent* event) {
    if (!swipe_) return false;
    const SwipeRows::Outcome outcome = swipe_->release(event->position().toPoint());
    switch (outcome.kind) {
        case SwipeRows::Outcome::Kind::action:
            emit swipeActionTriggered(outcome.id, outcome.key);
            return true;
        case SwipeRows::Outcome::Kind::handled:
            return true;
        case SwipeRows::Outcome::Kind::tap:
        case SwipeRows::Outcome::Kind::none:
            // A tap is the list's own click; after a scroll nothing is pressed any more.
            return false;
    }
    return false;
}

// ---- keyboard and focus ----

void PaintedList::setFocusButton(const ButtonRef& ref) {
    const QString old = focus_.id;
    focus_ = ref;
    repaintRow(old);
    repaintRow(ref.id);
    if (!ref.key.isEmpty()) {
        ensureFocusVisible();
        if (QAccessible::isActive()) PaintedListAccessible::notifyFocus(this, ref.id, ref.key);
    }
}

void PaintedList::dropGoneFocus() {
    if (focus_.key.isEmpty()) return;
    if (focus_.key == kRowKey) {
        if (!hasRowStops() || !index_.contains(focus_.id)) setFocusButton({});
        return;
    }
    // The focused button went: no other takes its place by itself.
    if (!buttonKeys(focus_.id).contains(focus_.key)) setFocusButton({});
}

bool PaintedList::moveFocus(int step) {
    // From the focused stop outward: a walk costs the stops it passes.
    const std::vector<Item>& all = items();
    int at = focus_.key.isEmpty() ? -1 : indexOfAccessibleItem(focus_);
    if (at < 0) at = step > 0 ? -1 : int(all.size());
    for (int next = at + step; next >= 0 && size_t(next) < all.size(); next += step)
        if (all[size_t(next)].stop) {
            setFocusButton(all[size_t(next)].ref);
            return true;
        }
    return false;
}

bool PaintedList::moveFocusRow(int step) {
    int row = index_.value(focus_.id, step > 0 ? -1 : int(ids_.size()));
    for (row += step; row >= 0 && row < ids_.size(); row += step) {
        // The same button in the next row with one, else its first stop.
        const QList<ButtonRef> stops = focusStops(row);
        if (stops.isEmpty()) continue;
        const auto same = std::find_if(stops.begin(), stops.end(),
                                       [this](const ButtonRef& b) { return b.key == focus_.key; });
        setFocusButton(same != stops.end() ? *same : stops.first());
        return true;
    }
    return false;
}

void PaintedList::ensureFocusVisible() {
    const QRect rect = focus_.key == kRowKey ? rowRect(focus_.id) : buttonRect(focus_.id, focus_.key);
    if (rect.isEmpty()) return;
    for (QWidget* w = parentWidget(); w; w = w->parentWidget()) {
        auto* area = qobject_cast<QScrollArea*>(w);
        if (!area || !area->widget() || !area->widget()->isAncestorOf(this)) continue;
        const QPoint centre = mapTo(area->widget(), rect.center());
        area->ensureVisible(centre.x(), centre.y(), rect.width() / 2 + 8, rect.height() / 2 + 8);
        return;
    }
}

bool PaintedList::focusNextPrevChild(bool next) {
    if (hasFocus() && moveFocus(next ? 1 : -1)) return true;
    setFocusButton({});
    return QWidget::focusNextPrevChild(next);
}

void PaintedList::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey && hasRowStops()) {
        if (!event->isAutoRepeat() && index_.contains(focus_.id)) showRowActions(focus_.id);
        event->accept();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Enter:
        case Qt::Key_Return:
            // A held key repeats: one press is one action.
            if (!event->isAutoRepeat() && !focus_.key.isEmpty()) pressButton(focus_.id, focus_.key);
            event->accept();
            return;
        case Qt::Key_Down:
            if (!moveFocusRow(1)) event->ignore();
            return;
        case Qt::Key_Up:
            if (!moveFocusRow(-1)) event->ignore();
            return;
        case Qt::Key_Right:
        case Qt::Key_Left: {
            const int step = event->key() == Qt::Key_Right ? 1 : -1;
            const QList<ButtonRef> stops = focusStops(index_.value(focus_.id, -1));
            const int at = int(stops.indexOf(focus_));
            if (at >= 0 && at + step >= 0 && at + step < stops.size()) setFocusButton(stops.at(at + step));
            event->accept();
            return;
        }
        default:
            QWidget::keyPressEvent(event);
    }
}

void PaintedList::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    focusReason_ = event->reason();
}

void PaintedList::onFocusChanged(QWidget* old, QWidget* now) {
    if (now != this) return;
    // Tab or Backtab from a widget the user left: the first or last button.
    // A widget that hid itself while focused passes the focus on with the
    // same reason; then no button is chosen.
    const bool byUser = old && old->isVisible();
    if (focus_.key.isEmpty() && byUser &&
        (focusReason_ == Qt::TabFocusReason || focusReason_ == Qt::BacktabFocusReason))
        moveFocus(focusReason_ == Qt::TabFocusReason ? 1 : -1);
    update();
}

void PaintedList::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // A row's menu takes the focus for a moment: the row keeps its stop for
    // when the menu closes.
    if (event->reason() != Qt::PopupFocusReason) setFocusButton({});
}
