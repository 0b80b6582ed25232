#pragma once

// What the user sees against what the widgets would paint now. A widget that
// scrolls by moving the pixels already on screen (QWidget::scroll) leaves
// whatever it did not paint again where it was: grab() cannot see that, as it
// paints the whole window afresh, while the screen's own picture of the window
// (on the offscreen platform, the window's backing store) keeps it.

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

class QAbstractScrollArea;
class QWidget;

namespace freshpaint {

// The window as it is on screen now, after every pending repaint has run.
QImage onScreen(QWidget& window);
// The window painted afresh.
QImage painted(QWidget& window);
// The smallest rectangle holding every pixel where the two differ by more
// than a shade (antialiased edges painted in strips); empty when none.
QRect difference(const QImage& a, const QImage& b);
// The window as it is on screen at each half of `area`'s viewport from the
// top to the end, set by its scroll bar.
QList<QImage> scrolledThrough(QWidget& window, QAbstractScrollArea& area);

}  // namespace freshpaint

// Fails (naming `step` and where) when the window on screen differs from a
// fresh paint of it; on a difference leaves both pictures in the gallery.
void expectWindowMatchesFreshPaint(QWidget& window, const QString& step);

// Scrolls `area` as a user does and checks the window after each: five wheel
// notches over the middle of its viewport, a drag upwards from there, Page Down
// and End (given to the area, or to its scroll bar where the area takes no such key).
void expectScrollingKeepsWindowFresh(QWidget& window, QAbstractScrollArea& area);
