#include <QRegularExpression>
#include <limits>

#include "LedgerFixture.h"

namespace {
using K = TransactionKind;

bool isUpperUuidText(const QString& id) {
    static const QRegularExpression re("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    return re.match(id).hasMatch();
}

// The empty ledger with the three default-backed lists absent.
MoneyData withDefaults() {
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks.reset();
    d.quickTemplates.reset();
    d.challenges.reset();
    return d;
}

template <class T>
std::vector<QString> idsOf(const std::vector<T>& list) {
    std::vector<QString> ids;
    for (const T& r : list) ids.push_back(r.id);
    return ids;
}
}  // namespace

// --- goals and settings -------------------------------------------------------------

using GoalOperations = LedgerFixture;

TEST_F(GoalOperations, UpdateSettingsClampsGoalAndLimitButNotTheStartingBalance) {
    MoneyStore& s = openEmpty();
    s.updateSettings(" Мечта ", Decimal(-10), Decimal(-1), Decimal(-10));
    EXPECT_EQ(s.data().goalName, " Мечта ");
    EXPECT_EQ(s.data().goalAmount, Decimal());
    EXPECT_EQ(s.data().dailyLimit, Decimal());
    EXPECT_EQ(s.data().startingBalance, Decimal(-10));
    EXPECT_EQ(saves(), 1);
    s.setMonthlyBudget(Decimal(-5));
    EXPECT_EQ(s.data().monthlyBudget, Decimal());
    s.setMonthlyBudget(dec("250.5"));
    EXPECT_EQ(onDisk()->monthlyBudget, dec("250.5"));
}

TEST_F(GoalOperations, FirstGoalFillsTheMainSlotAndLosesItsDeadline) {
    MoneyStore& s = openEmpty();
    s.addGoal("  Велосипед \n", Decimal(5000), local(2026, 12, 1));
    EXPECT_EQ(s.data().goalName, "Велосипед");
    EXPECT_EQ(s.data().goalAmount, Decimal(5000));
    EXPECT_TRUE(s.data().additionalGoals->empty());

    s.addGoal(" Книга ", Decimal(300), local(2026, 12, 1));
    ASSERT_EQ(s.data().additionalGoals->size(), 1u);
    const SavingsGoal& g = s.data().additionalGoals->front();
    EXPECT_TRUE(isUpperUuidText(g.id)) << g.id.toStdString();
    EXPECT_EQ(g.name, "Книга");
    EXPECT_EQ(g.deadline, local(2026, 12, 1));
    EXPECT_EQ(g.isArchived, false);
    EXPECT_EQ(s.goals().size(), 2u);
    EXPECT_EQ(onDisk(), s.data());
}

TEST_F(GoalOperations, GuardsRefuseBlankNamesAndAmountsNotAboveZero) {
    MoneyStore& s = openEmpty();
    s.addGoal(" \n\t", Decimal(5), std::nullopt);
    s.addGoal("Мяч", Decimal(0), std::nullopt);
    s.addGoal("Мяч", Decimal(-3), std::nullopt);
    EXPECT_EQ(saves(), 0);
    EXPECT_EQ(s.data(), MoneyData::emptyLedger());
}

TEST_F(GoalOperations, DeletingThePrimaryGoalEmptiesTheMainSlot) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalName = "Велосипед";
    d.goalAmount = Decimal(100);
    d.additionalGoals.reset();
    MoneyStore& s = open(d);
    s.deleteGoal("unknown");
    EXPECT_EQ(saves(), 1);                   // saves even when nothing matched
    EXPECT_FALSE(s.data().additionalGoals);  // an absent list stays absent
    s.deleteGoal("primary");
    EXPECT_EQ(s.data().goalName, "");
    EXPECT_EQ(s.data().goalAmount, Decimal());
    s.addGoal("Самокат", Decimal(70), std::nullopt);
    EXPECT_EQ(s.data().goalName, "Самокат");
}

TEST_F(GoalOperations, DeleteRemovesEveryAdditionalGoalWithTheId) {
    MoneyData d = MoneyData::emptyLedger();
    d.additionalGoals = std::vector<SavingsGoal>{{"X", "1", Decimal(1), std::nullopt, false},
                                                 {"Y", "2", Decimal(1), std::nullopt, false},
                                                 {"X", "3", Decimal(1), std::nullopt, false}};
    MoneyStore& s = open(d);
    s.deleteGoal("X");
    EXPECT_EQ(idsOf(*s.data().additionalGoals), std::vector<QString>{"Y"});
}

TEST_F(GoalOperations, ArchiveHidesAnAdditionalGoalButNeverThePrimary) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalAmount = Decimal(10);
    d.additionalGoals = std::vector<SavingsGoal>{{"X", "Мяч", Decimal(1), std::nullopt, std::nullopt}};
    MoneyStore& s = open(d);
    s.archiveGoal("primary");
    s.archiveGoal("x");  // ids are case-sensitive
    EXPECT_EQ(saves(), 0);
    s.archiveGoal("X");
    EXPECT_EQ(saves(), 1);
    EXPECT_EQ(s.data().additionalGoals->front().isArchived, true);
    EXPECT_EQ(idsOf(s.goals()), std::vector<QString>{"primary"});
}

// --- custom categories ------------------------------------------------------------------

using CustomCategories = LedgerFixture;

TEST_F(CustomCategories, AnEqualEntryIsReturnedInItsStoredSpelling) {
    MoneyData d = MoneyData::emptyLedger();
    d.customExpenseCategories = std::vector<QString>{"Игрушки"};
    MoneyStore& s = open(d);
    EXPECT_EQ(s.addCustomCategory("  игрушки ", K::expense), "Игрушки");
    EXPECT_EQ(saves(), 0);
    EXPECT_EQ(s.addCustomCategory("игрушки", K::income), "игрушки");  // each kind has its own list
    EXPECT_EQ(saves(), 1);
    EXPECT_EQ(s.customCategories(K::income), std::vector<QString>{"игрушки"});
}

TEST_F(CustomCategories, NewNamesAreTrimmedAndAppended) {
    MoneyData d = MoneyData::emptyLedger();
    d.customExpenseCategories.reset();
    MoneyStore& s = open(d);
    EXPECT_FALSE(s.addCustomCategory(" \n ", K::expense));
    EXPECT_EQ(saves(), 0);
    EXPECT_EQ(s.addCustomCategory(" кино\n", K::expense), "кино");
    EXPECT_EQ(s.addCustomCategory("Спорт", K::expense), "Спорт");
    EXPECT_EQ(onDisk()->customExpenseCategories, (std::vector<QString>{"кино", "Спорт"}));
}

// --- money tasks -------------------------------------------------------------------------

using TaskOperations = LedgerFixture;

TEST_F(TaskOperations, AddingToAnAbsentListStoresTheDefaultsWithTheNewTask) {
    MoneyStore& s = open(withDefaults());
    s.addTask("  Вынести мусор ", Decimal(5), local(2026, 7, 1), 2, false);
    const auto& tasks = *s.data().rewardTasks;
    ASSERT_EQ(tasks.size(), 3u);
    EXPECT_EQ(tasks[0].id, "starter-clean-floor");
    EXPECT_EQ(tasks[1].id, "starter-it-help");
    EXPECT_TRUE(isUpperUuidText(tasks[2].id));
    EXPECT_EQ(tasks[2].title, "Вынести мусор");
    EXPECT_EQ(tasks[2].completionCount, 0);
    EXPECT_FALSE(tasks[2].lastCompletedAt);
    EXPECT_EQ(tasks[2].dueDate, local(2026, 7, 1));
    EXPECT_EQ(tasks[2].difficulty, 2);
    EXPECT_EQ(tasks[2].isRecurring, false);
    EXPECT_FALSE(s.data().quickTemplates);  // other default lists stay absent
}

TEST_F(TaskOperations, GuardsLeaveAnAbsentListAbsent) {
    MoneyStore& s = open(withDefaults());
    s.addTask("   ", Decimal(5), std::nullopt, 1, true);
    s.addTask("Полить цветы", Decimal(0), std::nullopt, 1, true);
    EXPECT_FALSE(s.completeTask("nope"));
    EXPECT_EQ(saves(), 0);
    EXPECT_FALSE(s.data().rewardTasks);
    EXPECT_TRUE(s.data().transactions.empty());
}

TEST_F(TaskOperations, CompletingPaysTheRewardAndKeepsRepeatableTasks) {
    setNow(local(2026, 6, 15, 14));
    MoneyStore& s = open(withDefaults());
    const auto done = s.completeTask("starter-it-help");
    ASSERT_TRUE(done);
    EXPECT_EQ(done->completionCount, 1);
    EXPECT_EQ(done->lastCompletedAt, s.now());
    EXPECT_EQ(saves(), 1);
    const auto& tasks = *s.data().rewardTasks;
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[1], *done);
    ASSERT_EQ(s.data().transactions.size(), 1u);
    const MoneyTransaction& t = s.data().transactions[0];
    EXPECT_EQ(t.kind, K::income);
    EXPECT_EQ(t.amount, Decimal(20));
    EXPECT_EQ(t.category, "Помог маме/папе с IT и технологиями");
    EXPECT_EQ(t.note, "Выполнено задание");
    EXPECT_EQ(t.date, s.now());
    EXPECT_EQ(t.tags, std::vector<QString>{});
    EXPECT_EQ(t.isFavorite, false);
    EXPECT_EQ(t.wallet, "Основной");
    EXPECT_FALSE(t.receiptFilename);
    EXPECT_EQ(onDisk(), s.data());
}

TEST_F(TaskOperations, OneOffTasksDisappearOnceDoneAndUnmarkedOnesStay) {
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks = std::vector<RewardTask>{
        {"once", "Раз", Decimal(3), 4, std::nullopt, std::nullopt, 1, false},
        {"any", "Всегда", Decimal(1), 0, std::nullopt, std::nullopt, std::nullopt, std::nullopt}};
    MoneyStore& s = open(d);
    const auto once = s.completeTask("once");
    ASSERT_TRUE(once);
    EXPECT_EQ(once->completionCount, 5);
    EXPECT_EQ(idsOf(*s.data().rewardTasks), std::vector<QString>{"any"});
    EXPECT_EQ(s.data().transactions.size(), 1u);
    s.completeTask("any");
    EXPECT_EQ(s.data().rewardTasks->front().completionCount, 1);
    EXPECT_EQ(s.data().transactions.size(), 2u);
}

TEST_F(TaskOperations, CompletionCountSaturates) {
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks = std::vector<RewardTask>{
        {"t", "T", Decimal(1), std::numeric_limits<qint64>::max(), std::nullopt, std::nullopt, 1, true}};
    EXPECT_EQ(open(d).completeTask("t")->completionCount, std::numeric_limits<qint64>::max());
}

TEST_F(TaskOperations, DeleteStoresTheListInUseEvenWithoutAMatch) {
    MoneyStore& s = open(withDefaults());
    s.deleteTask("nothing");
    EXPECT_EQ(saves(), 1);
    EXPECT_EQ(idsOf(*s.data().rewardTasks), (std::vector<QString>{"starter-clean-floor", "starter-it-help"}));
    s.deleteTask("starter-clean-floor");
    s.deleteTask("starter-it-help");
    ASSERT_TRUE(s.data().rewardTasks);
    EXPECT_TRUE(s.data().rewardTasks->empty());
    // An empty stored list hides the defaults for good.
    EXPECT_FALSE(s.completeTask("starter-it-help"));
    EXPECT_TRUE(open(*onDisk()).rewardTasksInUse().empty());
}

// --- category budgets --------------------------------------------------------------------

using CategoryBudgets = LedgerFixture;

TEST_F(CategoryBudgets, ZeroOrNegativeRemovesTheLimitAndTheMapStaysPresent) {
    MoneyData d = MoneyData::emptyLedger();
    d.categoryBudgets.reset();
    MoneyStore& s = open(d);
    s.setCategoryBudget("Еда", Decimal(100));
    s.setCategoryBudget("еда", Decimal(30));
    s.setCategoryBudget("Еда", Decimal(120));
    EXPECT_EQ(s.data().categoryBudgets->value("Еда"), Decimal(120));
    EXPECT_EQ(s.data().categoryBudgets->size(), 2);
    s.setCategoryBudget("Еда", Decimal(0));
    s.setCategoryBudget("еда", Decimal(-5));
    s.setCategoryBudget("Кино", Decimal(-5));
    ASSERT_TRUE(s.data().categoryBudgets);
    EXPECT_TRUE(s.data().categoryBudgets->isEmpty());
    EXPECT_EQ(saves(), 6);
    EXPECT_EQ(onDisk()->categoryBudgets, (QMap<QString, Decimal>()));
}

// --- quick templates ------------------------------------------------------------------------

using TemplateOperations = LedgerFixture;

TEST_F(TemplateOperations, TitleIsNotTrimmedButMustNotBeEmpty) {
    MoneyStore& s = openEmpty();
    s.addTemplate("", K::expense, Decimal(1), "Еда");
    s.addTemplate("Сок", K::expense, Decimal(0), "Еда");
    EXPECT_EQ(saves(), 0);
    s.addTemplate(" ", K::income, Decimal(1), "");
    ASSERT_EQ(s.data().quickTemplates->size(), 1u);
    EXPECT_EQ(s.data().quickTemplates->front().title, " ");
    EXPECT_TRUE(isUpperUuidText(s.data().quickTemplates->front().id));
}

TEST_F(TemplateOperations, ApplyingADefaultTemplateBooksItAndStoresNoList) {
    setNow(local(2026, 6, 15, 14));
    MoneyStore& s = open(withDefaults());
    s.applyTemplate("template-snack");
    EXPECT_FALSE(s.data().quickTemplates);
    ASSERT_EQ(s.data().transactions.size(), 1u);
    const MoneyTransaction& t = s.data().transactions[0];
    EXPECT_EQ(t.kind, K::expense);
    EXPECT_EQ(t.amount, Decimal(15));
    EXPECT_EQ(t.category, "Еда");
    EXPECT_EQ(t.note, "Быстрый шаблон");
    EXPECT_EQ(t.date, s.now());
    EXPECT_EQ(t.wallet, "Основной");
    EXPECT_EQ(t.isFavorite, false);
    EXPECT_EQ(t.tags, std::vector<QString>{});
    EXPECT_EQ(saves(), 1);
    s.applyTemplate("template-unknown");
    EXPECT_EQ(saves(), 1);
}

TEST_F(TemplateOperations, DeletingFromTheDefaultsStoresTheRest) {
    MoneyStore& s = open(withDefaults());
    s.deleteTemplate("template-transport");
    EXPECT_EQ(idsOf(*s.data().quickTemplates), (std::vector<QString>{"template-snack", "template-help"}));
    s.deleteTemplate("template-snack");
    s.deleteTemplate("template-help");
    EXPECT_TRUE(s.data().quickTemplates->empty());
    s.applyTemplate("template-snack");  // an empty stored list finds nothing
    EXPECT_TRUE(s.data().transactions.empty());
}

// --- wishes ---------------------------------------------------------------------------------

using WishOperations = LedgerFixture;

TEST_F(WishOperations, ContributionsStopAtThePrice) {
    setNow(local(2026, 6, 15, 14));
    MoneyData d = MoneyData::emptyLedger();
    d.wishes.reset();
    MoneyStore& s = open(d);
    s.addWish("  ", Decimal(100));
    s.addWish("Наушники", Decimal(0));
    EXPECT_FALSE(s.data().wishes);
    s.addWish(" Наушники ", Decimal(100));
    const QString id = s.data().wishes->front().id;
    EXPECT_EQ(s.data().wishes->front(), (WishItem{id, "Наушники", Decimal(100), Decimal(), s.now(), false}));

    s.contributeToWish(id, Decimal(90));
    EXPECT_FALSE(s.data().wishes->front().isCompleted);
    s.contributeToWish(id, Decimal(50));
    EXPECT_EQ(s.data().wishes->front().savedAmount, Decimal(100));
    EXPECT_TRUE(s.data().wishes->front().isCompleted);
    s.contributeToWish(id, Decimal(5));
    EXPECT_EQ(s.data().wishes->front().savedAmount, Decimal(100));
    EXPECT_EQ(s.balance(), Decimal());  // no transaction is booked

    const int before = saves();
    s.contributeToWish(id, Decimal(0));
    s.contributeToWish(id, Decimal(-1));
    s.contributeToWish("other", Decimal(1));
    EXPECT_EQ(saves(), before);
}

TEST_F(WishOperations, DeleteStoresAnAbsentListAsEmpty) {
    MoneyData d = MoneyData::emptyLedger();
    d.wishes.reset();
    MoneyStore& s = open(d);
    s.deleteWish("x");
    EXPECT_EQ(saves(), 1);
    EXPECT_EQ(s.data().wishes, std::vector<WishItem>{});
}

// --- debts ----------------------------------------------------------------------------------

using DebtOperations = LedgerFixture;

TEST_F(DebtOperations, PersonIsTrimmedAndTheNoteKeptAsGiven) {
    MoneyStore& s = openEmpty();
    s.addDebt(" ", Decimal(5), DebtDirection::iOwe, "", std::nullopt);
    s.addDebt("Петя", Decimal(0), DebtDirection::iOwe, "", std::nullopt);
    EXPECT_EQ(saves(), 0);
    s.addDebt(" Петя ", dec("7.5"), DebtDirection::iOwe, " за обед ", local(2026, 7, 1));
    const DebtRecord& debt = s.data().debts->front();
    EXPECT_EQ(debt.person, "Петя");
    EXPECT_EQ(debt.note, " за обед ");
    EXPECT_EQ(debt.dueDate, local(2026, 7, 1));
    EXPECT_FALSE(debt.isSettled);
    EXPECT_EQ(s.totalIOwe(), dec("7.5"));

    s.settleDebt("missing");
    EXPECT_EQ(saves(), 1);
    s.settleDebt(debt.id);
    EXPECT_TRUE(s.data().debts->front().isSettled);
    EXPECT_TRUE(s.debts().empty());
    EXPECT_EQ(s.data().debts->size(), 1u);
}

// --- challenges ----------------------------------------------------------------------------

using ChallengeOperations = LedgerFixture;

TEST_F(ChallengeOperations, AddingToAnAbsentListStoresTheDefaultsToo) {
    setNow(local(2026, 6, 15, 14));
    MoneyStore& s = open(withDefaults());
    s.addChallenge(" ", ChallengeKind::habit, Decimal(3), local(2026, 7, 1));
    s.addChallenge("Бег", ChallengeKind::habit, Decimal(0), local(2026, 7, 1));
    EXPECT_FALSE(s.data().challenges);
    s.addChallenge(" Бег ", ChallengeKind::habit, Decimal(10), local(2026, 7, 1));
    const auto& list = *s.data().challenges;
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].id, "challenge-no-sweets");
    EXPECT_EQ(list[1].title, "Накопить 500 CNY");
    EXPECT_EQ(list[2].title, "Бег");
    EXPECT_EQ(list[2].startDate, s.now());
    EXPECT_EQ(list[2].endDate, local(2026, 7, 1));
    EXPECT_EQ(list[2].progress, Decimal());
    EXPECT_FALSE(list[2].isCompleted);
}

TEST_F(ChallengeOperations, AdvancingADefaultChallengeStoresTheListAndCaps) {
    MoneyStore& s = open(withDefaults());
    s.advanceChallenge("challenge-save-500", Decimal(0));
    s.advanceChallenge("challenge-save-500", Decimal(-5));
    s.advanceChallenge("unknown", Decimal(5));
    EXPECT_EQ(saves(), 0);
    EXPECT_FALSE(s.data().challenges);
    s.advanceChallenge("challenge-save-500", Decimal(499));
    ASSERT_TRUE(s.data().challenges);
    EXPECT_FALSE((*s.data().challenges)[1].isCompleted);
    s.advanceChallenge("challenge-save-500", Decimal(2));
    EXPECT_EQ((*s.data().challenges)[1].progress, Decimal(500));
    EXPECT_TRUE((*s.data().challenges)[1].isCompleted);
    EXPECT_EQ((*s.data().challenges)[0].progress, Decimal());
}

// --- recurring operations --------------------------------------------------------------------

using RecurringOperations = LedgerFixture;

TEST_F(RecurringOperations, GuardsTestTheTextsUntrimmed) {
    MoneyData d = MoneyData::emptyLedger();
    d.recurringTransactions.reset();
    MoneyStore& s = open(d);
    s.addRecurring("", K::expense, Decimal(1), "Еда", RecurringFrequency::weekly, local(2026, 7, 1));
    s.addRecurring("Кино", K::expense, Decimal(1), "", RecurringFrequency::weekly, local(2026, 7, 1));
    s.addRecurring("Кино", K::expense, Decimal(0), "Еда", RecurringFrequency::weekly, local(2026, 7, 1));
    EXPECT_EQ(saves(), 0);
    s.addRecurring(" ", K::expense, Decimal(1), " ", RecurringFrequency::monthly, local(2026, 7, 1));
    ASSERT_EQ(s.data().recurringTransactions->size(), 1u);
    EXPECT_EQ(s.data().recurringTransactions->front().title, " ");
    EXPECT_TRUE(s.data().recurringTransactions->front().isActive);
}

TEST_F(RecurringOperations, AddingAPastItemBooksNothingUntilTheNextOpen) {
    setNow(local(2026, 6, 15, 14));
    MoneyStore& s = openEmpty();
    s.addRecurring("Карманные", K::income, Decimal(50), "Подарок", RecurringFrequency::weekly,
                   local(2026, 6, 1, 9));
    EXPECT_TRUE(s.data().transactions.empty());
    MoneyStore& reopened = open(*onDisk());
    EXPECT_EQ(reopened.data().transactions.size(), 3u);  // 1, 8 and 15 June
}

TEST_F(RecurringOperations, ToggleFlipsActiveAndKeepsTheNextDate) {
    MoneyStore& s = openEmpty();
    s.addRecurring("Кино", K::expense, Decimal(1), "Досуг", RecurringFrequency::monthly, local(2026, 7, 1));
    const RecurringTransaction before = s.data().recurringTransactions->front();
    s.toggleRecurring(before.id);
    EXPECT_FALSE(s.data().recurringTransactions->front().isActive);
    EXPECT_EQ(s.data().recurringTransactions->front().nextDate, before.nextDate);
    s.toggleRecurring(before.id);
    EXPECT_TRUE(s.data().recurringTransactions->front().isActive);
    const int count = saves();
    s.toggleRecurring("missing");
    EXPECT_EQ(saves(), count);
}
