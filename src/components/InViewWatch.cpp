#include "components/InViewWatch.h"

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>
#include <QWidget>
#include <utility>

namespace {
const QEvent::Type kCheckInView = QEvent::Type(QEvent::registerEventType());
}  // namespace

InViewWatch::InViewWatch(QWidget* widget, Check check)
    : QObject(widget), widget_(widget), check_(std::move(check)) {
    widget->installEventFilter(this);
    watchScrolling();
}

QAbstractScrollArea* enclosingScrollArea(const QWidget* widget) {
    for (QWidget* w = widget->parentWidget(); w; w = w->parentWidget())
        if (auto* candidate = qobject_cast<QAbstractScrollArea*>(w))
            return candidate->viewport()->isAncestorOf(widget) ? candidate : nullptr;
    return nullptr;
}

void followEnclosingScrollArea(QObject* watcher, const QWidget* widget, QPointer<QAbstractScrollArea>& watched,
                               const std::function<void()>& onScroll) {
    QAbstractScrollArea* const area = enclosingScrollArea(widget);
    if (area == watched) return;
    if (watched) {
        watched->verticalScrollBar()->disconnect(watcher);
        watched->viewport()->removeEventFilter(watcher);
    }
    watched = area;
    if (!area) return;
    QObject::connect(area->verticalScrollBar(), &QScrollBar::valueChanged, watcher, onScroll);
    area->viewport()->installEventFilter(watcher);
}

void InViewWatch::watchScrolling() {
    // At once, so that the scroll's paint finds what it brings into view.
    followEnclosingScrollArea(this, widget_, scrollArea_, [this] { checkNow(); });
}

void InViewWatch::schedule() {
    // Before the paint, which waits behind every event posted at the usual priority.
    if (scheduled_ || !widget_->isVisible()) return;
    scheduled_ = true;
    QCoreApplication::postEvent(this, new QEvent(kCheckInView));
}

void InViewWatch::checkNow() {
    scheduled_ = false;
    if (!widget_->isVisible()) return;
    const QWidget* seen = scrollArea_ ? static_cast<QWidget*>(scrollArea_->viewport()) : widget_->window();
    check_(QRect(widget_->mapFrom(seen, QPoint(0, 0)), seen->size()));
}

bool InViewWatch::event(QEvent* event) {
    if (event->type() == kCheckInView) {
        if (scheduled_) checkNow();
        return true;
    }
    return QObject::event(event);
}

bool InViewWatch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget_) {
        switch (event->type()) {
            case QEvent::ParentChange:
                watchScrolling();
                break;
            case QEvent::Move:
            case QEvent::Resize:
                // A filter sees a resize before the widget's layout places its
                // children by it: check once they are placed.
                schedule();
                break;
            case QEvent::Show:
                watchScrolling();
                schedule();
                break;
            default:
                break;
        }
    } else if (scrollArea_ && watched == scrollArea_->viewport() && event->type() == QEvent::Resize) {
        schedule();
    }
    return QObject::eventFilter(watched, event);
}
