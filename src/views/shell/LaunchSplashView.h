#pragma once

#include <QWidget>

class QVariantAnimation;

// The splash: black, two blurred circles and the wordmark, which springs into
// place once when first shown. Still, it is the launch screen: the splash's
// first frame, which the window shows while the app starts (before the
// ledger is read), and which never moves.
class LaunchSplashView : public QWidget {
    Q_OBJECT
public:
    enum class Motion { springs, still };
    explicit LaunchSplashView(QWidget* parent = nullptr);
    explicit LaunchSplashView(Motion motion, QWidget* parent = nullptr);
    bool appeared() const { return appeared_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Motion motion_ = Motion::springs;
    bool appeared_ = false;
    qreal progress_ = 0;  // 0: before appearing, 1: in place
    QVariantAnimation* animation_ = nullptr;
};
