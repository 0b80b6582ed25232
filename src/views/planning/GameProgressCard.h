#pragma once

#include "components/MoneyCard.h"

class ProgressBar;

// "Игровой прогресс": the money-task points as a level, with a bar to the next one.
class GameProgressCard : public MoneyCard {
    Q_OBJECT
public:
    explicit GameProgressCard(QWidget* parent = nullptr);

    // Points below 0 (only from a hand-edited file) count as 0.
    void draw(qint64 points);

    TextLabel* levelLabel() const { return level_; }
    TextLabel* pointsLabel() const { return points_; }
    ProgressBar* bar() const { return bar_; }
    TextLabel* nextLevelLabel() const { return next_; }

private:
    TextLabel* level_;
    TextLabel* points_;
    ProgressBar* bar_;
    TextLabel* next_;
};
