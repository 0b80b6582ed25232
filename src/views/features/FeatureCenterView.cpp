#include "views/features/FeatureCenterView.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/Chip.h"
#include "components/LazyColumn.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "components/PaintedList.h"
#include "components/ProgressBar.h"
#include "components/SearchField.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "views/features/FeatureCenterParts.h"
#include "views/features/FeatureCenterStyle.h"

namespace fs = feature_style;

namespace {

bool isAvailable(const FeatureModule& module, FeatureAudience audience) {
    return module.audience == FeatureAudience::everyone || module.audience == audience;
}

// The chip's group (none: all) and the query, used as typed (a lone space is a
// query too); case-insensitive on the title and the detail.
bool passesFilter(const FeatureModule& module, std::optional<FeatureGroup> group, const QString& query) {
    if (group && *group != module.group) return false;
    return query.isEmpty() || module.titleText().contains(query, Qt::CaseInsensitive) ||
           module.detailText().contains(query, Qt::CaseInsensitive);
}

enum Card { heroCard, pickerCard, listCard };

}  // namespace

FeatureCenterView::FeatureCenterView(MoneyStore* store, FeatureAudience audience, QWidget* parent)
    : NavigationPage(QStringLiteral("Центр 1.5"), parent),
      store_(store),
      audience_(audience),
      random_([](int count) { return int(QRandomGenerator::global()->bounded(count)); }) {
    setObjectName(QStringLiteral("featureCenterView"));
    PageBody* page = body();
    page->setSpacing(Spacing::pageStack);

    search_ = new SearchField(QStringLiteral("Найти функцию"));
    search_->setObjectName(QStringLiteral("featureSearch"));
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        query_ = text;  // used as typed: a lone space is a query too
        applyFilter();
    });
    page->addWidget(search_);
    for (const FeatureModule& module : availableModules())
        delegate_.addModule(module, destination(module).has_value());
    cards_ = LazyColumn::addTo(page);
    cards_->addCard([this]() -> QWidget* { return buildHero(); }, {}, fs::heroEstimate);
    cards_->addCard([this]() -> QWidget* { return buildGroupPicker(); }, {}, fs::pickerEstimate);
    cards_->addCard([this]() -> QWidget* { return buildModuleList(); }, {}, fs::listEstimate);
    connect(&Theme::current(), &Theme::changed, this, [this] {
        if (list_) list_->updateAllRows();
    });
}

FeatureCenterView::~FeatureCenterView() {
    // The list paints from the delegate, a member that goes before the children.
    delete list_;
}

std::vector<FeatureModule> FeatureCenterView::availableModules() const {
    std::vector<FeatureModule> modules;
    for (const FeatureModule& module : FeatureCatalog::modules)
        if (isAvailable(module, audience_)) modules.push_back(module);
    return modules;
}

std::optional<FeatureDestination> FeatureCenterView::destination(const FeatureModule& module) const {
    if (!store_ || audience_ != FeatureAudience::child) return std::nullopt;
    switch (module.group) {
        case FeatureGroup::smart:
            return module.id == "subscription-watch" ? FeatureDestination::recurring
                                                     : FeatureDestination::analytics;
        case FeatureGroup::goals:
            return FeatureDestination::wishlist;
        case FeatureGroup::habits:
            return FeatureDestination::challenges;
        case FeatureGroup::insights:
            return FeatureDestination::analytics;
        case FeatureGroup::fun:
            return FeatureDestination::badges;
        case FeatureGroup::family:
        case FeatureGroup::safety:
        case FeatureGroup::comfort:
            break;
    }
    return std::nullopt;
}

int FeatureCenterView::workingModuleCount() const {
    int count = 0;
    for (const FeatureModule& module : availableModules())
        if (destination(module)) ++count;
    return count;
}

std::vector<FeatureModule> FeatureCenterView::visibleModules() const {
    std::vector<FeatureModule> modules;
    for (const FeatureModule& module : availableModules())
        if (passesFilter(module, selectedGroup_, query_)) modules.push_back(module);
    return modules;
}

QWidget* FeatureCenterView::buildHero() {
    auto* hero = new FeatureHero;
    auto* top = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->setSpacing(fs::heroTitleSpacing);
    auto* caption = new TextLabel(QStringLiteral("БОЛЬШОЙ АПГРЕЙД"), TextStyle::Caption, ColorRole::Orange);
    caption->setTextStyle(TextStyle::Caption, QFont::Bold);
    auto* title = new TextLabel(QStringLiteral("64 новых модуля"), TextStyle::LargeTitle);
    title->setTextStyle(TextStyle::LargeTitle, QFont::Black);
    title->setMinimumScaleFactor(TextFit::kMinimumScale);
    titles->addWidget(caption);
    titles->addWidget(title);
    titles->addStretch(1);
    top->addLayout(titles, 1);
    top->addWidget(orangeSymbolTile(QStringLiteral("sparkles.rectangle.stack.fill"), fs::heroTile,
                                    fs::heroTileRadius, fs::heroSymbol),
                   0, Qt::AlignTop);
    hero->stack()->addLayout(top);

    // The numbers come from the audience's modules alone: the chip and the
    // query never change them.
    const int available = int(availableModules().size());
    const int working = workingModuleCount();
    bar_ = new ProgressBar;
    bar_->setObjectName(QStringLiteral("featureProgress"));
    bar_->setTint(ColorRole::Orange);
    bar_->setValue(double(working) / std::max(available, 1));
    hero->addWidget(bar_);
    caption_ = new TextLabel(
        QString::number(working) + QStringLiteral(" функций открывают готовые разделы · остальные честно "
                                                  "помечены как будущие"),
        TextStyle::Footnote, ColorRole::SecondaryLabel);
    caption_->setObjectName(QStringLiteral("featureCaption"));
    caption_->setWordWrap(true);
    hero->addWidget(caption_);
    suggestion_ =
        new Button(QStringLiteral("Случайная идея"), Button::Style::Bordered, QStringLiteral("dice.fill"));
    suggestion_->setObjectName(QStringLiteral("featureSuggestion"));
    suggestion_->setTint(ColorRole::Orange);
    connect(suggestion_, &QAbstractButton::clicked, this, &FeatureCenterView::suggest);
    hero->addWidget(suggestion_, 0, Qt::AlignLeft);
    return hero;
}

QWidget* FeatureCenterView::buildGroupPicker() {
    chipStrip_ = new QScrollArea;
    chipStrip_->setObjectName(QStringLiteral("featureGroupPicker"));
    chipStrip_->setFrameShape(QFrame::NoFrame);
    chipStrip_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    chipStrip_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    chipStrip_->setWidgetResizable(false);
    chipStrip_->viewport()->setAutoFillBackground(false);
    SidewaysScroller::attach(chipStrip_);
    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(fs::chipSpacing);
    row->setSizeConstraint(QLayout::SetFixedSize);
    chips_ = new QButtonGroup(this);
    chips_->setExclusive(true);  // a second tap on the selected chip keeps it
    const auto addChip = [&](const QString& title, const QString& symbolName,
                             std::optional<FeatureGroup> group) {
        auto* chip = new FeatureChip(title, symbolName);
        chip->setObjectName(QStringLiteral("featureChip_") +
                            (group ? rawValue(*group) : QStringLiteral("all")));
        chips_->addButton(chip);
        row->addWidget(chip);
        chipList_.push_back(chip);
        connect(chip, &QAbstractButton::clicked, this, [this, group] { selectGroup(group); });
    };
    addChip(QStringLiteral("Все"), QStringLiteral("square.grid.2x2.fill"), std::nullopt);
    for (const FeatureGroup group : kFeatureGroups) addChip(rawValue(group), symbol(group), group);
    chipList_[selectedGroup_ ? std::size_t(static_cast<int>(*selectedGroup_)) + 1 : 0]->setChecked(true);
    chipStrip_->setWidget(content);
    content->setAutoFillBackground(false);
    chipStrip_->setFixedHeight(content->sizeHint().height());
    return chipStrip_;
}

PaintedList* FeatureCenterView::buildModuleList() {
    list_ = new PaintedList(delegate_);
    list_->setObjectName(QStringLiteral("featureModules"));
    list_->setSpacing(fs::sectionSpacing);
    connect(list_, &PaintedList::buttonClicked, this, [this](const QString& id, const QString& key) {
        const FeatureModule* module = delegate_.module(id);
        if (module && key == QLatin1String(FeatureRowDelegate::kOpen)) openModule(*module);
    });
    applyFilter();
    return list_;
}

void FeatureCenterView::applyFilter() {
    if (!list_) return;  // the list reads the filter when it is built
    // A group with nothing to show leaves no trace, not even its header.
    QStringList ids;
    for (const FeatureGroup group : kFeatureGroups) {
        bool headed = false;
        for (const FeatureModule& module : availableModules()) {
            if (module.group != group || !passesFilter(module, selectedGroup_, query_)) continue;
            if (!headed) ids << FeatureRowDelegate::headerId(group);
            headed = true;
            ids << module.idText();
        }
    }
    const QString before = delegate_.firstHeader();
    const QString first = ids.isEmpty() ? QString() : ids.front();
    delegate_.setFirstHeader(first);
    list_->setRows(ids);
    // Only the header that starts or stopped starting the list changes height.
    if (before != first) {
        if (list_->contains(before)) list_->updateRow(before);
        if (list_->contains(first)) list_->updateRow(first);
    }
}

void FeatureCenterView::selectGroup(std::optional<FeatureGroup> group) {
    FeatureChip* selected = chip(group);
    selected->setChecked(true);
    chipStrip_->ensureWidgetVisible(selected);
    if (selectedGroup_ == group) return;
    selectedGroup_ = group;
    applyFilter();
}

void FeatureCenterView::suggest() {
    const std::vector<FeatureModule> modules = availableModules();
    if (modules.empty() || alert_) return;
    const FeatureModule module = modules[std::size_t(random_(int(modules.size())))];
    surprise_ = module;
    alert_ = Alert::present(this, QStringLiteral("Попробуй сегодня"),
                            module.titleText() + QStringLiteral(" — ") + module.detailText(),
                            {{QStringLiteral("Понятно"), AlertButton::Role::Default}});
    if (alert_)
        connect(alert_, &Alert::finished, this, [this] { surprise_.reset(); });
    else
        surprise_.reset();
}

void FeatureCenterView::openModule(const FeatureModule& module) {
    if (NavigationStack* stack = navigationStack())
        stack->push(new FeatureModuleDetail(module, destination(module), store_));
}

FeatureChip* FeatureCenterView::chip(std::optional<FeatureGroup> group) const {
    cards_->card(pickerCard);
    return chipList_[group ? std::size_t(static_cast<int>(*group)) + 1 : 0];
}

ProgressBar* FeatureCenterView::progressBar() const {
    cards_->card(heroCard);
    return bar_;
}

TextLabel* FeatureCenterView::caption() const {
    cards_->card(heroCard);
    return caption_;
}

Button* FeatureCenterView::suggestionButton() const {
    cards_->card(heroCard);
    return suggestion_;
}

PaintedList* FeatureCenterView::moduleList() const {
    cards_->card(listCard);
    return list_;
}
