#include "views/features/FeatureCenterParts.h"

#include <QPainter>

#include "components/SymbolView.h"
#include "components/Symbols.h"
#include "views/features/FeatureCenterStyle.h"

namespace fs = feature_style;

namespace {

QColor withAlpha(ColorRole role, double alpha) {
    QColor color = Theme::current().color(role);
    color.setAlphaF(float(alpha));
    return color;
}

}  // namespace

Card* orangeSymbolTile(const QString& symbol, int size, int radius, int symbolSize) {
    auto* tile = new Card;
    tile->setRadius(radius);
    tile->setPadding(0);
    tile->setFixedSize(size, size);
    auto* view = new SymbolView(symbol, symbolSize);
    view->setTint(QColor(Qt::black));
    tile->addWidget(view, 0, Qt::AlignCenter);
    const auto paint = [tile] {
        const QColor orange = Theme::current().color(ColorRole::Orange);
        tile->setGradient(orange.lighter(118), orange);
    };
    paint();
    QObject::connect(&Theme::current(), &Theme::changed, tile, paint);
    return tile;
}

FeatureHero::FeatureHero(QWidget* parent) : Card(parent) {
    setObjectName(QStringLiteral("featureHero"));
    setRadius(fs::heroRadius);
    setPadding(fs::heroPadding);
    setSpacing(fs::heroSpacing);
    applyTheme();
    connect(&Theme::current(), &Theme::changed, this, &FeatureHero::applyTheme);
}

void FeatureHero::applyTheme() {
    setGradient(withAlpha(ColorRole::Orange, fs::heroFromOpacity),
                withAlpha(ColorRole::Yellow, fs::heroToOpacity));
}

void FeatureHero::paintEvent(QPaintEvent* event) {
    Card::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(Theme::fontFamily());
    font.setPixelSize(fs::versionMarkSize);
    font.setWeight(QFont::Black);
    painter.setFont(font);
    painter.setPen(withAlpha(ColorRole::Label, fs::versionMarkOpacity));
    const QRect room = rect().adjusted(0, fs::versionMarkPadding, -fs::versionMarkPadding, 0);
    painter.drawText(room, Qt::AlignTop | Qt::AlignRight, QStringLiteral("1.5"));
}

FeatureChip::FeatureChip(const QString& title, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol) {
    setText(title);
    setAccessibleName(title);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFont(Theme::font(TextStyle::Caption, QFont::Bold));
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

QSize FeatureChip::sizeHint() const {
    const QFontMetrics metrics(font());
    const int width = fs::chipPaddingX * 2 + fs::chipSymbol + fs::chipGap + metrics.horizontalAdvance(text());
    return {width, metrics.height() + fs::chipPaddingY * 2};
}

void FeatureChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme& theme = Theme::current();
    const QColor fill = theme.color(isChecked() ? ColorRole::Orange : ColorRole::SecondaryGroupedBackground);
    const QColor label = isChecked() ? QColor(Qt::black) : theme.color(ColorRole::Label);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isDown() ? fill.darker(110) : fill);
    painter.drawRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
    const int symbolTop = (height() - fs::chipSymbol) / 2;
    painter.drawPixmap(fs::chipPaddingX, symbolTop,
                       Symbols::pixmap(symbol_, fs::chipSymbol, label, devicePixelRatioF()));
    painter.setFont(font());
    painter.setPen(label);
    const int textLeft = fs::chipPaddingX + fs::chipSymbol + fs::chipGap;
    painter.drawText(rect().adjusted(textLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
}
