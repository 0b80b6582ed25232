#pragma once

#include "components/NavigationStack.h"

class AchievementsCard;
class CategoriesCard;
class ComparisonCard;
class InsightsGrid;
class MoneyStore;
class SummaryCards;
class TrendChart;
class WeeklyChart;

// The "Аналитика" tab, also pushed by the feature center: this month's
// totals, six insight tiles, the comparison with last month, the 7-day and
// 30-day charts, expenses by category and the achievements, with the link
// that pushes the badges screen onto the same stack. It changes nothing.
//
// Every figure is read from the store with "now" taken at each redraw: on
// every store change and on a change of the currency, the language or the
// theme while the page is on screen, and each time it appears (while hidden it
// only waits). The cards and charts keep their widgets across redraws.
class AnalyticsView : public NavigationPage {
    Q_OBJECT
public:
    explicit AnalyticsView(MoneyStore& store, QWidget* parent = nullptr);

    void redraw();
    void openBadges();

    SummaryCards* summaryCards() const { return summary_; }
    InsightsGrid* insightsGrid() const { return insights_; }
    ComparisonCard* comparisonCard() const { return comparison_; }
    WeeklyChart* weeklyChart() const { return weekly_; }
    TrendChart* trendChart() const { return trend_; }
    CategoriesCard* categoriesCard() const { return categories_; }
    AchievementsCard* achievementsCard() const { return achievements_; }
    // How many redraws have run (a hidden page waits for its appearance).
    int redrawCount() const { return redraws_; }

private:
    void changed();

    MoneyStore& store_;
    SummaryCards* summary_;
    InsightsGrid* insights_;
    ComparisonCard* comparison_;
    WeeklyChart* weekly_;
    TrendChart* trend_;
    CategoriesCard* categories_;
    AchievementsCard* achievements_;
    int redraws_ = 0;
};
