#pragma once

#include <QDateTime>

#include "views/ledger/EditorForm.h"

class QDateTimeEdit;
class Stepper;

// The new-money-task sheet: a title, a reward that is booked as income when
// the task is done, a difficulty from 1 to 3, whether it repeats, and an
// optional due date and time (see NamedAmountEditor for validation, saving
// once and closing).
class RewardTaskEditorView : public NamedAmountEditor {
    Q_OBJECT
public:
    explicit RewardTaskEditorView(MoneyStore& store, QWidget* parent = nullptr);

    int difficulty() const;
    bool isRecurring() const;
    // The due moment the picker holds (kept while the switch is off).
    QDateTime dueDate() const;

    QLineEdit* titleField() const { return name_; }
    QLineEdit* rewardField() const { return amount_; }
    Stepper* difficultyStepper() const { return difficulty_; }
    ToggleRow* recurringSwitch() const { return recurring_; }
    QDateTimeEdit* dueDatePicker() const { return picker_; }

protected:
    void commit(const QString& title, const Decimal& reward) override;

private:
    Stepper* difficulty_;
    ToggleRow* recurring_;
    QDateTimeEdit* picker_;
};
