#include "views/analytics/AnalyticsView.h"

#include "components/LazyColumn.h"
#include "components/PageBody.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/analytics/AchievementsCard.h"
#include "views/analytics/AnalyticsCards.h"
#include "views/analytics/AnalyticsCharts.h"
#include "views/analytics/AnalyticsFigures.h"
#include "views/analytics/AnalyticsStyle.h"
#include "views/shell/ScreenFactories.h"

namespace {

enum Card { summary, insights, comparison, weekly, trend, categories, achievements };

// Adds a card of type C made by `make` and drawn with the page's figures by `draw`.
template <class C, class Make, class Draw>
void addCard(LazyColumn* column, Make make, Draw draw, int estimate) {
    column->addCard([make]() -> QWidget* { return make(); },
                    [draw](QWidget* card) { draw(static_cast<C*>(card)); }, estimate);
}

}  // namespace

AnalyticsView::AnalyticsView(MoneyStore& store, QWidget* parent)
    : NavigationPage(QStringLiteral("Аналитика"), parent), store_(store) {
    setObjectName(QStringLiteral("analytics"));
    PageBody* page = body();
    page->setSpacing(Spacing::pageStack);
    cards_ = LazyColumn::addTo(page);
    addCards();
    page->addSpacing(analytics_style::bottomExtra);

    connect(&store_, &MoneyStore::dataChanged, this, &AnalyticsView::changed);
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key == QLatin1String("currencyCode") || key == QLatin1String("appLanguage")) changed();
    });
    connect(&Theme::current(), &Theme::changed, this, &AnalyticsView::changed);
    // Coming on screen (the tab, or back from the badges) takes the present
    // day, week and month.
    connect(this, &NavigationPage::appeared, this, &AnalyticsView::redraw);
}

void AnalyticsView::addCards() {
    namespace style = analytics_style;
    // Top to bottom.
    addCard<SummaryCards>(
        cards_, [] { return new SummaryCards; }, [this](SummaryCards* card) { card->draw(figures()); },
        style::summaryEstimate);
    addCard<InsightsGrid>(
        cards_, [] { return new InsightsGrid; }, [this](InsightsGrid* card) { card->draw(figures()); },
        style::insightsEstimate);
    addCard<ComparisonCard>(
        cards_, [] { return new ComparisonCard; }, [this](ComparisonCard* card) { card->draw(figures()); },
        style::comparisonEstimate);
    addCard<WeeklyChart>(
        cards_, [] { return new WeeklyChart; },
        [this](WeeklyChart* card) { card->draw(figures().weekly, figures().calendar); },
        style::weeklyEstimate);
    addCard<TrendChart>(
        cards_, [] { return new TrendChart; }, [this](TrendChart* card) { card->draw(figures().thirtyDays); },
        style::trendEstimate);
    addCard<CategoriesCard>(
        cards_, [] { return new CategoriesCard; },
        [this](CategoriesCard* card) { card->draw(figures().categories); }, style::categoriesEstimate);
    addCard<AchievementsCard>(
        cards_, [this] { return new AchievementsCard([this] { openBadges(); }); },
        [this](AchievementsCard* card) { card->draw(figures()); }, style::achievementsEstimate);
}

const AnalyticsFigures& AnalyticsView::figures() {
    if (!figures_) figures_ = analyticsFigures(store_);
    return *figures_;
}

void AnalyticsView::changed() {
    // A hidden page waits: it redraws when it appears.
    if (isOnTop())
        redraw();
    else
        figures_.reset();
}

void AnalyticsView::redraw() {
    figures_ = analyticsFigures(store_);
    cards_->redraw();
    ++redraws_;
}

SummaryCards* AnalyticsView::summaryCards() const {
    return static_cast<SummaryCards*>(cards_->card(summary));
}
InsightsGrid* AnalyticsView::insightsGrid() const {
    return static_cast<InsightsGrid*>(cards_->card(insights));
}
ComparisonCard* AnalyticsView::comparisonCard() const {
    return static_cast<ComparisonCard*>(cards_->card(comparison));
}
WeeklyChart* AnalyticsView::weeklyChart() const { return static_cast<WeeklyChart*>(cards_->card(weekly)); }
TrendChart* AnalyticsView::trendChart() const { return static_cast<TrendChart*>(cards_->card(trend)); }
CategoriesCard* AnalyticsView::categoriesCard() const {
    return static_cast<CategoriesCard*>(cards_->card(categories));
}
AchievementsCard* AnalyticsView::achievementsCard() const {
    return static_cast<AchievementsCard*>(cards_->card(achievements));
}

void AnalyticsView::openBadges() {
    if (NavigationStack* stack = navigationStack()) stack->push(screens::badges(store_));
}
