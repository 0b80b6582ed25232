#pragma once

#include <QHash>
#include <QWidget>
#include <optional>

#include "models/MoneyModels.h"
#include "views/planning/ChallengeRows.h"
#include "views/planning/RecordRows.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/ToolScreen.h"

class QDateEdit;
class SegmentedControl;
class ToolRows;

// "Челленджи": the challenges in use (the two defaults while the ledger stores
// no list), with no text when the list is empty. The challenges are painted
// rows of one list; a redraw measures and paints again only the rows whose
// challenge changed, and a row's step button advances its challenge.
class ChallengesView : public ToolScreen {
    Q_OBJECT
public:
    explicit ChallengesView(MoneyStore& store, QWidget* parent = nullptr);
    void redraw() override;

    ToolRows* list() const { return list_; }
    // For tests: the painted list (rows by key, the button key is
    // ChallengeRowDelegate::kStep), the keys in order, and what a row shows.
    PaintedList* rows() const;
    QStringList rowKeys() const;
    std::optional<ChallengeRowContent> row(int index) const;

private:
    RecordRows<SavingsChallenge, ChallengeRowContent> rows_;
    ChallengeRowDelegate delegate_{rows_.rows()};
    ToolRows* list_;
};

// "Новый челлендж": a title that is not blank, the kind, a target above zero
// (its placeholder follows the kind) and an end day from today on.
class ChallengeEditorView : public NamedAmountEditor {
    Q_OBJECT
public:
    explicit ChallengeEditorView(MoneyStore& store, QWidget* parent = nullptr);

    SegmentedControl* kindPicker() const { return kind_; }
    QLineEdit* targetField() const { return amount_; }
    QDateEdit* endPicker() const { return picker_; }
    QDateTime endDate() const;

protected:
    void commit(const QString& name, const Decimal& amount) override;

private:
    void showKind();

    SegmentedControl* kind_;
    QDateEdit* picker_;
    QTime endTime_;
};
