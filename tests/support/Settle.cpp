#include "Settle.h"

#include <QAbstractSlider>
#include <QApplication>
#include <QList>
#include <QRect>
#include <QWidget>

namespace {

// Where everything shown is, and where every slider stands.
QList<int> snapshot() {
    QList<int> values;
    const auto add = [&values](const QWidget* w) {
        const QRect g = w->geometry();
        values << g.x() << g.y() << g.width() << g.height() << int(w->isVisible());
        if (const auto* slider = qobject_cast<const QAbstractSlider*>(w))
            values << slider->minimum() << slider->maximum() << slider->value();
    };
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        add(window);
        for (const QWidget* child : window->findChildren<QWidget*>()) add(child);
    }
    return values;
}

void round() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

}  // namespace

void settleUntilStill() {
    // Events posted during a round wait for the next, so still means two
    // rounds in a row that moved nothing. The bound only ends a running
    // animation's endless motion.
    QList<int> before = snapshot();
    int still = 0;
    for (int i = 0; i < 200 && still < 2; ++i) {
        round();
        QList<int> after = snapshot();
        still = after == before ? still + 1 : 0;
        before = std::move(after);
    }
}
