#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>

#include "DashboardFixture.h"
#include "components/Button.h"
#include "components/Toggle.h"
#include "views/ledger/GoalEditorView.h"

namespace {

using GoalEditorTest = EditorSheetFixture<GoalEditorView>;

}  // namespace

TEST_F(GoalEditorTest, StartsEmptyWithTheDeadlineOneMonthAhead) {
    clock.set(local(2026, 1, 31, 18, 30));
    openEmpty();
    present();
    EXPECT_EQ(editor->page()->title(), "Добавить цель");
    EXPECT_EQ(editor->nameField()->placeholderText(), "На что копим?");
    EXPECT_EQ(editor->amountField()->placeholderText(), "0");
    // One calendar month after 31 January is the last day of February, at the same time.
    EXPECT_EQ(editor->deadline(), local(2026, 2, 28, 18, 30));
    EXPECT_EQ(editor->deadlinePicker()->text(), "28.02.2026");
    EXPECT_EQ(editor->deadlinePicker()->minimumDate(), QDate(2026, 1, 31));  // nothing before today
}

TEST_F(GoalEditorTest, AddingStoresAnAdditionalGoalInTheLedgersCurrency) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalName = "Главная";
    d.goalAmount = Decimal(500);  // there is a main goal: the new one is an additional goal
    open(d);
    setPreference("currencyCode", "EUR");
    present();
    auto* currency = editor->findChild<QLabel*>("formTrailingText");
    ASSERT_NE(currency, nullptr);
    EXPECT_EQ(currency->text(), "EUR");
    type(editor->nameField(), "  Ноутбук ");
    type(editor->amountField(), "1200,50");
    click(editor->addButton());
    ASSERT_TRUE(store->data().additionalGoals);
    ASSERT_EQ(store->data().additionalGoals->size(), 1u);
    const SavingsGoal goal = store->data().additionalGoals->front();
    EXPECT_EQ(goal.name, "Ноутбук");  // the store trims
    EXPECT_EQ(goal.amount, *Decimal::parse("1200.5"));
    EXPECT_FALSE(goal.deadline);
}

TEST_F(GoalEditorTest, TheDeadlineIsKeptOnlyWhileTheSwitchIsOn) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalAmount = Decimal(100);
    open(d);
    present();
    type(editor->nameField(), "Поездка");
    type(editor->amountField(), "300");
    click(editor->deadlineSwitch()->toggle());
    EXPECT_TRUE(editor->isPickerShown());
    editor->deadlinePicker()->setDate(QDate(2026, 9, 1));
    const QDateTime picked = editor->deadline();
    EXPECT_EQ(picked, local(2026, 9, 1, 12, 0));  // the date picked, at the starting time of day
    click(editor->addButton());
    EXPECT_EQ(store->data().additionalGoals->front().deadline, picked);

    // Switched on, a date picked, switched off again: no deadline.
    present();
    type(editor->nameField(), "Без срока");
    type(editor->amountField(), "50");
    click(editor->deadlineSwitch()->toggle());
    editor->deadlinePicker()->setDate(QDate(2026, 12, 24));
    click(editor->deadlineSwitch()->toggle());
    EXPECT_FALSE(editor->isPickerShown());
    EXPECT_EQ(editor->deadlinePicker()->date(), QDate(2026, 12, 24));  // the chosen date stays
    click(editor->addButton());
    ASSERT_EQ(store->data().additionalGoals->size(), 2u);
    EXPECT_FALSE(store->data().additionalGoals->back().deadline);
}
