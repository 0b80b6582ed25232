#include "views/features/FeatureModuleList.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/Theme.h"
#include "views/features/FeatureCenterStyle.h"

namespace fs = feature_style;

namespace {

QFont titleFont() { return Theme::font(TextStyle::Subheadline, QFont::Bold); }
QFont detailFont() { return Theme::font(TextStyle::Caption); }
QFont badgeFont() { return Theme::font(TextStyle::Caption2, QFont::Bold); }
QFont headerFont() { return Theme::font(TextStyle::Headline); }
int headerSymbolSize() { return Symbols::sizeForText(Theme::pointSize(TextStyle::Headline)); }

// The detail's lines as shown: the first as it wraps, the rest on a second
// line cut short with "…" when it needs more.
QStringList detailLines(const QString& detail, int width) {
    const TextFit::WrappedText wrapped(detail, detailFont(), width);
    QStringList lines = wrapped.lines();
    if (lines.size() <= fs::rowDetailLines) return lines;
    const QString rest = detail.mid(lines.front().size()).trimmed();
    const QFontMetrics metrics(detailFont());
    return {lines.front(), metrics.elidedText(rest, Qt::ElideRight, width)};
}

}  // namespace

QString FeatureRowDelegate::headerId(FeatureGroup group) {
    return QStringLiteral("section:") + rawValue(group);
}

void FeatureRowDelegate::addModule(const FeatureModule& module, bool isWorking) {
    records_.insert(module.idText(), Record{module, isWorking});
    headers_.insert(headerId(module.group), module.group);
}

const FeatureModule* FeatureRowDelegate::module(const QString& id) const {
    const auto it = records_.constFind(id);
    return it == records_.constEnd() ? nullptr : &it->module;
}

QString FeatureRowDelegate::badgeText(const QString& id) const {
    const auto it = records_.constFind(id);
    if (it == records_.constEnd()) return {};
    return it->working ? QStringLiteral("Работает") : QStringLiteral("Скоро");
}

QString FeatureRowDelegate::headerTitle(const QString& id) const {
    const auto it = headers_.constFind(id);
    return it == headers_.constEnd() ? QString() : rawValue(*it);
}

const FeatureRowDelegate::Layout& FeatureRowDelegate::layout(const QString& id, const Record& record,
                                                             int width) const {
    Layout& l = layouts_[id];
    if (l.width == width) return l;
    l.width = width;
    l.badgeWidth =
        QFontMetrics(badgeFont())
            .horizontalAdvance(record.working ? QStringLiteral("Работает") : QStringLiteral("Скоро"));
    l.textWidth = std::max(
        1, width - 2 * fs::rowPadding - fs::rowTile - 3 * fs::rowSpacing - l.badgeWidth - fs::chevronSize);
    l.title =
        std::make_shared<const TextFit::WrappedText>(record.module.titleText(), titleFont(), l.textWidth);
    l.titleHeight = l.title->height();
    l.detail = detailLines(record.module.detailText(), l.textWidth);
    l.detailHeight = int(l.detail.size()) * QFontMetrics(detailFont()).height();
    l.height =
        2 * fs::rowPadding + std::max(fs::rowTile, l.titleHeight + fs::rowTextSpacing + l.detailHeight);
    return l;
}

int FeatureRowDelegate::headerGap(const QString& id) const {
    // Groups stand apart as the page's cards do; the first one follows the chips.
    return id == firstHeader_ ? 0 : Spacing::pageStack - fs::sectionSpacing;
}

int FeatureRowDelegate::rowHeight(const QString& id, int width, bool) const {
    if (isHeader(id))
        return headerGap(id) + std::max(QFontMetrics(headerFont()).height(), headerSymbolSize());
    const auto it = records_.constFind(id);
    return it == records_.constEnd() ? 0 : layout(id, *it, width).height;
}

QList<PaintedButton> FeatureRowDelegate::buttons(const QString& id, int width, bool busy) const {
    const auto it = records_.constFind(id);
    if (it == records_.constEnd()) return {};
    const int height = rowHeight(id, width, busy);
    return {{QLatin1String(kOpen), QRect(0, 0, width, height), it->module.titleText()}};
}

void FeatureRowDelegate::paintHeader(QPainter* painter, const QString& id, const QRect& rect) const {
    const FeatureGroup group = headers_.value(id);
    const QColor label = Theme::current().color(ColorRole::Label);
    const QRect line = rect.adjusted(fs::sectionHeaderInset, headerGap(id), -fs::sectionHeaderInset, 0);
    const int size = headerSymbolSize();
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    painter->drawPixmap(line.left(), line.center().y() - size / 2 + 1,
                        Symbols::pixmap(symbol(group), size, label, ratio));
    painter->setPen(label);
    const int textLeft = size + fs::headerSymbolGap;
    TextFit::drawOneLine(painter, QRectF(line.adjusted(textLeft, 0, 0, 0)), rawValue(group), headerFont(),
                         Qt::AlignLeft | Qt::AlignVCenter);
}

void FeatureRowDelegate::paintRow(QPainter* painter, const QString& id, const QRect& rect,
                                  const PaintedRowState& state) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::TextAntialiasing);
    if (isHeader(id)) {
        paintHeader(painter, id, rect);
        painter->restore();
        return;
    }
    const auto it = records_.constFind(id);
    if (it == records_.constEnd()) {
        painter->restore();
        return;
    }
    const Record& record = *it;
    const Theme& theme = Theme::current();
    const Layout& l = layout(id, record, rect.width());
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;

    QColor fill = theme.color(ColorRole::SecondaryGroupedBackground);
    if (state.pressedKey == QLatin1String(kOpen)) fill = fill.darker(fs::rowPressedDarker);
    painter->setPen(Qt::NoPen);
    painter->setBrush(fill);
    painter->drawRoundedRect(QRectF(rect), fs::rowRadius, fs::rowRadius);
    if (state.focusKey == QLatin1String(kOpen)) {
        painter->setPen(QPen(theme.color(ColorRole::Orange), fs::rowFocusWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(rect).adjusted(1, 1, -1, -1), fs::rowRadius, fs::rowRadius);
    }

    // The symbol tile, centred vertically.
    const QRect tile(rect.left() + fs::rowPadding, rect.center().y() - fs::rowTile / 2 + 1, fs::rowTile,
                     fs::rowTile);
    painter->setPen(Qt::NoPen);
    painter->setBrush(theme.color(record.working ? ColorRole::Orange : ColorRole::TertiaryGroupedBackground));
    painter->drawRoundedRect(QRectF(tile), fs::rowTileRadius, fs::rowTileRadius);
    const QColor symbolTint = record.working ? QColor(Qt::black) : theme.color(ColorRole::SecondaryLabel);
    painter->drawPixmap(tile.center().x() - fs::rowSymbol / 2 + 1, tile.center().y() - fs::rowSymbol / 2 + 1,
                        Symbols::pixmap(record.module.symbolName(), fs::rowSymbol, symbolTint, ratio));

    // The title over the detail, centred vertically as one block.
    const int textLeft = tile.right() + 1 + fs::rowSpacing;
    const int block = l.titleHeight + fs::rowTextSpacing + l.detailHeight;
    int top = rect.top() + (rect.height() - block) / 2;
    painter->setPen(theme.color(ColorRole::Label));
    l.title->draw(painter, QPointF(textLeft, top));
    top += l.titleHeight + fs::rowTextSpacing;
    painter->setPen(theme.color(ColorRole::SecondaryLabel));
    painter->setFont(detailFont());
    const QFontMetrics detailMetrics(detailFont());
    for (const QString& line : l.detail) {
        painter->drawText(QRect(textLeft, top, l.textWidth, detailMetrics.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, line);
        top += detailMetrics.height();
    }

    // The badge and the chevron at the trailing edge.
    const int chevronLeft = rect.right() + 1 - fs::rowPadding - fs::chevronSize;
    const int badgeLeft = chevronLeft - fs::rowSpacing - l.badgeWidth;
    painter->setFont(badgeFont());
    painter->setPen(theme.color(record.working ? ColorRole::Green : ColorRole::SecondaryLabel));
    painter->drawText(QRect(badgeLeft, rect.top(), l.badgeWidth + 1, rect.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, badgeText(id));
    painter->drawPixmap(chevronLeft, rect.center().y() - fs::chevronSize / 2 + 1,
                        Symbols::pixmap(QStringLiteral("chevron.right"), fs::chevronSize,
                                        theme.color(ColorRole::TertiaryLabel), ratio));
    painter->restore();
}

QString FeatureRowDelegate::accessibleName(const QString& id) const {
    const auto it = records_.constFind(id);
    if (it == records_.constEnd()) return headerTitle(id);
    return it->module.titleText() + QStringLiteral(", ") + it->module.detailText() + QStringLiteral(", ") +
           badgeText(id);
}
