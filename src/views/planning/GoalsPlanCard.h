#pragma once

#include <optional>
#include <vector>

#include "components/MoneyCard.h"
#include "models/MoneyModels.h"

class Button;
class KeyedRowList;
class MoneyStore;
struct QueryContext;

// One goal of the plan: what is left to save against the whole balance, the
// days to the deadline and what to put aside a day, and "Архивировать" for an
// additional goal.
class GoalPlanRow : public QWidget {
    Q_OBJECT
public:
    explicit GoalPlanRow(MoneyStore& store, QWidget* parent = nullptr);

    // `days`: whole days to the deadline (none without one).
    void draw(const SavingsGoal& goal, const Decimal& balance, std::optional<qint64> days);

    TextLabel* nameLabel() const { return name_; }
    TextLabel* leftLabel() const { return left_; }
    TextLabel* daysLabel() const { return days_; }
    TextLabel* perDayLabel() const { return perDay_; }
    Button* archiveButton() const { return archive_; }

private:
    MoneyStore& store_;
    QString goalId_;
    TextLabel* name_;
    TextLabel* left_;
    TextLabel* days_;
    TextLabel* perDay_;
    Button* archive_;
};

// "План целей": a row per active goal, nothing below the title without goals.
class GoalsPlanCard : public MoneyCard {
    Q_OBJECT
public:
    explicit GoalsPlanCard(MoneyStore& store, QWidget* parent = nullptr);

    // The amount still missing: amount − balance, 0 once the balance reaches it.
    static Decimal leftToSave(const Decimal& amount, const Decimal& balance);
    // What to put aside a day over `days` (none below one day).
    static std::optional<Decimal> perDay(const Decimal& left, std::optional<qint64> days);

    void draw(const QueryContext& ctx, const Decimal& balance);

    int rowCount() const;
    // The row of the i-th goal shown.
    GoalPlanRow* rowAt(int index) const;

private:
    MoneyStore& store_;
    KeyedRowList* rows_;
};
