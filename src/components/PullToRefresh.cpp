#include "components/PullToRefresh.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

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
    body_->viewport()->installEventFilter(this);
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

bool PullToRefresh::eventFilter(QObject* watched, QEvent* event) {
    if (watched != body_->viewport()) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            dragging_ = mouse->button() == Qt::LeftButton && atTop() && !refreshing_;
            dragStart_ = mouse->globalPosition().y();
            return false;
        }
        case QEvent::MouseMove: {
            if (!dragging_) return false;
            pullTo(static_cast<QMouseEvent*>(event)->globalPosition().y() - dragStart_);
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (!dragging_) return false;
            dragging_ = false;
            release();
            return true;
        case QEvent::Wheel:
            return wheel(static_cast<QWheelEvent*>(event));
        default:
            return false;
    }
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
