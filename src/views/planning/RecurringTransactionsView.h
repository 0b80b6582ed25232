#pragma once

#include <QWidget>

#include "models/MoneyModels.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/ToolScreen.h"

class ContentUnavailableView;
class QComboBox;
class QDateEdit;
class SegmentedControl;
class TextLabel;
struct RecurringTransaction;

QString recurringFrequencyTitle(RecurringFrequency frequency);

// One recurring operation: title, frequency and next day, the amount without
// sign, and the icon-only "Выключить" / "Включить" button.
class RecurringRow : public QWidget {
    Q_OBJECT
public:
    explicit RecurringRow(MoneyStore& store, QWidget* parent = nullptr);
    void draw(const RecurringTransaction& item, QDate nextDay);

    TextLabel* titleLabel() const { return title_; }
    TextLabel* captionLabel() const { return caption_; }
    TextLabel* amountLabel() const { return amount_; }
    Button* toggleButton() const { return toggle_; }

private:
    MoneyStore& store_;
    QString itemId_;
    TextLabel* title_;
    TextLabel* caption_;
    TextLabel* amount_;
    Button* toggle_;
};

// "Регулярные": the stored recurring operations, or an empty state.
class RecurringTransactionsView : public ToolScreen {
    Q_OBJECT
public:
    explicit RecurringTransactionsView(MoneyStore& store, QWidget* parent = nullptr);
    void redraw() override;

    ContentUnavailableView* placeholder() const { return placeholder_; }
    ToolList* list() const { return list_; }
    RecurringRow* rowAt(int index) const;

private:
    ContentUnavailableView* placeholder_;
    ToolList* list_;
};

// "Регулярная операция": title and category tested as typed (not trimmed),
// an amount above zero, the kind ("Расход" first), the frequency and a first
// day without limits. An untouched picker passes the opening moment as it is.
class RecurringEditorView : public NamedAmountEditor {
    Q_OBJECT
public:
    explicit RecurringEditorView(MoneyStore& store, QWidget* parent = nullptr);

    bool isValid() const override;
    SegmentedControl* kindPicker() const { return kind_; }
    QLineEdit* categoryField() const { return category_; }
    QComboBox* frequencyPicker() const { return frequency_; }
    QDateEdit* datePicker() const { return picker_; }
    QDateTime nextDate() const;

protected:
    void commit(const QString& name, const Decimal& amount) override;

private:
    SegmentedControl* kind_;
    QLineEdit* category_;
    QComboBox* frequency_;
    QDateEdit* picker_;
    QDateTime opened_;
    QDate openedDay_;
};
