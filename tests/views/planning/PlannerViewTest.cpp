#include "PlannerFixture.h"
#include "components/MoneyFocus.h"
#include "support/FreshPaint.h"
#include "views/PageScrolling.h"
#include "store/DemoLedger.h"
#include "store/LedgerSummary.h"

#include <QTest>

namespace {

using PlannerTest = PlannerFixture;

const QString kFood = QStringLiteral("Еда");

SavingsGoal goal(const QString& id, int amount, std::optional<QDateTime> deadline) {
    return SavingsGoal{id, QStringLiteral("Цель ") + id, Decimal(amount), deadline, std::nullopt};
}

RewardTask task(qint64 completions) {
    RewardTask t;
    t.id = QStringLiteral("t1");
    t.title = QStringLiteral("Помыть посуду");
    t.reward = Decimal(5);
    t.completionCount = completions;
    t.difficulty = 1;
    return t;
}

// Twenty expense categories beyond the defaults, most with a limit and this
// month's spending, one whose name wraps and one drawn from other fonts: more
// rows than a screen holds.
MoneyData manyCategories() {
    MoneyData d = MoneyData::emptyLedger();
    QMap<QString, Decimal> limits;
    for (int i = 0; i < 20; ++i) {
        QString name = QStringLiteral("Категория %1").arg(i, 2, 10, QLatin1Char('0'));
        if (i == 7) name = QStringLiteral("Категория подарков на день рождения бабушки и дедушки в деревне");
        if (i == 13) name = QStringLiteral("Категория 🎮 Ａ");
        MoneyTransaction spent;
        spent.id = QUuid::createUuid();
        spent.kind = TransactionKind::expense;
        spent.amount = Decimal(10 + i);
        spent.category = name;
        spent.date = QDateTime(QDate(2026, 6, 1 + i % 14), QTime(12, 0), QTimeZone::utc());
        d.transactions.push_back(spent);
        if (i % 4 != 3) limits.insert(name, Decimal(20 + 5 * i));
    }
    d.categoryBudgets = limits;
    return d;
}

}  // namespace

TEST_F(PlannerTest, BudgetFieldShowsTheStoredBudgetOnEveryAppearance) {
    show(MoneyData::emptyLedger());
    EXPECT_EQ(view->title(), "Планировщик");
    EXPECT_EQ(budget().field()->text(), "0");
    EXPECT_FALSE(budget().progressLines()->isVisible());
    type(budget().field(), "123");  // not saved: replaced on return
    store->setMonthlyBudget(dec("1500.5"));
    EXPECT_EQ(budget().field()->text(), "123");
    pushAndPop();
    EXPECT_EQ(budget().field()->text(), "1500.5");
}

TEST_F(PlannerTest, SavingTheBudgetReadsUnreadableTextAsZeroAndKeepsTheText) {
    show(MoneyData::emptyLedger());
    const struct {
        const char* typed;
        const char* stored;
    } cases[] = {{"1500,5", "1500.5"}, {"", "0"}, {"abc", "0"}, {"-5", "0"}};
    for (const auto& c : cases) {
        type(budget().field(), QString::fromUtf8(c.typed));
        click(budget().saveButton());
        EXPECT_EQ(store->data().monthlyBudget, dec(c.stored)) << c.typed;
        EXPECT_EQ(budget().field()->text(), QString::fromUtf8(c.typed));
        EXPECT_EQ(budget().progressLines()->isVisible(), dec(c.stored).signum() > 0) << c.typed;
    }
}

TEST_F(PlannerTest, BudgetIsTealAtExactlyTheBudgetAndRedAboveIt) {
    MoneyData d = ledgerWith({expense(60, local(2026, 6, 1, 0, 0)), expense(40, local(2026, 6, 15, 9)),
                              expense(500, local(2026, 5, 31, 23, 59))});  // last month's: not counted
    d.monthlyBudget = Decimal(100);
    show(d);
    EXPECT_EQ(budget().spentLabel()->text(), "Потрачено " + cnyText(100));
    EXPECT_EQ(budget().restLabel()->text(), "Осталось " + cnyText(0));
    EXPECT_EQ(budget().bar()->value(), 1.0);
    EXPECT_EQ(budget().bar()->tint(), Theme::current().color(ColorRole::Teal));
    EXPECT_EQ(budget().safeLabel()->text(), "Безопасно сегодня: " + cnyText(0));

    store->add(TransactionKind::expense, dec("0.01"), kFood, {}, store->now(), {}, false, "Основной");
    EXPECT_EQ(budget().restLabel()->text(), "Перерасход " + cnyText(dec("0.01")));
    EXPECT_EQ(budget().bar()->tint(), Theme::current().color(ColorRole::Red));
}

TEST_F(PlannerTest, ACategoryLimitIsTealWhenSpentExactlyAndRedOnlyAboveIt) {
    MoneyData d = ledgerWith({expense(30, local(2026, 6, 2), kFood), expense(dec("19.99"), local(2026, 6, 3), kFood)});
    d.categoryBudgets = QMap<QString, Decimal>{{kFood, dec("49.99")}};
    show(d);
    const auto expectTint = [&](ColorRole role, const char* when) {
        EXPECT_EQ(limitRow(kFood).bar()->tint(), Theme::current().color(role)) << when;
        EXPECT_EQ(limitRow(kFood).spentLabel()->color(), Theme::current().color(
                      role == ColorRole::Red ? ColorRole::Red : ColorRole::SecondaryLabel)) << when;
    };
    ASSERT_TRUE(limitRow(kFood).progressLines()->isVisible());
    EXPECT_EQ(limitRow(kFood).bar()->value(), 1.0);
    expectTint(ColorRole::Teal, "spent exactly the limit");
    store->add(TransactionKind::expense, dec("0.01"), kFood, {}, store->now(), {}, false, "Основной");
    expectTint(ColorRole::Red, "a cent above it");
}

TEST_F(PlannerTest, CategoriesAreTheDefaultsAndEveryExpenseCategoryInCodePointOrder) {
    MoneyData d = ledgerWith({expense(1, local(2025, 1, 1), "игры"), expense(1, local(2025, 1, 1), "Books"),
                              expense(1, local(2025, 1, 1), "🎮"), expense(1, local(2025, 1, 1), "Ａ"),
                              expense(1, local(2025, 1, 1), kFood), income(1, local(2025, 1, 1))});
    d.transactions.back().category = "Зарплата";  // an income's category is no expense category
    show(d);
    EXPECT_EQ(view->limitsCard()->categories(),
              (QStringList{"Books", "Еда", "Здоровье", "Покупки", "Развлечения", "Счета", "Транспорт",
                           "Учёба", "игры", "Ａ", "🎮"}));
}

TEST_F(PlannerTest, OkSetsALimitAndRemovesItForZeroNegativeAndUnreadableText) {
    show(ledgerWith({expense(30, local(2026, 6, 2))}));
    const struct {
        const char* typed;
        bool kept;
    } cases[] = {{"20", true}, {"0", false}, {"50,5", true}, {"-3", false}, {"12abc", false}};
    for (const auto& c : cases) {
        type(limitRow(kFood).field(), QString::fromUtf8(c.typed));
        click(limitRow(kFood).okButton());
        const auto& limits = store->data().categoryBudgets;
        EXPECT_EQ(limits && limits->contains(kFood), c.kept) << c.typed;
        EXPECT_EQ(limitRow(kFood).progressLines()->isVisible(), c.kept) << c.typed;
        EXPECT_EQ(limitRow(kFood).field()->text(), QString::fromUtf8(c.typed));
    }
    type(limitRow(kFood).field(), "20");
    click(limitRow(kFood).okButton());
    EXPECT_EQ(limitRow(kFood).spentLabel()->text(), "Потрачено " + cnyText(30) + " из " + cnyText(20));
    EXPECT_EQ(limitRow(kFood).spentLabel()->color(), Theme::current().color(ColorRole::Red));
}

TEST_F(PlannerTest, TypedLimitsSurviveStoreChangesAndNewRows) {
    show(MoneyData::emptyLedger());
    CategoryBudgetRow* food = &limitRow(kFood);
    type(food->field(), "77");
    store->add(TransactionKind::expense, Decimal(5), "Кино", {}, store->now(), {}, false, "Основной");
    EXPECT_TRUE(view->limitsCard()->categories().contains("Кино"));
    EXPECT_EQ(&limitRow(kFood), food);
    EXPECT_EQ(food->field()->text(), "77");
    EXPECT_TRUE(food->field()->hasFocus());
    EXPECT_EQ(limitRow("Кино").field()->text(), "0");
}

TEST_F(PlannerTest, AProfileSwitchRefillsEveryLimitField) {
    MoneyData other = MoneyData::emptyLedger();
    other.categoryBudgets = QMap<QString, Decimal>{{kFood, Decimal(75)}};
    writeLedger(zanbeck("accounts/child-2.json"), other);
    show(MoneyData::emptyLedger());
    type(limitRow(kFood).field(), "999");
    type(limitRow("Счета").field(), "5");
    store->activateProfile(ProfileUser{"child-2", "Петя", "petya@family.ru"});
    EXPECT_EQ(limitRow(kFood).field()->text(), "75");
    EXPECT_EQ(limitRow("Счета").field()->text(), "0");
}

// The limits card builds only the rows in view; the others take the height
// their row will take and are built as they are scrolled to, each then the
// row it would have been, where it would have been: the card is as tall, and
// the window shows the same at every step, as with every row built at once.
TEST_F(PlannerTest, LimitRowsAreBuiltWhenScrolledToAndShowWhatRowsBuiltAtOnceShow) {
    const MoneyData d = manyCategories();
    show(d);
    CategoryLimitsCard* card = view->limitsCard();
    const QStringList categories = card->categories();
    ASSERT_EQ(categories.size(), 27);
    const QWidget* viewport = view->body()->viewport();
    const QRect inView(QPoint(0, 0), viewport->size());
    int built = 0;
    for (const QString& category : categories) {
        const CategoryBudgetRow* row = card->builtRow(category);
        built += row ? 1 : 0;
        if (row) EXPECT_TRUE(QRect(row->mapTo(viewport, QPoint(0, 0)), row->size()).intersects(inView)) << category.toStdString();
    }
    EXPECT_GT(built, 0);
    EXPECT_LT(built, 8) << "only the rows in view are built";
    const int lazyHeight = card->height();
    const QList<QImage> lazy = freshpaint::scrolledThrough(*window, *view->body());
    for (const QString& category : categories) EXPECT_NE(card->builtRow(category), nullptr) << category.toStdString();
    EXPECT_EQ(card->height(), lazyHeight);

    show(d);
    for (const QString& category : view->limitsCard()->categories()) view->limitsCard()->row(category);
    settle();
    EXPECT_EQ(view->limitsCard()->height(), lazyHeight);
    const QList<QImage> eager = freshpaint::scrolledThrough(*window, *view->body());
    ASSERT_EQ(eager.size(), lazy.size());
    for (int step = 0; step < lazy.size(); ++step)
        EXPECT_TRUE(freshpaint::difference(lazy[step], eager[step]).isEmpty()) << "step " << step;
}

// A row not built yet has no typed text to keep: built, it shows the limit
// stored then, and a redraw before that builds nothing.
TEST_F(PlannerTest, ALimitRowBuiltLateShowsTheLimitStoredThen) {
    show(manyCategories());
    const QString last = view->limitsCard()->categories().constLast();
    ASSERT_EQ(view->limitsCard()->builtRow(last), nullptr);
    store->setCategoryBudget(last, Decimal(42));
    settle();
    EXPECT_EQ(view->limitsCard()->builtRow(last), nullptr);
    QScrollBar* bar = view->body()->verticalScrollBar();
    for (int guard = 0; guard < 100 && !view->limitsCard()->builtRow(last) && bar->value() < bar->maximum(); ++guard) {
        bar->setValue(bar->value() + view->body()->viewport()->height() / 2);
        settle();
    }
    ASSERT_NE(view->limitsCard()->builtRow(last), nullptr);
    EXPECT_EQ(view->limitsCard()->builtRow(last)->field()->text(), "42");
    EXPECT_TRUE(view->limitsCard()->builtRow(last)->progressLines()->isVisible());
}

TEST_F(PlannerTest, GoalsPlanShowsWhatIsLeftTheDaysAndThePerDayAmount) {
    MoneyData d = ledgerWith({income(40, local(2026, 6, 1))});
    d.goalName = "Главная";
    d.goalAmount = Decimal(30);  // reached by the balance
    d.additionalGoals =
        std::vector<SavingsGoal>{goal("a", 140, local(2026, 6, 18)), goal("b", 40, local(2026, 6, 30)),
                                 goal("c", 50, local(2026, 6, 15, 23)), goal("d", 50, local(2026, 6, 12))};
    show(d);
    ASSERT_EQ(view->goalsCard()->rowCount(), 5);
    const struct {
        Decimal left;
        const char* days;
        std::optional<Decimal> perDay;
    } expected[] = {{0, nullptr, std::nullopt},
                    {100, "3 дн. до срока", dec("33.33")},
                    {0, "15 дн. до срока", Decimal(0)},
                    {10, "0 дн. до срока", std::nullopt},   // due today
                    {10, "0 дн. до срока", std::nullopt}};  // passed
    for (int i = 0; i < 5; ++i) {
        const GoalPlanContent row = goalRow(i);
        EXPECT_EQ(row.left, "Осталось " + cnyText(expected[i].left)) << i;
        EXPECT_EQ(row.days, expected[i].days ? QString::fromUtf8(expected[i].days) : QString()) << i;
        EXPECT_EQ(row.perDay, expected[i].perDay
                                  ? "Нужно откладывать " + cnyText(*expected[i].perDay) + " в день"
                                  : QString())
            << i;
        // Only an additional goal has "Архивировать".
        const QStringList buttons = view->goalsCard()->list()->buttonKeys(view->goalsCard()->keyAt(i));
        EXPECT_EQ(buttons, i > 0 ? QStringList{GoalPlanDelegate::kArchive} : QStringList{}) << i;
    }

    archiveGoal(1);
    EXPECT_EQ(view->goalsCard()->rowCount(), 4);
    EXPECT_EQ(goalRow(1).name, "Цель b");
    EXPECT_TRUE(store->data().additionalGoals->front().isArchived.value_or(false));
}

TEST_F(PlannerTest, FocusLeftByAnArchivedGoalLandsOnNoControlThatMovesMoney) {
    MoneyData d = withDefaults();
    d.additionalGoals = std::vector<SavingsGoal>{goal("a", 140, std::nullopt), goal("b", 40, std::nullopt)};
    show(d);
    window->activateWindow();
    settle();
    const int rows = view->goalsCard()->rowCount();
    ASSERT_GE(rows, 2);
    ASSERT_GT(view->templatesCard()->rowCount(), 0);
    int first = 0;  // the first goal that can be archived
    while (first < rows && !goalRow(first).archivable) ++first;
    ASSERT_LT(first, rows - 1);
    archiveGoal(first);
    ASSERT_EQ(view->goalsCard()->rowCount(), rows - 1);
    // The click leaves the keyboard focus where it was: on nothing that moves money.
    QWidget* focused = QApplication::focusWidget();
    if (focused) EXPECT_FALSE(MoneyFocus::isMarked(focused)) << focused->objectName().toStdString();
    EXPECT_TRUE(view->goalsCard()->list()->focusedButton().isEmpty());
    EXPECT_TRUE(view->templatesCard()->list()->focusedButton().isEmpty());
    // A Space pressed next books no template and archives no other goal.
    QTest::keyClick(focused ? focused : window.get(), Qt::Key_Space);
    settle();
    EXPECT_TRUE(store->data().transactions.empty());
    EXPECT_FALSE(store->data().additionalGoals->at(1).isArchived.value_or(false));
    EXPECT_TRUE(store->data().additionalGoals->at(0).isArchived.value_or(false));
}

TEST_F(PlannerTest, GameProgressTurnsPointsIntoLevels) {
    show(MoneyData::emptyLedger());
    const struct {
        qint64 completions;
        const char *level, *points, *next;
        double bar;
    } cases[] = {{0, "Уровень 1", "0 очков", "До следующего уровня: 100 очков", 0},
                 {25, "Уровень 3", "250 очков", "До следующего уровня: 50 очков", 0.5},
                 // Either side of the first level's end.
                 {9, "Уровень 1", "90 очков", "До следующего уровня: 10 очков", 0.9},
                 {10, "Уровень 2", "100 очков", "До следующего уровня: 100 очков", 0},
                 {-5, "Уровень 1", "0 очков", "До следующего уровня: 100 очков", 0}};  // a hand-edited file
    for (const auto& c : cases) {
        MoneyData d = MoneyData::emptyLedger();
        d.rewardTasks = std::vector<RewardTask>{task(c.completions)};
        store->setData(d);
        EXPECT_EQ(view->gameCard()->levelLabel()->text(), QString::fromUtf8(c.level));
        EXPECT_EQ(view->gameCard()->pointsLabel()->text(), QString::fromUtf8(c.points));
        EXPECT_EQ(view->gameCard()->nextLevelLabel()->text(), QString::fromUtf8(c.next));
        EXPECT_EQ(view->gameCard()->bar()->value(), c.bar);
    }
}

TEST_F(PlannerTest, TemplatesBookAtATapAndDeleteAtOnce) {
    show(MoneyData::emptyLedger());  // a stored empty list: no defaults
    EXPECT_EQ(view->templatesCard()->rowCount(), 0);
    show(withDefaults());
    TemplatesCard& card = *view->templatesCard();
    ASSERT_EQ(card.rowCount(), 3);
    EXPECT_EQ(card.rowAt(0)->detail, "Расход · " + cnyText(15));
    EXPECT_EQ(card.list()->buttonName(card.keyAt(0), TemplateRowDelegate::kApply),
              card.rowAt(0)->title + ", Расход · " + cnyText(15));
    clickRow(card.list(), card.keyAt(0), TemplateRowDelegate::kApply);
    ASSERT_EQ(store->data().transactions.size(), 1u);
    expectBooked(store->data().transactions[0], TransactionKind::expense, Decimal(15), kFood,
                 "Быстрый шаблон", store->now());
    while (card.rowCount() > 0) clickRow(card.list(), card.keyAt(0), TemplateRowDelegate::kDelete);
    EXPECT_EQ(store->data().quickTemplates, std::vector<QuickTemplate>{});
    EXPECT_TRUE(card.newTemplateButton()->isVisible());
    click(card.newTemplateButton());
    ASSERT_TRUE(view->templateSheet());
    EXPECT_TRUE(qobject_cast<TemplateEditorView*>(view->templateSheet()->content()));
    EXPECT_FALSE(Gallery::save(*window, "planner-template-editor").isEmpty());
}

TEST_F(PlannerTest, ToolRowsAndTheSettingsLinkPushTheirScreens) {
    show(MoneyData::emptyLedger());
    const struct {
        QAbstractButton* button;
        const char *page, *title;
    } rows[] = {{view->toolButton(PlannerView::Tool::wishlist), "wishlist", "Желания"},
                {view->toolButton(PlannerView::Tool::challenges), "challenges", "Челленджи"},
                {view->toolButton(PlannerView::Tool::debts), "debts", "Долги"},
                {view->toolButton(PlannerView::Tool::calendar), "moneyCalendar", "Календарь"},
                {view->toolButton(PlannerView::Tool::recurring), "recurring", "Регулярные"},
                {view->toolButton(PlannerView::Tool::badges), "badges", "Медали 0/37"},
                {view->toolButton(PlannerView::Tool::featureCenter), "featureCenterView", "Центр 1.5"},
                {view->settingsLink(), "settingsPage", "Настройки"}};
    for (const auto& row : rows) {
        click(row.button);
        ASSERT_EQ(stack->depth(), 2) << row.page;
        EXPECT_EQ(stack->topPage()->objectName(), row.page);
        EXPECT_EQ(stack->topPage()->title(), QString::fromUtf8(row.title));
        stack->pop();
        settle();
    }
}

TEST_F(PlannerTest, GalleryImages) {
    setPreference("appLanguage", "ru_RU");  // the app's own default, as a user first sees it
    show(MoneyData::emptyLedger());
    expectFitsWidth(view->body());
    EXPECT_FALSE(Gallery::save(*window, "planner-empty").isEmpty());

    MoneyData demo = demoLedger();
    demo.monthlyBudget = Decimal(800);
    demo.categoryBudgets = QMap<QString, Decimal>{{kFood, Decimal(40)}, {"Транспорт", Decimal(500)}};
    show(demo);
    viewtest::scrollThrough(view->body());
    expectFitsWidth(view->body());
    QScrollBar* scroll = view->body()->verticalScrollBar();
    for (const int part : {0, 1, 2, 3}) {
        scroll->setValue(scroll->maximum() * part / 3);
        EXPECT_FALSE(Gallery::save(*window, "planner-demo-" + QString::number(part)).isEmpty());
    }
    demo.monthlyBudget = Decimal(10);
    demo.transactions.push_back(expense(25, local(2026, 6, 14)));
    store->setData(demo);
    scroll->setValue(0);
    EXPECT_FALSE(Gallery::save(*window, "planner-overspent").isEmpty());

    setPreference("appTheme", "dark");
    Theme::current().refresh();
    for (const int part : {0, 2}) {
        scroll->setValue(scroll->maximum() * part / 3);
        EXPECT_FALSE(Gallery::save(*window, "planner-dark-" + QString::number(part)).isEmpty());
    }
}

TEST_F(PlannerTest, ADoubleClickBooksOneTemplateAndArchivesOneGoal) {
    MoneyData d = withDefaults();
    d.additionalGoals = std::vector<SavingsGoal>{goal("a", 140, std::nullopt), goal("b", 40, std::nullopt),
                                                 goal("c", 50, std::nullopt)};
    show(d);
    viewtest::scrollThrough(view->body());
    TemplatesCard& templates = *view->templatesCard();
    ASSERT_TRUE(paintedlist::doubleClickButton(templates.list(), templates.keyAt(0), TemplateRowDelegate::kApply));
    settle();
    EXPECT_EQ(store->data().transactions.size(), 1u);

    // The second click lands where the next goal's button moves up to: it is not archived.
    GoalsPlanCard& goals = *view->goalsCard();
    int first = 0;
    while (!goalRow(first).archivable) ++first;
    ASSERT_TRUE(paintedlist::doubleClickButton(goals.list(), goals.keyAt(first), GoalPlanDelegate::kArchive));
    settle();
    const std::vector<SavingsGoal>& stored = *store->data().additionalGoals;
    EXPECT_TRUE(stored[0].isArchived.value_or(false));
    EXPECT_FALSE(stored[1].isArchived.value_or(false));
    EXPECT_FALSE(stored[2].isArchived.value_or(false));
}

TEST_F(PlannerTest, AStoreChangeMeasuresOnlyTheRowsWhoseContentChanged) {
    MoneyData d = withDefaults();
    d.additionalGoals = std::vector<SavingsGoal>{goal("a", 140, std::nullopt), goal("b", 10, std::nullopt),
                                                 goal("c", 50, std::nullopt)};
    d.transactions = {income(20, local(2026, 6, 1))};
    show(d);
    viewtest::scrollThrough(view->body());
    PaintedList* goals = view->goalsCard()->list();
    PaintedList* templates = view->templatesCard()->list();
    const qint64 goalsMeasured = goals->measureCount();
    const qint64 templatesMeasured = templates->measureCount();
    // 20 → 15: "a" and "c" have more left to save; "b" stays reached.
    store->add(TransactionKind::expense, Decimal(5), kFood, {}, store->now(), {}, false, "Основной");
    settle();
    EXPECT_EQ(goals->measureCount(), goalsMeasured + 2);
    EXPECT_EQ(templates->measureCount(), templatesMeasured);
    EXPECT_EQ(goalRow(0).left, "Осталось " + cnyText(125));
    EXPECT_EQ(goalRow(1).left, "Осталось " + cnyText(0));
}

// The limits card lists the default categories and every category ever spent
// in, once each, in code point order, whether the ledger's equal texts share
// one string (as read from a file) or are separate copies (as built in
// memory), and however many distinct ones there are.
TEST(CategoryLimitsList, EveryExpenseCategoryOnceWhetherItsTextsAreSharedOrNot) {
    const auto reference = [](const MoneyData& data) {
        QSet<QString> all(CategoryLimitsCard::defaultCategories().begin(),
                          CategoryLimitsCard::defaultCategories().end());
        for (const MoneyTransaction& t : data.transactions)
            if (t.kind == TransactionKind::expense) all.insert(t.category);
        QStringList names(all.begin(), all.end());
        std::sort(names.begin(), names.end(), CategoryLimitsCard::codePointLess);
        return names;
    };
    const auto spend = [](TransactionKind kind, const QString& category) {
        MoneyTransaction t;
        t.id = QUuid::createUuid();
        t.kind = kind;
        t.amount = Decimal(1);
        t.category = category;
        t.date = QDateTime(QDate(2026, 6, 1), QTime(12, 0), QTimeZone::utc());
        return t;
    };
    const struct {
        const char* ledger;
        int distinct;
        bool shared;
    } cases[] = {{"empty", 0, true}, {"few, shared", 5, true}, {"few, copies", 5, false},
                 {"many, shared", 150, true}, {"many, copies", 150, false}};
    for (const auto& c : cases) {
        MoneyData data = MoneyData::emptyLedger();
        std::vector<QString> names;
        for (int i = 0; i < c.distinct; ++i) names.push_back(QStringLiteral("Трата %1").arg(i));
        for (int round = 0; round < 3; ++round)
            for (int i = 0; i < c.distinct; ++i) {
                // Copies hold equal characters in separate strings.
                const QString text = c.shared ? names[std::size_t(i)] : QString(names[std::size_t(i)].constData(),
                                                                                 names[std::size_t(i)].size());
                data.transactions.push_back(spend(TransactionKind::expense, text));
                data.transactions.push_back(spend(TransactionKind::income, text + QStringLiteral(" доход")));
            }
        data.transactions.push_back(spend(TransactionKind::expense, CategoryLimitsCard::defaultCategories().front()));
        data.transactions.push_back(spend(TransactionKind::expense, QString()));
        const QueryContext ctx{LedgerCalendar(QTimeZone::utc()), QDateTime::currentDateTimeUtc()};
        const auto spent = ledger::summarize(data, ctx, ledger::LedgerSummary::withCategoryNames).expenseCategoryNames;
        EXPECT_EQ(CategoryLimitsCard::expenseCategories(spent), reference(data)) << c.ledger;
    }
}
