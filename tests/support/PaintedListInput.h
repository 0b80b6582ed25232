#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <functional>

#include "components/PaintedList.h"
#include "support/WaitUntil.h"

// Presses painted buttons as a user would: through the list's hit areas.
namespace paintedlist {

// Paints the list, so that what a click meets is what the user saw.
inline void paint(PaintedList* list) {
    list->repaint();
    QCoreApplication::processEvents();
}

// Waits out the row's double-click hold (a user does not click faster than
// that on a row that just changed), then clicks the button's centre. False
// when the button is absent.
inline bool clickButton(PaintedList* list, const QString& id, const QString& key) {
    paint(list);
    const QRect rect = list->buttonRect(id, key);
    if (rect.isEmpty()) return false;
    waitUntil([&] { return list->acceptsPresses(id); });
    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier, rect.center());
    return true;
}

// A double-click on the button as the platform delivers it: press, release,
// then the second press as a double-click event and its release. `between`
// runs after the first click (for instance, waiting for the request the first
// click sent to finish, as a fast server does before the second click).
inline bool doubleClickButton(PaintedList* list, const QString& id, const QString& key,
                              const std::function<void()>& between = {}) {
    paint(list);
    const QRect rect = list->buttonRect(id, key);
    if (rect.isEmpty()) return false;
    waitUntil([&] { return list->acceptsPresses(id); });
    QTest::mousePress(list, Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseRelease(list, Qt::LeftButton, Qt::NoModifier, rect.center());
    if (between) between();
    paint(list);
    QTest::mouseDClick(list, Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseRelease(list, Qt::LeftButton, Qt::NoModifier, rect.center());
    return true;
}

// A press at `from` in the list, moves in steps by `by` and a release. The
// moves carry their screen position from where the list was at the press, as
// a finger's do while the list scrolls under it.
inline void drag(PaintedList* list, const QPoint& from, const QPoint& by, int steps = 6) {
    const QPoint origin = list->mapToGlobal(QPoint());
    QTest::mousePress(list, Qt::LeftButton, {}, from);
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = from + by * i / steps;
        QMouseEvent move(QEvent::MouseMove, p, origin + p, Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(list, &move);
    }
    QTest::mouseRelease(list, Qt::LeftButton, {}, from + by);
    QCoreApplication::processEvents();
}

}  // namespace paintedlist
