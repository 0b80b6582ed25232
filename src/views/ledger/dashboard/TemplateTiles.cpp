#include "views/ledger/dashboard/TemplateTiles.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "components/Theme.h"
#include "views/ledger/dashboard/DashboardKit.h"
#include "views/ledger/dashboard/DashboardStyle.h"

namespace {

namespace style = dashboard_style;

QFont titleFont() { return Theme::font(TextStyle::Body, QFont::DemiBold); }
QFont amountFont() { return Theme::font(TextStyle::Caption); }

int tileHeight() {
    return 2 * style::templateTilePadding + QFontMetrics(titleFont()).height() + style::templateTileSpacing +
           QFontMetrics(amountFont()).height();
}

}  // namespace

int TemplateTileDelegate::textWidth(const QString& text, const QFont& font) const {
    const QString key = font.key() + QChar(0) + text;
    if (const auto it = widths_.constFind(key); it != widths_.cend()) return *it;
    return *widths_.insert(key, QFontMetrics(font).horizontalAdvance(text) + 1);
}

void TemplateTileDelegate::layOut(std::vector<TemplateTile>& tiles) const {
    int left = 0;
    for (TemplateTile& tile : tiles) {
        const int content = std::max(textWidth(tile.title, titleFont()), textWidth(tile.amount, amountFont()));
        tile.left = left;
        tile.width = std::max(style::templateTileMinimumWidth, content + 2 * style::templateTilePadding);
        left += tile.width + style::templateTileSpacingAcross;
    }
}

QSize TemplateTileDelegate::stripSize(const std::vector<TemplateTile>& tiles) {
    if (tiles.empty()) return {0, 0};
    return {tiles.back().left + tiles.back().width, tileHeight()};
}

int TemplateTileDelegate::rowHeight(const QString&, int, bool) const { return tileHeight(); }

QList<PaintedButton> TemplateTileDelegate::buttons(const QString&, int, bool) const {
    QList<PaintedButton> out;
    out.reserve(qsizetype(tiles_.size()));
    const int height = tileHeight();
    for (const TemplateTile& tile : tiles_) out.append({tile.key, QRect(tile.left, 0, tile.width, height), tile.title});
    return out;
}

void TemplateTileDelegate::paintRow(QPainter* p, const QString&, const QRect& rect, const PaintedRowState& state) const {
    const Theme& theme = Theme::current();
    const QRect exposed = state.exposed.isEmpty() ? rect : state.exposed;
    // The first tile that reaches into the exposed part, then along until past it.
    auto tile = std::upper_bound(tiles_.begin(), tiles_.end(), exposed.left() - rect.left(),
                                 [](int x, const TemplateTile& t) { return x < t.left + t.width; });
    const QFontMetrics titleMetrics(titleFont());
    const QFontMetrics amountMetrics(amountFont());
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    for (; tile != tiles_.end() && rect.left() + tile->left <= exposed.right(); ++tile) {
        const QRect face(rect.left() + tile->left, rect.top(), tile->width, rect.height());
        QPainterPath path;
        path.addRoundedRect(QRectF(face), style::tileRadius, style::tileRadius);
        QColor fill = dashboard::tealAt(0.1);
        const bool enabled = !state.busy && !state.held;
        if (enabled && state.pressedKey == tile->key) fill = fill.darker(110);
        p->fillPath(path, fill);
        if (state.focusKey == tile->key) {
            QColor ring = theme.accent();
            ring.setAlphaF(0.5f);
            p->setPen(QPen(ring, 2));
            p->drawPath(path);
        }
        const QRect content = face.adjusted(style::templateTilePadding, style::templateTilePadding,
                                            -style::templateTilePadding, -style::templateTilePadding);
        p->setFont(titleFont());
        p->setPen(theme.color(ColorRole::Label));
        p->drawText(QRect(content.left(), content.top(), content.width(), titleMetrics.height()),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, tile->title);
        p->setFont(amountFont());
        p->setPen(theme.color(ColorRole::SecondaryLabel));
        p->drawText(QRect(content.left(), content.top() + titleMetrics.height() + style::templateTileSpacing,
                          content.width(), amountMetrics.height()),
                    Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, tile->amount);
    }
    p->restore();
}

QString TemplateTileDelegate::accessibleDescription(const QString&, const QString& key) const {
    for (const TemplateTile& tile : tiles_)
        if (tile.key == key) return tile.title + QStringLiteral(", ") + tile.amount;
    return {};
}
