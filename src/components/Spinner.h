#pragma once

#include <QWidget>

#include "components/Theme.h"

class QPainter;
class QTimer;

// The platform's activity indicator: twelve spokes fading round a circle. It
// turns only while it is visible.
class Spinner : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultSize = 20;

    explicit Spinner(int size = kDefaultSize, QWidget* parent = nullptr);

    bool isSpinning() const;
    // Draws the spokes of a spinner of `size` centred at `centre`, the
    // `step`th of twelve steps of a turn (painted lists draw theirs so).
    static void paintSpokes(QPainter* painter, const QPointF& centre, int size, int step);
    static constexpr int kStepMs = 80;  // one turn a second, near enough
    static constexpr int kSpokes = 12;
    QSize sizeHint() const override { return {size_, size_}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int size_;
    int step_ = 0;
    QTimer* timer_;
};
