#pragma once

#include <optional>

#include "components/NavigationStack.h"
#include "views/analytics/AnalyticsFigures.h"

class AchievementsCard;
class CategoriesCard;
class ComparisonCard;
class InsightsGrid;
class LazyColumn;
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
// only waits). The cards are built as they are scrolled near and keep their
// widgets across redraws; a card built late is drawn from the figures of the
// last redraw, which a change of the store replaces.
class AnalyticsView : public NavigationPage {
    Q_OBJECT
public:
    explicit AnalyticsView(MoneyStore& store, QWidget* parent = nullptr);

    void redraw();
    void openBadges();

    // The cards, built (and drawn) on first use when not yet scrolled near.
    SummaryCards* summaryCards() const;
    InsightsGrid* insightsGrid() const;
    ComparisonCard* comparisonCard() const;
    WeeklyChart* weeklyChart() const;
    TrendChart* trendChart() const;
    CategoriesCard* categoriesCard() const;
    AchievementsCard* achievementsCard() const;
    // How many redraws have run (a hidden page waits for its appearance).
    int redrawCount() const { return redraws_; }

private:
    void changed();
    void addCards();
    const AnalyticsFigures& figures();

    MoneyStore& store_;
    LazyColumn* cards_;
    std::optional<AnalyticsFigures> figures_;  // of the last redraw; none after a change while hidden
    int redraws_ = 0;
};
