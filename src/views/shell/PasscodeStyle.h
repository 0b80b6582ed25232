#pragma once

// The look shared by the lock screens, the splash and the family sign-in badge.

#include <QColor>

// The lime of the lock screens, the splash and the family sign-in badge.
inline QColor passcodeLime() { return QColor::fromRgbF(0.75f, 1.0f, 0.18f); }

namespace passcode_style {

inline constexpr int codeLength = 4;

// White at the given opacity, the canvas's secondary ink.
inline QColor whiteAt(qreal opacity) {
    QColor c(Qt::white);
    c.setAlphaF(opacity);
    return c;
}

}  // namespace passcode_style
