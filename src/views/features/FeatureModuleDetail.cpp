#include "views/features/FeatureModuleDetail.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Card.h"
#include "components/PageBody.h"
#include "components/TextLabel.h"
#include "views/features/FeatureCenterParts.h"
#include "views/features/FeatureCenterStyle.h"
#include "views/shell/ScreenFactories.h"

namespace fs = feature_style;

NavigationPage* featureDestinationPage(FeatureDestination destination, MoneyStore& store) {
    switch (destination) {
        case FeatureDestination::analytics:
            return screens::analytics(store);
        case FeatureDestination::wishlist:
            return screens::wishlist(store);
        case FeatureDestination::challenges:
            return screens::challenges(store);
        case FeatureDestination::recurring:
            return screens::recurring(store);
        case FeatureDestination::badges:
            break;
    }
    return screens::badges(store);
}

namespace {

TextLabel* centred(const QString& text, TextStyle style, ColorRole role, int weight = -1) {
    auto* label = new TextLabel(text, style, role);
    label->setTextStyle(style, weight);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

// The group's title and symbol on a faint orange capsule.
QWidget* groupCapsule(FeatureGroup group) {
    auto* capsule = new Card;
    capsule->setObjectName(QStringLiteral("featureGroupCapsule"));
    capsule->setPadding(fs::capsulePaddingX, fs::capsulePaddingY);
    QColor tint = Theme::current().color(ColorRole::Orange);
    tint.setAlphaF(float(fs::capsuleOpacity));
    capsule->setBackground(tint);
    auto* label = new SymbolLabel(rawValue(group), symbol(group), TextStyle::Subheadline);
    label->setTextStyle(TextStyle::Subheadline, QFont::Bold);
    capsule->addWidget(label);
    capsule->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    capsule->setRadius(capsule->sizeHint().height() / 2);
    return capsule;
}

QWidget* unfinishedPanel() {
    auto* panel = new Card;
    panel->setObjectName(QStringLiteral("featureUnfinished"));
    panel->setPadding(fs::panelPadding);
    auto* label = new SymbolLabel(QStringLiteral("В разработке"), QStringLiteral("hammer.fill"),
                                  TextStyle::Headline, ColorRole::SecondaryLabel);
    panel->addWidget(label, 0, Qt::AlignHCenter);
    return panel;
}

}  // namespace

FeatureModuleDetail::FeatureModuleDetail(const FeatureModule& module,
                                         std::optional<FeatureDestination> destination, MoneyStore* store,
                                         QWidget* parent)
    : NavigationPage(QStringLiteral("Возможность"), parent) {
    setObjectName(QStringLiteral("featureModuleDetail"));
    setTitleDisplay(TitleDisplay::Inline);
    PageBody* page = body();
    page->setPadding(fs::detailPadding);
    page->setSpacing(fs::detailSpacing);
    page->addWidget(
        orangeSymbolTile(module.symbolName(), fs::detailTile, fs::detailTileRadius, fs::detailSymbol), 0,
        Qt::AlignHCenter);
    TextLabel* title = centred(module.titleText(), TextStyle::Title, ColorRole::Label, QFont::Bold);
    title->setObjectName(QStringLiteral("featureTitle"));
    page->addWidget(title);
    page->addWidget(centred(module.detailText(), TextStyle::Body, ColorRole::SecondaryLabel));
    page->addWidget(groupCapsule(module.group), 0, Qt::AlignHCenter);

    if (destination && store) {
        open_ = new Button(QStringLiteral("Открыть рабочий раздел"), Button::Style::BorderedProminent,
                           QStringLiteral("arrow.right.circle.fill"));
        open_->setObjectName(QStringLiteral("openFeatureDestination"));
        open_->setFullWidth(true);
        open_->setTint(ColorRole::Orange);
        open_->setLabelColor(Qt::black);
        connect(open_, &QAbstractButton::clicked, this, [this, store, to = *destination] {
            if (NavigationStack* stack = navigationStack()) stack->push(featureDestinationPage(to, *store));
        });
        page->addWidget(open_);
        page->addWidget(
            centred(QStringLiteral("Эта возможность уже работает в связанном разделе приложения."),
                    TextStyle::Footnote, ColorRole::SecondaryLabel));
    } else {
        page->addWidget(unfinishedPanel());
        page->addWidget(
            centred(QStringLiteral("Здесь больше нет неработающего переключателя. Кнопка появится, "
                                   "когда функция будет действительно готова."),
                    TextStyle::Footnote, ColorRole::SecondaryLabel));
    }
}
