#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>

#include "DashboardFixture.h"
#include "views/PageScrolling.h"
#include "components/Button.h"
#include "components/LazyColumn.h"
#include "components/ContentUnavailableView.h"
#include "components/PageBody.h"
#include "components/ProgressBar.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/TransactionRow.h"
#include "views/features/FeatureCenterView.h"
#include "store/DemoLedger.h"
#include "support/DrawnTransactionRow.h"
#include "support/FitCheck.h"
#include "support/Gallery.h"
#include "views/ledger/DashboardView.h"
#include "views/ledger/dashboard/GoalsCard.h"
#include "views/ledger/dashboard/QuickTemplatesCard.h"
#include "views/ledger/dashboard/TasksCard.h"
#include "support/AccessibleTree.h"
#include "support/PaintedListInput.h"

namespace {

// The dashboard in a window, with the actions it hands up recorded.
class DashboardTest : public DashboardFixture {
protected:
    DashboardView& show() {
        view = new DashboardView(
            *store, haptics, [this](TransactionKind kind) { requestedKinds.push_back(kind); },
            [this] { ++goalRequests; }, [this] { ++taskRequests; });
        stack = &showInWindow(view);
        viewtest::scrollThrough(view->body());
        return *view;
    }

    QString text(const char* name) const {
        auto* label = view->findChild<TextLabel*>(QString::fromUtf8(name));
        return label ? label->text() : QStringLiteral("<missing %1>").arg(QString::fromUtf8(name));
    }
    template <class T = QWidget>
    QList<T*> all(const char* name) const {
        settle();
        return view->findChildren<T*>(QString::fromUtf8(name));
    }
    int dividersIn(const char* cardName) const {
        QWidget* card = view->findChild<QWidget*>(QString::fromUtf8(cardName));
        return card ? int(card->findChildren<Divider*>().size()) : -1;
    }
    // The hairlines painted in the gaps of a painted list: one in every gap
    // between two rows, none after the last.
    static int dividersIn(PaintedList* list) {
        const QImage image = list->grab().toImage();
        int lines = 0;
        for (int r = 1; r < list->rows().size(); ++r) {
            const int top = list->rowRect(list->rows()[r - 1]).bottom() + 1;
            const int bottom = list->rowRect(list->rows()[r]).top();
            const QColor gap = image.pixelColor(list->width() / 2, top);
            for (int y = top; y < bottom; ++y)
                if (image.pixelColor(list->width() / 2, y) != gap) {
                    ++lines;
                    break;
                }
        }
        return lines;
    }

    GoalsCard* goalsCard() const { return static_cast<GoalsCard*>(view->part(DashboardView::Part::goals)); }
    TasksCard* tasksCard() const { return static_cast<TasksCard*>(view->part(DashboardView::Part::tasks)); }
    QuickTemplatesCard* templatesCard() const {
        return static_cast<QuickTemplatesCard*>(view->part(DashboardView::Part::templates));
    }
    // What the painted rows show, in order.
    QList<GoalRowContent> goalRows() const {
        settle();
        QList<GoalRowContent> rows;
        for (const QString& key : goalsCard()->list()->rows()) rows << *goalsCard()->row(key);
        return rows;
    }
    QList<TaskRowContent> taskRows() const {
        settle();
        QList<TaskRowContent> rows;
        for (const QString& key : tasksCard()->list()->rows()) rows << *tasksCard()->row(key);
        return rows;
    }
    std::vector<TemplateTile> tiles() const {
        settle();
        return templatesCard()->tiles();
    }
    template <class Row, class Field>
    static QStringList column(const QList<Row>& rows, Field field) {
        QStringList out;
        for (const Row& row : rows) out << row.*field;
        return out;
    }
    static QStringList amounts(const std::vector<TemplateTile>& tiles) {
        QStringList out;
        for (const TemplateTile& tile : tiles) out << tile.amount;
        return out;
    }
    void clickTile(const QString& key) {
        ASSERT_TRUE(paintedlist::clickButton(templatesCard()->list(), TemplateTileDelegate::kRow, key));
        settle();
    }
    void clickTaskButton(const QString& taskId, const QString& button) {
        ASSERT_TRUE(paintedlist::clickButton(tasksCard()->list(), taskId, button));
        settle();
    }

    DashboardView* view = nullptr;
    NavigationStack* stack = nullptr;
    std::vector<TransactionKind> requestedKinds;
    int goalRequests = 0;
    int taskRequests = 0;
};

MoneyData ledgerWithBudget(const Decimal& budget) {
    MoneyData d = MoneyData::emptyLedger();
    d.monthlyBudget = budget;
    return d;
}

}  // namespace

TEST_F(DashboardTest, MaskingHidesExactlyBalanceBudgetRestAndTemplateAmounts) {
    MoneyData d = ledgerWithBudget(Decimal(500));
    d.quickTemplates.reset();  // the default templates and tasks
    d.rewardTasks.reset();
    d.goalName = "Велосипед";
    d.goalAmount = Decimal(1000);
    d.transactions = {tx(TransactionKind::income, Decimal(300), local(2026, 6, 15, 9)),
                      tx(TransactionKind::expense, dec("45.5"), local(2026, 6, 15, 11))};
    open(d);
    setPreference("hideBalances", true);
    setPreference("currencyCode", "RUB");
    show();

    const QString mask = DashboardView::mask();
    EXPECT_EQ(mask, QString::fromUtf8("••••••"));
    EXPECT_EQ(text("balanceText"), mask);
    EXPECT_EQ(text("budgetText"), "Бюджет: осталось " + mask);
    ASSERT_FALSE(tiles().empty());
    for (const QString& amount : amounts(tiles())) EXPECT_EQ(amount, mask);

    // Everything else shows the real money texts.
    EXPECT_EQ(view->findChild<QWidget*>("balanceCard")->accessibleName(),
              "В копилке " + cnyText(dec("254.5")));
    EXPECT_EQ(text("todayIncome"), cnyText(Decimal(300)));
    EXPECT_EQ(text("todayExpense"), cnyText(dec("45.5")));
    EXPECT_EQ(column(goalRows(), &GoalRowContent::amount), QStringList{cnyText(Decimal(1000))});
    ASSERT_FALSE(taskRows().isEmpty());
    for (const QString& reward : column(taskRows(), &TaskRowContent::reward)) EXPECT_FALSE(reward.contains(mask));
    const QList<TransactionRow*> recent = all<TransactionRow>("recentRow");
    ASSERT_EQ(recent.size(), 2);
    EXPECT_EQ(DrawnTransactionRow::of(*recent[0]).amountText(), QString::fromUtf8("−") + cnyText(dec("45.5")));
    EXPECT_EQ(text("currencyBadge"), "RUB");

    setPreference("hideBalances", false);
    EXPECT_EQ(text("balanceText"), cnyText(dec("254.5")));
    EXPECT_EQ(text("budgetText"), "Бюджет: осталось " + cnyText(dec("454.5")));
    for (const QString& amount : amounts(tiles())) EXPECT_NE(amount, mask);
}

TEST_F(DashboardTest, BudgetRowStatesAtTheLimitAndJustAbove) {
    {
        openEmpty();
        show();
        EXPECT_TRUE(view->findChild<QWidget*>("budgetSection")->isHidden());  // no budget: two rows, no bar
    }
    MoneyData d = ledgerWithBudget(Decimal(100));
    d.transactions = {tx(TransactionKind::expense, Decimal(60), local(2026, 6, 2)),
                      tx(TransactionKind::expense, Decimal(40), local(2026, 6, 14)),
                      tx(TransactionKind::expense, Decimal(999), local(2026, 5, 31, 23, 59))};  // last month
    open(d);
    show();
    auto* bar = view->findChild<ProgressBar*>("budgetBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(view->findChild<QWidget*>("budgetSection")->isHidden());
    EXPECT_DOUBLE_EQ(bar->value(), 1.0);
    EXPECT_EQ(bar->tint(), QColor(Qt::white));
    EXPECT_EQ(text("budgetText"), "Бюджет: осталось " + cnyText(Decimal(0)));

    store->add(TransactionKind::expense, dec("0.01"), "Еда", "", clock.now(), {}, false, "");
    EXPECT_DOUBLE_EQ(bar->value(), 1.0);
    EXPECT_EQ(bar->tint(), Theme::current().color(ColorRole::Red));
    EXPECT_EQ(text("budgetText"), "Бюджет превышен");
    setPreference("hideBalances", true);  // nothing to mask in this line
    EXPECT_EQ(text("budgetText"), "Бюджет превышен");
}

TEST_F(DashboardTest, TodayAndTheMonthRollOverAtTheNextRedraw) {
    MoneyData d = ledgerWithBudget(Decimal(100));
    d.transactions = {tx(TransactionKind::income, Decimal(20), local(2026, 6, 30, 23, 30)),
                      tx(TransactionKind::expense, Decimal(70), local(2026, 6, 30, 8))};
    open(d);
    clock.set(local(2026, 6, 30, 23, 45));
    show();
    EXPECT_EQ(text("todayIncome"), cnyText(Decimal(20)));
    EXPECT_EQ(text("todayExpense"), cnyText(Decimal(70)));
    EXPECT_EQ(text("budgetText"), "Бюджет: осталось " + cnyText(Decimal(30)));

    clock.set(local(2026, 7, 1, 0, 5));     // Berlin's midnight, 22:05 UTC the day before
    setPreference("showSmartTips", false);  // any change redraws
    EXPECT_EQ(text("todayIncome"), cnyText(Decimal(0)));
    EXPECT_EQ(text("todayExpense"), cnyText(Decimal(0)));
    EXPECT_EQ(text("budgetText"), "Бюджет: осталось " + cnyText(Decimal(100)));
}

TEST_F(DashboardTest, GoalsShareTheWholeBalanceAndCanBeDeleted) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalName = "Велосипед";
    d.goalAmount = Decimal(100);
    d.additionalGoals =
        std::vector<SavingsGoal>{{"G-1", "Ноутбук", Decimal(300), std::nullopt, false},
                                 {"G-2", "Старое", Decimal(5), std::nullopt, true}};  // archived
    d.transactions = {tx(TransactionKind::income, Decimal(150), local(2026, 6, 1))};
    open(d);
    show();

    const QList<GoalRowContent> rows = goalRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(column(rows, &GoalRowContent::name), (QStringList{"Велосипед", "Ноутбук"}));
    EXPECT_EQ(rows[0].percentText(), "100% накоплено");
    EXPECT_EQ(rows[1].percentText(), "50% накоплено");
    EXPECT_DOUBLE_EQ(rows[0].fraction, 1.0);
    EXPECT_DOUBLE_EQ(rows[1].fraction, 0.5);
    EXPECT_EQ(rows[1].accessibleName(), "Цель Ноутбук, " + cnyText(Decimal(300)) + ", накоплено 50 процентов");
    // The label reaches a screen reader: the row is an element of that name,
    // and its trash button says which goal it deletes.
    const QList<accessibletree::Element> tree = accessibletree::elements(goalsCard()->list());
    EXPECT_TRUE(tree.contains({QAccessible::ListItem, rows[1].accessibleName()}));
    EXPECT_TRUE(tree.contains({QAccessible::Button, "Удалить цель", rows[1].accessibleName()}));
    EXPECT_EQ(goalsCard()->list()->buttonName("G-1", GoalRowDelegate::kDelete), "Удалить цель");
    EXPECT_EQ(dividersIn(goalsCard()->list()), 1);
    EXPECT_TRUE(view->findChild<QWidget*>("goalsPlaceholder")->isHidden());

    ASSERT_TRUE(paintedlist::clickButton(goalsCard()->list(), "G-1", GoalRowDelegate::kDelete));
    settle();
    EXPECT_EQ(store->goals().size(), 1u);
    EXPECT_EQ(column(goalRows(), &GoalRowContent::name), QStringList{"Велосипед"});
    EXPECT_EQ(dividersIn(goalsCard()->list()), 0);

    // The bar follows the balance within a whole percent as well.
    store->add(TransactionKind::expense, dec("120.9"), "Еда", "", clock.now(), {}, false, "");
    EXPECT_EQ(goalRows()[0].percentText(), "29% накоплено");
    EXPECT_DOUBLE_EQ(goalRows()[0].fraction, 0.291);
    store->add(TransactionKind::income, dec("0.4"), "Подарок", "", clock.now(), {}, false, "");
    EXPECT_EQ(goalRows()[0].percentText(), "29% накоплено");
    EXPECT_DOUBLE_EQ(goalRows()[0].fraction, 0.295);

    // A negative balance leaves every goal at 0.
    store->add(TransactionKind::expense, Decimal(400), "Еда", "", clock.now(), {}, false, "");
    EXPECT_EQ(goalRows()[0].percentText(), "0% накоплено");
}

TEST_F(DashboardTest, EmptyLedgerShowsThePlaceholdersTheTipAndTheNamedTitleAndTheButtonsAskTheRoot) {
    openEmpty();
    show();
    EXPECT_FALSE(Gallery::save(*window, "dashboard-empty").isEmpty());
    EXPECT_EQ(view->title(), "Занбек");
    setPreference("profileName", "Аня");
    EXPECT_EQ(view->title(), "Привет, Аня!");
    setPreference("profileName", "  ");  // blanks are a name too
    EXPECT_EQ(view->title(), "Привет,   !");
    setPreference("profileName", "");
    EXPECT_EQ(view->title(), "Занбек");
    auto* tip = view->findChild<QWidget*>("tipCard");
    EXPECT_FALSE(tip->isHidden());
    EXPECT_EQ(text("tipText"), store->smartTip());
    EXPECT_EQ(tip->accessibleName(), "Совет: " + store->smartTip());
    setPreference("showSmartTips", false);
    EXPECT_TRUE(tip->isHidden());
    setPreference("showSmartTips", true);
    EXPECT_FALSE(tip->isHidden());
    const QList<ContentUnavailableView*> noGoals = all<ContentUnavailableView>("goalsPlaceholder");
    ASSERT_EQ(noGoals.size(), 1);
    EXPECT_EQ(noGoals[0]->titleLabel()->text(), "Добавь первую цель");
    EXPECT_TRUE(goalRows().isEmpty());
    const QList<ContentUnavailableView*> noOperations = all<ContentUnavailableView>("recentPlaceholder");
    ASSERT_EQ(noOperations.size(), 1);
    EXPECT_EQ(noOperations[0]->titleLabel()->text(), "Операций пока нет");
    EXPECT_EQ(noOperations[0]->descriptionLabel()->text(), "Добавь первый доход или расход");
    EXPECT_EQ(dividersIn("recentCard"), 0);
    click(view->findChild<QAbstractButton*>("addGoalButton"));
    click(view->findChild<QAbstractButton*>("addTaskButton"));
    click(view->findChild<QAbstractButton*>("addIncomeButton"));
    click(view->findChild<QAbstractButton*>("addExpenseButton"));
    EXPECT_EQ(goalRequests, 1);
    EXPECT_EQ(taskRequests, 1);
    EXPECT_EQ(requestedKinds,
              (std::vector<TransactionKind>{TransactionKind::income, TransactionKind::expense}));
    EXPECT_TRUE(store->data().transactions.empty());  // the dashboard itself opens nothing
}

TEST_F(DashboardTest, DefaultTemplatesAndTasksOnlyWhileTheDocumentHasNoList) {
    open(MoneyData());  // a document without the optional lists
    show();
    QStringList defaultTemplateIds, defaultTaskIds;
    for (const QuickTemplate& t : MoneyStore::defaultTemplates()) defaultTemplateIds << t.id;
    for (const RewardTask& t : MoneyStore::defaultRewardTasks()) defaultTaskIds << t.id;
    ASSERT_FALSE(defaultTemplateIds.isEmpty());
    ASSERT_FALSE(defaultTaskIds.isEmpty());
    QStringList shownTemplates, shownTasks;
    for (const TemplateTile& tile : tiles()) shownTemplates << tile.templateId;
    shownTasks = column(taskRows(), &TaskRowContent::taskId);
    EXPECT_EQ(shownTemplates, defaultTemplateIds);
    EXPECT_EQ(shownTasks, defaultTaskIds);
    EXPECT_EQ(dividersIn(tasksCard()->list()), defaultTaskIds.size() - 1);

    MoneyData stored = MoneyData::emptyLedger();  // both lists stored empty
    ASSERT_TRUE(stored.quickTemplates && stored.quickTemplates->empty());
    ASSERT_TRUE(stored.rewardTasks && stored.rewardTasks->empty());
    open(stored);
    show();
    EXPECT_TRUE(tiles().empty());
    EXPECT_TRUE(taskRows().isEmpty());
    EXPECT_EQ(text("completedTaskCount"), "Выполнено: 0");  // the header stays
    EXPECT_TRUE(view->findChild<QWidget*>("templatesStrip")->isHidden());
}

TEST_F(DashboardTest, TemplateTileBooksAtOnceAndKeepsTheStrip) {
    MoneyData d = MoneyData::emptyLedger();
    d.quickTemplates =
        std::vector<QuickTemplate>{{"T-1", "Обед", TransactionKind::expense, dec("12.5"), "Еда"},
                                   {"T-2", "Карманные", TransactionKind::income, Decimal(50), "Подарок"}};
    open(d);
    show();
    const std::vector<TemplateTile> shown = tiles();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "Обед");
    EXPECT_EQ(shown[1].title, "Карманные");
    PaintedList* strip = templatesCard()->list();
    EXPECT_EQ(strip->buttonName(TemplateTileDelegate::kRow, shown[1].key), "Карманные");
    const qint64 measured = strip->measureCount();

    clickTile(shown[1].key);
    ASSERT_EQ(store->data().transactions.size(), 1u);
    EXPECT_EQ(store->data().transactions[0].amount, Decimal(50));
    EXPECT_EQ(store->data().transactions[0].kind, TransactionKind::income);
    EXPECT_EQ(text("balanceText"), cnyText(Decimal(50)));
    ASSERT_EQ(all<TransactionRow>("recentRow").size(), 1);
    // The templates did not change, so their tiles (and the strip's scroll) stay.
    EXPECT_EQ(templatesCard()->list(), strip);
    EXPECT_EQ(strip->measureCount(), measured);
}

TEST_F(DashboardTest, TaskRowsShowRewardCountAndDueLine) {
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks = std::vector<RewardTask>{
        {"K-1", "Полить цветы", Decimal(15), 2, std::nullopt, std::nullopt, 3, true},
        {"K-2", "Вынести мусор", Decimal(10), 0, std::nullopt, local(2026, 6, 20, 18), std::nullopt, false}};
    open(d);
    show();
    const QList<TaskRowContent> rows = taskRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(column(rows, &TaskRowContent::title), (QStringList{"Полить цветы", "Вынести мусор"}));
    EXPECT_EQ(column(rows, &TaskRowContent::reward),
              (QStringList{"Награда " + cnyText(Decimal(15)) + " · выполнено 2",
                           "Награда " + cnyText(Decimal(10)) + " · выполнено 0"}));
    EXPECT_TRUE(rows[0].due.isEmpty());  // no due date: no difficulty either
    const QString due = rows[1].due;
    EXPECT_TRUE(due.startsWith("До ")) << due.toStdString();
    EXPECT_TRUE(due.endsWith(" · сложность 1/3")) << due.toStdString();
    EXPECT_EQ(text("completedTaskCount"), "Выполнено: 2");

    EXPECT_EQ(tasksCard()->list()->buttonKeys("K-1"),
              (QStringList{TaskRowDelegate::kDone, TaskRowDelegate::kMore}));
    EXPECT_EQ(tasksCard()->list()->buttonName("K-1", TaskRowDelegate::kMore), "Действия");

    // The menu's one entry deletes at once the task whose "Действия" opened it.
    clickTaskButton("K-1", TaskRowDelegate::kMore);
    auto* menu = view->findChild<QMenu*>("taskMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), "Удалить");
    menu->actions()[0]->trigger();
    menu->close();
    settle();
    EXPECT_EQ(column(taskRows(), &TaskRowContent::title), QStringList{"Вынести мусор"});
    EXPECT_EQ(store->rewardTasksInUse().size(), 1u);
}

TEST_F(DashboardTest, CompletingATaskShowsTheReturnedRewardAndPlaysTheHaptic) {
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks = std::vector<RewardTask>{
        {"K-1", "Полить цветы", dec("15.5"), 0, std::nullopt, std::nullopt, std::nullopt, true}};
    open(d);
    show();
    clickTaskButton("K-1", TaskRowDelegate::kDone);

    ASSERT_TRUE(view->completedTask());
    EXPECT_EQ(view->completedTask()->completionCount, 1);
    Alert* alert = currentAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Задание выполнено!");
    EXPECT_EQ(alert->message(), "+" + cnyText(dec("15.5")) + " добавлено в копилку");
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons()[0].title, "Отлично");
    EXPECT_EQ(haptics.count(Haptics::Feedback::success), 1);
    EXPECT_EQ(view->completionFeedback(), 1);
    // The reward is booked and the row counts the completion.
    EXPECT_EQ(text("balanceText"), cnyText(dec("15.5")));
    EXPECT_EQ(column(taskRows(), &TaskRowContent::reward),
              QStringList{"Награда " + cnyText(dec("15.5")) + " · выполнено 1"});
    EXPECT_EQ(text("completedTaskCount"), "Выполнено: 1");

    alert->press(0);
    settle();
    EXPECT_FALSE(view->completedTask());
    EXPECT_EQ(currentAlert(), nullptr);

    // Without haptics the alert still comes, silently.
    setPreference("hapticsEnabled", false);
    clickTaskButton("K-1", TaskRowDelegate::kDone);
    ASSERT_NE(currentAlert(), nullptr);
    EXPECT_EQ(haptics.count(Haptics::Feedback::success), 1);
    EXPECT_EQ(view->completionFeedback(), 2);
    currentAlert()->press(0);
    settle();

    // A task that is gone: no alert, but the tap still counts and plays.
    setPreference("hapticsEnabled", true);
    view->completeTask("no-such-task");
    settle();
    EXPECT_EQ(currentAlert(), nullptr);
    EXPECT_FALSE(view->completedTask());
    EXPECT_EQ(view->completionFeedback(), 3);
    EXPECT_EQ(haptics.count(Haptics::Feedback::success), 2);
}

TEST_F(DashboardTest, RecentOperationsAreTheFiveNewestInStableOrder) {
    MoneyData d = MoneyData::emptyLedger();
    const QDateTime same = local(2026, 6, 10, 9);
    d.transactions = {tx(TransactionKind::expense, Decimal(1), local(2026, 6, 1), "A"),
                      tx(TransactionKind::expense, Decimal(2), same, "B"),
                      tx(TransactionKind::income, Decimal(3), local(2026, 6, 12), "C"),
                      tx(TransactionKind::expense, Decimal(4), same, "D"),
                      tx(TransactionKind::expense, Decimal(5), local(2026, 6, 14), "E"),
                      tx(TransactionKind::expense, Decimal(6), local(2026, 6, 5), "F")};
    open(d);
    show();
    QStringList categories;
    const QList<TransactionRow*> rows = all<TransactionRow>("recentRow");
    for (TransactionRow* row : rows) categories << row->transaction().category;
    EXPECT_EQ(categories, (QStringList{"E", "C", "B", "D", "F"}));  // "A" is the sixth
    EXPECT_EQ(dividersIn("recentCard"), 4);
    const std::vector<MoneyTransaction> sorted = store->sortedTransactions();
    for (int i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i]->transaction(), sorted[std::size_t(i)]);
    EXPECT_TRUE(all("recentPlaceholder").isEmpty());
}

TEST_F(DashboardTest, SaveErrorAlertIsShownOnceTheDashboardIsOnScreenAndDismissingItClearsTheError) {
    open(MoneyData());
    show();
    breakWrites();
    store->applyTemplate(MoneyStore::defaultTemplates().front().id);
    settle();
    ASSERT_TRUE(store->saveError());
    Alert* alert = currentAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Ошибка сохранения");
    EXPECT_EQ(alert->message(), *store->saveError());
    EXPECT_TRUE(alert->message().startsWith("Не удалось сохранить данные: "));
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons()[0].title, "Хорошо");
    EXPECT_EQ(alert->buttons()[0].role, AlertButton::Role::Cancel);
    EXPECT_EQ(store->data().transactions.size(), 1u);  // the change stays in memory

    click(alert->box()->findChild<QAbstractButton*>("alertButton_0"));
    EXPECT_FALSE(store->saveError());
    EXPECT_EQ(currentAlert(), nullptr);
    view->redraw();  // the alert does not come back on its own
    settle();
    EXPECT_EQ(currentAlert(), nullptr);

    // The next failure brings it back; a later good save takes it away.
    store->applyTemplate(MoneyStore::defaultTemplates().front().id);
    settle();
    ASSERT_NE(currentAlert(), nullptr);
    repairWrites();
    store->applyTemplate(MoneyStore::defaultTemplates().front().id);
    settle();
    EXPECT_FALSE(store->saveError());
    EXPECT_EQ(currentAlert(), nullptr);
    EXPECT_EQ(store->data().transactions.size(), 3u);

    // While another page covers the dashboard the alert waits for it.
    click(view->findChild<QAbstractButton*>("featureSpotlight"));  // the feature center
    ASSERT_EQ(stack->depth(), 2);
    EXPECT_TRUE(qobject_cast<FeatureCenterView*>(stack->topPage()));
    breakWrites();
    store->applyTemplate(MoneyStore::defaultTemplates().front().id);
    settle();
    ASSERT_TRUE(store->saveError());
    EXPECT_EQ(currentAlert(), nullptr);
    stack->pop();
    settle();
    ASSERT_NE(currentAlert(), nullptr);
    EXPECT_EQ(currentAlert()->title(), "Ошибка сохранения");
}

// A ledger file that could not be read is set aside at the first save; the
// dashboard says so once, naming the kept file, and never again once read.
TEST_F(DashboardTest, ALedgerSetAsideIsToldOnceWithTheKeptFilesName) {
    closeWindow();
    writeFile(anonymousFile(), "{\"transactions\": [");
    reopen();
    show();
    settle();
    EXPECT_EQ(currentAlert(), nullptr) << "nothing is set aside before something is written";

    store->add(TransactionKind::expense, Decimal(12), "Еда", "", clock.now(), {}, false, "Основной");
    settle();
    Alert* alert = currentAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), "Новый журнал");
    EXPECT_EQ(QString(alert->message()).remove(QChar(0x200B)),
              "Файл данных повреждён и сохранён как «anonymous.json.unreadable-20260615-100000». "
              "Начат новый журнал.");
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons()[0].title, "Хорошо");
    EXPECT_EQ(FitCheck::problems(*window), QStringList{});
    EXPECT_FALSE(Gallery::save(*window, "dashboard-ledger-set-aside").isEmpty());
    setPreference("appTheme", "dark");
    Theme::current().refresh();
    settle();
    EXPECT_EQ(FitCheck::problems(*window), QStringList{});
    EXPECT_FALSE(Gallery::save(*window, "dashboard-ledger-set-aside-dark").isEmpty());

    click(alert->box()->findChild<QAbstractButton*>("alertButton_0"));
    EXPECT_FALSE(store->ledgerNotice());
    store->add(TransactionKind::expense, Decimal(12), "Еда", "", clock.now(), {}, false, "Основной");
    view->redraw();
    settle();
    EXPECT_EQ(currentAlert(), nullptr);
}

TEST_F(DashboardTest, LargeAmountsShrinkOntoOneLineAndCategoriesWrapBetweenWords) {
    openEmpty();
    const QString builtIn = QStringLiteral("Помог маме/папе с IT и технологиями");
    store->add(TransactionKind::income, dec("123457132.69"), QStringLiteral("Подработка"), {}, clock.now(),
               {}, false, "Основной");
    store->add(TransactionKind::expense, dec("1234.5"), builtIn,
               QStringLiteral("Очень длинная заметка к операции, которая не помещается в строку"),
               clock.now(), {}, false, "Основной");
    show();
    for (const char* name : {"balanceText", "todayIncome"}) {
        auto* label = view->findChild<TextLabel*>(QString::fromUtf8(name));
        ASSERT_NE(label, nullptr);
        const QFont fitted = label->fittedFont();
        EXPECT_LT(fitted.pixelSize(), label->font().pixelSize()) << name;
        EXPECT_GE(fitted.pixelSize() * 2, label->font().pixelSize()) << name;
        // The whole amount on one line: neither wrapped nor elided.
        EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(label->text()), label->contentsRect().width())
            << name;
        EXPECT_EQ(label->height(), QFontMetrics(label->font()).height()) << name;
    }
    const QList<TransactionRow*> rows = all<TransactionRow>("recentRow");
    ASSERT_EQ(rows.size(), 2);
    for (TransactionRow* row : rows) {
        const DrawnTransactionRow drawn = DrawnTransactionRow::of(*row);
        const QString category = row->transaction().category;
        ASSERT_FALSE(drawn.category.isEmpty());
        // No line cut: every line of the category and the second line lie inside the row.
        const int line = QFontMetrics(TransactionRow::categoryFont()).height();
        EXPECT_GE(row->height(), int(drawn.category.size()) * line + TransactionRow::kColumnGap +
                                     QFontMetrics(TransactionRow::detailFont()).height())
            << category.toStdString();
        for (const FitCheck::DrawnText& text : drawn.category + drawn.detail) {
            EXPECT_GE(text.box.top(), -0.5) << text.text.toStdString();
            EXPECT_LE(text.box.bottom(), row->height() + 0.5) << text.text.toStdString();
        }
        // The amount shrinks rather than cut a word of the category: every
        // letter of it is shown (the lines break at spaces or after "/").
        const auto letters = [](QString text) { return text.remove(QRegularExpression(QStringLiteral("\\s"))); };
        EXPECT_EQ(letters(drawn.categoryText()), letters(category));
        EXPECT_FALSE(drawn.categoryText().contains(QChar(0x2026))) << category.toStdString();
        EXPECT_EQ(drawn.amountText(), TransactionRow::signedAmountText(row->transaction()));
    }
    for (const char* scheme : {"light", "dark"}) {
        setPreference("appTheme", scheme);
        view->body()->verticalScrollBar()->setValue(0);
        EXPECT_FALSE(Gallery::save(*window, QStringLiteral("dashboard-large-balance-") + scheme).isEmpty());
        view->body()->verticalScrollBar()->setValue(view->body()->verticalScrollBar()->maximum());
        EXPECT_FALSE(
            Gallery::save(*window, QStringLiteral("dashboard-large-balance-bottom-") + scheme).isEmpty());
    }
}

TEST_F(DashboardTest, CardsBelowTheScreenAreBuiltWhenScrolledToAndShowTheLatestRedraw) {
    MoneyData demo = demoLedger();
    demo.monthlyBudget = Decimal(800);
    // Enough goals that the newest operations start more than a screen below the viewport.
    std::vector<SavingsGoal> goals = demo.additionalGoals.value_or(std::vector<SavingsGoal>{});
    for (int i = 0; i < 12; ++i)
        goals.push_back({QStringLiteral("g%1").arg(i), QStringLiteral("Цель %1").arg(i), Decimal(100 + i),
                         std::nullopt, false});
    demo.additionalGoals = goals;
    open(demo);
    view = new DashboardView(*store, haptics, {}, {}, {});
    stack = &showInWindow(view);
    LazyColumn* column = view->column();
    const int recent = int(DashboardView::Part::recent);
    ASSERT_EQ(column->count(), recent + 1);
    EXPECT_TRUE(column->isBuilt(int(DashboardView::Part::balance)));
    EXPECT_FALSE(column->isBuilt(recent));
    EXPECT_EQ(view->findChild<QWidget*>("recentCard"), nullptr);

    // A change while the card is not built yet is what it shows once built.
    store->add(TransactionKind::income, Decimal(7), QStringLiteral("Подарок"), {}, clock.now().addYears(1), {},
               false, "Основной");
    QScrollBar* bar = view->body()->verticalScrollBar();
    bar->setValue(bar->maximum());
    settle();
    ASSERT_TRUE(column->isBuilt(recent));
    const QList<TransactionRow*> rows = all<TransactionRow>("recentRow");
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(DrawnTransactionRow::of(*rows[0]).categoryText(), QStringLiteral("Подарок"));
    EXPECT_TRUE(rows[0]->isVisible());
}

TEST_F(DashboardTest, GalleryImages) {
    MoneyData demo = demoLedger();
    demo.monthlyBudget = Decimal(800);
    open(demo);
    setPreference("profileName", "Аня");
    show();
    expectFitsWidth(view->body());
    EXPECT_FALSE(Gallery::save(*window, "dashboard-demo").isEmpty());
    view->body()->verticalScrollBar()->setValue(view->body()->verticalScrollBar()->maximum() / 2);
    EXPECT_FALSE(Gallery::save(*window, "dashboard-demo-middle").isEmpty());
    view->body()->verticalScrollBar()->setValue(view->body()->verticalScrollBar()->maximum());
    EXPECT_FALSE(Gallery::save(*window, "dashboard-demo-bottom").isEmpty());
    view->body()->verticalScrollBar()->setValue(0);

    setPreference("hideBalances", true);
    EXPECT_FALSE(Gallery::save(*window, "dashboard-masked").isEmpty());
    setPreference("hideBalances", false);

    setPreference("appTheme", "dark");
    Theme::current().refresh();
    EXPECT_FALSE(Gallery::save(*window, "dashboard-dark").isEmpty());
    view->body()->verticalScrollBar()->setValue(view->body()->verticalScrollBar()->maximum());
    EXPECT_FALSE(Gallery::save(*window, "dashboard-dark-bottom").isEmpty());
}
