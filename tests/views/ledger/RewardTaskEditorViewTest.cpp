#include <QDateTimeEdit>
#include <QLineEdit>

#include "DashboardFixture.h"
#include "components/Button.h"
#include "components/TextLabel.h"
#include "components/Toggle.h"
#include "views/ledger/EditorForm.h"
#include "views/ledger/RewardTaskEditorView.h"

namespace {

class RewardTaskEditorTest : public EditorSheetFixture<RewardTaskEditorView> {
protected:
    QString stepperTitle() const { return editor->difficultyStepper()->titleLabel()->text(); }
};

}  // namespace

TEST_F(RewardTaskEditorTest, NewSheetStartsWithItsDefaults) {
    openEmpty();
    present();
    EXPECT_EQ(editor->page()->title(), "Добавить задание");
    EXPECT_EQ(editor->titleField()->placeholderText(), "Что нужно сделать?");
    EXPECT_TRUE(editor->rewardField()->text().isEmpty());
    EXPECT_EQ(editor->difficulty(), 1);
    EXPECT_EQ(stepperTitle(), "Сложность: 1 из 3");
    EXPECT_TRUE(editor->isRecurring());
    // 86,400 seconds after opening, not one calendar day.
    EXPECT_EQ(editor->dueDate(), clock.now().addSecs(86400));
}

TEST_F(RewardTaskEditorTest, DueDateIsADayOfSecondsAcrossAClockChange) {
    clock.set(local(2026, 3, 28, 12, 0));  // Berlin moves its clocks forward that night
    openEmpty();
    present();
    EXPECT_EQ(editor->dueDate(), local(2026, 3, 29, 13, 0));
    EXPECT_EQ(editor->dueDatePicker()->minimumDateTime(), QDateTime(QDate(2026, 3, 28), QTime(12, 0)));
}

TEST_F(RewardTaskEditorTest, StepperStaysWithinOneToThree) {
    openEmpty();
    present();
    Stepper* stepper = editor->difficultyStepper();
    EXPECT_FALSE(stepper->decrementButton()->isEnabled());
    click(stepper->incrementButton());
    click(stepper->incrementButton());
    EXPECT_EQ(editor->difficulty(), 3);
    EXPECT_EQ(stepperTitle(), "Сложность: 3 из 3");
    EXPECT_FALSE(stepper->incrementButton()->isEnabled());
    stepper->setValue(7);
    EXPECT_EQ(editor->difficulty(), 3);
    click(stepper->decrementButton());
    EXPECT_EQ(stepperTitle(), "Сложность: 2 из 3");
    stepper->setValue(-1);
    EXPECT_EQ(editor->difficulty(), 1);
}

TEST_F(RewardTaskEditorTest, AddingStoresEveryChoiceAfterTheDefaultTasks) {
    open(MoneyData());  // a ledger that never stored its tasks
    const std::size_t defaults = MoneyStore::defaultRewardTasks().size();
    present();
    type(editor->titleField(), "  Убрать комнату ");
    type(editor->rewardField(), "7,5");
    click(editor->difficultyStepper()->incrementButton());
    click(editor->recurringSwitch()->toggle());
    click(editor->deadlineSwitch()->toggle());
    EXPECT_TRUE(editor->isPickerShown());
    const QDateTime due = editor->dueDate();

    click(editor->addButton());
    EXPECT_TRUE(sheet.isNull());
    ASSERT_TRUE(store->data().rewardTasks);
    const std::vector<RewardTask>& tasks = *store->data().rewardTasks;
    ASSERT_EQ(tasks.size(), defaults + 1);
    const RewardTask& task = tasks.back();
    EXPECT_EQ(task.title, "Убрать комнату");
    EXPECT_EQ(task.reward, *Decimal::parse("7.5"));
    EXPECT_EQ(task.difficulty, 2);
    EXPECT_EQ(task.isRecurring, false);
    EXPECT_EQ(task.dueDate, due);
    EXPECT_EQ(task.completionCount, 0);
}

TEST_F(RewardTaskEditorTest, SwitchingTheDueDateOffSavesNone) {
    openEmpty();
    present();
    type(editor->titleField(), "Сделать уроки");
    type(editor->rewardField(), "20");
    click(editor->deadlineSwitch()->toggle());
    click(editor->deadlineSwitch()->toggle());
    EXPECT_FALSE(editor->isPickerShown());
    click(editor->addButton());
    ASSERT_EQ(store->data().rewardTasks->size(), 1u);
    EXPECT_FALSE(store->data().rewardTasks->front().dueDate);
    EXPECT_EQ(store->data().rewardTasks->front().isRecurring, true);
    EXPECT_EQ(store->data().rewardTasks->front().difficulty, 1);
}
