#include "components/SymbolView.h"

#include "components/Symbols.h"

#include <QPainter>

SymbolView::SymbolView(const QString& name, int size, QWidget* parent)
    : QWidget(parent), name_(name), size_(size) {
    setObjectName(QStringLiteral("symbol"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

void SymbolView::setSymbol(const QString& name) {
    if (name == name_) return;
    name_ = name;
    update();
}

void SymbolView::setSymbolSize(int size) {
    size_ = size;
    updateGeometry();
    update();
}

void SymbolView::setTint(ColorRole role) {
    role_ = role;
    color_.reset();
    update();
}

void SymbolView::setTint(const QColor& color) {
    color_ = color;
    update();
}

QColor SymbolView::tint() const {
    return color_ ? *color_ : Theme::current().color(role_);
}

void SymbolView::setCircleBackground(const QColor& color) {
    circle_ = color;
    update();
}

QSize SymbolView::sizeHint() const {
    return {size_, size_};
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (circle_.isValid()) {
        p.setPen(Qt::NoPen);
        p.setBrush(circle_);
        const int d = qMin(width(), height());
        p.drawEllipse(QRect((width() - d) / 2, (height() - d) / 2, d, d));
    }
    if (name_.isEmpty()) return;
    const QPixmap pm = Symbols::pixmap(name_, size_, tint(), devicePixelRatioF());
    p.drawPixmap((width() - size_) / 2, (height() - size_) / 2, pm);
}
