#include "views/analytics/AnalyticsView.h"

#include "components/PageBody.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "views/analytics/AchievementsCard.h"
#include "views/analytics/AnalyticsCards.h"
#include "views/analytics/AnalyticsCharts.h"
#include "views/analytics/AnalyticsFigures.h"
#include "views/analytics/AnalyticsStyle.h"
#include "views/shell/ScreenFactories.h"

AnalyticsView::AnalyticsView(MoneyStore& store, QWidget* parent)
    : NavigationPage(QStringLiteral("Аналитика"), parent), store_(store) {
    setObjectName(QStringLiteral("analytics"));
    PageBody* page = body();
    page->setSpacing(Spacing::pageStack);
    summary_ = new SummaryCards;
    insights_ = new InsightsGrid;
    comparison_ = new ComparisonCard;
    weekly_ = new WeeklyChart;
    trend_ = new TrendChart;
    categories_ = new CategoriesCard;
    achievements_ = new AchievementsCard([this] { openBadges(); });
    for (QWidget* part : std::initializer_list<QWidget*>{summary_, insights_, comparison_, weekly_, trend_,
                                                         categories_, achievements_})
        page->addWidget(part);
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

void AnalyticsView::changed() {
    // A hidden page waits: it redraws when it appears.
    if (isOnTop()) redraw();
}

void AnalyticsView::redraw() {
    const AnalyticsFigures figures = analyticsFigures(store_);
    summary_->draw(figures);
    insights_->draw(figures);
    comparison_->draw(figures);
    weekly_->draw(figures.weekly, figures.calendar);
    trend_->draw(figures.thirtyDays);
    categories_->draw(figures.categories);
    achievements_->draw(figures);
    ++redraws_;
}

void AnalyticsView::openBadges() {
    if (NavigationStack* stack = navigationStack()) stack->push(screens::badges(store_));
}
