#pragma once

#include <QDateTime>
#include <QTime>

#include "views/ledger/EditorForm.h"

class QDateEdit;

// The new-goal sheet: a name, a target amount and an optional deadline (see
// NamedAmountEditor for validation, saving once and closing).
class GoalEditorView : public NamedAmountEditor {
    Q_OBJECT
public:
    explicit GoalEditorView(MoneyStore& store, QWidget* parent = nullptr);

    // One calendar month after `now` in the ledger's zone (`now` when the month
    // cannot be added).
    static QDateTime defaultDeadline(const QDateTime& now, const class QTimeZone& zone);

    // The deadline the picker holds (kept while the switch is off).
    QDateTime deadline() const;

    QLineEdit* nameField() const { return name_; }
    QLineEdit* amountField() const { return amount_; }
    QDateEdit* deadlinePicker() const { return picker_; }

protected:
    void commit(const QString& name, const Decimal& amount) override;

private:
    QDateEdit* picker_;
    QTime deadlineTime_;  // the picker shows the date; the time of day is kept from the start value
};
