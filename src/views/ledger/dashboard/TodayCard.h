#pragma once

#include "components/AdaptiveGridLayout.h"

class MoneyStore;
class TextLabel;

// Today's income and expense, side by side while the width allows.
class TodayCard : public AdaptiveGrid {
    Q_OBJECT
public:
    explicit TodayCard(MoneyStore& store, QWidget* parent = nullptr);
    void draw();

private:
    MoneyStore& store_;
    TextLabel* income_;
    TextLabel* expense_;
};
