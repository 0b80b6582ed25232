#include "views/ledger/dashboard/TasksCard.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/MoneyFocus.h"
#include "components/DateText.h"
#include "components/MoneyCard.h"
#include "components/Popups.h"
#include "components/Symbols.h"
#include "components/TextLabel.h"
#include "services/MoneyText.h"
#include "store/MoneyStore.h"
#include "views/ledger/DashboardParts.h"
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
    auto* list = new QWidget;
    list_ = listLayout(list, 14);
    addWidget(list);
}

void TasksCard::draw() {
    completedCount_->setText(QStringLiteral("Выполнено: ") + QString::number(store_.completedTaskCount()));
    const std::vector<RewardTask> tasks = store_.rewardTasksInUse();
    QStringList shown;
    for (const RewardTask& task : tasks)
        shown << task.id << task.title << cnyText(task.reward) << QString::number(task.completionCount)
              << (task.dueDate ? DateText::abbreviatedDateTime(*task.dueDate) : QString())
              << QString::number(task.difficulty.value_or(1));
    if (shown == shown_) return;
    shown_ = shown;

    clearLayout(list_);
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        list_->addWidget(taskRow(tasks[i]));
        if (i + 1 < tasks.size()) list_->addWidget(new Divider);
    }
    list_->parentWidget()->setVisible(!tasks.empty());
}

QWidget* TasksCard::taskRow(const RewardTask& task) {
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("taskRow"));
    row->setProperty("taskId", task.id);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(12);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    auto* title = new TextLabel(task.title, TextStyle::Subheadline);
    title->setObjectName(QStringLiteral("taskTitle"));
    title->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    title->setWordWrap(true);
    texts->addWidget(title);
    auto* reward = new TextLabel(QStringLiteral("Награда ") + cnyText(task.reward) +
                                     QStringLiteral(" · выполнено ") + QString::number(task.completionCount),
                                 TextStyle::Caption, ColorRole::SecondaryLabel);
    reward->setObjectName(QStringLiteral("taskReward"));
    reward->setWordWrap(true);
    texts->addWidget(reward);
    if (task.dueDate) {
        auto* due = new TextLabel(QStringLiteral("До ") + DateText::abbreviatedDateTime(*task.dueDate) +
                                      QStringLiteral(" · сложность ") +
                                      QString::number(task.difficulty.value_or(1)) + QStringLiteral("/3"),
                                  TextStyle::Caption2, ColorRole::SecondaryLabel);
        due->setObjectName(QStringLiteral("taskDue"));
        due->setWordWrap(true);
        texts->addWidget(due);
    }
    line->addLayout(texts, 1);
    line->addSpacing(0);  // the row's spacing (12) already keeps the texts 8 or more from the button

    const QString id = task.id;
    auto* done = new Button(QStringLiteral("Готово"), Button::Style::BorderedProminent);
    done->setObjectName(QStringLiteral("taskDoneButton"));
    MoneyFocus::mark(done);
    done->setTint(ColorRole::Teal);
    done->setLabelColor(QColor(Qt::white));
    done->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    connect(done, &QAbstractButton::clicked, this, [this, id] {
        if (complete_) complete_(id);
    });
    line->addWidget(done, 0, Qt::AlignVCenter);

    auto* more = new Button(QStringLiteral("Действия"), Button::Style::Plain, QStringLiteral("ellipsis"));
    more->setObjectName(QStringLiteral("taskMenuButton"));
    more->setIconOnly(true);
    auto* menu = new QMenu(more);
    menu->setObjectName(QStringLiteral("taskMenu"));
    QAction* remove =
        menu->addAction(Symbols::icon(QStringLiteral("trash"), ColorRole::Red),
                        QStringLiteral("Удалить"));
    remove->setObjectName(QStringLiteral("deleteTaskAction"));
    Popups::setDestructive(remove);
    connect(remove, &QAction::triggered, this, [this, id] { store_.deleteTask(id); });
    connect(more, &QAbstractButton::clicked, menu, [more, menu] {
        menu->popup(more->mapToGlobal(QPoint(more->width() - menu->sizeHint().width(), more->height())));
    });
    line->addWidget(more, 0, Qt::AlignVCenter);
    return row;
}
