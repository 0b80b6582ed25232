#pragma once

#include <QApplication>
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

}  // namespace paintedlist
