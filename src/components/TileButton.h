#pragma once

#include <QAbstractButton>

#include "components/Theme.h"

// A tappable panel whose content is a layout of ordinary widgets (the
// dashboard's feature spotlight and template tiles, the calculator's keys and
// history rows). The fill is a theme colour at an opacity, taken when painting
// so that it follows the theme.
class TileButton : public QAbstractButton {
    Q_OBJECT
public:
    TileButton(ColorRole fill, qreal opacity, int radius, QWidget* parent = nullptr);

    // Lets taps on the content reach the button itself.
    void makeChildrenTransparent();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ColorRole fill_;
    qreal opacity_;
    int radius_;
};
