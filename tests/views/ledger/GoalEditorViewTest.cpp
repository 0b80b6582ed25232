#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>

#include "DashboardFixture.h"
#include "components/Button.h"
#include "components/Toggle.h"
#include "support/Gallery.h"
#include "views/ledger/GoalEditorView.h"

namespace {

using GoalEditorTest = EditorSheetFixture<GoalEditorView>;

}  // namespace

TEST_F(GoalEditorTest, StartsEmptyWithTheDeadlineOneMonthAhead) {
    clock.set(local(2026, 1, 31, 18, 30));
    openEmpty();
    present();
    EXPECT_EQ(editor->page()->title(), "Добавить цель");
    EXPECT_TRUE(editor->nameField()->text().isEmpty());
    EXPECT_EQ(editor->nameField()->placeholderText(), "На что копим?");
    EXPECT_EQ(editor->amountField()->placeholderText(), "0");
    EXPECT_FALSE(editor->deadlineSwitch()->isChecked());
    EXPECT_FALSE(editor->isPickerShown());
    EXPECT_FALSE(editor->addButton()->isEnabled());
    EXPECT_EQ(window->focusWidget(), editor->nameField());  // the keyboard opens on the name
    // One calendar month after 31 January is the last day of February, at the same time.
    EXPECT_EQ(editor->deadline(), local(2026, 2, 28, 18, 30));
    EXPECT_EQ(editor->deadlinePicker()->text(), "28.02.2026");
    EXPECT_EQ(editor->deadlinePicker()->minimumDate(), QDate(2026, 1, 31));  // nothing before today
}

TEST_F(GoalEditorTest, AddIsEnabledOnlyForANameAndAPositiveAmount) {
    openEmpty();
    setPreference("currencyCode", "EUR");
    present();
    auto* currency = editor->findChild<QLabel*>("formTrailingText");
    ASSERT_NE(currency, nullptr);
    EXPECT_EQ(currency->text(), "EUR");

    type(editor->amountField(), "12,5");
    EXPECT_FALSE(editor->addButton()->isEnabled());  // no name yet
    type(editor->nameField(), "   ");
    EXPECT_FALSE(editor->addButton()->isEnabled());  // blanks are no name
    type(editor->nameField(), "Велосипед");
    EXPECT_TRUE(editor->addButton()->isEnabled());
    // Invalid input does nothing, whatever calls save.
    type(editor->amountField(), "abc");
    EXPECT_FALSE(editor->addButton()->isEnabled());
    const int before = saves();
    editor->save();
    EXPECT_EQ(saves(), before);
    EXPECT_FALSE(sheet.isNull());
}

TEST_F(GoalEditorTest, AddingCallsTheStoreOnceAndClosesTheSheet) {
    MoneyData d = MoneyData::emptyLedger();
    d.goalName = "Главная";
    d.goalAmount = Decimal(500);  // there is a main goal: the new one is an additional goal
    open(d);
    present();
    QSignalSpy dismissed(sheet.data(), &Sheet::dismissed);
    type(editor->nameField(), "  Ноутбук ");
    type(editor->amountField(), "1200,50");
    const int before = saves();
    Button* add = editor->addButton();
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);  // a second tap while the sheet closes adds nothing
    settle();
    EXPECT_EQ(saves(), before + 1);
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_TRUE(sheet.isNull());
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

TEST_F(GoalEditorTest, CancelClosesWithoutWriting) {
    openEmpty();
    present();
    QSignalSpy requested(editor, &GoalEditorView::dismissRequested);
    type(editor->nameField(), "Велосипед");
    type(editor->amountField(), "100");
    const int before = saves();
    click(editor->cancelButton());
    EXPECT_EQ(requested.count(), 1);
    EXPECT_TRUE(sheet.isNull());
    EXPECT_EQ(saves(), before);
    EXPECT_EQ(store->data().goalAmount, Decimal(0));
}

TEST_F(GoalEditorTest, GalleryImages) {
    openEmpty();
    present();
    type(editor->nameField(), "Велосипед");
    type(editor->amountField(), "1500");
    click(editor->deadlineSwitch()->toggle());
    expectFitsWidth(editor->page()->body());
    EXPECT_FALSE(Gallery::save(*window, "goal-editor").isEmpty());
    setPreference("appTheme", "dark");
    Theme::current().refresh();
    EXPECT_FALSE(Gallery::save(*window, "goal-editor-dark").isEmpty());
}
