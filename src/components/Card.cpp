#include "components/Card.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

Card::Card(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("card"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    stack_ = new QVBoxLayout(this);
    stack_->setContentsMargins(Spacing::cardPadding, Spacing::cardPadding, Spacing::cardPadding,
                               Spacing::cardPadding);
    stack_->setSpacing(Spacing::cardStack);
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

void Card::addWidget(QWidget* widget, int stretch, Qt::Alignment alignment) {
    stack_->addWidget(widget, stretch, alignment);
}

void Card::setPadding(int padding) {
    setPadding(padding, padding);
}

void Card::setPadding(int horizontal, int vertical) {
    stack_->setContentsMargins(horizontal, vertical, horizontal, vertical);
}

void Card::setSpacing(int spacing) {
    stack_->setSpacing(spacing);
}

void Card::setRadius(int radius) {
    radius_ = radius;
    update();
}

void Card::setBackground(ColorRole role) {
    role_ = role;
    color_.reset();
    gradient_.reset();
    update();
}

void Card::setBackground(const QColor& color) {
    color_ = color;
    gradient_.reset();
    update();
}

void Card::setGradient(const QColor& from, const QColor& to) {
    gradient_ = std::make_pair(from, to);
    update();
}

QColor Card::background() const {
    if (gradient_) return gradient_->first;
    return color_ ? *color_ : Theme::current().color(role_);
}

void Card::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), radius_, radius_);
    if (gradient_) {
        QLinearGradient g(rect().topLeft(), rect().bottomRight());
        g.setColorAt(0, gradient_->first);
        g.setColorAt(1, gradient_->second);
        p.fillPath(path, g);
    } else {
        p.fillPath(path, background());
    }
}
