#pragma once

#include "components/Card.h"

class MoneyStore;
class ProgressBar;
class TextLabel;

// The piggy bank: the currency, the balance (masked while "hideBalances" is
// on; the spoken label always tells it) and, while a month budget is set, its
// bar and what is left of it.
class BalanceCard : public Card {
    Q_OBJECT
public:
    explicit BalanceCard(MoneyStore& store, QWidget* parent = nullptr);
    void draw();

private:
    MoneyStore& store_;
    TextLabel* currencyBadge_;
    TextLabel* balanceText_;
    QWidget* budget_;
    ProgressBar* budgetBar_;
    TextLabel* budgetText_;
};
