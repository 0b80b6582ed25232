#include "views/family/ChildTaskList.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "components/MoneyFocus.h"
#include "components/Button.h"
#include "components/TextLabel.h"
#include "components/Theme.h"
#include "views/family/FamilyStyle.h"
#include "views/family/TaskTexts.h"

namespace {

void setTextIfChanged(TextLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

}  // namespace

ChildTaskRow::ChildTaskRow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("childTaskRow"));
    auto* column = new QVBoxLayout(this);
    const int padding = FamilyStyle::taskRowPadding + FamilyStyle::taskRowInset;
    column->setContentsMargins(0, padding, 0, padding);
    column->setSpacing(FamilyStyle::taskLineSpacing);

    auto* line = new QHBoxLayout;
    line->setSpacing(8);
    title_ = new TextLabel({}, TextStyle::Body, ColorRole::Label, this);
    title_->setObjectName(QStringLiteral("taskTitle"));
    title_->setTextStyle(TextStyle::Body, QFont::Bold);
    title_->setWordWrap(true);
    line->addWidget(title_, 1);
    reward_ = new TextLabel({}, TextStyle::Body, ColorRole::Green, this);
    reward_->setObjectName(QStringLiteral("taskReward"));
    reward_->setAlignment(Qt::AlignRight | Qt::AlignTop);
    line->addWidget(reward_, 0, Qt::AlignTop);
    column->addLayout(line);

    status_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel, this);
    status_->setObjectName(QStringLiteral("taskStatus"));
    column->addWidget(status_);

    done_ = new Button(QStringLiteral("Готово"), Button::Style::BorderedProminent, {}, this);
    done_->setObjectName(QStringLiteral("taskDoneButton"));
    MoneyFocus::mark(done_);
    done_->setTint(QColor(Qt::black));
    done_->setLabelColor(Qt::white);
    column->addWidget(done_, 0, Qt::AlignLeft);
    connect(done_, &QAbstractButton::clicked, this, [this] { emit completeRequested(taskId_); });
    connect(&Theme::current(), &Theme::changed, this, qOverload<>(&QWidget::update));
}

QString ChildTaskRow::statusText(const QString& status) {
    if (status == QLatin1String("active")) return QStringLiteral("В работе");
    if (status == QLatin1String("review")) return QStringLiteral("Ждёт проверки");
    return QStringLiteral("Выполнено");
}

void ChildTaskRow::setTask(const FamilyTask& task, const QString& currencyCode, bool acting) {
    taskId_ = task.id;
    setTextIfChanged(title_, task.title);
    setTextIfChanged(reward_, taskRewardText(task.reward_cents, currencyCode));
    setTextIfChanged(status_, statusText(task.status));
    const bool active = task.status == QLatin1String("active");
    if (done_->isHidden() == active) done_->setVisible(active);
    // Held until its request ends: a second tap would send a second "complete",
    // which the server refuses once the task waits for review.
    // Dropping the focus first keeps Qt from passing it on, and the page from
    // scrolling to wherever it went.
    if (acting && done_->hasFocus()) done_->clearFocus();
    done_->setEnabled(!acting);
}

void ChildTaskRow::setFirst(bool first) {
    if (first_ == first) return;
    first_ = first;
    update();
}

void ChildTaskRow::paintEvent(QPaintEvent*) {
    if (first_) return;
    QPainter p(this);
    p.fillRect(QRect(0, 0, width(), 1), Theme::current().color(ColorRole::Separator));
}

ChildTaskList::ChildTaskList(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("childTaskList"));
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);
}

void ChildTaskList::setTasks(const QList<FamilyTask>& tasks, const QString& currencyCode,
                             const QSet<QString>& acting) {
    QHash<QString, ChildTaskRow*> kept;
    kept.reserve(tasks.size());
    QList<ChildTaskRow*> order;
    order.reserve(tasks.size());
    for (const FamilyTask& task : tasks) {
        // A repeated id (which the server never sends) gets a row of its own.
        QString key = task.id;
        for (int n = 1; kept.contains(key); ++n) key = task.id + QChar(0) + QString::number(n);
        ChildTaskRow* row = rowsByKey_.take(key);
        if (!row) {
            row = new ChildTaskRow(this);
            connect(row, &ChildTaskRow::completeRequested, this, &ChildTaskList::completeRequested);
        }
        row->setTask(task, currencyCode, acting.contains(task.id));
        row->setFirst(order.isEmpty());
        kept.insert(key, row);
        order.append(row);
    }
    for (ChildTaskRow* gone : std::as_const(rowsByKey_)) {
        column_->removeWidget(gone);
        gone->hide();
        gone->deleteLater();  // its "Готово" may be what is calling
    }
    rowsByKey_ = std::move(kept);
    if (order != order_) {
        // Laid out again only when the order changed (a new task, one gone).
        for (ChildTaskRow* row : std::as_const(order)) column_->removeWidget(row);
        for (ChildTaskRow* row : std::as_const(order)) {
            column_->addWidget(row);
            row->show();
        }
        order_ = std::move(order);
    }
}
