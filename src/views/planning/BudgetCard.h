#pragma once

#include "components/MoneyCard.h"
#include "models/Decimal.h"

class Button;
class MoneyStore;
class ProgressBar;
class QLineEdit;

// "Бюджет месяца": the month budget field with the currency and "Сохранить",
// and, while a budget above 0 is stored, the bar of this month's spending, the
// spent and rest line, and what is safe to spend today. The field is filled
// from the store only by refillField (each time the planner appears); redraws
// leave typed text alone.
class BudgetCard : public MoneyCard {
    Q_OBJECT
public:
    explicit BudgetCard(MoneyStore& store, QWidget* parent = nullptr);

    // The stored budget's plain text ("0" when none), replacing any typing.
    void refillField();
    // `monthExpense`: this month's expenses.
    void draw(const Decimal& monthExpense, const Decimal& safeToSpendToday);
    // "Сохранить": text that does not read as an amount saves 0.
    void save();

    QLineEdit* field() const { return field_; }
    Button* saveButton() const { return save_; }
    QWidget* progressLines() const { return lines_; }
    ProgressBar* bar() const { return bar_; }
    TextLabel* spentLabel() const { return spent_; }
    TextLabel* restLabel() const { return rest_; }
    SymbolLabel* safeLabel() const { return safe_; }

private:
    MoneyStore& store_;
    QLineEdit* field_;
    TextLabel* currency_;
    Button* save_;
    QWidget* lines_;
    ProgressBar* bar_;
    TextLabel* spent_;
    TextLabel* rest_;
    SymbolLabel* safe_;
};
