#pragma once

#include <QWidget>

#include "models/MoneyModels.h"
#include "views/ledger/EditorForm.h"
#include "views/planning/ToolScreen.h"

class ProgressBar;
class QDateEdit;
class SegmentedControl;
class SymbolLabel;
class TextLabel;
struct SavingsChallenge;

// One challenge: title and percentage, a purple bar, progress of target with
// the end day, and while it is open the step button of its kind.
class ChallengeRow : public QWidget {
    Q_OBJECT
public:
    explicit ChallengeRow(MoneyStore& store, QWidget* parent = nullptr);
    void draw(const SavingsChallenge& challenge, QDate endDay);

    SymbolLabel* titleLabel() const { return title_; }
    TextLabel* percentLabel() const { return percent_; }
    ProgressBar* bar() const { return bar_; }
    TextLabel* captionLabel() const { return caption_; }
    Button* stepButton() const { return step_; }

private:
    MoneyStore& store_;
    QString challengeId_;
    Decimal stepAmount_;
    SymbolLabel* title_;
    TextLabel* percent_;
    ProgressBar* bar_;
    TextLabel* caption_;
    Button* step_;
};

// "Челленджи": the challenges in use (the two defaults while the ledger stores
// no list), with no text when the list is empty.
class ChallengesView : public ToolScreen {
    Q_OBJECT
public:
    explicit ChallengesView(MoneyStore& store, QWidget* parent = nullptr);
    void redraw() override;

    ToolList* list() const { return list_; }
    ChallengeRow* rowAt(int index) const;

private:
    ToolList* list_;
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
