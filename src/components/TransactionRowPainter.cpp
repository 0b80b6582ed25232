#include "components/TransactionRowPainter.h"

#include <QPainter>
#include <algorithm>

#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "components/TransactionRow.h"
#include "models/MoneyModels.h"

#include <QList>
#include <cmath>

namespace TransactionRowPainter {

int textRoom(int contentWidth) {
    return contentWidth - TransactionRow::kIconBox - 3 * Spacing::rowSpacing - TransactionRow::kSpacerMin;
}

Columns columns(const MoneyTransaction& t, int contentWidth) {
    const QFont category = TransactionRow::categoryFont();
    const int room = textRoom(contentWidth);
    const int natural =
        QFontMetrics(TransactionRow::amountFont()).horizontalAdvance(TransactionRow::signedAmountText(t));
    // The amount gives way to what the text column needs whole: the
    // category's widest word, a short category, and the date (a note, which
    // may be long, elides instead), by the rule the widget row follows.
    const QFontMetrics metrics(category);
    const int categoryLine = metrics.horizontalAdvance(t.category);
    const int needed = TransactionRow::neededColumn(t, int(room * TransactionRow::kShortCategoryShare));
    Columns c;
    c.amountWidth = TransactionRow::amountWidth(natural, room, needed, TransactionRow::keptColumn(t, room));
    c.textWidth = std::max(room - c.amountWidth, 1);
    c.categoryHeight = categoryLine <= c.textWidth
                           ? metrics.height()
                           : TextFit::wrappedHeight(t.category, category, c.textWidth);
    return c;
}

int sharedAmountSize(const QList<const MoneyTransaction*>& rows, int contentWidth) {
    QList<QPair<QString, int>> amounts;
    amounts.reserve(rows.size());
    for (const MoneyTransaction* t : rows)
        amounts.append({TransactionRow::signedAmountText(*t), columns(*t, contentWidth).amountWidth});
    return sharedAmountSize(amounts);
}

int sharedAmountSize(const QList<QPair<QString, int>>& amounts) {
    const QFont body = TransactionRow::amountFont();
    const int floor = static_cast<int>(std::ceil(body.pixelSize() * TransactionRow::kSharedSizeFloor));
    int shared = body.pixelSize();
    for (const auto& [text, width] : amounts) {
        const int fits = TextFit::shrunkToFit(text, body, width).pixelSize();
        if (fits >= floor) shared = std::min(shared, fits);
    }
    return shared == body.pixelSize() ? 0 : shared;
}

int contentHeight(int categoryHeight) {
    const int column =
        categoryHeight + TransactionRow::kColumnGap + QFontMetrics(TransactionRow::detailFont()).height();
    return std::max(TransactionRow::kIconBox, column);
}

FittedAmount fittedAmount(const QString& amountText, const QFont& face, int width) {
    // As TextFit::drawOneLine fits and elides one line.
    FittedAmount out{TextFit::shrunkToFit(amountText, face, width), amountText};
    const QFontMetricsF metrics(out.font);
    if (metrics.horizontalAdvance(amountText) > width + 0.5)
        out.text = metrics.elidedText(amountText, Qt::ElideRight, width);
    return out;
}

void paint(QPainter* p, const QRect& content, const MoneyTransaction& t, const Laid& laid, int trailing) {
    const Theme& theme = Theme::current();
    const bool income = t.kind == TransactionKind::income;
    const QColor kindColor = theme.color(income ? ColorRole::Green : ColorRole::Orange);
    const int box = TransactionRow::kIconBox;

    // Kind arrow on its pale disc.
    const QRect icon(content.left(), content.center().y() - box / 2, box, box);
    QColor pale = kindColor;
    pale.setAlphaF(0.12f);
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(pale);
    p->drawEllipse(icon);
    p->restore();
    const int symbolSize = Symbols::sizeForText(Theme::pointSize(TextStyle::Headline));
    const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    const QPixmap arrow = Symbols::pixmap(TransactionRow::kindSymbol(t.kind), symbolSize, kindColor, dpr);
    p->drawPixmap(QRect(icon.center().x() - symbolSize / 2 + 1, icon.center().y() - symbolSize / 2 + 1,
                        symbolSize, symbolSize),
                  arrow);

    // The amount at the trailing end, as fitted to its width.
    const QRect amount(content.right() + 1 - trailing - laid.amountWidth, content.top(), laid.amountWidth,
                       content.height());
    p->setPen(theme.color(income ? ColorRole::Green : ColorRole::Label));
    p->setFont(laid.amountFont);
    p->drawText(amount.adjusted(-1, 0, 1, 0), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, laid.amount);

    // Category over the note (or the date).
    const int textLeft = icon.right() + 1 + Spacing::rowSpacing;
    static QFont detailFace;
    static int detailHeight = 0;
    if (const QFont face = TransactionRow::detailFont(); detailHeight == 0 || face != detailFace) {
        detailFace = face;
        detailHeight = QFontMetrics(face).height();
    }
    const int columnHeight = laid.categoryHeight + TransactionRow::kColumnGap + detailHeight;
    const int top = content.center().y() - columnHeight / 2;
    p->setPen(theme.color(ColorRole::Label));
    if (laid.category) laid.category->draw(p, QPointF(textLeft, top));
    p->setFont(detailFace);
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    p->drawText(QRect(textLeft, top + laid.categoryHeight + TransactionRow::kColumnGap, laid.detailWidth, detailHeight),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, laid.detail);
}

void paint(QPainter* p, const QRect& content, const MoneyTransaction& t, const Columns& c) {
    const TextFit::WrappedText category(t.category, TransactionRow::categoryFont(), c.textWidth);
    Laid laid;
    laid.category = &category;
    laid.categoryHeight = c.categoryHeight;
    laid.columnWidth = c.textWidth;
    const TransactionRow::DetailLine line = TransactionRow::detailLine(t, c.textWidth);
    laid.detail = QFontMetrics(TransactionRow::detailFont()).elidedText(line.text, Qt::ElideRight, line.width);
    laid.detailWidth = line.width;
    QFont face = TransactionRow::amountFont();
    if (c.amountPixelSize > 0) face.setPixelSize(c.amountPixelSize);
    FittedAmount fitted = fittedAmount(TransactionRow::signedAmountText(t), face, c.amountWidth);
    laid.amount = std::move(fitted.text);
    laid.amountFont = fitted.font;
    laid.amountWidth = c.amountWidth;
    paint(p, content, t, laid);
}

}  // namespace TransactionRowPainter
