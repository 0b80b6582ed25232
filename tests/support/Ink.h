#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <cmath>

// Colour checks for "does it read": the contrast ratio of two colours (1 to 21,
// as accessibility guidelines measure it) and the average colour of what a
// symbol drew.
namespace ink {

inline double luminance(const QColor& c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

inline double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The average colour of the pixels drawn at least half opaque; invalid when none.
inline QColor averageOf(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    double r = 0, g = 0, b = 0, count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alphaF() < 0.5) continue;
            r += c.redF(), g += c.greenF(), b += c.blueF(), count += 1;
        }
    if (count == 0) return {};
    return QColor::fromRgbF(float(r / count), float(g / count), float(b / count));
}

}  // namespace ink
