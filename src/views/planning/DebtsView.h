#pragma once

#include <QHash>
#include <QWidget>
#include <optional>

#include "models/MoneyModels.h"
#include "views/planning/DebtRows.h"
#include "views/planning/RecordRows.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/ToolScreen.h"

class ContentUnavailableView;
class QDateEdit;
class QLineEdit;
class SegmentedControl;
class TextLabel;
class ToolRows;

// "Долги": the two totals, then the open debts or "Долгов нет". The debts
// are painted rows of one list; a redraw measures and paints again only the
// rows whose debt changed, and "Закрыть долг" settles the row's debt.
class DebtsView : public ToolScreen {
    Q_OBJECT
public:
    explicit DebtsView(MoneyStore& store, QWidget* parent = nullptr);
    void redraw() override;

    TextLabel* owedToMeLabel() const { return owedToMe_; }
    TextLabel* iOweLabel() const { return iOwe_; }
    ContentUnavailableView* placeholder() const { return placeholder_; }
    ToolRows* list() const { return list_; }
    // For tests: the painted list (rows by key, the button key is
    // DebtRowDelegate::kSettle), the keys in order, and what a row shows.
    PaintedList* rows() const;
    QStringList rowKeys() const;
    std::optional<DebtRowContent> row(int index) const;

private:
    TextLabel* owedToMe_;
    TextLabel* iOwe_;
    ContentUnavailableView* placeholder_;
    RecordRows<DebtRecord, DebtRowContent> rows_;
    DebtRowDelegate delegate_{rows_.rows()};
    ToolRows* list_;
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
