#pragma once

#include <QCoroTask>
#include <QHash>
#include <QMap>
#include <QWidget>
#include <optional>

#include "account/FamilyRecords.h"
#include "components/PaintedList.h"
#include "views/family/ParentCenterParts.h"
#include "views/family/TaskCardDelegate.h"

class AccountSession;
class Chip;
class ContentUnavailableView;
class TextLabel;

// "Задания": the waiting count, the four status chips with their counts and
// the cards of the tasks that pass the status and the child filters, painted
// in one list (TaskCardDelegate). A chip or the child filter sets the list's
// rows; a refresh repaints only the cards whose task changed. While an action
// runs every card's buttons are held, also those of cards a filter reveals
// meanwhile.
class TaskBoard : public QWidget {
    Q_OBJECT
public:
    explicit TaskBoard(AccountSession& account, QWidget* parent = nullptr);

    void setChildFilter(const QString& childId);
    QString childFilter() const { return childFilter_; }
    void setSelectedFilter(ParentTaskFilter filter);
    ParentTaskFilter selectedFilter() const { return selected_; }
    const std::optional<QString>& actionInFlight() const { return inFlight_; }

    // Sends an action ("approve" or "return") for a task.
    void perform(const FamilyTask& task, const QString& action);

    // For tests.
    TextLabel* waitingLabel() const { return waiting_; }
    Chip* filterChip(ParentTaskFilter filter) const;
    ContentUnavailableView* placeholder() const { return placeholder_; }
    // The cards' list: its rows are the ids of the tasks shown, in order;
    // its buttons are "return" and "approve" (TaskCardDelegate).
    PaintedList* list() const { return list_; }
    // What a task's card shows (none for a task the board does not hold).
    std::optional<TaskCardContent> card(const QString& taskId) const;

private:
    void drawTasks();
    void drawCounts();
    void drawList();
    void drawBusy();
    bool passes(const FamilyTask& task) const;
    QCoro::Task<> send(QString taskId, QString action);

    AccountSession& account_;
    TextLabel* waiting_;
    QMap<ParentTaskFilter, Chip*> chips_;
    ContentUnavailableView* placeholder_;
    QHash<QString, FamilyTask> tasks_;
    TaskCardDelegate delegate_{tasks_};
    PaintedList* list_;
    QString childFilter_;
    ParentTaskFilter selected_ = ParentTaskFilter::all;
    std::optional<QString> inFlight_;
    bool drawn_ = false;
};
