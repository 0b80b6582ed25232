#pragma once

#include <QStringList>
#include <functional>

#include "components/Card.h"
#include "models/MoneyModels.h"

class MoneyStore;
class QVBoxLayout;
class TextLabel;

// "Денежные задания": how many tasks were completed, then each task in use
// with its reward, count and due line, "Готово" (handed to `complete`) and a
// menu that deletes it. The rows are rebuilt only when what they show changed.
class TasksCard : public Card {
    Q_OBJECT
public:
    TasksCard(MoneyStore& store, std::function<void()> addTask, std::function<void(const QString&)> complete,
              QWidget* parent = nullptr);
    void draw();

private:
    QWidget* taskRow(const RewardTask& task);

    MoneyStore& store_;
    std::function<void(const QString&)> complete_;
    TextLabel* completedCount_;
    QVBoxLayout* list_;
    QStringList shown_{QStringLiteral("<not drawn>")};
};
