#include "views/planning/PlannerView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/LazyColumn.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "components/TextLabel.h"
#include "features/FeatureCatalog.h"
#include "services/Preferences.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"
#include "views/ledger/DashboardParts.h"
#include "views/ledger/LedgerFigures.h"
#include "views/planning/BudgetCard.h"
#include "views/planning/CategoryLimitsCard.h"
#include "views/planning/GameProgressCard.h"
#include "views/planning/GoalsPlanCard.h"
#include "views/planning/PlannerStyle.h"
#include "views/planning/TemplateEditorView.h"
#include "views/planning/TemplatesCard.h"
#include "views/shell/ScreenFactories.h"

namespace {

struct ToolLink {
    PlannerView::Tool tool;
    const char* title;
    const char* symbol;
    ColorRole color;
    const char* objectName;
};

const ToolLink kTools[] = {
    {PlannerView::Tool::wishlist, "Список желаний", "gift.fill", ColorRole::Pink, "toolWishlist"},
    {PlannerView::Tool::challenges, "Челленджи", "flag.checkered", ColorRole::Purple, "toolChallenges"},
    {PlannerView::Tool::debts, "Долги", "person.2.fill", ColorRole::Orange, "toolDebts"},
    {PlannerView::Tool::calendar, "Финансовый календарь", "calendar", ColorRole::Blue, "toolCalendar"},
    {PlannerView::Tool::recurring, "Регулярные операции", "repeat.circle.fill", ColorRole::Green,
     "toolRecurring"},
    {PlannerView::Tool::badges, "Медали и награды", "medal.fill", ColorRole::Yellow, "toolBadges"},
    {PlannerView::Tool::featureCenter, "64 функции версии 1.5", "sparkles.rectangle.stack.fill",
     ColorRole::Orange, "toolFeatureCenter"},
};

// A full-width row that is one button: `label` on a tile of `fill` at `opacity`.
TileButton* linkButton(SymbolLabel* label, ColorRole fill, qreal opacity, int radius, int padding) {
    auto* button = new TileButton(fill, opacity, radius);
    auto* line = new QHBoxLayout(button);
    line->setContentsMargins(padding, padding, padding, padding);
    label->titleLabel()->setWordWrap(true);
    line->addWidget(label, 1);
    button->makeChildrenTransparent();
    // As tall as the label needs at the row's width, once it wraps.
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    button->setAccessibleName(label->text());
    return button;
}

}  // namespace

PlannerView::PlannerView(MoneyStore& store, AppLockModel& appLock, const PlatformServices& services,
                         QWidget* parent)
    : NavigationPage(QStringLiteral("Планировщик"), parent),
      store_(store),
      appLock_(appLock),
      services_(services) {
    setObjectName(QStringLiteral("planner"));
    PageBody* page = body();
    page->setSpacing(Spacing::pageStack);
    cards_ = LazyColumn::addTo(page);
    addParts();

    connect(&store_, &MoneyStore::dataChanged, this, &PlannerView::storeChanged);
    connect(&store_, &MoneyStore::activeProfileIDChanged, this, [this] { refillLimits_ = true; });
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key == QLatin1String("currencyCode") || key == QLatin1String("appLanguage")) storeChanged();
    });
    connect(&Theme::current(), &Theme::changed, this, &PlannerView::storeChanged);
    // Coming on screen (the tab, or back from a pushed screen) reads the
    // budget afresh and takes the present day and month.
    connect(this, &NavigationPage::appeared, this, [this] {
        if (auto* budget = static_cast<BudgetCard*>(cards_->builtCard(int(Part::budget))))
            budget->refillField();
        redraw();
    });
}

void PlannerView::addParts() {
    namespace style = planner_style;
    // In the order of Part. A card built late reads the store as it is then.
    cards_->addCard([this]() -> QWidget* { return buildToolsCard(); }, {}, style::toolsEstimate);
    cards_->addCard(
        [this]() -> QWidget* {
            auto* card = new BudgetCard(store_);
            card->refillField();
            return card;
        },
        [this](QWidget* card) {
            LedgerFigures figures(store_);
            static_cast<BudgetCard*>(card)->draw(monthExpense(figures.monthExpenseByCategory()),
                                                 figures.safeToSpendToday());
        },
        style::budgetEstimate);
    cards_->addCard([this]() -> QWidget* { return new CategoryLimitsCard(store_); },
                    [this](QWidget* widget) {
                        auto* card = static_cast<CategoryLimitsCard*>(widget);
                        LedgerFigures figures(store_);
                        card->draw(figures.monthExpenseByCategory(),
                                   figures.shared<QStringList>(QStringLiteral("expenseCategories"), [&figures] {
                                       return CategoryLimitsCard::expenseCategories(figures.expenseCategoryNames());
                                   }));
                        if (refillLimits_) {
                            refillLimits_ = false;
                            card->refill();
                        }
                    },
                    style::limitsEstimate);
    cards_->addCard([this]() -> QWidget* { return new GoalsPlanCard(store_); },
                    [this](QWidget* card) {
                        LedgerFigures figures(store_);
                        static_cast<GoalsPlanCard*>(card)->draw(figures.context(), figures.balance());
                    },
                    style::goalsEstimate);
    cards_->addCard(
        [this]() -> QWidget* { return new TemplatesCard(store_, [this] { presentTemplateEditor(); }); },
        [](QWidget* card) { static_cast<TemplatesCard*>(card)->draw(); }, style::templatesEstimate);
    cards_->addCard([]() -> QWidget* { return new GameProgressCard; },
                    [this](QWidget* card) {
                        static_cast<GameProgressCard*>(card)->draw(ledger::taskPoints(store_.data()));
                    },
                    style::gameEstimate);
    cards_->addCard([this]() -> QWidget* { return buildSettingsLink(); }, {}, style::settingsLinkEstimate);
}

Decimal PlannerView::monthExpense(const std::vector<CategoryAmount>& spent) {
    Decimal sum;
    for (const CategoryAmount& row : spent) sum = money::add(sum, row.amount);
    return sum;
}

MoneyCard* PlannerView::buildToolsCard() {
    auto* card =
        new MoneyCard(QStringLiteral("Центр возможностей"), QStringLiteral("sparkles.rectangle.stack.fill"));
    card->setObjectName(QStringLiteral("toolsCard"));
    auto* list = new QWidget;
    auto* column = new QVBoxLayout(list);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (const ToolLink& link : kTools) {
        if (!tools_.isEmpty()) column->addWidget(new Divider);
        auto* label = new SymbolLabel(QString::fromUtf8(link.title), QString::fromUtf8(link.symbol),
                                      TextStyle::Body, link.color);
        TileButton* row = linkButton(label, ColorRole::Fill, 0, planner_style::pressedRadius, 0);
        row->setObjectName(QString::fromUtf8(link.objectName));
        row->layout()->setContentsMargins(0, planner_style::toolRowPadding, 0, planner_style::toolRowPadding);
        const Tool tool = link.tool;
        connect(row, &QAbstractButton::clicked, this, [this, tool] { openTool(tool); });
        column->addWidget(row);
        tools_.append(row);
    }
    card->addWidget(list);
    return card;
}

QAbstractButton* PlannerView::buildSettingsLink() {
    auto* label =
        new SymbolLabel(QStringLiteral("Открыть настройки приложения"), QStringLiteral("gearshape.fill"));
    TileButton* link = linkButton(label, ColorRole::SecondaryGroupedBackground, 1.0, Spacing::cardRadius,
                                  planner_style::settingsLinkPadding);
    link->setObjectName(QStringLiteral("settingsLink"));
    connect(link, &QAbstractButton::clicked, this, &PlannerView::openSettings);
    return link;
}

QAbstractButton* PlannerView::toolButton(Tool tool) {
    toolsCard();
    return tools_.value(int(tool));
}

QAbstractButton* PlannerView::settingsLink() {
    return static_cast<QAbstractButton*>(cards_->card(int(Part::settingsLink)));
}
MoneyCard* PlannerView::toolsCard() { return static_cast<MoneyCard*>(cards_->card(int(Part::tools))); }
BudgetCard* PlannerView::budgetCard() { return static_cast<BudgetCard*>(cards_->card(int(Part::budget))); }
CategoryLimitsCard* PlannerView::limitsCard() {
    return static_cast<CategoryLimitsCard*>(cards_->card(int(Part::limits)));
}
GoalsPlanCard* PlannerView::goalsCard() {
    return static_cast<GoalsPlanCard*>(cards_->card(int(Part::goals)));
}
TemplatesCard* PlannerView::templatesCard() {
    return static_cast<TemplatesCard*>(cards_->card(int(Part::templates)));
}
GameProgressCard* PlannerView::gameCard() {
    return static_cast<GameProgressCard*>(cards_->card(int(Part::game)));
}

void PlannerView::storeChanged() {
    // A hidden planner waits: it redraws when it appears.
    if (isOnTop()) redraw();
}

void PlannerView::redraw() {
    cards_->redraw();
}

void PlannerView::openTool(Tool tool) {
    NavigationStack* stack = navigationStack();
    if (!stack) return;
    NavigationPage* page = nullptr;
    switch (tool) {
        case Tool::wishlist:
            page = screens::wishlist(store_);
            break;
        case Tool::challenges:
            page = screens::challenges(store_);
            break;
        case Tool::debts:
            page = screens::debts(store_);
            break;
        case Tool::calendar:
            page = screens::moneyCalendar(store_, store_.now());
            break;
        case Tool::recurring:
            page = screens::recurring(store_);
            break;
        case Tool::badges:
            page = screens::badges(store_);
            break;
        case Tool::featureCenter:
            page = screens::featureCenter(&store_, FeatureAudience::child);
            break;
    }
    stack->push(page);
}

void PlannerView::openSettings() {
    if (NavigationStack* stack = navigationStack())
        stack->push(screens::settings(store_, appLock_, services_));
}

void PlannerView::presentTemplateEditor() {
    if (sheet_) return;
    sheet_ = Sheet::present(this, new TemplateEditorView(store_));
    if (sheet_) connect(sheet_, &Sheet::dismissed, this, [this] { sheet_ = nullptr; });
}
