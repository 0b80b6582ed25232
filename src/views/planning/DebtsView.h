#pragma once

#include <QWidget>

#include "models/MoneyModels.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/ToolScreen.h"

class ContentUnavailableView;
class QDateEdit;
class QLineEdit;
class SegmentedControl;
class SymbolLabel;
class TextLabel;
struct DebtRecord;

// One open debt: who and how much, the direction with the note, the due day
// when there is one, and "Закрыть долг".
class DebtRow : public QWidget {
    Q_OBJECT
public:
    explicit DebtRow(MoneyStore& store, QWidget* parent = nullptr);
    // `today` is the present day in the store's calendar.
    void draw(const DebtRecord& debt, QDate today, QDate dueDay);

    SymbolLabel* personLabel() const { return person_; }
    TextLabel* detailLabel() const { return detail_; }
    TextLabel* dueLabel() const { return due_; }
    Button* settleButton() const { return settle_; }

private:
    MoneyStore& store_;
    QString debtId_;
    SymbolLabel* person_;
    TextLabel* amount_;
    TextLabel* detail_;
    TextLabel* due_;
    Button* settle_;
};

// "Долги": the two totals, then the open debts or "Долгов нет".
class DebtsView : public ToolScreen {
    Q_OBJECT
public:
    explicit DebtsView(MoneyStore& store, QWidget* parent = nullptr);
    void redraw() override;

    TextLabel* owedToMeLabel() const { return owedToMe_; }
    TextLabel* iOweLabel() const { return iOwe_; }
    ContentUnavailableView* placeholder() const { return placeholder_; }
    ToolList* list() const { return list_; }
    DebtRow* rowAt(int index) const;

private:
    TextLabel* owedToMe_;
    TextLabel* iOwe_;
    ContentUnavailableView* placeholder_;
    ToolList* list_;
};

// "Новый долг": direction ("Должны мне" first), a name that is not blank, an
// amount above zero, a note and an optional return day from today on.
class DebtEditorView : public NamedAmountEditor {
    Q_OBJECT
public:
    explicit DebtEditorView(MoneyStore& store, QWidget* parent = nullptr);

    SegmentedControl* directionPicker() const { return direction_; }
    QLineEdit* noteField() const { return note_; }
    QDateEdit* duePicker() const { return picker_; }
    // The moment stored for the picked day, at the time of day the sheet opened with.
    QDateTime dueDate() const;

protected:
    void commit(const QString& name, const Decimal& amount) override;

private:
    SegmentedControl* direction_;
    QLineEdit* note_;
    QDateEdit* picker_;
    QTime dueTime_;
};

// Direction texts and row symbols.
QString debtDirectionTitle(DebtDirection direction);
