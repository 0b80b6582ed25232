#pragma once

#include <QAbstractButton>

#include "components/Card.h"
#include "features/FeatureCatalog.h"

// A tile filled with the orange gradient holding a black symbol (the hero's
// and the detail page's icon); the gradient follows the theme.
Card* orangeSymbolTile(const QString& symbol, int size, int radius, int symbolSize);

// The hero card: the orange-to-yellow wash with a faint "1.5" in its top
// trailing corner, under whatever the card holds.
class FeatureHero : public Card {
    Q_OBJECT
public:
    explicit FeatureHero(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyTheme();
};

// One group chip: a capsule with a symbol and a bold caption, orange with a
// black label while checked.
class FeatureChip : public QAbstractButton {
    Q_OBJECT
public:
    FeatureChip(const QString& title, const QString& symbol, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
};
