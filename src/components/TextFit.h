#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTextLayout>
#include <memory>

class QPainter;

// How the kit fits a text into a width, shared by the widgets (TextLabel) and
// the painted rows of long lists, so that both break the same text alike:
// - wrapped: broken only between words over as many lines as it needs; a
//   single word wider than the width stays on a line of its own and is
//   elided there, never split;
// - one line: the font is made smaller, down to a scale of its size, until
//   the text fits; what still does not fit is elided.
namespace TextFit {

// Money texts and titles shrink to half their size at most before they elide.
inline constexpr qreal kMinimumScale = 0.5;

// A text laid out in lines at a width; laid out once, measured and drawn.
// With a line limit, the lines past it are left out and the last one shown
// ends with "…".
class WrappedText {
public:
    WrappedText(const QString& text, const QFont& font, qreal width, Qt::Alignment alignment = Qt::AlignLeft,
                int maximumLines = 0);

    // The widest line (never past the width) and the sum of the line heights;
    // an empty text still takes one line.
    QSizeF size() const { return size_; }
    int height() const;
    int lineCount() const { return shown_; }
    // Whether lines were left out for the line limit.
    bool truncated() const { return shown_ < layout_->lineCount(); }
    // The lines as they are drawn, an elided word with its "…".
    QStringList lines() const;

    // Draws the lines with the painter's pen, the first line's top at `topLeft`.
    void draw(QPainter* painter, const QPointF& topLeft) const;

private:
    QString lineText(int index) const;

    std::unique_ptr<QTextLayout> layout_;
    qreal width_;
    Qt::Alignment alignment_;
    int shown_ = 0;
    QSizeF size_;
};

// The width of the text's widest word (the widest piece it can never be broken inside).
int widestWord(const QString& text, const QFont& font);

// The height of a text wrapped at a width, in whole pixels.
int wrappedHeight(const QString& text, const QFont& font, int width);

// The font, made smaller in whole pixels down to `minimumScale` of its size,
// until the text fits on one line of the width (the smallest allowed when it
// never fits).
QFont shrunkToFit(const QString& text, const QFont& font, qreal width, qreal minimumScale = kMinimumScale);

// The font, made smaller in whole pixels down to `minimumScale` of its size,
// until the text's widest word fits the width: a text wrapped between words
// in a narrow place (a tile's title) shows every word whole. The font itself
// when every word fits already.
QFont wordsShrunkToFit(const QString& text, const QFont& font, qreal width, qreal minimumScale = kMinimumScale);

// A record's title beside its amount on one line of `width` (the amount at the
// trailing end, both sharing the width): the title wraps between words at its
// own size. To give it room the amount shrinks first (down to its smallest
// size, still whole), as far as the title gains a line by it: to two lines,
// or, for a title longer than two lines beside the smallest amount, to as
// few lines as that leaves it. When even the smallest amount beside it would
// cost the title lines past two and past what the whole width needs, the
// amount goes on a line of its own under the title, at its own size, and the
// title takes the whole width. The title's font is made smaller only when a
// single word of it would not fit beside the smallest amount (or, with the
// amount under it, in the whole width). No word is ever
// split, no line cut, and the amount always shows whole.
struct TitleBesideAmount {
    TitleBesideAmount() = default;
    TitleBesideAmount(const QString& title, const QFont& titleFont, const QString& amount, const QFont& amountFont,
                      int width);
    QFont titleFont;      // the title's size: smaller only for a word too wide for any room
    int titleWidth = 0;   // the title's column, from the leading end
    int amountWidth = 0;  // the amount's column at the trailing end (drawOneLine shrinks it to fit)
    int titleLines = 0;
    int titleHeight = 0;
    bool amountBelow = false;  // the amount on a line of its own under the title, at the trailing end
};

// Draws one line of text in `rect` with shrunkToFit's font, elided when even
// that is too wide. The painter's pen gives the colour.
void drawOneLine(QPainter* painter, const QRectF& rect, const QString& text, const QFont& font,
                 Qt::Alignment alignment, qreal minimumScale = kMinimumScale,
                 Qt::TextElideMode elide = Qt::ElideRight);

}  // namespace TextFit
