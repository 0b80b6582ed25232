#pragma once

#include "components/Theme.h"

#include <QWidget>

class QPainter;
#include <optional>

// The platform's linear progress view: a rounded track filled to a fraction
// (clamped to 0...1; NaN counts as 0), in the accent unless tinted.
class ProgressBar : public QWidget {
    Q_OBJECT
public:
    // The bar's height unless set otherwise.
    static constexpr int kDefaultHeight = 6;

    explicit ProgressBar(QWidget* parent = nullptr);

    void setValue(double fraction);
    double value() const { return value_; }
    void setTint(ColorRole role);
    void setTint(const QColor& color);
    QColor tint() const;
    void setBarHeight(int height);
    // The track's colour in place of the theme's fill (a tile drawn faded);
    // an invalid colour returns to the theme's.
    void setTrack(const QColor& color);
    // Draws a bar as the widget does, for painted rows; the track in the
    // theme's fill unless a valid `track` is given.
    static void paint(QPainter* painter, const QRectF& rect, double fraction, const QColor& tint,
                      const QColor& track = {});

    QSize sizeHint() const override { return {120, height_}; }
    QSize minimumSizeHint() const override { return {16, height_}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double value_ = 0;
    int height_ = kDefaultHeight;
    std::optional<ColorRole> role_;
    std::optional<QColor> color_;
    QColor track_;
};
