#pragma once

#include <QList>
#include <QPointF>
#include <vector>

#include "components/MoneyCard.h"
#include "models/MoneyModels.h"
#include "store/LedgerCalendar.h"

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

// "Последние 7 дней": income and expense bars side by side for each day,
// labelled with the day's narrow weekday in the app's language.
class WeeklyChart : public MoneyCard {
    Q_OBJECT
public:
    explicit WeeklyChart(QWidget* parent = nullptr);
    // `weekly`: 14 rows, income then expense for each of seven days, oldest first.
    void draw(const std::vector<DailyAmount>& weekly, const LedgerCalendar& calendar);

    QChartView* view() const { return view_; }
    QBarSet* incomeSet() const { return income_; }
    QBarSet* expenseSet() const { return expense_; }
    QBarCategoryAxis* dayAxis() const { return days_; }
    QValueAxis* valueAxis() const { return values_; }

private:
    QChart* chart_;
    QChartView* view_;
    QBarSet* income_;
    QBarSet* expense_;
    QBarCategoryAxis* days_;
    QValueAxis* values_;
};

// "Тренд расходов за 30 дней": a smooth line over the daily expense with a
// light area under the same curve, on a date axis.
class TrendChart : public MoneyCard {
    Q_OBJECT
public:
    explicit TrendChart(QWidget* parent = nullptr);
    // `days`: 30 expense rows, oldest first.
    void draw(const std::vector<DailyAmount>& days);

    QChartView* view() const { return view_; }
    QLineSeries* line() const { return line_; }
    QAreaSeries* area() const { return area_; }
    QDateTimeAxis* dateAxis() const { return dates_; }
    QValueAxis* valueAxis() const { return values_; }
    // The points of the curve that fall on the days themselves.
    QList<QPointF> dayPoints() const;

private:
    QChart* chart_;
    QChartView* view_;
    QLineSeries* line_;
    QLineSeries* areaEdge_;
    QAreaSeries* area_;
    QDateTimeAxis* dates_;
    QValueAxis* values_;
};

// A smooth curve through `points` (ascending x) that never overshoots
// between two of them (monotone cubic), with `samples` points per interval;
// the given points are on it at every samples-th index.
QList<QPointF> smoothCurve(const QList<QPointF>& points, int samples);
