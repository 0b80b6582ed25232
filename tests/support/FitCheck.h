#pragma once

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

}  // namespace FitCheck
