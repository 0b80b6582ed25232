#include "views/shell/PasscodeDots.h"

#include <QPainter>

#include "views/shell/PasscodeStyle.h"

using namespace passcode_style;

PasscodeDots::PasscodeDots(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("passcodeDots"));
    setLength(0);
}

void PasscodeDots::setLength(int length) {
    length_ = length;
    setAccessibleName(QStringLiteral("Введено цифр: %1 из четырёх").arg(length));
    update();
}

QSize PasscodeDots::sizeHint() const { return {4 * 15 + 3 * 18, 15}; }

void PasscodeDots::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const int total = 4 * 15 + 3 * 18;
    qreal x = (width() - total) / 2.0;
    for (int i = 0; i < codeLength; ++i) {
        p.setBrush(i < length_ ? passcodeLime() : whiteAt(0.18));
        p.drawEllipse(QRectF(x, (height() - 15) / 2.0, 15, 15));
        x += 15 + 18;
    }
}
