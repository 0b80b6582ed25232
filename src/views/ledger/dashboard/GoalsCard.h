#pragma once

#include <QHash>
#include <QStringList>
#include <functional>
#include <optional>

#include "components/Card.h"
#include "views/ledger/dashboard/GoalRows.h"

class ContentUnavailableView;
class MoneyStore;
class PaintedList;

// "Мои цели": each goal's bar against the whole balance, with its delete
// button, painted as rows of one list, or the placeholder; "Добавить" asks
// the root for the goal editor. A redraw measures and paints again only the
// rows whose goal or progress changed.
class GoalsCard : public Card {
    Q_OBJECT
public:
    GoalsCard(MoneyStore& store, std::function<void()> addGoal, QWidget* parent = nullptr);
    void draw();

    // For tests: the list (rows are keyed by goal id, "#<n>" added to a repeated one), and what a row shows.
    PaintedList* list() const { return list_; }
    std::optional<GoalRowContent> row(const QString& key) const;

private:
    MoneyStore& store_;
    QHash<QString, GoalRowContent> rows_;
    GoalRowDelegate delegate_{rows_};
    PaintedList* list_;
    ContentUnavailableView* placeholder_;
};
