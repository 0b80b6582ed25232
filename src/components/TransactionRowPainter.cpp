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

void paint(QPainter* p, const QRect& content, const MoneyTransaction& t, const Columns& c) {
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

    // The amount at the trailing end, shrunk and then elided inside its width.
    const QRect amount(content.right() + 1 - c.amountWidth, content.top(), c.amountWidth, content.height());
    p->setPen(theme.color(income ? ColorRole::Green : ColorRole::Label));
    QFont amountFont = TransactionRow::amountFont();
    if (c.amountPixelSize > 0) amountFont.setPixelSize(c.amountPixelSize);
    TextFit::drawOneLine(p, amount, TransactionRow::signedAmountText(t), amountFont,
                         Qt::AlignRight | Qt::AlignVCenter);

    // Category over the note (or the date).
    const int textLeft = icon.right() + 1 + Spacing::rowSpacing;
    const QFont detailFont = TransactionRow::detailFont();
    const QFontMetrics detailMetrics(detailFont);
    const int columnHeight = c.categoryHeight + TransactionRow::kColumnGap + detailMetrics.height();
    const int top = content.center().y() - columnHeight / 2;
    p->setPen(theme.color(ColorRole::Label));
    TextFit::WrappedText(t.category, TransactionRow::categoryFont(), c.textWidth)
        .draw(p, QPointF(textLeft, top));
    p->setFont(detailFont);
    p->setPen(theme.color(ColorRole::SecondaryLabel));
    const TransactionRow::DetailLine line = TransactionRow::detailLine(t, c.textWidth);
    const QString detail = detailMetrics.elidedText(line.text, Qt::ElideRight, line.width);
    p->drawText(QRect(textLeft, top + c.categoryHeight + TransactionRow::kColumnGap, line.width,
                      detailMetrics.height()),
                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, detail);
}

}  // namespace TransactionRowPainter
