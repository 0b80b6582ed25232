#pragma once

#include <QStringList>
#include <functional>

#include "components/Card.h"
#include "models/MoneyModels.h"

class MoneyStore;
class QVBoxLayout;

// "Мои цели": each goal's bar against the whole balance, with its delete
// button, or the placeholder; "Добавить" asks the root for the goal editor.
// The rows are rebuilt only when what they show changed.
class GoalsCard : public Card {
    Q_OBJECT
public:
    GoalsCard(MoneyStore& store, std::function<void()> addGoal, QWidget* parent = nullptr);
    void draw();

private:
    QWidget* goalRow(const SavingsGoal& goal, const Decimal& balance);

    MoneyStore& store_;
    QVBoxLayout* list_;
    QStringList shown_{QStringLiteral("<not drawn>")};
};
