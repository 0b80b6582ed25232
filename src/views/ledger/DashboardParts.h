#pragma once

#include <QAbstractButton>
#include <QWidget>

#include "components/Theme.h"

class QLayout;
class QLayoutItem;
class TextLabel;

// A tappable panel whose content is a layout of ordinary widgets: the
// dashboard's feature spotlight and its template tiles. The fill is a theme
// colour at an opacity, taken when painting so that it follows the theme.
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

// A short text on a capsule (the currency badge).
class CapsuleLabel : public QWidget {
    Q_OBJECT
public:
    explicit CapsuleLabel(const QColor& fill, QWidget* parent = nullptr);
    TextLabel* label() const { return label_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    TextLabel* label_;
};

// Removes every item of a list layout; its widgets are hidden at once and
// deleted from the event loop (a row may be deleted by its own button's click).
void clearLayout(QLayout* layout);
void discardItem(QLayoutItem* item);
