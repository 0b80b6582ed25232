#include "components/TextLabel.h"

#include <QHBoxLayout>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "components/SymbolView.h"
#include "components/Symbols.h"
#include "components/TextFit.h"

TextLabel::TextLabel(const QString& text, TextStyle style, ColorRole role, QWidget* parent)
    : QLabel(parent), style_(style), role_(role) {
    setTextFormat(Qt::PlainText);
    setText(text);
    applyTheme();
    connect(&Theme::current(), &Theme::changed, this, &TextLabel::applyTheme);
}

void TextLabel::setTextStyle(TextStyle style, int weight) {
    style_ = style;
    weight_ = weight;
    applyTheme();
}

void TextLabel::setColorRole(ColorRole role) {
    // Redraws set the same colour again and again: a new palette costs a restyle.
    if (role_ == role && !color_) return;
    role_ = role;
    color_.reset();
    applyColor();
}

void TextLabel::setColor(const QColor& color) {
    if (color_ == color) return;
    color_ = color;
    applyColor();
}

QColor TextLabel::color() const { return color_ ? *color_ : Theme::current().color(role_); }

void TextLabel::setElideMode(Qt::TextElideMode mode) {
    elide_ = mode;
    if (mode != Qt::ElideNone) setWordWrap(false);
    updateGeometry();
    update();
}

void TextLabel::setMaximumLineCount(int lines) {
    maximumLines_ = std::max(lines, 0);
    measured_.clear();
    oneLine_.reset();
    updateGeometry();
    update();
}

void TextLabel::setPixelSize(int pixelSize) {
    if (pixelSize == pixelSize_) return;
    pixelSize_ = pixelSize;
    applyTheme();
}

void TextLabel::setMonospaced(bool monospaced) {
    monospaced_ = monospaced;
    applyTheme();
}

void TextLabel::applyTheme() {
    QFont f = Theme::font(style_, weight_);
    if (pixelSize_ > 0) f.setPixelSize(pixelSize_);
    if (monospaced_) f.setFamily(Theme::monospacedFontFamily());
    setFont(f);
    applyColor();
}

void TextLabel::applyColor() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color());
    p.setColor(QPalette::Text, color());
    setPalette(p);
}

void TextLabel::setMinimumScaleFactor(qreal factor) {
    minimumScale_ = std::clamp<qreal>(factor, 0, 1);
    if (minimumScale_ > 0 && elide_ == Qt::ElideNone) setElideMode(Qt::ElideRight);
    updateGeometry();
    update();
}

QFont TextLabel::fittedFont() const {
    if (minimumScale_ <= 0) return font();
    return TextFit::shrunkToFit(text(), font(), contentsRect().width(), minimumScale_);
}

QSizeF TextLabel::measure(qreal width) const {
    if (measuredText_ != text() || measuredFont_ != font() || measuredAlignment_ != alignment()) {
        measuredText_ = text();
        measuredFont_ = font();
        measuredAlignment_ = alignment();
        measured_.clear();
        oneLine_.reset();
    }
    for (const Measured& m : measured_)
        if (m.width == width) return m.size;
    // A text laid out on one line at its natural width stays that line at any
    // width it fits with room to spare (the room covers what its last glyph
    // may reach past its advance, which line breaking counts): no new layout.
    if (oneLine_ && width >= oneLine_->width() + QFontMetricsF(font()).height()) return *oneLine_;
    const TextFit::WrappedText wrapped(text(), font(), width, alignment(), maximumLines_);
    const QSizeF size = wrapped.size();
    if (width >= kNatural && wrapped.lineCount() == 1 && !wrapped.truncated() && !text().isEmpty() &&
        !text().back().isSpace())
        oneLine_ = size;
    if (measured_.size() == 4) measured_.removeFirst();
    measured_.append({width, size});
    return size;
}

int TextLabel::heightForWidth(int width) const {
    if (!wraps()) return QLabel::heightForWidth(width);
    const QMargins m = contentsMargins();
    return static_cast<int>(std::ceil(measure(qMax(1, width - m.left() - m.right())).height() - 0.01)) + m.top() +
           m.bottom();
}

QSize TextLabel::minimumSizeHint() const {
    if (wraps()) {
        const QMargins m = contentsMargins();
        const QFontMetrics fm(font());
        return {fm.averageCharWidth() * 4 + m.left() + m.right(), fm.height() + m.top() + m.bottom()};
    }
    if (elide_ == Qt::ElideNone) return QLabel::minimumSizeHint();
    const QFontMetrics fm(font());
    const QMargins m = contentsMargins();
    return {fm.horizontalAdvance(QStringLiteral("…")) + m.left() + m.right(),
            fm.height() + m.top() + m.bottom()};
}

QSize TextLabel::sizeHint() const {
    if (wraps()) {
        const QMargins m = contentsMargins();
        const QSizeF natural = measure(kNatural);
        const int width = qMin(static_cast<int>(std::ceil(natural.width())), 320);
        return {width + m.left() + m.right(), heightForWidth(width + m.left() + m.right())};
    }
    if (elide_ == Qt::ElideNone) return QLabel::sizeHint();
    const QFontMetrics fm(font());
    const QMargins m = contentsMargins();
    const int advance = static_cast<int>(std::ceil(QFontMetricsF(font()).horizontalAdvance(text())));
    return {advance + m.left() + m.right() + 1, fm.height() + m.top() + m.bottom()};
}

void TextLabel::paintEvent(QPaintEvent* event) {
    const QRect r = contentsRect();
    if (wraps()) {
        QPainter p(this);
        p.setPen(color());
        const TextFit::WrappedText wrapped(text(), font(), r.width(), alignment(), maximumLines_);
        qreal top = r.top();
        if (alignment() & Qt::AlignVCenter)
            top += (r.height() - wrapped.size().height()) / 2;
        else if (alignment() & Qt::AlignBottom)
            top += r.height() - wrapped.size().height();
        wrapped.draw(&p, QPointF(r.left(), top));
        return;
    }
    if (elide_ == Qt::ElideNone) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    p.setPen(color());
    // A one-line label shows line breaks of the text as spaces.
    TextFit::drawOneLine(&p, r, text(), font(), alignment(), minimumScale_ > 0 ? minimumScale_ : 1, elide_);
}

SymbolLabel::SymbolLabel(const QString& title, const QString& symbol, TextStyle style, ColorRole role,
                         QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("symbolLabel"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    symbol_ = new SymbolView(symbol, Symbols::sizeForText(Theme::pointSize(style)), this);
    symbol_->setTint(role);
    title_ = new TextLabel(title, style, role, this);
    title_->setObjectName(QStringLiteral("title"));
    row->addWidget(symbol_, 0, Qt::AlignVCenter);
    row->addWidget(title_, 1, Qt::AlignVCenter);
    setAccessibleName(title);
}

void SymbolLabel::setText(const QString& title) {
    title_->setText(title);
    setAccessibleName(title);
}

QString SymbolLabel::text() const { return title_->text(); }

void SymbolLabel::setSymbol(const QString& symbol) { symbol_->setSymbol(symbol); }

QString SymbolLabel::symbol() const { return symbol_->symbol(); }

void SymbolLabel::setTextStyle(TextStyle style, int weight) {
    title_->setTextStyle(style, weight);
    symbol_->setSymbolSize(Symbols::sizeForText(Theme::pointSize(style)));
}

void SymbolLabel::setColorRole(ColorRole role) {
    title_->setColorRole(role);
    symbol_->setTint(role);
}

void SymbolLabel::setColor(const QColor& color) {
    title_->setColor(color);
    symbol_->setTint(color);
}

Divider::Divider(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("divider"));
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Theme::current().color(ColorRole::Separator));
}
