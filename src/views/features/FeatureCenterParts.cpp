#include "views/features/FeatureCenterParts.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "components/SymbolView.h"
#include "components/Symbols.h"
#include "components/TextLabel.h"
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

FeatureModuleRow::FeatureModuleRow(const FeatureModule& module, bool isWorking, QWidget* parent)
    : TileButton(ColorRole::SecondaryGroupedBackground, 1.0, fs::rowRadius, parent),
      module_(module),
      working_(isWorking),
      title_(module.titleText()),
      detail_(module.detailText()) {
    setObjectName(QStringLiteral("featureRow_") + module.idText());
    setAccessibleName(title_);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(fs::rowPadding, fs::rowPadding, fs::rowPadding, fs::rowPadding);
    row->setSpacing(fs::rowSpacing);

    auto* tile = new Card;
    tile->setRadius(fs::rowTileRadius);
    tile->setPadding(0);
    tile->setFixedSize(fs::rowTile, fs::rowTile);
    tile->setBackground(isWorking ? ColorRole::Orange : ColorRole::TertiaryGroupedBackground);
    auto* symbol = new SymbolView(module.symbolName(), fs::rowSymbol);
    if (isWorking)
        symbol->setTint(QColor(Qt::black));
    else
        symbol->setTint(ColorRole::SecondaryLabel);
    tile->addWidget(symbol, 0, Qt::AlignCenter);
    row->addWidget(tile, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(fs::rowTextSpacing);
    auto* title = new TextLabel(title_, TextStyle::Subheadline);
    title->setTextStyle(TextStyle::Subheadline, QFont::Bold);
    title->setWordWrap(true);
    auto* detail = new TextLabel(detail_, TextStyle::Caption, ColorRole::SecondaryLabel);
    detail->setObjectName(QStringLiteral("featureDetail"));
    detail->setWordWrap(true);
    detail->setMaximumLineCount(2);
    texts->addWidget(title);
    texts->addWidget(detail);
    row->addLayout(texts, 1);

    badge_ = new TextLabel(isWorking ? QStringLiteral("Работает") : QStringLiteral("Скоро"),
                           TextStyle::Caption2, isWorking ? ColorRole::Green : ColorRole::SecondaryLabel);
    badge_->setObjectName(QStringLiteral("featureBadge"));
    badge_->setTextStyle(TextStyle::Caption2, QFont::Bold);
    row->addWidget(badge_, 0, Qt::AlignVCenter);
    auto* chevron = new SymbolView(QStringLiteral("chevron.right"), fs::chevronSize);
    chevron->setTint(ColorRole::TertiaryLabel);
    row->addWidget(chevron, 0, Qt::AlignVCenter);

    makeChildrenTransparent();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

bool FeatureModuleRow::matches(const QString& query) const {
    return query.isEmpty() || title_.contains(query, Qt::CaseInsensitive) ||
           detail_.contains(query, Qt::CaseInsensitive);
}
