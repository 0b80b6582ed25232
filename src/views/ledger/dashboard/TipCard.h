#pragma once

#include "components/Card.h"

class MoneyStore;
class TextLabel;

// The store's smart tip, while "showSmartTips" is on.
class TipCard : public Card {
    Q_OBJECT
public:
    explicit TipCard(MoneyStore& store, QWidget* parent = nullptr);
    void draw();

private:
    MoneyStore& store_;
    TextLabel* text_;
};
