#include "components/TextLabel.h"

#include "components/Symbols.h"
#include "components/SymbolView.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QTextLayout>
#include <cmath>

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
    role_ = role;
    color_.reset();
    applyTheme();
}

void TextLabel::setColor(const QColor& color) {
    color_ = color;
    applyTheme();
}

QColor TextLabel::color() const {
    return color_ ? *color_ : Theme::current().color(role_);
}

void TextLabel::setElideMode(Qt::TextElideMode mode) {
    elide_ = mode;
    if (mode != Qt::ElideNone) setWordWrap(false);
    updateGeometry();
    update();
}

void TextLabel::setPixelSize(int pixelSize) {
    pixelSize_ = pixelSize;
    applyTheme();
}

void TextLabel::setMonospaced(bool monospaced) {
    monospaced_ = monospaced;
    applyTheme();
}

void TextLabel::setMinimumScaleFactor(qreal factor) {
    minimumScale_ = qBound(0.1, factor, 1.0);
    update();
}

QFont TextLabel::shownFont() const {
    QFont shown = font();
    if (elide_ == Qt::ElideNone || minimumScale_ >= 1.0) return shown;
    const qreal natural = QFontMetricsF(shown).horizontalAdvance(text());
    const int available = contentsRect().width();
    if (natural <= available) return shown;
    const qreal scale = qMax(minimumScale_, available / natural);
    shown.setPixelSize(qMax(1, static_cast<int>(std::floor(shown.pixelSize() * scale))));
    return shown;
}

void TextLabel::applyTheme() {
    QFont f = Theme::font(style_, weight_);
    if (pixelSize_ > 0) f.setPixelSize(pixelSize_);
    if (monospaced_) f.setFamily(Theme::monospacedFontFamily());
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color());
    p.setColor(QPalette::Text, color());
    setPalette(p);
}

QSizeF TextLabel::layoutText(qreal width, QTextLayout* layout) const {
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setText(text());
    layout->setFont(font());
    layout->setTextOption(option);
    layout->beginLayout();
    qreal height = 0;
    qreal widest = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, height));
        height += line.height();
        widest = qMax(widest, line.naturalTextWidth());
    }
    layout->endLayout();
    return {widest, height};
}

QSizeF TextLabel::measure(qreal width) const {
    if (measuredText_ != text() || measuredFont_ != font() || measuredAlignment_ != alignment()) {
        measuredText_ = text();
        measuredFont_ = font();
        measuredAlignment_ = alignment();
        measured_.clear();
    }
    for (const Measured& m : measured_)
        if (m.width == width) return m.size;
    QTextLayout layout;
    const QSizeF size = layoutText(width, &layout);
    if (measured_.size() == 4) measured_.removeFirst();
    measured_.append({width, size});
    return size;
}

int TextLabel::heightForWidth(int width) const {
    if (!wraps()) return QLabel::heightForWidth(width);
    const QMargins m = contentsMargins();
    return static_cast<int>(std::ceil(measure(qMax(1, width - m.left() - m.right())).height())) + m.top() +
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
    return {fm.horizontalAdvance(QStringLiteral("…")), fm.height()};
}

QSize TextLabel::sizeHint() const {
    if (wraps()) {
        const QMargins m = contentsMargins();
        const QSizeF natural = measure(1e6);
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
    if (wraps()) {
        QPainter p(this);
        p.setPen(color());
        const QRect r = contentsRect();
        QTextLayout layout;
        const QSizeF used = layoutText(r.width(), &layout);
        qreal top = r.top();
        if (alignment() & Qt::AlignVCenter) top += (r.height() - used.height()) / 2;
        else if (alignment() & Qt::AlignBottom) top += r.height() - used.height();
        layout.draw(&p, QPointF(r.left(), top));
        return;
    }
    if (elide_ == Qt::ElideNone) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter p(this);
    const QFont shown = shownFont();
    p.setFont(shown);
    p.setPen(color());
    const QRect r = contentsRect();
    // A one-line label shows line breaks of the text as spaces.
    QString line = text();
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    p.drawText(r, static_cast<int>(alignment() | Qt::TextSingleLine),
               QFontMetrics(shown).elidedText(line, elide_, r.width()));
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

QString SymbolLabel::text() const {
    return title_->text();
}

void SymbolLabel::setSymbol(const QString& symbol) {
    symbol_->setSymbol(symbol);
}

QString SymbolLabel::symbol() const {
    return symbol_->symbol();
}

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
