#include "views/shell/LaunchSplashView.h"

#include <QEasingCurve>
#include <QPainter>
#include <QVariantAnimation>

#include "components/Theme.h"
#include "views/shell/PasscodeStyle.h"

using namespace passcode_style;

LaunchSplashView::LaunchSplashView(QWidget* parent) : LaunchSplashView(Motion::springs, parent) {}

LaunchSplashView::LaunchSplashView(Motion motion, QWidget* parent) : QWidget(parent), motion_(motion) {
    setObjectName(motion == Motion::still ? QStringLiteral("launchScreen")
                                          : QStringLiteral("launchSplashView"));
    setAccessibleName(QStringLiteral("Zanbeck. Твои деньги, твои правила"));
}

void LaunchSplashView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (appeared_ || motion_ == Motion::still) return;  // springs into place once, never again while shown
    appeared_ = true;
    animation_ = new QVariantAnimation(this);
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    animation_->setDuration(700);
    animation_->setEasingCurve(QEasingCurve::OutBack);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        progress_ = value.toReal();
        update();
    });
    animation_->start(QAbstractAnimation::DeleteWhenStopped);
}

void LaunchSplashView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);
    const qreal t = progress_;
    const QPointF centre = QRectF(rect()).center();
    auto blurredCircle = [&](QColor colour, qreal diameter, QPointF offset, qreal blur) {
        QRadialGradient glow(centre + offset, diameter / 2 + blur);
        glow.setColorAt(0, colour);
        glow.setColorAt(qMax(0.0, 1 - 2 * blur / (diameter / 2 + blur)), colour);
        colour.setAlpha(0);
        glow.setColorAt(1, colour);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(centre + offset, diameter / 2 + blur, diameter / 2 + blur);
    };
    blurredCircle(passcodeLime(), 330, QPointF(250 + (155 - 250) * t, -450 + (-330 + 450) * t), 8);
    QColor purple = Theme::colorFor(ColorRole::Purple, ColorScheme::Dark);
    purple.setAlphaF(0.7f);
    blurredCircle(purple, 260, QPointF(-270 + (-170 + 270) * t, 470 + (350 - 470) * t), 24);

    // The wordmark, scaled from 0.82 about the centre and faded in.
    p.save();
    p.setOpacity(qBound(0.0, t, 1.0));
    const qreal scale = 0.82 + 0.18 * t;
    p.translate(centre);
    p.scale(scale, scale);
    p.translate(-centre);
    QFont word = Theme::font(TextStyle::LargeTitle, QFont::Black);
    word.setPixelSize(67);
    word.setLetterSpacing(QFont::AbsoluteSpacing, -4);
    const QFontMetricsF metrics(word);
    QFont tagline = Theme::font(TextStyle::Callout, QFont::DemiBold);
    tagline.setLetterSpacing(QFont::AbsoluteSpacing, 0.15);
    const QFontMetricsF taglineMetrics(tagline);
    const qreal line = metrics.height() - 10;
    const qreal blockHeight = 2 * line + 28 + taglineMetrics.height() * 2;
    const qreal left = 30;
    qreal y = centre.y() - blockHeight / 2;
    p.setFont(word);
    p.setPen(Qt::white);
    p.drawText(QPointF(left, y + metrics.ascent()), QStringLiteral("ZAN"));
    y += line;
    p.setPen(passcodeLime());
    p.drawText(QPointF(left, y + metrics.ascent()), QStringLiteral("BECK"));
    y += line + 28;
    p.setFont(tagline);
    p.setPen(whiteAt(0.62));
    p.drawText(QRectF(left, y, width() - 2 * left, taglineMetrics.height() * 3), Qt::TextWordWrap,
               QStringLiteral("твои деньги · твои правила"));
    p.restore();
}
