#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QScrollBar>
#include <QValueAxis>
#include <functional>

#include "components/Button.h"
#include "components/ProgressBar.h"
#include "components/TextLabel.h"
#include "store/DemoLedger.h"
#include "store/LedgerSummary.h"
#include "support/FitCheck.h"
#include "support/FreshPaint.h"
#include "support/Gallery.h"
#include "views/PageScrolling.h"
#include "views/analytics/AchievementsCard.h"
#include "views/analytics/AnalyticsCards.h"
#include "views/analytics/AnalyticsCharts.h"
#include "views/analytics/AnalyticsFigures.h"
#include "views/analytics/AnalyticsView.h"
#include "views/ledger/DashboardFixture.h"

namespace {

class AnalyticsTest : public DashboardFixture {
protected:
    AnalyticsView& show(const MoneyData& data) {
        open(data);
        view = new AnalyticsView(*store);
        stack = &showInWindow(view);
        return *view;
    }
    InsightTile& tile(InsightsGrid::Tile which) const { return *view->insightsGrid()->tile(which); }
    QString tileText(InsightsGrid::Tile which) const { return tile(which).valueLabel()->text(); }
    static QList<qreal> values(QBarSet* set) {
        QList<qreal> result;
        for (int i = 0; i < set->count(); ++i) result << set->at(i);
        return result;
    }

    AnalyticsView* view = nullptr;
    NavigationStack* stack = nullptr;
};

bool inView(const QWidget& widget, const PageBody& body) {
    const QWidget* viewport = body.viewport();
    return QRect(widget.mapTo(viewport, QPoint(0, 0)), widget.size()).intersects(viewport->rect());
}

}  // namespace

TEST_F(AnalyticsTest, EmptyLedgerShowsZeroesFlatChartsAndTheEmptyTexts) {
    show(MoneyData::emptyLedger());
    EXPECT_EQ(view->title(), "Аналитика");
    EXPECT_EQ(view->summaryCards()->incomeLabel()->text(), cnyText(0));
    EXPECT_EQ(view->summaryCards()->expenseLabel()->text(), cnyText(0));
    EXPECT_EQ(tileText(InsightsGrid::savingsRate), "0%");
    EXPECT_EQ(tile(InsightsGrid::savingsRate).color(), ColorRole::Orange);
    EXPECT_EQ(tileText(InsightsGrid::averagePerDay), cnyText(0));
    EXPECT_EQ(tileText(InsightsGrid::operations), "0");
    EXPECT_EQ(tileText(InsightsGrid::topCategory), "—");
    EXPECT_TRUE(view->categoriesCard()->emptyLabel()->isVisible());
    EXPECT_EQ(view->categoriesCard()->rowCount(), 0);
    EXPECT_FALSE(view->comparisonCard()->largestPurchase()->isVisible());

    WeeklyChart* weekly = view->weeklyChart();
    EXPECT_EQ(values(weekly->incomeSet()), QList<qreal>(7, 0));
    EXPECT_EQ(values(weekly->expenseSet()), QList<qreal>(7, 0));
    EXPECT_EQ(weekly->dayAxis()->count(), 7);
    const QList<QPointF> trend = view->trendChart()->dayPoints();
    ASSERT_EQ(trend.size(), 30);
    for (const QPointF& p : trend) EXPECT_EQ(p.y(), 0);
    for (QValueAxis* axis : {weekly->valueAxis(), view->trendChart()->valueAxis()}) {
        EXPECT_EQ(axis->min(), 0);
        EXPECT_GE(axis->max(), 1);
    }

    AchievementsCard* achievements = view->achievementsCard();
    EXPECT_EQ(achievements->rankLabel()->text(), "Новичок");
    EXPECT_EQ(achievements->pointsLabel()->text(), "0 очков наград");
    EXPECT_EQ(achievements->countLabel()->text(), "0/37");
    EXPECT_TRUE(achievements->emptyLabel()->isVisible());
    EXPECT_TRUE(achievements->badgeLines().isEmpty());
}

TEST_F(AnalyticsTest, SavingsRateIsExactAndGreenFromTwenty) {
    show(MoneyData::emptyLedger());
    const struct {
        int income;
        int expense;
        const char* text;
        ColorRole color;
    } months[] = {{100, 80, "20%", ColorRole::Green},
                  {100, 81, "19%", ColorRole::Orange},
                  {100, 71, "29%", ColorRole::Green},
                  {0, 50, "0%", ColorRole::Orange},
                  {100, 140, "-40%", ColorRole::Orange}};
    for (const auto& m : months) {
        MoneyData d = ledgerWith({expense(m.expense, local(2026, 6, 3))});
        if (m.income) d.transactions.push_back(income(m.income, local(2026, 6, 2)));
        store->setData(d);
        EXPECT_EQ(tileText(InsightsGrid::savingsRate), m.text) << m.income << "/" << m.expense;
        EXPECT_EQ(tile(InsightsGrid::savingsRate).color(), m.color) << m.text;
    }
}

TEST_F(AnalyticsTest, AveragePerDayDividesByTheDayOfTheMonth) {
    const struct {
        int day;
        const char* average;
    } cases[] = {{1, "30"}, {15, "2"}};
    for (const auto& c : cases) {
        setNow(local(2026, 6, c.day, 10));
        show(ledgerWith({expense(30, local(2026, 6, 1, 0, 0))}));
        EXPECT_EQ(tileText(InsightsGrid::averagePerDay), cnyText(dec(c.average))) << c.day;
    }
}

// Eleven-digit amounts in the narrow tiles: each money tile draws its whole
// amount (smaller), none cut with "…", light and dark.
TEST_F(AnalyticsTest, MoneyTilesShowLargeAmountsWholeAtThePhonesWidth) {
    setNow(local(2026, 6, 7, 10));
    MoneyData data = ledgerWith({expense(dec("99999999999.99"), local(2026, 6, 1, 9)), income(dec("1"), local(2026, 6, 2))});
    data.monthlyBudget = dec("999999999999.99");
    show(data);
    for (const char* scheme : {"light", "dark"}) {
        setPreference("appTheme", scheme);
        settle();
        for (const InsightsGrid::Tile which : {InsightsGrid::averagePerDay, InsightsGrid::projection, InsightsGrid::safeToday}) {
            TextLabel* value = tile(which).valueLabel();
            ASSERT_GE(value->text().size(), 17) << value->text().toStdString();
            const QList<FitCheck::DrawnText> drawn = FitCheck::drawnTexts(*value);
            ASSERT_EQ(drawn.size(), 1) << value->text().toStdString();
            EXPECT_EQ(drawn.front().text, value->text()) << tile(which).title().toStdString();
            EXPECT_LE(drawn.front().box.right(), value->width() + 1);
        }
        view->body()->ensureWidgetVisible(view->insightsGrid());
        settle();
        EXPECT_FALSE(Gallery::save(*window, QStringLiteral("analytics-large-amounts-") + QString::fromLatin1(scheme)).isEmpty());
    }
}

TEST_F(AnalyticsTest, DifferenceCarriesPlusUnlessNegativeAndLargestPurchaseShows) {
    show(MoneyData::emptyLedger());
    const struct {
        int previous;
        int current;
        QString difference;
    } cases[] = {{50, 50, "+" + cnyText(0)}, {40, 50, "+" + cnyText(10)}, {60, 50, cnyText(-10)}};
    for (const auto& c : cases) {
        store->setData(ledgerWith({expense(c.previous, local(2026, 5, 10)),
                                   expense(c.current, local(2026, 6, 10), QStringLiteral("Игры"))}));
        ComparisonRow* row = view->comparisonCard()->expenseRow();
        EXPECT_EQ(row->differenceLabel()->text(), c.difference) << c.previous;
        EXPECT_EQ(row->previousLabel()->text(), "Было " + cnyText(c.previous));
    }
    EXPECT_TRUE(view->comparisonCard()->largestPurchase()->isVisible());
    EXPECT_EQ(view->comparisonCard()->largestPurchaseLabel()->text(), "Игры · " + cnyText(50));
    EXPECT_EQ(tileText(InsightsGrid::topCategory), "Игры");
}

TEST_F(AnalyticsTest, TopCategoryIsTheLargestSumNotTheLargestPurchaseNorTheMostFrequent) {
    show(MoneyData::emptyLedger());
    // "Еда" sums 50 over two purchases, "Игры" is one purchase of 45, "Кино"
    // has the most purchases (15 over three); the order they were booked in
    // must not matter.
    const auto food = [&](int day) { return expense(25, local(2026, 6, day), QStringLiteral("Еда")); };
    const auto games = [&] { return expense(45, local(2026, 6, 3), QStringLiteral("Игры")); };
    const auto cinema = [&](int day) { return expense(5, local(2026, 6, day), QStringLiteral("Кино")); };
    const std::vector<std::vector<MoneyTransaction>> orders = {
        {food(1), food(2), games(), cinema(4), cinema(5), cinema(6)},
        {games(), cinema(4), food(1), cinema(5), food(2), cinema(6)},
        {cinema(4), cinema(5), cinema(6), games(), food(2), food(1)},
    };
    for (const auto& order : orders) {
        MoneyData d = MoneyData::emptyLedger();
        d.transactions = order;
        store->setData(d);
        EXPECT_EQ(tileText(InsightsGrid::topCategory), "Еда");
    }
}

TEST_F(AnalyticsTest, ExpensesEitherSideOfMidnightLandInTheirOwnBars) {
    setPreference("appLanguage", "ru_RU");
    show(ledgerWith({expense(7, local(2026, 6, 14, 23, 59)), expense(3, local(2026, 6, 15, 0, 0)),
                     income(5, local(2026, 6, 9, 0, 0))}));
    EXPECT_EQ(values(view->weeklyChart()->expenseSet()), (QList<qreal>{0, 0, 0, 0, 0, 7, 3}));
    EXPECT_EQ(values(view->weeklyChart()->incomeSet()), (QList<qreal>{5, 0, 0, 0, 0, 0, 0}));
    // 9 June 2026 is a Tuesday; seven distinct labels although two narrow names repeat.
    const QStringList days = view->weeklyChart()->dayAxis()->categories();
    EXPECT_EQ(days.front(), "В");
    EXPECT_EQ(QSet<QString>(days.begin(), days.end()).size(), 7);
    EXPECT_EQ(view->trendChart()->dayPoints().back().y(), 3);
}

TEST_F(AnalyticsTest, FirstFourUnlockedBadgesAndTheLinkOntoTheSameStack) {
    show(demoLedger());
    const std::vector<MoneyBadge> unlocked = store->unlockedBadges();
    ASSERT_GE(unlocked.size(), 5u);
    AchievementsCard* card = view->achievementsCard();
    EXPECT_EQ(card->badgeLines(),
              (QStringList{unlocked[0].title, unlocked[1].title, unlocked[2].title, unlocked[3].title}));
    EXPECT_EQ(card->countLabel()->text(), QString::number(unlocked.size()) + "/37");
    EXPECT_FALSE(card->emptyLabel()->isVisible());

    click(card->badgesLink());
    EXPECT_EQ(stack->depth(), 2);
    EXPECT_TRUE(stack->topPage()->title().startsWith("Медали"));
    const int redraws = view->redrawCount();
    const QString count = tileText(InsightsGrid::operations);
    store->add(TransactionKind::expense, Decimal(4), QStringLiteral("Еда"), {}, store->now(), {}, false,
               QStringLiteral("Основной"));
    EXPECT_EQ(view->redrawCount(), redraws);  // hidden: waits
    stack->pop();
    settle();
    EXPECT_EQ(tileText(InsightsGrid::operations), QString::number(count.toInt() + 1));
}

// The figures are worked out once per change of the store and shared until
// the next one: a redraw without a change (the theme, the page coming back)
// reads them again, while every change of the ledger, through setData or an
// operation, and a new month on the clock show new figures at once.
TEST_F(AnalyticsTest, SharedFiguresFollowEveryChangeOfTheStoreAndTheDay) {
    show(ledgerWith({expense(30, local(2026, 6, 3)), income(100, local(2026, 6, 2))}));
    const int first = analyticsFiguresComputed(*store);
    EXPECT_EQ(view->summaryCards()->expenseLabel()->text(), cnyText(30));

    Theme::current().refresh();
    stack->push(new NavigationPage(QStringLiteral("Медали")));
    stack->pop();
    settle();
    EXPECT_GT(view->redrawCount(), 1);
    EXPECT_EQ(analyticsFiguresComputed(*store), first) << "no change of the store: the figures are shared";

    const struct {
        std::function<void()> change;
        QString expense;
        QString operations;
    } changes[] = {
        {[&] {
             store->setData(ledgerWith({expense(45, local(2026, 6, 3)), income(100, local(2026, 6, 2))}));
         },
         cnyText(45), "2"},
        {[&] {
             store->add(TransactionKind::expense, Decimal(5), QStringLiteral("Еда"), {}, store->now(), {},
                        false, QStringLiteral("Основной"));
         },
         cnyText(50), "3"},
        {[&] { store->deleteTransactions({store->data().transactions.back().id}); }, cnyText(45), "2"},
    };
    for (const auto& c : changes) {
        c.change();
        EXPECT_EQ(view->summaryCards()->expenseLabel()->text(), c.expense);
        EXPECT_EQ(tileText(InsightsGrid::operations), c.operations);
        EXPECT_EQ(view->achievementsCard()->countLabel()->text(),
                  QString::number(store->unlockedBadges().size()) + "/37");
        EXPECT_EQ(view->achievementsCard()->pointsLabel()->text(),
                  QString::number(store->badgePoints()) + " очков наград");
    }

    setNow(local(2026, 7, 1, 10));  // a new month, the ledger unchanged
    view->redraw();
    EXPECT_EQ(view->summaryCards()->expenseLabel()->text(), cnyText(0));
    EXPECT_EQ(view->comparisonCard()->expenseRow()->previousLabel()->text(), "Было " + cnyText(45));
}

TEST_F(AnalyticsTest, GalleryImages) {
    setPreference("appLanguage", "ru_RU");  // the app's own default, as a user first sees it
    show(MoneyData::emptyLedger());
    viewtest::scrollThrough(view->body());
    expectFitsWidth(view->body());
    EXPECT_FALSE(Gallery::save(*window, "analytics-empty").isEmpty());
    setNow(local(2026, 10, 4, 21));  // the evening of the demo ledger's day
    show(demoLedger());
    viewtest::scrollThrough(view->body());
    expectFitsWidth(view->body());
    QScrollBar* scroll = view->body()->verticalScrollBar();
    for (const int part : {0, 1, 2, 3}) {
        scroll->setValue(scroll->maximum() * part / 3);
        EXPECT_FALSE(Gallery::save(*window, "analytics-demo-" + QString::number(part)).isEmpty());
    }
    setPreference("appTheme", "dark");
    Theme::current().refresh();
    for (const int part : {0, 2}) {
        scroll->setValue(scroll->maximum() * part / 3);
        EXPECT_FALSE(Gallery::save(*window, "analytics-dark-" + QString::number(part)).isEmpty());
    }
}

// The page opens with both charts below the fold: their cards take the
// chart's height from the start and build the chart as it is scrolled to,
// each then the chart it would have been: the window shows the same at every
// step, as with both charts built at once.
TEST_F(AnalyticsTest, ChartsAreBuiltWhenScrolledToAndShowWhatChartsBuiltAtOnceShow) {
    setNow(local(2026, 10, 4, 21));
    show(demoLedger());
    const std::vector<ChartCard*> charts{view->weeklyChart(), view->trendChart()};
    for (ChartCard* chart : charts) {
        ASSERT_FALSE(inView(*chart->findChild<QWidget*>("chartPlace"), *view->body())) << "a chart below the fold";
        EXPECT_FALSE(chart->isChartBuilt()) << chart->objectName().toStdString();
    }
    const int lazyHeight = view->body()->widget()->height();
    const QList<QImage> lazy = freshpaint::scrolledThrough(*window, *view->body());
    for (ChartCard* chart : charts) EXPECT_TRUE(chart->isChartBuilt()) << chart->objectName().toStdString();
    EXPECT_EQ(view->body()->widget()->height(), lazyHeight);

    show(demoLedger());
    for (ChartCard* chart : {static_cast<ChartCard*>(view->weeklyChart()), static_cast<ChartCard*>(view->trendChart())})
        EXPECT_NE(chart->view(), nullptr);
    settle();
    EXPECT_EQ(view->body()->widget()->height(), lazyHeight);
    const QList<QImage> eager = freshpaint::scrolledThrough(*window, *view->body());
    ASSERT_EQ(eager.size(), lazy.size());
    for (int step = 0; step < lazy.size(); ++step)
        EXPECT_TRUE(freshpaint::difference(lazy[step], eager[step]).isEmpty()) << "step " << step;
}

// A chart built after several drawings shows the last of them, as a chart
// built first and drawn the same does.
TEST_F(AnalyticsTest, AChartBuiltLateShowsTheLastValuesItWasGiven) {
    const auto rows = [](int income, int expense) {
        std::vector<DailyAmount> weekly;
        const QDateTime day(QDate(2026, 6, 10), QTime(0, 0), QTimeZone::utc());
        for (int i = 0; i < 7; ++i) weekly.push_back({day.addDays(i), TransactionKind::income, Decimal(income * i)});
        for (int i = 0; i < 7; ++i) weekly.push_back({day.addDays(i), TransactionKind::expense, Decimal(expense + i)});
        return weekly;
    };
    const auto days = [](int expense) {
        std::vector<DailyAmount> thirty;
        const QDateTime day(QDate(2026, 6, 1), QTime(0, 0), QTimeZone::utc());
        for (int i = 0; i < 30; ++i) thirty.push_back({day.addDays(i), TransactionKind::expense, Decimal(expense * (i % 7))});
        return thirty;
    };
    const LedgerCalendar calendar(QTimeZone::utc());
    WeeklyChart eager;
    TrendChart eagerTrend;
    ASSERT_NE(eager.view(), nullptr);
    ASSERT_NE(eagerTrend.view(), nullptr);
    eager.draw(rows(5, 3), calendar);
    eagerTrend.draw(days(4));

    WeeklyChart late;
    TrendChart lateTrend;
    late.draw(rows(1, 1), calendar);
    lateTrend.draw(days(1));
    late.draw(rows(5, 3), calendar);
    lateTrend.draw(days(4));
    EXPECT_FALSE(late.isChartBuilt());
    EXPECT_FALSE(lateTrend.isChartBuilt());
    EXPECT_EQ(values(late.incomeSet()), (QList<qreal>{0, 5, 10, 15, 20, 25, 30}));
    EXPECT_TRUE(late.isChartBuilt());
    EXPECT_EQ(values(late.expenseSet()), values(eager.expenseSet()));
    EXPECT_EQ(late.dayAxis()->categories(), eager.dayAxis()->categories());
    EXPECT_EQ(lateTrend.dayPoints(), eagerTrend.dayPoints());
    for (auto [built, drawnFirst] : {std::pair<QWidget*, QWidget*>{&late, &eager}, {&lateTrend, &eagerTrend}}) {
        for (QWidget* card : {built, drawnFirst}) {
            card->resize(358, card->sizeHint().height());
            card->layout()->activate();
        }
        EXPECT_EQ(built->grab().toImage(), drawnFirst->grab().toImage()) << built->objectName().toStdString();
    }
}

// Cards are built as they are scrolled near: one built late reads the figures
// of the last redraw (never working them out again), and follows the store
// like the others from then on.
TEST_F(AnalyticsTest, CardsBuiltWhileScrollingShareTheFiguresAndFollowTheStore) {
    show(ledgerWith({expense(30, local(2026, 6, 3))}));
    const int computed = analyticsFiguresComputed(*store);
    viewtest::scrollThrough(view->body());
    EXPECT_EQ(analyticsFiguresComputed(*store), computed);
    EXPECT_EQ(view->categoriesCard()->rowCount(), 1);
    store->add(TransactionKind::expense, Decimal(4), QStringLiteral("Игры"), {}, store->now(), {}, false,
               QStringLiteral("Основной"));
    EXPECT_EQ(view->categoriesCard()->rowCount(), 2);
    EXPECT_EQ(view->summaryCards()->expenseLabel()->text(), cnyText(34));
}

// A redraw changes the category rows' texts in place: the same number of
// categories keeps the same row widgets, a shorter list drops its last rows
// and a longer one builds only the new ones; the achievements keep their
// lines while the same badges lead the list.
TEST_F(AnalyticsTest, RedrawsKeepTheCategoryRowsAndBadgeLinesTheyCanReuse) {
    show(ledgerWith({expense(30, local(2026, 6, 3), "Еда"), expense(20, local(2026, 6, 4), "Игры")}));
    CategoriesCard* card = view->categoriesCard();
    const auto rows = [card] { return card->findChildren<QWidget*>(QStringLiteral("categoryRow")); };
    const auto texts = [card](const QString& name) {
        QStringList result;
        for (TextLabel* label : card->findChildren<TextLabel*>(name)) result << label->text();
        return result;
    };
    const QList<QWidget*> before = rows();
    ASSERT_EQ(before.size(), 2);
    const QStringList badgeLines = view->achievementsCard()->badgeLines();
    const QList<SymbolLabel*> lines = view->achievementsCard()->findChildren<SymbolLabel*>("badgeLine");

    const struct {
        std::vector<MoneyTransaction> ledger;
        QStringList names;
        QStringList amounts;
    } steps[] = {
        // The order turns over: the same two rows, new texts.
        {{expense(30, local(2026, 6, 3), "Еда"), expense(45, local(2026, 6, 4), "Игры")},
         {"Игры", "Еда"},
         {cnyText(45), cnyText(30)}},
        {{expense(30, local(2026, 6, 3), "Еда")}, {"Еда"}, {cnyText(30)}},
        {{expense(5, local(2026, 6, 3), "Кино"), expense(6, local(2026, 6, 3), "Еда"),
          expense(7, local(2026, 6, 3), "Книги")},
         {"Книги", "Еда", "Кино"},
         {cnyText(7), cnyText(6), cnyText(5)}},
    };
    for (const auto& step : steps) {
        MoneyData data = MoneyData::emptyLedger();
        data.transactions = step.ledger;
        store->setData(data);
        settle();
        EXPECT_EQ(card->rowCount(), step.names.size());
        EXPECT_EQ(rows().size(), step.names.size());
        EXPECT_EQ(texts("categoryName"), step.names);
        EXPECT_EQ(texts("categoryAmount"), step.amounts);
        // The first row is the same widget throughout.
        EXPECT_EQ(rows().value(0), before.value(0));
    }
    EXPECT_EQ(view->achievementsCard()->badgeLines(), badgeLines);
    EXPECT_EQ(view->achievementsCard()->findChildren<SymbolLabel*>("badgeLine"), lines);
}

// The week chart names each of its seven days, also when the zone skipped one
// of them whole (Samoa left out 30 December 2011): the same names as a week
// of the same weekdays in a zone that skipped none.
TEST(WeeklyChartDays, AWeekWithASkippedDayNamesEveryDayByItsPlace) {
    const auto labels = [](const char* zoneName) {
        const QTimeZone zone(zoneName);
        const LedgerCalendar calendar(zone);
        const QueryContext ctx{calendar, QDateTime(QDate(2012, 1, 2), QTime(18, 0), zone).toUTC()};
        WeeklyChart chart;
        chart.draw(ledger::summarize(MoneyData::emptyLedger(), ctx, ledger::LedgerSummary::withDailyRows).weekly,
                   calendar);
        return chart.dayAxis()->categories();
    };
    const QStringList skipped = labels("Pacific/Apia");
    ASSERT_EQ(skipped.size(), 7);
    EXPECT_EQ(skipped, labels("UTC"));
}
