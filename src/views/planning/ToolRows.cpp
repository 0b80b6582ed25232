#include "views/planning/ToolRows.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
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
// A text with a line break of its own never fits on one line.
bool breaksLine(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QChar::LineSeparator);
}
}  // namespace

qreal TextMeasures::advance(const QString& text, const QFont& font) const {
    QHash<QString, qreal>& texts = advances_[font];
    if (const auto it = texts.constFind(text); it != texts.cend()) return *it;
    if (texts.size() > kKeptTexts) texts.clear();
    return *texts.insert(text, QFontMetricsF(font).horizontalAdvance(text));
}

bool TextMeasures::fitsOneLine(const QString& text, const QFont& font, int width) const {
    // A pixel to spare: the line breaker measures in fractions.
    return !breaksLine(text) && std::ceil(advance(text, font)) + 1 <= width;
}

int TextMeasures::lineHeight(const QFont& font) const {
    if (const auto it = lineHeights_.constFind(font); it != lineHeights_.cend()) return *it;
    return *lineHeights_.insert(font, TextFit::wrappedHeight(QStringLiteral("x"), font, 1000));
}

int TextMeasures::wrappedHeight(const QString& text, const QFont& font, int width) const {
    if (!text.isEmpty() && fitsOneLine(text, font, width)) return lineHeight(font);
    return TextFit::wrappedHeight(text, font, width);
}

TextFit::TitleBesideAmount TextMeasures::titleBesideAmount(const QString& title, const QFont& titleFont,
                                                         const QString& amount, const QFont& amountFont,
                                                         int width) const {
    // The amount's natural width as TitleBesideAmount counts it.
    const int at = std::max(width, 2);
    const int natural = std::min(QFontMetrics(amountFont).horizontalAdvance(amount) + 1, at - 1);
    if (title.isEmpty() || !fitsOneLine(title, titleFont, at - natural))
        return TextFit::TitleBesideAmount(title, titleFont, amount, amountFont, width);
    TextFit::TitleBesideAmount fit;
    fit.titleFont = titleFont;
    fit.amountWidth = natural;
    fit.titleWidth = at - natural;
    fit.titleLines = 1;
    fit.titleHeight = lineHeight(titleFont);
    return fit;
}

void TextMeasures::clear() const {
    advances_.clear();
    lineHeights_.clear();
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
      height(fit.amountBelow ? std::max(fit.titleHeight, symbol) + QFontMetrics(trailingTextFont).height()
                             : std::max({fit.titleHeight, symbol, QFontMetrics(trailingTextFont).height()})) {}

void TitleLine::paint(QPainter* p, const QPoint& topLeft, const QString& symbol, const QColor& titleColor,
                      const QColor& trailingColor) const {
    // The symbol is centred on the title's first line.
    const int firstLine = QFontMetrics(fit.titleFont).height();
    p->drawPixmap(QRect(topLeft.x(), topLeft.y() + (firstLine - symbolSize) / 2, symbolSize, symbolSize),
                  Symbols::pixmap(symbol, symbolSize, titleColor, p->device()->devicePixelRatioF()));
    p->setPen(titleColor);
    TextFit::WrappedText(titleText, fit.titleFont, fit.titleWidth).draw(p, QPointF(topLeft.x() + titleLeft, topLeft.y()));
    p->setPen(trailingColor);
    const int trailingTop = topLeft.y() + (fit.amountBelow ? std::max(fit.titleHeight, symbolSize) : 0);
    TextFit::drawOneLine(p, QRect(topLeft.x() + width - fit.amountWidth, trailingTop, fit.amountWidth,
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
    showRows(list_, keys, changed);
}

void showRows(PaintedList* list, const QStringList& keys, const QStringList& changed) {
    if (keys != list->rows()) list->setRows(keys);
    for (const QString& key : changed) list->updateRow(key);
}

Button::Face trashFace() {
    Button::Face face;
    face.text = QLatin1String("");  // not null: a null text would show the name
    face.symbol = QStringLiteral("trash");
    face.tint = Theme::current().color(ColorRole::Red);
    return face;
}

QStringList ToolRows::keysOf(const QStringList& ids) { return KeyedRowList::uniqueKeys(ids); }
