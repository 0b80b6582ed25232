#pragma once

#include <QDateTime>
#include <QWidget>

class Button;
class EditorSection;
class MoneyStore;
class NavigationPage;
class QDateTimeEdit;
class QLineEdit;
class Stepper;
class ToggleRow;

// The new-money-task sheet: a title, a reward that is booked as income when
// the task is done, a difficulty from 1 to 3, whether it repeats, and an
// optional due date and time. The add button stays disabled while the input
// is invalid; adding calls the store once and closes the sheet through the
// sheet's dismiss (dismissRequested is emitted first).
class RewardTaskEditorView : public QWidget {
    Q_OBJECT
public:
    explicit RewardTaskEditorView(MoneyStore& store, QWidget* parent = nullptr);

    bool isValid() const;
    int difficulty() const;
    bool isRecurring() const;
    // The due moment the picker holds (kept while the switch is off).
    QDateTime dueDate() const;

    NavigationPage* page() const { return page_; }
    QLineEdit* titleField() const { return title_; }
    QLineEdit* rewardField() const { return reward_; }
    Stepper* difficultyStepper() const { return difficulty_; }
    ToggleRow* recurringSwitch() const { return recurring_; }
    ToggleRow* deadlineSwitch() const { return hasDeadline_; }
    QDateTimeEdit* dueDatePicker() const { return picker_; }
    bool isPickerShown() const;
    Button* addButton() const { return add_; }
    Button* cancelButton() const { return cancel_; }

    void save();
    void dismiss();

signals:
    void dismissRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refresh();

    MoneyStore& store_;
    NavigationPage* page_;
    QLineEdit* title_;
    QLineEdit* reward_;
    Stepper* difficulty_;
    ToggleRow* recurring_;
    ToggleRow* hasDeadline_;
    EditorSection* section_;  // the one holding the picker row
    QWidget* pickerRow_;
    QDateTimeEdit* picker_;
    Button* add_;
    Button* cancel_;
    bool done_ = false;
    bool focused_ = false;
};
