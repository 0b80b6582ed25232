#include "components/Button.h"

#include "components/MoneyFocus.h"
#include "components/Symbols.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kGap = 6;
// Below this a label on its fill no longer reads (white on light cyan is 2.0).
constexpr double kMinimumLabelContrast = 2.2;
// A grey fill this close to every background of the appearance is not seen.
constexpr double kMinimumFillContrast = 1.5;
constexpr float kNeutralSaturation = 0.15f;

double luminance(const QColor& color) {
    const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A black or white fill is meant as ink: on the backgrounds of the other
// appearance (black on a dark screen) it becomes the label colour, which
// always stands out.
QColor visibleFill(const QColor& tint) {
    if (tint.hsvSaturationF() > kNeutralSaturation) return tint;
    const Theme& theme = Theme::current();
    for (ColorRole role :
         {ColorRole::Background, ColorRole::SecondaryGroupedBackground, ColorRole::TertiaryGroupedBackground})
        if (contrast(tint, theme.color(role)) < kMinimumFillContrast) return theme.color(ColorRole::Label);
    return tint;
}

// The wanted label colour while it reads on the fill, else black or white, whichever reads better.
QColor readableOn(const QColor& fill, const QColor& wanted) {
    if (contrast(wanted, fill) >= kMinimumLabelContrast) return wanted;
    return contrast(Qt::black, fill) >= contrast(Qt::white, fill) ? QColor(Qt::black) : QColor(Qt::white);
}

}  // namespace

Button::Button(const QString& text, Style style, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent), style_(style), symbol_(symbol) {
    setText(text);
    setAccessibleName(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

void Button::setStyle(Style style) {
    style_ = style;
    updateGeometry();
    update();
}

void Button::setRole(Role role) {
    role_ = role;
    // A red button deletes or takes back: it never takes the focus by itself.
    if (role == Role::Destructive) MoneyFocus::mark(this);
    update();
}

void Button::setControlSize(Size size) {
    size_ = size;
    updateGeometry();
    update();
}

void Button::setSymbol(const QString& symbol) {
    symbol_ = symbol;
    updateGeometry();
    update();
}

void Button::setIconOnly(bool iconOnly) {
    iconOnly_ = iconOnly;
    updateGeometry();
    update();
}

void Button::setFullWidth(bool fullWidth) {
    fullWidth_ = fullWidth;
    setSizePolicy(fullWidth ? QSizePolicy::Expanding : QSizePolicy::Maximum, QSizePolicy::Fixed);
    updateGeometry();
}

void Button::setTextStyle(TextStyle style, int weight) {
    textStyle_ = style;
    weight_ = weight;
    updateGeometry();
    update();
}

void Button::setTint(ColorRole role) {
    tintRole_ = role;
    tintColor_.reset();
    update();
}

void Button::setTint(const QColor& color) {
    tintColor_ = color;
    update();
}

void Button::setLabelColor(const QColor& color) {
    labelColor_ = color;
    update();
}

QColor Button::tint() const {
    if (tintColor_) return *tintColor_;
    const Theme& theme = Theme::current();
    if (tintRole_) return theme.color(*tintRole_);
    return theme.color(role_ == Role::Destructive ? ColorRole::Red : ColorRole::Accent);
}

Button::Face Button::face() const {
    Face f;
    f.text = iconOnly_ ? QString() : text();
    f.symbol = symbol_;
    f.style = style_;
    f.size = size_;
    f.textStyle = textStyle_;
    f.weight = weight_ < 0 && role_ == Role::Cancel ? int(QFont::DemiBold) : weight_;
    f.tint = tint();
    f.labelColor = labelColor_;
    f.enabled = isEnabled();
    f.down = isDown();
    f.focused = hasFocus();
    f.fullWidth = fullWidth_;
    return f;
}

QFont Button::labelFont(const Face& face) {
    int weight = face.weight;
    if (weight < 0) weight = face.style == Style::BorderedProminent ? QFont::DemiBold : QFont::Normal;
    return Theme::font(face.textStyle, weight);
}

int Button::symbolSize(const Face& face) { return Symbols::sizeForText(Theme::pointSize(face.textStyle)); }

QSize Button::faceSize(const Face& face) {
    const QFont font = labelFont(face);
    const QFontMetrics fm(font);
    int w = 0;
    if (!face.symbol.isEmpty()) w += symbolSize(face);
    // Rounded up: a rounded-down advance would elide the text by a fraction of a pixel.
    if (!face.text.isEmpty())
        w += (w ? kGap : 0) + static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(face.text))) + 1;
    const int h = face.size == Size::Large
                      ? 50
                      : (face.style == Style::Plain ? qMax(fm.height(), symbolSize(face)) + 8 : 34);
    const int padding = face.style == Style::Plain ? 4 : (face.size == Size::Large ? 20 : 12);
    return {w + 2 * padding, h};
}

QSize Button::sizeHint() const { return faceSize(face()); }

QSize Button::minimumSizeHint() const {
    return {qMin(sizeHint().width(), 44), sizeHint().height()};
}

void Button::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QAbstractButton::changeEvent(event);
}

void Button::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paintFace(&p, rect(), face());
}

void Button::paintFace(QPainter* painter, const QRect& rect, const Face& face) {
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    if (!face.enabled) p.setOpacity(p.opacity() * 0.4);
    else if (face.down) p.setOpacity(p.opacity() * 0.6);

    const QColor base = face.style == Style::BorderedProminent ? visibleFill(face.tint) : face.tint;
    QColor fg = base;
    const QRectF box = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = face.size == Size::Large ? 14 : Spacing::controlRadius;
    if (face.style == Style::BorderedProminent) {
        QPainterPath path;
        path.addRoundedRect(box, radius, radius);
        p.fillPath(path, base);
        fg = readableOn(base, face.labelColor ? *face.labelColor : (isLightColor(base) ? QColor(Qt::black) : QColor(Qt::white)));
    } else if (face.style == Style::Bordered) {
        QColor fill = base;
        fill.setAlphaF(0.15f);
        QPainterPath path;
        path.addRoundedRect(box, radius, radius);
        p.fillPath(path, fill);
    }
    if (face.focused) {
        // Every face shows the keyboard's focus, light or dark: on a fill the
        // ring takes the label's colour (the fill's own would vanish into
        // it), elsewhere the tint's.
        QColor ring = face.style == Style::BorderedProminent ? fg : base;
        ring.setAlphaF(face.style == Style::Bordered ? 0.5f : 0.85f);
        p.setPen(QPen(ring, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box.adjusted(1, 1, -1, -1), radius, radius);
    }

    const QFont font = labelFont(face);
    const QFontMetrics fm(font);
    const bool showText = !face.text.isEmpty();
    const int sym = face.symbol.isEmpty() ? 0 : symbolSize(face);
    const int textWidth = showText ? fm.horizontalAdvance(face.text) : 0;
    const int padding = face.style == Style::Plain ? 4 : 12;
    const int available = rect.width() - 2 * padding - sym - (sym && showText ? kGap : 0);
    const QString shown = showText ? fm.elidedText(face.text, Qt::ElideRight, qMax(0, available)) : QString();
    const int contentWidth = sym + (sym && showText ? kGap : 0) + qMin(textWidth, qMax(0, available));
    int x = rect.left() + (rect.width() - contentWidth) / 2;
    if (face.style == Style::Plain && !face.fullWidth) x = qMax(rect.left() + padding, x);
    if (sym) {
        const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
        p.drawPixmap(x, rect.top() + (rect.height() - sym) / 2, Symbols::pixmap(face.symbol, sym, fg, dpr));
        x += sym + kGap;
    }
    if (showText) {
        p.setFont(font);
        p.setPen(fg);
        p.drawText(QRect(x, rect.top(), rect.right() + 1 - x, rect.height()),
                   Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
    }
    p.restore();
}
