#pragma once

#include <QCoroTask>
#include <QHash>
#include <QMap>
#include <QWidget>
#include <optional>

#include "account/FamilyRecords.h"
#include "components/Card.h"
#include "views/family/ParentCenterParts.h"

class AccountSession;
class Button;
class Chip;
class ContentUnavailableView;
class Spinner;
class SymbolView;
class TextLabel;
class QVBoxLayout;

// One task of the board: status icon, title, "nickname · status", the
// reward and, while it awaits review, the approvals with "Вернуть" and
// "Подтвердить". Updated in place when its task changes.
class TaskCard : public Card {
    Q_OBJECT
public:
    explicit TaskCard(QWidget* parent = nullptr);

    // `busy`: an action of any card runs; `acting`: this card's.
    void setTask(const FamilyTask& task, const QString& currencyCode, bool busy, bool acting);
    const FamilyTask& task() const { return task_; }

    static QString statusWord(const QString& status);

    TextLabel* titleLabel() const { return title_; }
    TextLabel* subtitleLabel() const { return subtitle_; }
    TextLabel* rewardLabel() const { return reward_; }
    SymbolView* statusIcon() const { return icon_; }
    QWidget* reviewPart() const { return review_; }
    TextLabel* approvalsLabel() const { return approvals_; }
    TextLabel* ownVoteLabel() const { return ownVote_; }
    Button* returnButton() const { return return_; }
    Button* approveButton() const { return approve_; }
    Spinner* spinner() const { return spinner_; }

signals:
    void actionRequested(const QString& taskId, const QString& action);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    FamilyTask task_;
    SymbolView* icon_;
    TextLabel* title_;
    TextLabel* subtitle_;
    TextLabel* reward_;
    QWidget* review_;
    TextLabel* approvals_;
    TextLabel* ownVote_;
    QWidget* buttons_;
    Button* return_;
    Button* approve_;
    QWidget* spinnerRow_;
    Spinner* spinner_;
};

// "Задания": the waiting count, the four status chips with their counts and
// the cards of the tasks that pass the status and the child filters. Cards
// are kept by task id and updated in place; only what a change touches is
// drawn again.
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
    // The cards shown, in order.
    QList<TaskCard*> visibleCards() const;
    TaskCard* card(const QString& taskId) const { return cards_.value(taskId); }

private:
    void drawTasks();
    void drawCounts();
    void drawList();
    void drawCard(TaskCard* card, const FamilyTask& task);
    bool passes(const FamilyTask& task) const;
    QCoro::Task<> send(QString taskId, QString action);

    AccountSession& account_;
    TextLabel* waiting_;
    QMap<ParentTaskFilter, Chip*> chips_;
    ContentUnavailableView* placeholder_;
    QWidget* list_;
    QVBoxLayout* listColumn_;
    QHash<QString, TaskCard*> cards_;
    QList<TaskCard*> shown_;
    QString childFilter_;
    ParentTaskFilter selected_ = ParentTaskFilter::all;
    std::optional<QString> inFlight_;
};
