#include "components/TileButton.h"

#include <QLayout>
#include <QPainter>
#include <QPainterPath>

TileButton::TileButton(ColorRole fill, qreal opacity, int radius, QWidget* parent)
    : QAbstractButton(parent), fill_(fill), opacity_(opacity), radius_(radius) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // Labels inside take the text colour, not the button text colour (a
    // child's text role follows the background role it inherits).
    setBackgroundRole(QPalette::Window);
    setForegroundRole(QPalette::WindowText);
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

void TileButton::makeChildrenTransparent() {
    for (QWidget* child : findChildren<QWidget*>()) child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize TileButton::sizeHint() const { return layout() ? layout()->sizeHint() : QSize(44, 44); }

QSize TileButton::minimumSizeHint() const { return layout() ? layout()->minimumSize() : QSize(44, 44); }

void TileButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = Theme::current().color(fill_);
    fill.setAlphaF(float(fill.alphaF() * opacity_));
    // A tile without a fill of its own still shows the press.
    if (isDown()) fill = opacity_ > 0 ? fill.darker(110) : Theme::current().color(ColorRole::Fill);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), radius_, radius_);
    p.fillPath(path, fill);
    if (hasFocus()) {
        QColor ring = Theme::current().accent();
        ring.setAlphaF(0.5f);
        p.setPen(QPen(ring, 2));
        p.drawPath(path);
    }
}
