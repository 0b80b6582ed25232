#include "components/Chip.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "components/Symbols.h"

namespace {
constexpr int kSymbolGap = 6;
}

Chip::Chip(const QString& title, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent), title_(title), symbol_(symbol) {
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(title);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

void Chip::setTitle(const QString& title) {
    if (title == title_) return;
    title_ = title;
    setAccessibleName(title);
    updateGeometry();
    update();
}

void Chip::setSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    update();
}

void Chip::setTextStyle(TextStyle style, int weight) {
    style_ = style;
    weight_ = weight;
    updateGeometry();
    update();
}

void Chip::setPadding(int horizontal, int vertical) {
    paddingX_ = horizontal;
    paddingY_ = vertical;
    updateGeometry();
}

void Chip::setColors(const Colors& selected, const Colors& normal) {
    selectedColors_ = selected;
    normalColors_ = normal;
    update();
}

Chip::Colors Chip::current() const {
    Colors colors = selected_ ? selectedColors_ : normalColors_;
    const Theme& theme = Theme::current();
    if (!colors.fill.isValid())
        colors.fill = theme.color(selected_ ? ColorRole::Label : ColorRole::SecondaryGroupedBackground);
    if (!colors.text.isValid())
        colors.text = theme.color(selected_ ? ColorRole::SecondaryGroupedBackground : ColorRole::Label);
    return colors;
}

QSize Chip::sizeHint() const {
    const QFontMetrics metrics(Theme::font(style_, weight_));
    const int symbol = Symbols::sizeForText(metrics.height());
    // Rounded up, and a pixel more: a text given exactly its advance may still be elided.
    const int text =
        int(std::ceil(QFontMetricsF(Theme::font(style_, weight_)).horizontalAdvance(title_))) + 1;
    const int width = symbol + kSymbolGap + text + 2 * paddingX_;
    return {width, std::max(symbol, metrics.height()) + 2 * paddingY_};
}

void Chip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const Colors colors = current();
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    p.fillPath(capsule, colors.fill);
    if (isDown()) p.fillPath(capsule, QColor(0, 0, 0, 30));

    const QFont font = Theme::font(style_, weight_);
    const QFontMetrics metrics(font);
    const int symbol = Symbols::sizeForText(metrics.height());
    const QPixmap icon = Symbols::pixmap(symbol_, symbol, colors.text, devicePixelRatioF());
    p.drawPixmap(QPointF(paddingX_, (height() - symbol) / 2.0), icon);
    p.setFont(font);
    p.setPen(colors.text);
    const QRect textRect(paddingX_ + symbol + kSymbolGap, 0, width() - paddingX_ * 2 - symbol - kSymbolGap,
                         height());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               metrics.elidedText(title_, Qt::ElideRight, textRect.width()));
}

ChipRow::ChipRow(int spacing, QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    row_ = new QHBoxLayout(content);
    row_->setContentsMargins(0, 0, 0, 0);
    row_->setSpacing(spacing);
    // The row is as wide as its items want; the scroll area shows a part of it.
    row_->setSizeConstraint(QLayout::SetMinimumSize);
    row_->addStretch(1);
    setWidget(content);
    viewport()->setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    SidewaysScroller::attach(this);
}

void ChipRow::addWidget(QWidget* widget) {
    widget->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    row_->insertWidget(row_->count() - 1, widget);
    // Added to a row already on screen, it shows only when told.
    if (!widget->isHidden() || !widget->testAttribute(Qt::WA_WState_ExplicitShowHide)) widget->show();
    updateGeometry();
}

void ChipRow::clear() {
    while (row_->count() > 1) {
        QLayoutItem* item = row_->takeAt(0);
        delete item->widget();
        delete item;
    }
    updateGeometry();
}

QSize ChipRow::sizeHint() const { return {widget()->sizeHint().width(), widget()->sizeHint().height()}; }

QSize ChipRow::minimumSizeHint() const { return {0, widget()->sizeHint().height()}; }

SidewaysScroller* SidewaysScroller::attach(QScrollArea* strip) {
    if (auto* existing = strip->findChild<SidewaysScroller*>(QString(), Qt::FindDirectChildrenOnly)) return existing;
    return new SidewaysScroller(strip);
}

SidewaysScroller::SidewaysScroller(QScrollArea* strip) : QObject(strip), strip_(strip) {
    watch(strip->viewport());
}

// The strip's viewport and everything on it, controls added later included:
// a press lands on a chip, not on the viewport.
void SidewaysScroller::watch(QObject* object) {
    object->installEventFilter(this);
    for (QObject* child : object->children())
        if (child->isWidgetType()) watch(child);
}

bool SidewaysScroller::wheel(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const int step = delta.x() != 0 ? delta.x() : delta.y();
    QScrollBar* bar = strip_->horizontalScrollBar();
    const int before = bar->value();
    bar->setValue(before - step / 2);
    // At either end the wheel goes on to the page.
    return bar->value() != before;
}

bool SidewaysScroller::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded: {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType()) watch(child);
        break;
    }
    case QEvent::Wheel:
        // What the strip cannot take goes on to the page.
        if (wheel(static_cast<QWheelEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) break;
        pressed_ = true;
        dragging_ = false;
        pressedAt_ = mouse->globalPosition().toPoint();
        pressedValue_ = strip_->horizontalScrollBar()->value();
        break;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!pressed_ || !(mouse->buttons() & Qt::LeftButton)) break;
        const int dx = mouse->globalPosition().toPoint().x() - pressedAt_.x();
        if (!dragging_ && std::abs(dx) < QApplication::startDragDistance()) break;
        if (!dragging_) {
            dragging_ = true;
            // The control the drag started on lets go without a click.
            if (auto* button = qobject_cast<QAbstractButton*>(watched)) button->setDown(false);
        }
        strip_->horizontalScrollBar()->setValue(pressedValue_ - dx);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
        const bool dragged = dragging_;
        pressed_ = dragging_ = false;
        if (dragged) {
            if (auto* button = qobject_cast<QAbstractButton*>(watched)) button->setDown(false);
            return true;
        }
        break;
    }
    default: break;
    }
    return QObject::eventFilter(watched, event);
}
