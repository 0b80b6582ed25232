#pragma once

#include <QHash>
#include <functional>
#include <optional>

#include "components/Card.h"
#include "views/ledger/dashboard/TaskRows.h"

class MoneyStore;
class PaintedList;
class QMenu;
class TextLabel;

// "Денежные задания": how many tasks were completed, then each task in use
// with its reward, count and due line, "Готово" (handed to `complete`) and a
// menu that deletes it, painted as rows of one list. A redraw measures and
// paints again only the rows whose task changed.
class TasksCard : public Card {
    Q_OBJECT
public:
    TasksCard(MoneyStore& store, std::function<void()> addTask, std::function<void(const QString&)> complete,
              QWidget* parent = nullptr);
    void draw();

    // For tests: the list (rows are keyed by task id, "#<n>" added to a
    // repeated one), what a row shows, and the actions menu of the row whose
    // "Действия" was pressed last.
    PaintedList* list() const { return list_; }
    std::optional<TaskRowContent> row(const QString& key) const;
    QMenu* menu() const { return menu_; }

private:
    void showMenu(const QString& key);

    MoneyStore& store_;
    std::function<void(const QString&)> complete_;
    TextLabel* completedCount_;
    QHash<QString, TaskRowContent> rows_;
    TaskRowDelegate delegate_{rows_};
    PaintedList* list_;
    QMenu* menu_;
    QString menuTaskId_;
};
