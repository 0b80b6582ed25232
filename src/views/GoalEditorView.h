#pragma once

#include <QDateTime>
#include <QWidget>
#include <optional>

class Button;
class EditorSection;
class MoneyStore;
class NavigationPage;
class QDateEdit;
class QLineEdit;
class ToggleRow;

// The new-goal sheet: a name, a target amount and an optional deadline. The
// add button stays disabled while the input is invalid; adding calls the
// store once and closes the sheet. Shown as a sheet's content: every way of
// closing goes through the sheet's dismiss (dismissRequested is emitted first,
// also when the editor is shown outside a sheet).
class GoalEditorView : public QWidget {
    Q_OBJECT
public:
    explicit GoalEditorView(MoneyStore& store, QWidget* parent = nullptr);

    // One calendar month after `now` in the ledger's zone (`now` when the month
    // cannot be added).
    static QDateTime defaultDeadline(const QDateTime& now, const class QTimeZone& zone);

    bool isValid() const;
    // The deadline the picker holds (kept while the switch is off).
    QDateTime deadline() const;

    NavigationPage* page() const { return page_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* amountField() const { return amount_; }
    ToggleRow* deadlineSwitch() const { return hasDeadline_; }
    QDateEdit* deadlinePicker() const { return picker_; }
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
    QLineEdit* name_;
    QLineEdit* amount_;
    ToggleRow* hasDeadline_;
    EditorSection* section_;  // the one holding the picker row
    QWidget* pickerRow_;
    QDateEdit* picker_;
    Button* add_;
    Button* cancel_;
    QTime deadlineTime_;  // the picker shows the date; the time of day is kept from the start value
    bool done_ = false;
    bool focused_ = false;
};
