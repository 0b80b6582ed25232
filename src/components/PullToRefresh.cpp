#include "components/PullToRefresh.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "components/PageBody.h"
#include "components/Spinner.h"

namespace {

// The strip follows the finger at this fraction of the distance, as a page
// pulled past its end resists.
constexpr qreal kResistance = 0.6;
// Wheel steps further apart than this start a new overscroll.
constexpr int kWheelPauseMs = 400;
// A wheel notch (120 eighths of a degree) counts as this many pixels.
constexpr qreal kPixelsPerNotch = 40;

}  // namespace

PullToRefresh::PullToRefresh(PageBody* body, std::function<QCoro::Task<>()> refresh, QObject* parent)
    : QObject(parent ? parent : body), body_(body), refresh_(std::move(refresh)) {
    strip_ = new QWidget;
    strip_->setObjectName(QStringLiteral("pullToRefresh"));
    strip_->setFixedHeight(0);
    auto* row = new QHBoxLayout(strip_);
    row->setContentsMargins(0, 0, 0, 0);
    spinner_ = new Spinner(Spinner::kDefaultSize, strip_);
    row->addWidget(spinner_, 0, Qt::AlignCenter);
    spinner_->hide();
    // Above everything the page stacks, and not counted as one of its items.
    body_->stack()->insertWidget(0, strip_);
    // Out of the stack's spacing until the page is pulled.
    strip_->hide();
    // The page's widgets take their presses first (a painted list accepts
    // every press on its rows), so the pull watches what reaches any of them.
    qApp->installEventFilter(this);
    lastWheel_.invalidate();
}

bool PullToRefresh::atTop() const {
    const QScrollBar* bar = body_->verticalScrollBar();
    return bar->value() <= bar->minimum();
}

void PullToRefresh::pullTo(qreal distance) {
    pull_ = qMax<qreal>(0, distance);
    if (refreshing_) return;
    const int height = qMin(kIndicatorHeight, qRound(pull_ * kResistance));
    strip_->setFixedHeight(height);
    strip_->setVisible(height > 0);
    spinner_->setVisible(height >= Spinner::kDefaultSize);
}

void PullToRefresh::release() {
    const bool far = pull_ >= kThreshold;
    pull_ = 0;
    if (far)
        refresh();
    else if (!refreshing_)
        pullTo(0);
}

void PullToRefresh::refresh() {
    if (refreshing_) return;
    refreshing_ = true;
    strip_->setFixedHeight(kIndicatorHeight);
    strip_->show();
    spinner_->show();
    run();
}

QCoro::Task<> PullToRefresh::run() {
    QPointer<PullToRefresh> self(this);
    const auto refresh = refresh_;
    try {
        co_await refresh();
    } catch (...) {
        // Reported (or dropped) by the caller; the spinner ends all the same.
    }
    if (!self) co_return;  // the page went away meanwhile
    refreshing_ = false;
    pullTo(0);
    emit refreshFinished();
}

bool PullToRefresh::onPage(QObject* object) const {
    if (!object->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(object);
    const QWidget* viewport = body_->viewport();
    return widget == viewport || viewport->isAncestorOf(widget);
}

bool PullToRefresh::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
            break;
        default:
            return false;
    }
    if (cancelling_ || !onPage(watched)) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            return press(watched, static_cast<QMouseEvent*>(event));
        case QEvent::MouseMove:
            return move(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease:
            if (!tracking_) return false;
            tracking_ = false;
            // A tap: what it touched has it.
            if (!dragging_) return false;
            dragging_ = false;
            release();
            return true;
        default:
            // A wheel over a widget that does not take it reaches the viewport in turn.
            return watched == body_->viewport() && wheel(static_cast<QWheelEvent*>(event));
    }
}

bool PullToRefresh::press(QObject* watched, QMouseEvent* event) {
    // A press a widget left to its parent comes by again: the first one counts.
    if (tracking_ && event->timestamp() == pressTime_ && event->globalPosition() == dragStart_) return false;
    tracking_ = event->button() == Qt::LeftButton && atTop() && !refreshing_;
    dragging_ = false;
    dragStart_ = event->globalPosition();
    pressTime_ = event->timestamp();
    pressed_ = static_cast<QWidget*>(watched);
    return false;
}

bool PullToRefresh::move(QMouseEvent* event) {
    if (!tracking_) return false;
    const QPointF by = event->globalPosition() - dragStart_;
    if (!dragging_) {
        const int slop = QApplication::startDragDistance();
        // Sideways (a row's swipe) or up (the page scrolls): no pull.
        if (std::abs(by.x()) >= slop && std::abs(by.x()) >= by.y()) tracking_ = false;
        if (by.y() <= -slop) tracking_ = false;
        if (!tracking_ || by.y() < slop) return false;
        dragging_ = true;
        cancelPress();
    }
    pullTo(by.y());
    return true;
}

void PullToRefresh::cancelPress() {
    QWidget* widget = pressed_;
    pressed_ = nullptr;
    if (!widget) return;
    // Released away from every part of the widget: a button is let go
    // unpressed, and a painted list's row takes it for no tap.
    const QPointF away(-1, -1);
    QMouseEvent letGo(QEvent::MouseButtonRelease, away, widget->mapToGlobal(away), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
    cancelling_ = true;
    QCoreApplication::sendEvent(widget, &letGo);
    cancelling_ = false;
}

bool PullToRefresh::wheel(QWheelEvent* event) {
    // The glide after a touchpad flick is not the user pulling.
    if (refreshing_ || event->phase() == Qt::ScrollMomentum) return false;
    const qreal step = !event->pixelDelta().isNull() ? event->pixelDelta().y()
                                                     : event->angleDelta().y() / 120.0 * kPixelsPerNotch;
    const bool fresh = !lastWheel_.isValid() || lastWheel_.elapsed() > kWheelPauseMs;
    lastWheel_.restart();
    if (fresh || event->phase() == Qt::ScrollBegin) wheelPull_ = 0;
    if (step <= 0 || !atTop()) {
        wheelPull_ = 0;
        return false;
    }
    // No strip follows a wheel (nothing would take it back when the wheel
    // stops short); the spinner shows once the refresh starts.
    wheelPull_ += step;
    if (wheelPull_ >= kThreshold) {
        wheelPull_ = 0;
        refresh();
    }
    return true;
}
