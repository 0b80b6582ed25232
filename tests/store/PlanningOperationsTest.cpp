#include <QRegularExpression>
#include <functional>
#include <limits>

#include "StoreFixture.h"

namespace {
using K = TransactionKind;

bool isUpperUuidText(const QString& id) {
    static const QRegularExpression re("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    return re.match(id).hasMatch();
}

template <class T>
std::vector<QString> idsOf(const std::vector<T>& list) {
    std::vector<QString> ids;
    for (const T& r : list) ids.push_back(r.id);
    return ids;
}
}  // namespace

using StoreGuards = StoreFixture;

// Input that fails an operation's guard changes nothing, saves nothing and
// leaves absent lists absent.
TEST_F(StoreGuards, RefusedInputChangesAndSavesNothing) {
    MoneyData ledger = withDefaults();
    ledger.goalAmount = Decimal(10);
    ledger.additionalGoals = std::vector<SavingsGoal>{{"X", "Мяч", Decimal(1), std::nullopt, std::nullopt}};
    ledger.customIncomeCategories.reset();
    ledger.customExpenseCategories = std::vector<QString>{"Игрушки"};
    ledger.wishes =
        std::vector<WishItem>{{"W", "Наушники", Decimal(100), Decimal(), local(2026, 6, 1), false}};
    ledger.debts.reset();
    ledger.recurringTransactions.reset();
    ledger.transactions.push_back(expense(Decimal(1), local(2026, 6, 1)));
    const QDateTime later = local(2026, 7, 1);
    using Op = std::function<void(MoneyStore&)>;
    // clang-format off
    const std::pair<const char*, Op> cases[] = {
        {"blank goal name", [](MoneyStore& s) { s.addGoal(" \n\t", Decimal(5), std::nullopt); }},
        {"zero goal", [](MoneyStore& s) { s.addGoal("Мяч", Decimal(0), std::nullopt); }},
        {"negative goal", [](MoneyStore& s) { s.addGoal("Мяч", Decimal(-3), std::nullopt); }},
        {"archive the primary goal", [](MoneyStore& s) { s.archiveGoal("primary"); }},
        {"archive an id in another case", [](MoneyStore& s) { s.archiveGoal("x"); }},
        {"blank category", [](MoneyStore& s) { EXPECT_FALSE(s.addCustomCategory(" \n ", K::expense)); }},
        {"known category in another case",
         [](MoneyStore& s) { EXPECT_EQ(s.addCustomCategory("  игрушки ", K::expense), "Игрушки"); }},
        {"blank task", [](MoneyStore& s) { s.addTask("   ", Decimal(5), std::nullopt, 1, true); }},
        {"zero reward", [](MoneyStore& s) { s.addTask("Полить цветы", Decimal(0), std::nullopt, 1, true); }},
        {"complete an unknown task", [](MoneyStore& s) { EXPECT_FALSE(s.completeTask("nope")); }},
        {"empty template title", [](MoneyStore& s) { s.addTemplate("", K::expense, Decimal(1), "Еда"); }},
        {"zero template amount", [](MoneyStore& s) { s.addTemplate("Сок", K::expense, Decimal(0), "Еда"); }},
        {"apply an unknown template", [](MoneyStore& s) { s.applyTemplate("template-unknown"); }},
        {"blank wish", [](MoneyStore& s) { s.addWish("  ", Decimal(100)); }},
        {"zero wish price", [](MoneyStore& s) { s.addWish("Наушники", Decimal(0)); }},
        {"zero contribution", [](MoneyStore& s) { s.contributeToWish("W", Decimal(0)); }},
        {"negative contribution", [](MoneyStore& s) { s.contributeToWish("W", Decimal(-1)); }},
        {"contribute to an unknown wish", [](MoneyStore& s) { s.contributeToWish("other", Decimal(1)); }},
        {"blank debtor", [](MoneyStore& s) { s.addDebt(" ", Decimal(5), DebtDirection::iOwe, "", std::nullopt); }},
        {"zero debt", [](MoneyStore& s) { s.addDebt("Петя", Decimal(0), DebtDirection::iOwe, "", std::nullopt); }},
        {"settle an unknown debt", [](MoneyStore& s) { s.settleDebt("missing"); }},
        {"blank challenge", [&](MoneyStore& s) { s.addChallenge(" ", ChallengeKind::habit, Decimal(3), later); }},
        {"zero target", [&](MoneyStore& s) { s.addChallenge("Бег", ChallengeKind::habit, Decimal(0), later); }},
        {"zero advance", [](MoneyStore& s) { s.advanceChallenge("challenge-save-500", Decimal(0)); }},
        {"negative advance", [](MoneyStore& s) { s.advanceChallenge("challenge-save-500", Decimal(-5)); }},
        {"advance an unknown challenge", [](MoneyStore& s) { s.advanceChallenge("unknown", Decimal(5)); }},
        {"empty recurring title",
         [&](MoneyStore& s) { s.addRecurring("", K::expense, Decimal(1), "Еда", RecurringFrequency::weekly, later); }},
        {"empty recurring category",
         [&](MoneyStore& s) { s.addRecurring("Кино", K::expense, Decimal(1), "", RecurringFrequency::weekly, later); }},
        {"zero recurring amount",
         [&](MoneyStore& s) { s.addRecurring("Кино", K::expense, Decimal(0), "Еда", RecurringFrequency::weekly, later); }},
        {"toggle an unknown recurring item", [](MoneyStore& s) { s.toggleRecurring("missing"); }},
        {"duplicate an unknown transaction", [](MoneyStore& s) { s.duplicateTransaction(QUuid::createUuid()); }},
        {"favour an unknown transaction", [](MoneyStore& s) { s.toggleFavorite(QUuid::createUuid()); }},
        {"update an unknown transaction",
         [&](MoneyStore& s) { s.updateTransaction(expense(Decimal(9), local(2026, 6, 2))); }},
        {"undo without a deletion", [](MoneyStore& s) { s.undoDelete(); }},
    };
    // clang-format on
    for (const auto& [name, op] : cases) {
        MoneyStore& s = open(ledger);
        const MoneyData before = s.data();
        QSignalSpy changed(&s, &MoneyStore::dataChanged);
        op(s);
        EXPECT_EQ(saves(), 0) << name;
        EXPECT_EQ(changed.count(), 0) << name;
        EXPECT_TRUE(s.data() == before) << name;
    }
}

using GoalOperations = StoreFixture;

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
    EXPECT_EQ(g, (SavingsGoal{g.id, "Книга", Decimal(300), local(2026, 12, 1), false}));
    EXPECT_EQ(onDisk(), s.data());
}

TEST_F(GoalOperations, DeleteEmptiesTheMainSlotOrRemovesEveryAdditionalGoalWithTheId) {
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

    d.additionalGoals = std::vector<SavingsGoal>{{"X", "1", Decimal(1), std::nullopt, false},
                                                 {"Y", "2", Decimal(1), std::nullopt, false},
                                                 {"X", "3", Decimal(1), std::nullopt, false}};
    open(d).deleteGoal("X");
    EXPECT_EQ(idsOf(*store->data().additionalGoals), std::vector<QString>{"Y"});
}

TEST_F(GoalOperations, ArchiveHidesAnAdditionalGoal) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalAmount = Decimal(10);
    d.additionalGoals = std::vector<SavingsGoal>{{"X", "Мяч", Decimal(1), std::nullopt, std::nullopt}};
    MoneyStore& s = open(d);
    s.archiveGoal("X");
    EXPECT_EQ(saves(), 1);
    EXPECT_EQ(s.data().additionalGoals->front().isArchived, true);
    EXPECT_EQ(idsOf(s.goals()), std::vector<QString>{"primary"});
}

using CustomCategories = StoreFixture;

TEST_F(CustomCategories, NewNamesAreTrimmedAndAppendedToTheirKindsList) {
    MoneyData d = MoneyData::emptyLedger();
    d.customIncomeCategories.reset();
    d.customExpenseCategories = std::vector<QString>{"Игрушки"};
    MoneyStore& s = open(d);
    EXPECT_TRUE(s.customCategories(K::income).empty());
    EXPECT_EQ(s.addCustomCategory("игрушки", K::income), "игрушки");  // each kind has its own list
    EXPECT_EQ(s.addCustomCategory(" кино\n", K::expense), "кино");
    EXPECT_EQ(s.customCategories(K::income), std::vector<QString>{"игрушки"});
    EXPECT_EQ(onDisk()->customExpenseCategories, (std::vector<QString>{"Игрушки", "кино"}));
}

using TaskOperations = StoreFixture;

TEST_F(TaskOperations, AddTrimsTheTitleAndCompletingPaysTheReward) {
    setNow(local(2026, 6, 15, 14));
    MoneyStore& s = openEmpty();
    s.addTask("  Вынести мусор ", Decimal(5), local(2026, 7, 1), 2, false);
    const RewardTask& added = s.data().rewardTasks->front();
    EXPECT_TRUE(isUpperUuidText(added.id));
    EXPECT_EQ(added, (RewardTask{added.id, "Вынести мусор", Decimal(5), 0, {}, local(2026, 7, 1), 2, false}));

    const auto done = open(withDefaults()).completeTask("starter-it-help");
    ASSERT_TRUE(done);
    EXPECT_EQ(done->completionCount, 1);
    EXPECT_EQ(done->lastCompletedAt, store->now());
    EXPECT_EQ(store->data().rewardTasks->at(1), *done);
    ASSERT_EQ(store->data().transactions.size(), 1u);
    expectBooked(store->data().transactions[0], K::income, Decimal(20), "Помог маме/папе с IT и технологиями",
                 "Выполнено задание", store->now());
    EXPECT_EQ(onDisk(), store->data());
}

TEST_F(TaskOperations, OneOffTasksDisappearOnceDoneAndCountsSaturate) {
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    MoneyData d = MoneyData::emptyLedger();
    d.rewardTasks = std::vector<RewardTask>{{"once", "Раз", Decimal(3), 4, {}, {}, 1, false},
                                            {"any", "Всегда", Decimal(1), kMax, {}, {}, {}, std::nullopt}};
    MoneyStore& s = open(d);
    EXPECT_EQ(s.completeTask("once")->completionCount, 5);
    EXPECT_EQ(idsOf(*s.data().rewardTasks), std::vector<QString>{"any"});
    EXPECT_EQ(s.completeTask("any")->completionCount, kMax);  // unmarked tasks stay
    EXPECT_EQ(idsOf(*s.data().rewardTasks), std::vector<QString>{"any"});
    EXPECT_EQ(s.data().transactions.size(), 2u);
}

using CategoryBudgets = StoreFixture;

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
    EXPECT_EQ(saves(), 6);
    EXPECT_EQ(onDisk()->categoryBudgets, (QMap<QString, Decimal>()));
}

using TemplateOperations = StoreFixture;

TEST_F(TemplateOperations, ApplyingBooksNowAndAddingKeepsTheTitleUntrimmed) {
    setNow(local(2026, 6, 15, 14));
    MoneyStore& s = open(withDefaults());
    s.applyTemplate("template-snack");
    ASSERT_EQ(s.data().transactions.size(), 1u);
    expectBooked(s.data().transactions[0], K::expense, Decimal(15), "Еда", "Быстрый шаблон", s.now());
    s.addTemplate(" ", K::income, Decimal(1), "");
    ASSERT_EQ(s.data().quickTemplates->size(), 4u);
    EXPECT_EQ(s.data().quickTemplates->back().title, " ");
    EXPECT_TRUE(isUpperUuidText(s.data().quickTemplates->back().id));
}

using WishOperations = StoreFixture;

TEST_F(WishOperations, ContributionsStopAtThePrice) {
    setNow(local(2026, 6, 15, 14));
    MoneyData d = MoneyData::emptyLedger();
    d.wishes.reset();
    MoneyStore& s = open(d);
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

    d.wishes.reset();
    open(d).deleteWish("x");  // an absent list is stored as empty
    EXPECT_EQ(saves(), 1);
    EXPECT_EQ(store->data().wishes, std::vector<WishItem>{});
}

using DebtOperations = StoreFixture;

TEST_F(DebtOperations, PersonIsTrimmedAndTheNoteKeptAsGiven) {
    MoneyStore& s = openEmpty();
    s.addDebt(" Петя ", dec("7.5"), DebtDirection::iOwe, " за обед ", local(2026, 7, 1));
    const DebtRecord debt = s.data().debts->front();
    EXPECT_EQ(debt, (DebtRecord{debt.id, "Петя", dec("7.5"), DebtDirection::iOwe, " за обед ",
                                local(2026, 7, 1), false}));
    EXPECT_EQ(s.totalIOwe(), dec("7.5"));

    s.settleDebt(debt.id);
    EXPECT_TRUE(s.data().debts->front().isSettled);
    EXPECT_TRUE(s.debts().empty());
    EXPECT_EQ(s.data().debts->size(), 1u);
    EXPECT_EQ(saves(), 2);
}

using ChallengeOperations = StoreFixture;

TEST_F(ChallengeOperations, AddTrimsTheTitleAndProgressStopsAtTheTarget) {
    setNow(local(2026, 6, 15, 14));
    MoneyStore& s = openEmpty();
    s.addChallenge(" Бег ", ChallengeKind::habit, Decimal(10), local(2026, 7, 1));
    const SavingsChallenge added = s.data().challenges->front();
    EXPECT_EQ(added, (SavingsChallenge{added.id, "Бег", ChallengeKind::habit, Decimal(10), Decimal(), s.now(),
                                       local(2026, 7, 1), false}));
    s.advanceChallenge(added.id, Decimal(9));
    EXPECT_FALSE(s.data().challenges->front().isCompleted);
    s.advanceChallenge(added.id, Decimal(2));
    EXPECT_EQ(s.data().challenges->front().progress, Decimal(10));
    EXPECT_TRUE(s.data().challenges->front().isCompleted);
}

using RecurringOperations = StoreFixture;

TEST_F(RecurringOperations, TextsAreKeptUntrimmedAndPastItemsWaitForTheNextOpen) {
    setNow(local(2026, 6, 15, 14));
    MoneyStore& s = openEmpty();
    s.addRecurring(" ", K::income, Decimal(50), " ", RecurringFrequency::weekly, local(2026, 6, 1, 9));
    ASSERT_EQ(s.data().recurringTransactions->size(), 1u);
    EXPECT_EQ(s.data().recurringTransactions->front().title, " ");
    EXPECT_TRUE(s.data().recurringTransactions->front().isActive);
    EXPECT_TRUE(s.data().transactions.empty());
    EXPECT_EQ(open(*onDisk()).data().transactions.size(), 3u);  // 1, 8 and 15 June
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
}
