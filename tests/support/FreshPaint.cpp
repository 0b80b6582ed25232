#include "support/FreshPaint.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <cstdlib>
#include <gtest/gtest.h>

#include "support/Gallery.h"
#include "support/Settle.h"

namespace freshpaint {

namespace {

// An antialiased edge painted in two strips may differ by a shade from the
// same edge painted whole; anything stale differs by far more.
constexpr int kShade = 24;

bool alike(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= kShade && std::abs(qGreen(a) - qGreen(b)) <= kShade &&
           std::abs(qBlue(a) - qBlue(b)) <= kShade;
}

void flush() {
    settleUntilStill();
    // The repaints the last round asked for reach the screen in the next one.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

}  // namespace

QList<QImage> scrolledThrough(QWidget& window, QAbstractScrollArea& area) {
    QList<QImage> pictures;
    QScrollBar* bar = area.verticalScrollBar();
    bar->setValue(0);
    for (int guard = 0; guard < 100; ++guard) {
        pictures << onScreen(window);
        if (bar->value() >= bar->maximum()) break;
        bar->setValue(bar->value() + area.viewport()->height() / 2);
    }
    return pictures;
}

QImage onScreen(QWidget& window) {
    flush();
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage painted(QWidget& window) {
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRect difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return QRect(QPoint(0, 0), a.size().expandedTo(b.size()));
    QRect out;
    for (int y = 0; y < a.height(); ++y) {
        const auto* left = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* right = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (!alike(left[x], right[x])) out |= QRect(x, y, 1, 1);
    }
    return out;
}

}  // namespace freshpaint

void expectWindowMatchesFreshPaint(QWidget& window, const QString& step) {
    const QImage screen = freshpaint::onScreen(window);
    const QImage fresh = freshpaint::painted(window);
    const QRect where = freshpaint::difference(screen, fresh);
    if (where.isEmpty()) return;
    const QString name = QString(step).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")),
                                               QStringLiteral("_"));
    QDir().mkpath(Gallery::directory());
    screen.save(Gallery::directory() + QStringLiteral("/stale-%1-screen.png").arg(name));
    fresh.save(Gallery::directory() + QStringLiteral("/stale-%1-fresh.png").arg(name));
    ADD_FAILURE() << "after " << step.toStdString() << " the window on screen differs from a fresh paint in "
                  << where.width() << "x" << where.height() << " at (" << where.x() << ", " << where.y()
                  << "), window " << screen.width() << "x" << screen.height();
}

namespace {

// The deepest widget at a point of the viewport, and the point in its coordinates.
std::pair<QWidget*, QPoint> widgetAt(QAbstractScrollArea& area, const QPoint& inViewport) {
    QWidget* target = area.viewport()->childAt(inViewport);
    if (!target) target = area.viewport();
    return {target, target->mapFrom(area.viewport(), inViewport)};
}

void wheelNotch(QAbstractScrollArea& area) {
    // As the platform delivers a turn of the wheel: to the widget under the
    // pointer, then up its parents until one takes it.
    const QPoint middle = area.viewport()->rect().center();
    const QPoint global = area.viewport()->mapToGlobal(middle);
    for (QWidget* w = widgetAt(area, middle).first; w; w = w->parentWidget()) {
        const QPointF at = w->mapFromGlobal(QPointF(global));
        QWheelEvent wheel(at, QPointF(global), QPoint(0, 0), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        wheel.setAccepted(false);
        QApplication::sendEvent(w, &wheel);
        if (wheel.isAccepted() || w->isWindow()) return;
    }
}

void dragUp(QAbstractScrollArea& area) {
    const QPoint from = area.viewport()->rect().center();
    const QPoint to = from - QPoint(0, area.viewport()->height() / 3);
    auto [target, at] = widgetAt(area, from);
    const QPoint shift = at - from;
    QTest::mousePress(target, Qt::LeftButton, {}, at);
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i) {
        const QPoint p = from + (to - from) * i / kSteps + shift;
        QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(target->mapToGlobal(p)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        QCoreApplication::processEvents();
    }
    QTest::mouseRelease(target, Qt::LeftButton, {}, to + shift);
}

void key(QAbstractScrollArea& area, int code) {
    QScrollBar* bar = area.verticalScrollBar();
    const int before = bar->value();
    QTest::keyClick(&area, Qt::Key(code));
    settleUntilStill();
    // A page that takes no such key scrolls as its scroll bar's key would.
    if (bar->value() == before)
        bar->triggerAction(code == Qt::Key_End ? QAbstractSlider::SliderToMaximum
                                               : QAbstractSlider::SliderPageStepAdd);
}

}  // namespace

void expectScrollingKeepsWindowFresh(QWidget& window, QAbstractScrollArea& area) {
    expectWindowMatchesFreshPaint(window, QStringLiteral("opening"));
    for (int notch = 0; notch < 5; ++notch) {
        wheelNotch(area);
        QCoreApplication::processEvents();
    }
    QScrollBar* bar = area.verticalScrollBar();
    EXPECT_GT(bar->value(), 0) << "the wheel scrolled nothing";
    expectWindowMatchesFreshPaint(window, QStringLiteral("five wheel notches"));
    dragUp(area);
    expectWindowMatchesFreshPaint(window, QStringLiteral("a drag"));
    const int beforePage = bar->value();
    key(area, Qt::Key_PageDown);
    EXPECT_TRUE(bar->value() != beforePage || bar->value() == bar->maximum()) << "Page Down scrolled nothing";
    expectWindowMatchesFreshPaint(window, QStringLiteral("Page Down"));
    const int beforeEnd = bar->value();
    key(area, Qt::Key_End);
    // (A page that builds its cards as they come near grows as it goes.)
    EXPECT_TRUE(bar->value() != beforeEnd || bar->value() == bar->maximum()) << "End scrolled nothing";
    expectWindowMatchesFreshPaint(window, QStringLiteral("End"));
}
