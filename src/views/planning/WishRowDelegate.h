#pragma once

#include <QFont>
#include <QHash>
#include <QString>

#include "components/PaintedList.h"
#include "components/Theme.h"
#include "models/MoneyModels.h"

// What one wish row shows, from the wish alone.
struct WishRowContent {
    QString title;
    QString symbol;   // "checkmark.circle.fill" when completed, "gift.fill" otherwise
    ColorRole tint;   // of the title and its symbol
    QString price;
    double share = 0;  // the bar
    ColorRole barTint;
    QString caption;   // "Накоплено … · осталось …"
    bool contributions = false;  // "+10", "+50", "До цели" are offered

    static WishRowContent of(const WishItem& wish);
    // The bar's share: saved of price, capped at 1; a price at or below zero
    // (only from a file written elsewhere) gives an empty bar, or a full one
    // for a completed wish.
    static double savedShare(const WishItem& wish);
};

// Paints a wish: the title with its symbol, wrapped between words beside the
// price at its own size (the price shrinks first to leave it room, and stays
// whole), the bar, the caption and, while the wish is open, the contribution
// buttons.
class WishRowDelegate : public PaintedRowDelegate {
public:
    static inline const QString kPlus10 = QStringLiteral("plus10");
    static inline const QString kPlus50 = QStringLiteral("plus50");
    static inline const QString kToGoal = QStringLiteral("toGoal");

    // The wishes by row key; the screen keeps them.
    explicit WishRowDelegate(const QHash<QString, WishItem>& wishes) : wishes_(wishes) {}
    // The currency the amounts are written in; a new one needs updateAllRows().
    void setCurrencyCode(const QString& code) { currency_ = code; }
    const QString& currencyCode() const { return currency_; }

    int rowHeight(const QString& id, int width, bool busy) const override;
    QList<PaintedButton> buttons(const QString& id, int width, bool busy) const override;
    void paintRow(QPainter* painter, const QString& id, const QRect& rect,
                  const PaintedRowState& state) const override;
    void forgetMeasurements() const override { layouts_.clear(); }
    // The title, the price and the saving, as the row shows them.
    QString accessibleName(const QString& id) const override;

    // Where the title and price go at a width (for the fit tests).
    struct Layout {
        int symbolSize = 0;
        QFont titleFont;  // smaller than the headline only for a word too wide for any room
        int titleLeft = 0, titleWidth = 0, titleHeight = 0, titleLines = 0;
        int priceWidth = 0;
        int priceTop = 0;  // below the title when a long title leaves the price no room beside it
        int barTop = 0, captionTop = 0, captionHeight = 0;
        int buttonsTop = -1;  // -1: no buttons
        int height = 0;
        QList<PaintedButton> buttons;
    };
    Layout layout(const QString& id, int width) const;

private:
    // A row's texts and layout, kept per row for its wish, currency and
    // width: measuring, hit-testing and painting a row all read them.
    struct Cached {
        int width = -1;
        WishItem wish;
        QString currency;
        WishRowContent content;
        Layout layout;
    };
    Layout measure(const WishRowContent& content, int width) const;
    const Cached* measured(const QString& id, int width) const;

    const QHash<QString, WishItem>& wishes_;
    QString currency_;
    mutable QHash<QString, Cached> layouts_;
};
