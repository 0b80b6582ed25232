#include "views/ledger/dashboard/FeatureSpotlight.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/Card.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "views/ledger/dashboard/DashboardStyle.h"

namespace style = dashboard_style;

FeatureSpotlight::FeatureSpotlight(QWidget* parent)
    : TileButton(ColorRole::SecondaryGroupedBackground, 1.0, Spacing::cardRadius, parent) {
    setObjectName(QStringLiteral("featureSpotlight"));
    setAccessibleName(QStringLiteral("Версия 1.5, 64 новых функции уже внутри"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(style::spotlightPadding, style::spotlightPadding, style::spotlightPadding,
                            style::spotlightPadding);
    row->setSpacing(style::spotlightSpacing);

    icon_ = new Card;
    icon_->setRadius(style::spotlightIconRadius);
    icon_->setPadding(0);
    icon_->setFixedSize(style::spotlightIconSize, style::spotlightIconSize);
    auto* symbol =
        new SymbolView(QStringLiteral("sparkles.rectangle.stack.fill"), style::spotlightSymbolSize);
    symbol->setTint(QColor(Qt::black));
    icon_->addWidget(symbol, 0, Qt::AlignCenter);
    row->addWidget(icon_);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addWidget(new TextLabel(QStringLiteral("Версия 1.5"), TextStyle::Headline));
    texts->addWidget(new TextLabel(QStringLiteral("64 новых функции уже внутри"), TextStyle::Caption,
                                   ColorRole::SecondaryLabel));
    row->addLayout(texts, 1);
    auto* chevron = new SymbolView(QStringLiteral("chevron.right"), style::chevronSize);
    chevron->setTint(ColorRole::SecondaryLabel);
    row->addWidget(chevron);
    makeChildrenTransparent();
}

void FeatureSpotlight::draw() {
    const QColor orange = Theme::current().color(ColorRole::Orange);
    icon_->setGradient(orange.lighter(118), orange);
}
