#include "components/Spinner.h"

#include <QPainter>
#include <QTimer>


Spinner::Spinner(int size, QWidget* parent) : QWidget(parent), size_(size), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("spinner"));
    setFixedSize(size, size);
    setAccessibleName(QStringLiteral("Загрузка"));
    timer_->setInterval(kStepMs);
    connect(timer_, &QTimer::timeout, this, [this] {
        step_ = (step_ + 1) % kSpokes;
        update();
    });
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

bool Spinner::isSpinning() const { return timer_->isActive(); }

void Spinner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_->start();
}

void Spinner::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_->stop();
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintSpokes(&p, QPointF(width() / 2.0, height() / 2.0), size_, step_);
}

void Spinner::paintSpokes(QPainter* painter, const QPointF& centre, int size, int step) {
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(centre);
    const qreal radius = size / 2.0;
    QPen pen(Theme::current().color(ColorRole::SecondaryLabel));
    pen.setWidthF(qMax(2.0, size / 10.0));
    pen.setCapStyle(Qt::RoundCap);
    for (int i = 0; i < kSpokes; ++i) {
        // The spoke at the current step is darkest; the ones behind it fade.
        const int age = (step - i + kSpokes) % kSpokes;
        QColor color = pen.color();
        color.setAlphaF(1.0 - 0.75 * age / (kSpokes - 1));
        QPen spoke = pen;
        spoke.setColor(color);
        p.setPen(spoke);
        p.save();
        p.rotate(360.0 * i / kSpokes);
        p.drawLine(QPointF(0, -radius * 0.5), QPointF(0, -radius + pen.widthF() / 2));
        p.restore();
    }
    p.restore();
}
