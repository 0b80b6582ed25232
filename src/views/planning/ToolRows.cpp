#include "views/planning/ToolRows.h"

#include <QPainter>
#include <algorithm>
#include <QVBoxLayout>

#include "components/Card.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "views/planning/KeyedRowList.h"
#include "views/planning/ToolScreen.h"
#include "views/planning/ToolsStyle.h"

namespace {
constexpr int kPadding = tools_style::listRowPadding;
constexpr qsizetype kKeptTexts = 10'000;  // bounded: a list's distinct texts are few
}  // namespace

int ToolRowDelegate::wrappedHeight(const QString& text, const QFont& font, int width) const {
    const QString key = font.key() + QChar(0) + QString::number(width) + QChar(0) + text;
    if (const auto it = wrapped_.constFind(key); it != wrapped_.cend()) return *it;
    if (wrapped_.size() > kKeptTexts) wrapped_.clear();
    return *wrapped_.insert(key, TextFit::wrappedHeight(text, font, width));
}

int ToolRowDelegate::widestWord(const QString& text, const QFont& font) const {
    const QString key = font.key() + QChar(0) + text;
    if (const auto it = widest_.constFind(key); it != widest_.cend()) return *it;
    if (widest_.size() > kKeptTexts) widest_.clear();
    return *widest_.insert(key, TextFit::widestWord(text, font));
}

int ToolRowDelegate::rowHeight(const QString& id, int width, bool) const {
    return contentHeight(id, width) + 2 * kPadding;
}

QList<PaintedButton> ToolRowDelegate::buttons(const QString& id, int width, bool) const {
    QList<PaintedButton> out = contentButtons(id, width);
    for (PaintedButton& button : out) button.rect.translate(0, kPadding);
    return out;
}

void ToolRowDelegate::paintRow(QPainter* painter, const QString& id, const QRect& rect,
                               const PaintedRowState& state) const {
    // The hairline sits at the top of the padding, as the divider between widget rows did.
    if (!state.first)
        painter->fillRect(QRect(rect.left(), rect.top(), rect.width(), 1),
                          Theme::current().color(ColorRole::Separator));
    paintContent(painter, id, rect.adjusted(0, kPadding, 0, -kPadding), state);
}

namespace {
constexpr int kSymbolGap = 6;  // as a symbol label's

int titleLineWidth(int symbolSize, int width) {
    return std::max(width - symbolSize - kSymbolGap - tools_style::buttonGap, 1);
}
}  // namespace

TitleLine::TitleLine(const QString& title, const QFont& titleFont, const QString& trailingText,
                     const QFont& trailingTextFont, int symbol, int lineWidth)
    : titleText(title),
      trailing(trailingText),
      trailingFont(trailingTextFont),
      symbolSize(symbol),
      titleLeft(symbol + kSymbolGap),
      width(lineWidth),
      fit(title, titleFont, trailingText, trailingTextFont, titleLineWidth(symbol, lineWidth)),
      height(std::max({fit.titleHeight, symbol, QFontMetrics(trailingTextFont).height()})) {}

void TitleLine::paint(QPainter* p, const QPoint& topLeft, const QString& symbol, const QColor& titleColor,
                      const QColor& trailingColor) const {
    // The symbol is centred on the title's first line.
    const int firstLine = QFontMetrics(fit.titleFont).height();
    p->drawPixmap(QRect(topLeft.x(), topLeft.y() + (firstLine - symbolSize) / 2, symbolSize, symbolSize),
                  Symbols::pixmap(symbol, symbolSize, titleColor, p->device()->devicePixelRatioF()));
    p->setPen(titleColor);
    TextFit::WrappedText(titleText, fit.titleFont, fit.titleWidth).draw(p, QPointF(topLeft.x() + titleLeft, topLeft.y()));
    p->setPen(trailingColor);
    TextFit::drawOneLine(p, QRect(topLeft.x() + width - fit.amountWidth, topLeft.y(), fit.amountWidth,
                                  QFontMetrics(trailingFont).height()),
                         trailing, trailingFont, Qt::AlignRight | Qt::AlignVCenter);
}

ToolRows::ToolRows(const PaintedRowDelegate& delegate, const QString& header, QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(tools_style::listSectionGap);
    if (!header.isEmpty()) column->addWidget(toolListHeader(header));
    panel_ = new Card;
    // The rows carry their own padding above and below.
    panel_->setPadding(Spacing::pagePadding, 0);
    list_ = new PaintedList(delegate);
    panel_->addWidget(list_);
    column->addWidget(panel_);
}

void ToolRows::setRows(const QStringList& keys, const QStringList& changed) {
    panel_->setVisible(!keys.isEmpty());
    if (keys != list_->rows()) list_->setRows(keys);
    for (const QString& key : changed) list_->updateRow(key);
}

QStringList ToolRows::keysOf(const QStringList& ids) { return KeyedRowList::uniqueKeys(ids); }
