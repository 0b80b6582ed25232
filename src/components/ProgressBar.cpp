#include "components/ProgressBar.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

ProgressBar::ProgressBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("progressBar"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(height_);
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

void ProgressBar::setValue(double fraction) {
    if (std::isnan(fraction)) fraction = 0;
    value_ = std::clamp(fraction, 0.0, 1.0);
    setAccessibleDescription(QString::number(static_cast<int>(value_ * 100)) + QLatin1Char('%'));
    update();
}

void ProgressBar::setTint(ColorRole role) {
    role_ = role;
    color_.reset();
    update();
}

void ProgressBar::setTint(const QColor& color) {
    color_ = color;
    update();
}

QColor ProgressBar::tint() const {
    if (color_) return *color_;
    return Theme::current().color(role_ ? *role_ : ColorRole::Accent);
}

void ProgressBar::setBarHeight(int height) {
    height_ = height;
    setFixedHeight(height);
    update();
}

void ProgressBar::setTrack(const QColor& color) {
    if (track_ == color) return;
    track_ = color;
    update();
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(&p, QRectF(rect()), value_, tint(), track_);
}

void ProgressBar::paint(QPainter* p, const QRectF& rect, double fraction, const QColor& tint, const QColor& track) {
    if (std::isnan(fraction)) fraction = 0;
    fraction = std::clamp(fraction, 0.0, 1.0);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    const qreal r = rect.height() / 2.0;
    p->setBrush(track.isValid() ? track : Theme::current().color(ColorRole::Fill));
    p->drawRoundedRect(rect, r, r);
    if (fraction > 0) {
        p->setBrush(tint);
        p->drawRoundedRect(QRectF(rect.topLeft(), QSizeF(qMax(rect.height(), rect.width() * fraction), rect.height())),
                           r, r);
    }
    p->restore();
}
