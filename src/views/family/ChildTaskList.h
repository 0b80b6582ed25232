#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QWidget>
#include <functional>

#include "account/FamilyRecords.h"

class Button;
class QVBoxLayout;
class TextLabel;

// One money task on the child's screen: the title in bold with the reward in
// green at the trailing end, the status below it and, while the task is
// active, "Готово".
class ChildTaskRow : public QWidget {
    Q_OBJECT
public:
    explicit ChildTaskRow(QWidget* parent = nullptr);

    // acting: a "complete" for this task is being sent.
    void setTask(const FamilyTask& task, const QString& currencyCode, bool acting);
    // The hairline above every row but the first.
    void setFirst(bool first);

    const QString& taskId() const { return taskId_; }
    TextLabel* titleLabel() const { return title_; }
    TextLabel* rewardLabel() const { return reward_; }
    TextLabel* statusLabel() const { return status_; }
    Button* doneButton() const { return done_; }

    // "В работе" for "active", "Ждёт проверки" for "review", "Выполнено" for anything else.
    static QString statusText(const QString& status);

signals:
    void completeRequested(const QString& taskId);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString taskId_;
    bool first_ = true;
    TextLabel* title_;
    TextLabel* reward_;
    TextLabel* status_;
    Button* done_;
};

// The task rows in the server's order. A redraw updates the rows it already
// has in place (by task id), adds the new ones and drops the gone ones, so the
// rows, and the page's scroll position, survive every refresh.
class ChildTaskList : public QWidget {
    Q_OBJECT
public:
    explicit ChildTaskList(QWidget* parent = nullptr);

    void setTasks(const QList<FamilyTask>& tasks, const QString& currencyCode, const QSet<QString>& acting);
    QList<ChildTaskRow*> rows() const { return order_; }

signals:
    void completeRequested(const QString& taskId);

private:
    QVBoxLayout* column_;
    QHash<QString, ChildTaskRow*> rowsByKey_;
    QList<ChildTaskRow*> order_;
};
