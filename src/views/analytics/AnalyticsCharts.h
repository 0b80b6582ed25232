#pragma once

#include <QList>
#include <QPointF>
#include <vector>

#include "components/MoneyCard.h"
#include "models/MoneyModels.h"
#include "store/LedgerCalendar.h"

class QAbstractScrollArea;
class QAreaSeries;
class QBarCategoryAxis;
class QBarSet;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

// The two charts of the analytics screen. Each keeps its chart, series and
// axes for its whole life and only replaces their values when drawn again;
// nothing is animated. Colours follow the theme at each drawing.
//
// A chart (its view, scene, axes and their layout) costs more than the rest
// of the tab, and the page opens with both below the fold: a chart card is
// built with a place of the chart's exact height that paints nothing, and its
// chart is built when that place comes into view (or something asks for the
// chart), drawn with what the card was last given. The card measures and
// paints the same before and after.
class ChartCard : public MoneyCard {
    Q_OBJECT
public:
    // The chart's view, built (and drawn) now if it was not yet.
    QChartView* view() const;
    bool isChartBuilt() const { return view_ != nullptr; }

protected:
    ChartCard(const QString& title, const QString& systemImage, int chartHeight, QWidget* parent);
    // Builds the chart, its series and axes, and returns its view.
    virtual QChartView* makeChart() = 0;
    // Shows what the card was last given on the built chart.
    virtual void drawChart() = 0;
    // The card was given new values: drawn now if the chart is built, else when it is.
    void drawn();
    void ensureChart() const;

private:
    QWidget* place_;
    QChartView* view_ = nullptr;
};

// "Последние 7 дней": income and expense bars side by side for each day,
// labelled with the day's narrow weekday in the app's language.
class WeeklyChart : public ChartCard {
    Q_OBJECT
public:
    explicit WeeklyChart(QWidget* parent = nullptr);
    // `weekly`: 14 rows, income then expense for each of seven days, oldest first.
    void draw(const std::vector<DailyAmount>& weekly, const LedgerCalendar& calendar);

    QBarSet* incomeSet() const { return ensureChart(), income_; }
    QBarSet* expenseSet() const { return ensureChart(), expense_; }
    QBarCategoryAxis* dayAxis() const { return ensureChart(), days_; }
    QValueAxis* valueAxis() const { return ensureChart(), values_; }

protected:
    QChartView* makeChart() override;
    void drawChart() override;

private:
    std::vector<DailyAmount> weekly_;
    LedgerCalendar calendar_{QTimeZone::utc()};
    QChart* chart_ = nullptr;
    QBarSet* income_ = nullptr;
    QBarSet* expense_ = nullptr;
    QBarCategoryAxis* days_ = nullptr;
    QValueAxis* values_ = nullptr;
};

// "Тренд расходов за 30 дней": a smooth line over the daily expense with a
// light area under the same curve, on a date axis.
class TrendChart : public ChartCard {
    Q_OBJECT
public:
    explicit TrendChart(QWidget* parent = nullptr);
    // `days`: 30 expense rows, oldest first.
    void draw(const std::vector<DailyAmount>& days);

    QLineSeries* line() const { return ensureChart(), line_; }
    QAreaSeries* area() const { return ensureChart(), area_; }
    QDateTimeAxis* dateAxis() const { return ensureChart(), dates_; }
    QValueAxis* valueAxis() const { return ensureChart(), values_; }
    // The points of the curve that fall on the days themselves.
    QList<QPointF> dayPoints() const;

protected:
    QChartView* makeChart() override;
    void drawChart() override;

private:
    std::vector<DailyAmount> days_;
    QChart* chart_ = nullptr;
    QLineSeries* line_ = nullptr;
    QLineSeries* areaEdge_ = nullptr;
    QAreaSeries* area_ = nullptr;
    QDateTimeAxis* dates_ = nullptr;
    QValueAxis* values_ = nullptr;
};

// A smooth curve through `points` (ascending x) that never overshoots
// between two of them (monotone cubic), with `samples` points per interval;
// the given points are on it at every samples-th index.
QList<QPointF> smoothCurve(const QList<QPointF>& points, int samples);
