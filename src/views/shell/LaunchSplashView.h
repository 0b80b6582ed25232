#pragma once

#include <QWidget>

class QVariantAnimation;

// The splash: black, two blurred circles and the wordmark, which springs into
// place once when first shown.
class LaunchSplashView : public QWidget {
    Q_OBJECT
public:
    explicit LaunchSplashView(QWidget* parent = nullptr);
    bool appeared() const { return appeared_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool appeared_ = false;
    qreal progress_ = 0;  // 0: before appearing, 1: in place
    QVariantAnimation* animation_ = nullptr;
};
