#include "components/Toggle.h"

#include "components/TextLabel.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>

Toggle::Toggle(QWidget* parent) : QAbstractButton(parent) {
    setObjectName(QStringLiteral("toggle"));
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

void Toggle::setTint(const QColor& color) {
    tint_ = color;
    update();
}

QColor Toggle::tint() const {
    return tint_ ? *tint_ : Theme::current().accent();
}

void Toggle::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) p.setOpacity(0.4);
    const QRectF track(0, 0, 51, 31);
    const QRectF box = track.translated((width() - 51) / 2.0, (height() - 31) / 2.0);
    p.setPen(Qt::NoPen);
    p.setBrush(isChecked() ? tint() : Theme::current().color(ColorRole::Fill));
    p.drawRoundedRect(box, 15.5, 15.5);
    const qreal knob = 27;
    const qreal x = isChecked() ? box.right() - 2 - knob : box.left() + 2;
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawEllipse(QRectF(x, box.top() + 3, knob, knob));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(x, box.top() + 2, knob, knob));
}

ToggleRow::ToggleRow(const QString& title, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("toggleRow"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 2, 0, 2);
    row->setSpacing(12);
    title_ = new TextLabel(title, TextStyle::Body, ColorRole::Label, this);
    title_->setWordWrap(true);
    toggle_ = new Toggle(this);
    toggle_->setAccessibleName(title);
    row->addWidget(title_, 1);
    row->addWidget(toggle_, 0, Qt::AlignVCenter);
    connect(toggle_, &QAbstractButton::toggled, this, [this](bool on) {
        if (!signalsBlocked()) emit toggled(on);
    });
}

bool ToggleRow::isChecked() const {
    return toggle_->isChecked();
}

void ToggleRow::setChecked(bool on) {
    const QSignalBlocker block(this);
    toggle_->setChecked(on);
}

void ToggleRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && toggle_->isEnabled() && rect().contains(event->position().toPoint()))
        toggle_->click();
    QWidget::mouseReleaseEvent(event);
}
