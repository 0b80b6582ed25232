#include "views/analytics/AnalyticsCharts.h"

#include <unicode/dtfmtsym.h>

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "components/InViewWatch.h"
#include "services/GlobalPreferences.h"
#include "services/IcuText.h"
#include "views/analytics/AnalyticsStyle.h"

using namespace analytics_style;

namespace {

QChart* quietChart() {
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundVisible(false);
    chart->setPlotAreaBackgroundVisible(false);
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    return chart;
}

QChartView* chartView(QChart* chart, int height, const QString& accessibleName) {
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFixedHeight(height);
    view->setFrameShape(QFrame::NoFrame);
    view->setBackgroundBrush(Qt::NoBrush);
    view->viewport()->setAutoFillBackground(false);
    // The card shows through. A palette does it without a style sheet of the
    // view's own, which Qt would parse and apply for every chart built.
    QPalette clear = view->palette();
    for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Window})
        clear.setColor(role, Qt::transparent);
    view->setPalette(clear);
    view->setAutoFillBackground(false);
    // Read-only: touches and the wheel go on to the page so that it scrolls.
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    view->setAccessibleName(accessibleName);
    return view;
}

QFont labelFont() {
    QFont font = Theme::font(TextStyle::Caption2);
    font.setPixelSize(chartLabelPixelSize);
    return font;
}

void styleAxis(QAbstractAxis* axis) {
    axis->setLabelsFont(labelFont());
    axis->setLabelsBrush(Theme::current().color(ColorRole::SecondaryLabel));
    axis->setGridLineColor(Theme::current().color(ColorRole::Separator));
    axis->setLinePenColor(Theme::current().color(ColorRole::Separator));
}

// From 0 to at least 1, so that a ledger without amounts still draws its
// axis, in a few round steps from 0.
void fitValues(QValueAxis* axis, double largest) {
    const double top = std::max(largest, 1.0);
    const double rough = top / valueSteps;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude * 10;
    for (const double factor : {1.0, 2.0, 2.5, 5.0})
        if (magnitude * factor >= rough) {
            step = magnitude * factor;
            break;
        }
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setRange(0, std::ceil(top / step) * step);
    axis->setLabelFormat(step < 1 ? QStringLiteral("%g") : QStringLiteral("%.0f"));
}

// The standalone narrow weekday names of the app's language, Monday first.
QStringList narrowWeekdays() {
    UErrorCode status = U_ZERO_ERROR;
    icu::DateFormatSymbols symbols(GlobalPreferences::locale(), status);
    int32_t count = 0;
    const icu::UnicodeString* names =
        U_SUCCESS(status)
            ? symbols.getWeekdays(count, icu::DateFormatSymbols::STANDALONE, icu::DateFormatSymbols::NARROW)
            : nullptr;
    QStringList result;
    for (int day = 1; day <= 7; ++day) {
        const int icuIndex = day % 7 + 1;  // ICU counts from Sunday = 1, after an empty slot 0
        result << (names && icuIndex < count ? fromIcu(names[icuIndex]) : QString::number(day));
    }
    return result;
}

// An amount as a chart value; a hand-edited amount beyond a double's range
// stays at its largest finite value.
double plotted(const Decimal& amount) {
    const double value = amount.toDouble();
    if (std::isnan(value)) return 0;
    return std::clamp(value, std::numeric_limits<double>::lowest(), std::numeric_limits<double>::max());
}

// Where a chart card's chart goes: as tall as the chart, painting nothing;
// the chart, once built, fills it edge to edge.
class ChartPlace : public QWidget {
public:
    explicit ChartPlace(int height) {
        setObjectName(QStringLiteral("chartPlace"));
        setFixedHeight(height);
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->setGeometry(rect());
    }
};

}  // namespace

ChartCard::ChartCard(const QString& title, const QString& systemImage, int chartHeight, QWidget* parent)
    : MoneyCard(title, systemImage, nullptr, parent), place_(new ChartPlace(chartHeight)) {
    addWidget(place_);
    new InViewWatch(this, [this](const QRect& inView) {
        if (!view_ && QRect(place_->mapTo(this, QPoint(0, 0)), place_->size()).intersects(inView)) ensureChart();
    });
}

QChartView* ChartCard::view() const {
    ensureChart();
    return view_;
}

void ChartCard::ensureChart() const {
    if (view_) return;
    auto* self = const_cast<ChartCard*>(this);
    self->view_ = self->makeChart();
    self->view_->setParent(place_);
    self->view_->setGeometry(place_->rect());
    self->drawChart();
    if (!place_->isHidden()) self->view_->show();
}

void ChartCard::drawn() {
    if (view_) drawChart();
}

WeeklyChart::WeeklyChart(QWidget* parent)
    : ChartCard(QStringLiteral("Последние 7 дней"), QStringLiteral("chart.bar.xaxis"), weeklyChartHeight, parent) {
    setObjectName(QStringLiteral("weeklyChart"));
}

QChartView* WeeklyChart::makeChart() {
    chart_ = quietChart();
    auto* series = new QBarSeries;
    income_ = new QBarSet(QStringLiteral("Доход"));
    expense_ = new QBarSet(QStringLiteral("Расход"));
    series->append(income_);
    series->append(expense_);
    chart_->addSeries(series);
    days_ = new QBarCategoryAxis;
    days_->setTitleText(QStringLiteral("День"));
    days_->setTitleVisible(false);
    values_ = new QValueAxis;
    values_->setTitleText(QStringLiteral("Сумма"));
    values_->setTitleVisible(false);
    chart_->addAxis(days_, Qt::AlignBottom);
    chart_->addAxis(values_, Qt::AlignRight);
    series->attachAxis(days_);
    series->attachAxis(values_);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    QChartView* view =
        chartView(chart_, weeklyChartHeight, QStringLiteral("График доходов и расходов за последние семь дней"));
    view->setObjectName(QStringLiteral("weeklyChartView"));
    return view;
}

void WeeklyChart::draw(const std::vector<DailyAmount>& weekly, const LedgerCalendar& calendar) {
    weekly_ = weekly;
    calendar_ = calendar;
    drawn();
}

void WeeklyChart::drawChart() {
    const std::vector<DailyAmount>& weekly = weekly_;
    const LedgerCalendar& calendar = calendar_;
    const QStringList weekdays = narrowWeekdays();
    QStringList labels;
    QList<qreal> incomes;
    QList<qreal> expenses;
    double largest = 0;
    // The rows are consecutive days ending today. A day the zone skipped
    // starts where the next one does, so a day is named by its place before
    // today rather than by its first instant.
    const qsizetype days = std::count_if(weekly.begin(), weekly.end(), [](const DailyAmount& row) {
        return row.kind == TransactionKind::income;
    });
    const QDate today = weekly.empty() ? QDate() : calendar.localDate(weekly.back().date);
    for (const DailyAmount& row : weekly) {
        const double value = plotted(row.amount);
        largest = std::max(largest, value);
        if (row.kind == TransactionKind::income) {
            const QDate day = today.addDays(incomes.size() - (days - 1));
            incomes << value;
            // Two days may share a narrow name ("С" for both Wednesday and
            // Saturday); the axis needs distinct texts, so later ones carry
            // invisible zero-width spaces.
            QString label = weekdays.value(day.dayOfWeek() - 1);
            while (labels.contains(label)) label += QChar(0x200B);
            labels << label;
        } else {
            expenses << value;
        }
    }
    if (days_->categories() != labels) {
        days_->clear();
        days_->append(labels);
    }
    for (auto [set, values] : {std::pair{income_, &incomes}, std::pair{expense_, &expenses}}) {
        if (set->count() == values->size()) {
            for (int i = 0; i < values->size(); ++i) set->replace(i, values->at(i));
        } else {
            set->remove(0, set->count());
            set->append(*values);
        }
    }
    fitValues(values_, largest);

    income_->setColor(Theme::current().color(ColorRole::Green));
    income_->setBorderColor(Theme::current().color(ColorRole::Green));
    expense_->setColor(Theme::current().color(ColorRole::Orange));
    expense_->setBorderColor(Theme::current().color(ColorRole::Orange));
    styleAxis(days_);
    styleAxis(values_);
    chart_->legend()->setLabelColor(Theme::current().color(ColorRole::SecondaryLabel));
    chart_->legend()->setFont(labelFont());
}

TrendChart::TrendChart(QWidget* parent)
    : ChartCard(QStringLiteral("Тренд расходов за 30 дней"), QStringLiteral("chart.xyaxis.line"), trendChartHeight,
                parent) {
    setObjectName(QStringLiteral("trendChart"));
}

QChartView* TrendChart::makeChart() {
    chart_ = quietChart();
    areaEdge_ = new QLineSeries;
    area_ = new QAreaSeries(areaEdge_);
    areaEdge_->setParent(area_);  // goes with the area, which the chart owns
    area_->setName(QStringLiteral("Расход"));
    line_ = new QLineSeries;
    line_->setName(QStringLiteral("Расход"));
    chart_->addSeries(area_);
    chart_->addSeries(line_);
    dates_ = new QDateTimeAxis;
    dates_->setTitleText(QStringLiteral("Дата"));
    dates_->setTitleVisible(false);
    dates_->setFormat(QStringLiteral("dd.MM"));
    dates_->setTickCount(trendDateTicks);
    values_ = new QValueAxis;
    values_->setTitleText(QStringLiteral("Расход"));
    values_->setTitleVisible(false);
    chart_->addAxis(dates_, Qt::AlignBottom);
    chart_->addAxis(values_, Qt::AlignRight);
    for (QAbstractSeries* series : std::initializer_list<QAbstractSeries*>{area_, line_}) {
        series->attachAxis(dates_);
        series->attachAxis(values_);
    }
    chart_->legend()->hide();
    QChartView* view =
        chartView(chart_, trendChartHeight, QStringLiteral("График расходов за последние тридцать дней"));
    view->setObjectName(QStringLiteral("trendChartView"));
    return view;
}

void TrendChart::draw(const std::vector<DailyAmount>& days) {
    days_ = days;
    drawn();
}

void TrendChart::drawChart() {
    const std::vector<DailyAmount>& days = days_;
    QList<QPointF> points;
    double largest = 0;
    for (const DailyAmount& day : days) {
        const double value = plotted(day.amount);
        largest = std::max(largest, value);
        // At the day's noon, so that the date labels name the same day in
        // any zone within twelve hours of the ledger's.
        points << QPointF(double(day.date.addSecs(12 * 3600).toMSecsSinceEpoch()), value);
    }
    const QList<QPointF> curve = smoothCurve(points, trendSamplesPerDay);
    line_->replace(curve);
    areaEdge_->replace(curve);
    if (!points.isEmpty())
        dates_->setRange(QDateTime::fromMSecsSinceEpoch(qint64(points.front().x())),
                         QDateTime::fromMSecsSinceEpoch(qint64(points.back().x())));
    fitValues(values_, largest);

    const QColor orange = Theme::current().color(ColorRole::Orange);
    QColor fill = orange;
    fill.setAlphaF(float(trendAreaOpacity));
    area_->setBrush(fill);
    area_->setPen(Qt::NoPen);
    line_->setPen(QPen(orange, trendLineWidth));
    styleAxis(dates_);
    styleAxis(values_);
}

QList<QPointF> TrendChart::dayPoints() const {
    QList<QPointF> result;
    const QList<QPointF> curve = line()->points();
    for (qsizetype i = 0; i < curve.size(); i += trendSamplesPerDay) result << curve[i];
    return result;
}

QList<QPointF> smoothCurve(const QList<QPointF>& points, int samples) {
    const qsizetype n = points.size();
    if (n < 2 || samples < 1) return points;
    // Fritsch–Carlson tangents in index space: zero at a peak or a trough and
    // limited so that no piece overshoots its two ends.
    std::vector<double> delta(n - 1);
    for (qsizetype k = 0; k + 1 < n; ++k) delta[k] = points[k + 1].y() - points[k].y();
    std::vector<double> slope(n);
    slope[0] = delta[0];
    slope[n - 1] = delta[n - 2];
    for (qsizetype k = 1; k + 1 < n; ++k)
        slope[k] = delta[k - 1] * delta[k] <= 0 ? 0 : (delta[k - 1] + delta[k]) / 2;
    for (qsizetype k = 0; k + 1 < n; ++k) {
        if (delta[k] == 0) {
            slope[k] = slope[k + 1] = 0;
            continue;
        }
        const double a = slope[k] / delta[k];
        const double b = slope[k + 1] / delta[k];
        const double s = a * a + b * b;
        if (s > 9) {
            const double t = 3 / std::sqrt(s);
            slope[k] = t * a * delta[k];
            slope[k + 1] = t * b * delta[k];
        }
    }
    QList<QPointF> curve;
    curve.reserve(n * samples);
    for (qsizetype k = 0; k + 1 < n; ++k) {
        const QPointF from = points[k];
        const QPointF to = points[k + 1];
        for (int j = 0; j < samples; ++j) {
            const double t = double(j) / samples;
            const double t2 = t * t;
            const double t3 = t2 * t;
            const double y = (2 * t3 - 3 * t2 + 1) * from.y() + (t3 - 2 * t2 + t) * slope[k] +
                             (-2 * t3 + 3 * t2) * to.y() + (t3 - t2) * slope[k + 1];
            curve << QPointF(from.x() + (to.x() - from.x()) * t, y);
        }
    }
    curve << points.back();
    return curve;
}
