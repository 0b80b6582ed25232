#pragma once

#include <QImage>
#include <QPainter>
#include <QString>

#include "components/QrImage.h"

// A phone screenshot showing `code`: the code small and off centre, on a busy
// background, as a parent would copy it from the other device.
inline QImage qrScreenshot(const QString& code) {
    QImage shot(1170, 2532, QImage::Format_ARGB32);
    shot.fill(QColor(30, 30, 34));
    QPainter p(&shot);
    p.fillRect(QRect(40, 300, 1090, 900), QColor(242, 242, 247));
    p.drawImage(QRect(120, 1500, 520, 520), *qrImage(code));
    p.end();
    return shot;
}
