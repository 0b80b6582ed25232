#include "components/TextFit.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <limits>

namespace TextFit {

namespace {

// A line wider than the width by more than rounding holds a word that does not fit.
bool overflows(qreal natural, qreal width) { return natural > width + 0.5; }

int fontSize(const QFont& font) {
    return font.pixelSize() > 0 ? font.pixelSize() : static_cast<int>(std::lround(font.pointSizeF()));
}

void setFontSize(QFont& font, int size) {
    if (font.pixelSize() > 0)
        font.setPixelSize(size);
    else
        font.setPointSize(size);
}

}  // namespace

WrappedText::WrappedText(const QString& text, const QFont& font, qreal width, Qt::Alignment alignment,
                         int maximumLines)
    : layout_(std::make_unique<QTextLayout>()), width_(std::max<qreal>(width, 1)), alignment_(alignment) {
    QString shown = text;
    // Line breaks typed in the text stay line breaks.
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextOption option(alignment & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WordWrap);
    layout_->setText(shown);
    layout_->setFont(font);
    layout_->setTextOption(option);
    layout_->beginLayout();
    qreal height = 0;
    qreal widest = 0;
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(width_);
        line.setPosition(QPointF(0, height));
        if (maximumLines > 0 && layout_->lineCount() > maximumLines) continue;  // laid out, not shown
        height += line.height();
        widest = std::max(widest, std::min(line.naturalTextWidth(), width_));
    }
    layout_->endLayout();
    shown_ = maximumLines > 0 ? std::min(layout_->lineCount(), maximumLines) : layout_->lineCount();
    size_ = {widest, std::max(height, QFontMetricsF(font).height())};
}

int WrappedText::height() const { return static_cast<int>(std::ceil(size_.height() - 0.01)); }

QString WrappedText::lineText(int index) const {
    const QTextLine line = layout_->lineAt(index);
    if (truncated() && index == shown_ - 1) {
        // The last line shown carries on with the rest of the text, cut with "…".
        const QString rest = layout_->text().mid(line.textStart()).trimmed();
        return QFontMetricsF(layout_->font()).elidedText(rest, Qt::ElideRight, width_);
    }
    const QString text = layout_->text().mid(line.textStart(), line.textLength()).trimmed();
    if (!overflows(line.naturalTextWidth(), width_)) return text;
    // A word too long for the width keeps a line of its own, elided.
    return QFontMetricsF(layout_->font()).elidedText(text, Qt::ElideRight, width_);
}

QStringList WrappedText::lines() const {
    QStringList out;
    for (int i = 0; i < shown_; ++i) out << lineText(i);
    return out;
}

void WrappedText::draw(QPainter* painter, const QPointF& topLeft) const {
    const QFont font = layout_->font();
    const QFontMetricsF metrics(font);
    for (int i = 0; i < shown_; ++i) {
        const QTextLine line = layout_->lineAt(i);
        const bool cut = truncated() && i == shown_ - 1;
        if (!cut && !overflows(line.naturalTextWidth(), width_)) {
            line.draw(painter, topLeft);
            continue;
        }
        const QString elided = lineText(i);
        const qreal advance = metrics.horizontalAdvance(elided);
        qreal x = topLeft.x();
        if (alignment_ & Qt::AlignHCenter)
            x += (width_ - advance) / 2;
        else if (alignment_ & Qt::AlignRight)
            x += width_ - advance;
        painter->save();
        painter->setFont(font);
        painter->drawText(QPointF(x, topLeft.y() + line.y() + line.ascent()), elided);
        painter->restore();
    }
}

int widestWord(const QString& text, const QFont& font) {
    // Laid out at no width, every piece between two break opportunities gets
    // a line of its own, measured as the wrapped text measures it.
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal widest = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(0);
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return static_cast<int>(std::ceil(widest));
}

int wrappedHeight(const QString& text, const QFont& font, int width) {
    return WrappedText(text, font, width).height();
}

QFont shrunkToFit(const QString& text, const QFont& font, qreal width, qreal minimumScale) {
    QFont fitted = font;
    const int full = fontSize(font);
    const int smallest = std::max(1, static_cast<int>(std::ceil(full * minimumScale)));
    for (int size = full; size > smallest; --size) {
        if (!overflows(QFontMetricsF(fitted).horizontalAdvance(text), width)) return fitted;
        setFontSize(fitted, size - 1);
    }
    return fitted;
}

QFont wordsShrunkToFit(const QString& text, const QFont& font, qreal width, qreal minimumScale) {
    const int widest = widestWord(text, font);
    if (!overflows(widest, width)) return font;
    const int full = fontSize(font);
    const int smallest = std::max(1, static_cast<int>(std::ceil(full * minimumScale)));
    // A word's width follows the size closely: start at the size that
    // proportion gives, then step to the largest size whose widest word fits.
    int size = std::clamp(static_cast<int>(full * width / std::max(widest, 1)), smallest, full - 1);
    QFont fitted = font;
    const auto fitsAt = [&](int candidate) {
        setFontSize(fitted, candidate);
        return !overflows(widestWord(text, fitted), width);
    };
    if (fitsAt(size)) {
        while (size + 1 < full && fitsAt(size + 1)) ++size;
    } else {
        while (size > smallest && !fitsAt(size - 1)) --size;
        size = std::max(size - 1, smallest);
    }
    setFontSize(fitted, size);
    return fitted;
}

TitleBesideAmount::TitleBesideAmount(const QString& title, const QFont& font, const QString& amount,
                                     const QFont& amountFont, int width)
    : titleFont(font) {
    width = std::max(width, 2);
    const int natural = std::min(QFontMetrics(amountFont).horizontalAdvance(amount) + 1, width - 1);
    // At its smallest size the amount still shows whole.
    const int least =
        std::min(natural, QFontMetrics(shrunkToFit(amount, amountFont, 0)).horizontalAdvance(amount) + 1);
    // The title keeps its size: only a word too wide for the room the
    // smallest amount leaves makes it smaller, so that no word is split.
    titleFont = wordsShrunkToFit(title, font, width - least);
    const int widest = widestWord(title, titleFont);
    // The title's lines at a width, laid out once per width asked.
    int laidWidth = -1, laidLines = 0, laidHeight = 0;
    const auto layOut = [&](int at) {
        if (laidWidth == at) return;
        const WrappedText wrapped(title, titleFont, at);
        laidWidth = at, laidLines = wrapped.lineCount(), laidHeight = wrapped.height();
    };
    const auto linesAt = [&](int at) {
        if (widest > at) return std::numeric_limits<int>::max();
        layOut(at);
        return laidLines;
    };
    // Most titles take two lines at most beside the whole amount. Otherwise
    // the amount gives way, but only as far as the title gains by it: down to
    // two lines, or to as few as the smallest amount leaves it.
    const int most = std::max(2, linesAt(width - least));
    // A title that the amount beside it, even at its smallest, would push
    // past two lines and past what the whole width needs: the amount goes
    // under it, at its own size, and the title takes the width.
    if (widest <= width - least && most > 2 && most > linesAt(width)) {
        amountBelow = true;
        amountWidth = std::min(QFontMetrics(amountFont).horizontalAdvance(amount) + 1, width);
        titleWidth = width;
        // With the whole width the title needs no smaller size than its words do there.
        titleFont = wordsShrunkToFit(title, font, width);
        laidWidth = -1;
        layOut(titleWidth);
        titleLines = laidLines;
        titleHeight = laidHeight;
        return;
    }
    if (widest > width - least) {
        amountWidth = least;  // a word elided whatever the amount does: it gets all the room it can
    } else if (linesAt(width - natural) <= most) {
        amountWidth = natural;
    } else {
        // The widest amount that leaves the title that many lines.
        int fitting = least, tooWide = natural;
        while (tooWide - fitting > 1) {
            const int middle = (fitting + tooWide) / 2;
            (linesAt(width - middle) <= most ? fitting : tooWide) = middle;
        }
        amountWidth = fitting;
    }
    titleWidth = width - amountWidth;
    layOut(titleWidth);
    titleLines = laidLines;
    titleHeight = laidHeight;
}

void drawOneLine(QPainter* painter, const QRectF& rect, const QString& text, const QFont& font,
                 Qt::Alignment alignment, qreal minimumScale, Qt::TextElideMode elide) {
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QFont fitted = shrunkToFit(line, font, rect.width(), minimumScale);
    painter->save();
    painter->setFont(fitted);
    // A text over by less than rounding is drawn whole, as shrunkToFit counted it as fitting.
    const QFontMetricsF metrics(fitted);
    const bool fits = !overflows(metrics.horizontalAdvance(line), rect.width());
    painter->drawText(rect.adjusted(-1, 0, 1, 0), static_cast<int>(alignment | Qt::TextSingleLine),
                      fits ? line : metrics.elidedText(line, elide, rect.width()));
    painter->restore();
}

}  // namespace TextFit
