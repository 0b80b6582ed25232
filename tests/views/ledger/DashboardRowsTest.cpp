// The dashboard's painted rows: goals, money tasks and the one-tap templates.
#include <QScrollArea>
#include <QScrollBar>

#include "DashboardFixture.h"
#include "components/LazyColumn.h"
#include "support/PaintedListInput.h"
#include "views/PageScrolling.h"
#include "views/ledger/DashboardView.h"
#include "views/ledger/dashboard/GoalsCard.h"
#include "views/ledger/dashboard/QuickTemplatesCard.h"
#include "views/ledger/dashboard/TasksCard.h"

namespace {

class DashboardRowsTest : public DashboardFixture {
protected:
    void show(const MoneyData& data) {
        open(data);
        view = new DashboardView(*store, haptics, {}, {}, {});
        showInWindow(view);
        viewtest::scrollThrough(view->body());
    }
    TasksCard* tasks() const { return static_cast<TasksCard*>(view->part(DashboardView::Part::tasks)); }
    GoalsCard* goals() const { return static_cast<GoalsCard*>(view->part(DashboardView::Part::goals)); }
    QuickTemplatesCard* templates() const {
        return static_cast<QuickTemplatesCard*>(view->part(DashboardView::Part::templates));
    }

    static RewardTask task(const QString& id, int reward) {
        return {id, "Задание " + id, Decimal(reward), 0, std::nullopt, std::nullopt, std::nullopt, true};
    }
    static QuickTemplate quick(int i) {
        return {QString::number(i), QStringLiteral("Шаблон №%1").arg(i), TransactionKind::expense, Decimal(i), "Еда"};
    }

    DashboardView* view = nullptr;
};

}  // namespace

TEST_F(DashboardRowsTest, ADoubleClickOnADoneButtonOrATileMovesMoneyOnce) {
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks = std::vector<RewardTask>{task("K-1", 5), task("K-2", 7)};
    d.quickTemplates = std::vector<QuickTemplate>{quick(1), quick(2)};
    show(d);

    ASSERT_TRUE(paintedlist::doubleClickButton(tasks()->list(), "K-1", TaskRowDelegate::kDone));
    settle();
    EXPECT_EQ(store->data().transactions.size(), 1u);
    EXPECT_EQ(store->rewardTasksInUse()[0].completionCount, 1);
    EXPECT_EQ(store->rewardTasksInUse()[1].completionCount, 0);
    if (Alert* alert = OverlayHost::forWindow(window.get())->currentAlert()) alert->press(0);
    settle();

    PaintedList* strip = templates()->list();
    ASSERT_TRUE(paintedlist::doubleClickButton(strip, TemplateTileDelegate::kRow, templates()->tiles()[1].key));
    settle();
    ASSERT_EQ(store->data().transactions.size(), 2u);
    EXPECT_EQ(store->data().transactions[1].amount, Decimal(2));
}

TEST_F(DashboardRowsTest, AChangeOfOneTaskMeasuresOnlyItsRow) {
    MoneyData d = MoneyData::emptyLedger();
    std::vector<RewardTask> list;
    for (int i = 0; i < 12; ++i) list.push_back(task(QString::number(i), i + 1));
    d.rewardTasks = list;
    show(d);
    PaintedList* rows = tasks()->list();
    ASSERT_EQ(rows->rows().size(), 12);
    const qint64 measured = rows->measureCount();

    view->completeTask("4");
    settle();
    EXPECT_EQ(tasks()->row("4")->reward, "Награда " + cnyText(Decimal(5)) + " · выполнено 1");
    EXPECT_EQ(rows->measureCount(), measured + 1);
    // Nothing a task shows changed: nothing is measured again.
    store->add(TransactionKind::expense, Decimal(3), "Еда", {}, clock.now(), {}, false, "");
    settle();
    EXPECT_EQ(rows->measureCount(), measured + 1);
}

TEST_F(DashboardRowsTest, RowsBuiltBelowTheScreenAreMeasuredOnceAtTheWidthTheyShowAt) {
    MoneyData d = MoneyData::emptyLedger();
    std::vector<SavingsGoal> many;
    for (int i = 0; i < 40; ++i)
        many.push_back({QStringLiteral("g%1").arg(i), QStringLiteral("Цель номер %1").arg(i), Decimal(100 + i),
                        std::nullopt, false});
    d.additionalGoals = many;
    std::vector<RewardTask> list;
    for (int i = 0; i < 40; ++i) list.push_back(task(QString::number(i), i + 1));
    d.rewardTasks = list;
    show(d);
    // Each row once, at the list's width: not first at a new widget's default width.
    EXPECT_EQ(goals()->list()->measureCount(), 40);
    EXPECT_EQ(tasks()->list()->measureCount(), 40);
    EXPECT_EQ(goals()->list()->height(), goals()->list()->heightForWidth(goals()->list()->width()));

    // A narrower window measures them again at the new width (the layout asks
    // the list's height there before it resizes it) and keeps them whole.
    window->resize(340, window->height());
    settle();
    EXPECT_GT(goals()->list()->measureCount(), 40);
    EXPECT_LE(goals()->list()->measureCount(), 3 * 40);
    EXPECT_EQ(goals()->list()->height(), goals()->list()->heightForWidth(goals()->list()->width()));
}

TEST_F(DashboardRowsTest, ATileScrolledIntoViewOnTheStripIsTheOneATapBooks) {
    MoneyData d = MoneyData::emptyLedger();
    std::vector<QuickTemplate> list;
    for (int i = 1; i <= 30; ++i) list.push_back(quick(i));
    d.quickTemplates = list;
    show(d);
    QScrollArea* strip = templates()->strip();
    view->body()->ensureWidgetVisible(strip);
    settle();
    ASSERT_GT(templates()->list()->width(), strip->viewport()->width());  // wider than the screen
    strip->horizontalScrollBar()->setValue(strip->horizontalScrollBar()->maximum());
    settle();
    const TemplateTile& last = templates()->tiles().back();
    const QRect tile = templates()->list()->buttonRect(TemplateTileDelegate::kRow, last.key);
    EXPECT_TRUE(strip->viewport()->rect().contains(templates()->list()->mapTo(strip->viewport(), tile.center())));
    ASSERT_TRUE(paintedlist::clickButton(templates()->list(), TemplateTileDelegate::kRow, last.key));
    settle();
    ASSERT_EQ(store->data().transactions.size(), 1u);
    EXPECT_EQ(store->data().transactions[0].amount, Decimal(30));
    EXPECT_EQ(templates()->list()->buttonName(TemplateTileDelegate::kRow, last.key), "Шаблон №30");
}
