#pragma once

#include <QWidget>

#include "components/Theme.h"

class QTimer;

// The platform's activity indicator: twelve spokes fading round a circle. It
// turns only while it is visible.
class Spinner : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultSize = 20;

    explicit Spinner(int size = kDefaultSize, QWidget* parent = nullptr);

    bool isSpinning() const;
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
