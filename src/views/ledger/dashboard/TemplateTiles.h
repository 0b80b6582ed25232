#pragma once

#include <QHash>
#include <vector>

#include "components/PaintedList.h"
#include "models/MoneyModels.h"

// One tile of the one-tap templates strip, laid out along the strip.
struct TemplateTile {
    QString key;  // the template's id, "#<n>" added to a repeated one
    QString templateId;
    QString title;
    QString amount;  // money text, or the mask while balances are hidden
    int left = 0;
    int width = 0;

    bool operator==(const TemplateTile&) const = default;
};

// Paints the strip of template tiles as the one row of a painted list: each
// tile is one of the row's buttons (its key is the tile's key, its name the
// template's title), and only the tiles in the exposed part are painted, so
// a strip of hundreds of templates costs what is on screen.
class TemplateTileDelegate : public PaintedRowDelegate {
public:
    static inline const QString kRow = QStringLiteral("templates");

    explicit TemplateTileDelegate(const std::vector<TemplateTile>& tiles) : tiles_(tiles) {}

    // Lays the tiles out along the strip (their lefts and widths): each is
    // as wide as its title or amount, at least the tile's minimum.
    void layOut(std::vector<TemplateTile>& tiles) const;
    // The strip's size with these tiles.
    static QSize stripSize(const std::vector<TemplateTile>& tiles);

    int rowHeight(const QString& id, int width, bool busy) const override;
    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    void forgetMeasurements() const override { widths_.clear(); }
    // The strip is no record; each tile's button names its template and amount.
    QString accessibleDescription(const QString& id, const QString& key) const override;

private:
    int textWidth(const QString& text, const QFont& font) const;

    const std::vector<TemplateTile>& tiles_;
    mutable QHash<QString, int> widths_;  // by font and text: templates repeat few titles and amounts
};
