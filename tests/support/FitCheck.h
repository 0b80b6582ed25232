#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QStringList>

class QWidget;

// Whether what a window shows fits it, judged on its widgets alone (no screen
// is known by name), as a phone-width window must:
// - no widget reaches outside its parent, and no page that scrolls only up
//   and down is wider than its viewport (it would be cut at the right);
// - no label is elided, cut or shrunk while the row it sits in has room for
//   its whole text (empty pixels beside it, past a row's usual spacing);
// - a wrapping label is as tall as its lines, and splits no word that would
//   fit its row;
// - a date or number field shows its whole value.
// Each problem is one line naming the widget, its path and its text.
namespace FitCheck {

QStringList problems(const QWidget& window);

// One run of text as a widget paints it: pieces drawn side by side on one
// baseline (a fallback font's "₽" beside the digits) are one run. The box is
// in the widget's coordinates, from the baseline's ascent to its descent.
struct DrawnText {
    QString text;
    QFont font;  // of the run's first piece
    QColor color;  // the pen it was drawn with
    QRectF box;
    qreal baseline = 0;
    int pixelSize() const;  // the font's size in pixels
};

// What the widget paints as text, children included, top to bottom and left
// to right: painted rows show their fit (sizes, whole or elided texts) only
// here, as no label holds them.
QList<DrawnText> drawnTexts(QWidget& widget);

}  // namespace FitCheck
