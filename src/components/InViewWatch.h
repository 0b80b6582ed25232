#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>

class QAbstractScrollArea;
class QWidget;

// The scroll area whose viewport holds `widget`, if any: the nearest one
// above it, and only when the widget is inside its viewport (not, say, one of
// its scroll bars or margins).
QAbstractScrollArea* enclosingScrollArea(const QWidget* widget);

// Moves `watcher`'s watch to the scroll area that now encloses `widget`
// (`watched` is the one it followed until now, and becomes the new one): a
// move of its vertical scroll bar calls `onScroll`, and `watcher` filters its
// viewport's events. Nothing happens while the area stays the same.
void followEnclosingScrollArea(QObject* watcher, const QWidget* widget, QPointer<QAbstractScrollArea>& watched,
                               const std::function<void()>& onScroll);

// Tells a widget that builds its costly parts only once they are seen when
// some of it may have come into view: at once on a scroll of the scroll area
// it sits in (so that the scroll's paint finds what it brings), on its own
// move, resize or show, and, once pending layouts have placed everything, on
// a resize of the scroll area's viewport. The check is given the part of the
// window in view (the viewport, else the whole window) in the widget's own
// coordinates, and runs only while the widget is visible. Belongs to the widget.
//
//   auto* watch = new InViewWatch(this, [this](const QRect& inView) { buildWhatIntersects(inView); });
//   watch->schedule();  // something inside moved: check once layouts settle
class InViewWatch : public QObject {
    Q_OBJECT
public:
    using Check = std::function<void(const QRect& inView)>;
    InViewWatch(QWidget* widget, Check check);

    // Checks once pending layouts are done, before the next paint.
    void schedule();
    // Checks now.
    void checkNow();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchScrolling();

    QWidget* widget_;
    Check check_;
    QPointer<QAbstractScrollArea> scrollArea_;
    bool scheduled_ = false;
};
