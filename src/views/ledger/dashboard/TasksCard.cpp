#include "views/ledger/dashboard/TasksCard.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/PaintedList.h"
#include "components/Popups.h"
#include "components/Symbols.h"
#include "components/TextLabel.h"
#include "store/MoneyStore.h"
#include "views/ledger/dashboard/DashboardStyle.h"
#include "views/planning/ToolRows.h"
#include "views/ledger/dashboard/DashboardKit.h"

using namespace dashboard;

TasksCard::TasksCard(MoneyStore& store, std::function<void()> addTask,
                     std::function<void(const QString&)> complete, QWidget* parent)
    : Card(parent), store_(store), complete_(std::move(complete)) {
    frameCard(this, QStringLiteral("tasksCard"), 14);
    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(headerLabel(QStringLiteral("Денежные задания"), QStringLiteral("checkmark.seal.fill")));
    completedCount_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    completedCount_->setObjectName(QStringLiteral("completedTaskCount"));
    titles->addWidget(completedCount_);
    header->addLayout(titles, 1);
    Button* add = headerAddButton(QStringLiteral("addTaskButton"));
    connect(add, &QAbstractButton::clicked, this, [addTask = std::move(addTask)] {
        if (addTask) addTask();
    });
    header->addWidget(add, 0, Qt::AlignVCenter);
    stack()->addLayout(header);
    list_ = new PaintedList(delegate_);
    list_->setObjectName(QStringLiteral("taskRows"));
    list_->setSpacing(2 * dashboard_style::taskListGap + 1);
    list_->setDividers(true);
    addWidget(list_);
    connect(list_, &PaintedList::buttonClicked, this, [this](const QString& key, const QString& button) {
        const auto it = rows_.constFind(key);
        if (it == rows_.constEnd()) return;
        if (button == TaskRowDelegate::kMore) {
            showMenu(key);
        } else if (complete_) {
            complete_(it->taskId);
        }
    });

    // One menu serves every row: it deletes the task it was opened for.
    menu_ = new QMenu(this);
    menu_->setObjectName(QStringLiteral("taskMenu"));
    QAction* remove =
        menu_->addAction(Symbols::icon(QStringLiteral("trash"), ColorRole::Red), QStringLiteral("Удалить"));
    remove->setObjectName(QStringLiteral("deleteTaskAction"));
    Popups::setDestructive(remove);
    connect(remove, &QAction::triggered, this, [this] {
        if (!menuTaskId_.isEmpty()) store_.deleteTask(menuTaskId_);
    });
}

std::optional<TaskRowContent> TasksCard::row(const QString& key) const {
    const auto it = rows_.constFind(key);
    return it == rows_.constEnd() ? std::nullopt : std::optional(*it);
}

void TasksCard::draw() {
    completedCount_->setText(QStringLiteral("Выполнено: ") + QString::number(store_.completedTaskCount()));
    const std::vector<RewardTask> tasks = store_.rewardTasksInUse();
    auto [keys, next] = rowsOf<TaskRowContent>(
        tasks, [](const RewardTask& task) { return task.id; }, &TaskRowContent::of);
    list_->setVisible(!tasks.empty());
    showRows(list_, keys, replaceRows(rows_, std::move(next)));
}

void TasksCard::showMenu(const QString& key) {
    menuTaskId_ = rows_.value(key).taskId;
    const QRect button = list_->buttonRect(key, TaskRowDelegate::kMore);
    menu_->popup(list_->mapToGlobal(QPoint(button.right() + 1 - menu_->sizeHint().width(), button.bottom() + 1)));
}
