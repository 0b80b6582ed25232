#include "views/family/TaskBoard.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>

#include "account/AccountSession.h"
#include "components/Chip.h"
#include "components/ContentUnavailableView.h"
#include "components/TextLabel.h"
#include "services/GlobalPreferences.h"
#include "services/Preferences.h"
#include "views/family/FamilyStyle.h"
#include "views/family/TaskTexts.h"

namespace {

const QString kReview = QStringLiteral("review");

QVBoxLayout* bareColumn(QWidget* widget, int spacing) {
    auto* column = new QVBoxLayout(widget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    return column;
}

// A failed action may mean the task changed under the parent (the other
// parent returned or approved it): the card then shows the server's state.
QCoro::Task<> refreshAfterFailure(AccountSession* account) {
    try {
        co_await account->refresh();
    } catch (...) {
        // No connection: the card stays as it was, the action's error is shown.
    }
}

}  // namespace

// ---- TaskBoard ----

TaskBoard::TaskBoard(AccountSession& account, QWidget* parent) : QWidget(parent), account_(account) {
    setObjectName(QStringLiteral("taskBoard"));
    QVBoxLayout* column = bareColumn(this, FamilyStyle::boardSpacing);

    auto* header = new QHBoxLayout;
    header->addWidget(parentcenter::sectionTitle(QStringLiteral("Задания"), QStringLiteral("checklist")));
    header->addStretch(1);
    waiting_ = new TextLabel({}, TextStyle::Caption, ColorRole::Orange);
    waiting_->setObjectName(QStringLiteral("waitingLabel"));
    waiting_->setTextStyle(TextStyle::Caption, QFont::Bold);
    header->addWidget(waiting_);
    column->addLayout(header);

    auto* chips = new ChipRow(FamilyStyle::filterChipSpacing, this);
    chips->setObjectName(QStringLiteral("filterChips"));
    for (ParentTaskFilter filter : parentcenter::allFilters()) {
        auto* chip = new Chip(parentcenter::filterTitle(filter), parentcenter::filterSymbol(filter));
        chip->setObjectName(QStringLiteral("filter_") + parentcenter::rawValue(filter));
        chip->setTextStyle(TextStyle::Caption, QFont::Bold);
        chip->setPadding(FamilyStyle::filterChipPaddingX, FamilyStyle::filterChipPaddingY);
        chip->setSelected(filter == selected_);
        chips->addWidget(chip);
        chips_.insert(filter, chip);
        connect(chip, &QAbstractButton::clicked, this, [this, filter] { setSelectedFilter(filter); });
    }
    column->addWidget(chips);

    placeholder_ = new ContentUnavailableView(QStringLiteral("Здесь пока пусто"), QStringLiteral("tray"),
                                              QStringLiteral("Задания появятся в этом разделе"));
    placeholder_->setObjectName(QStringLiteral("boardPlaceholder"));
    placeholder_->setContentsMargins(0, FamilyStyle::emptyBoardMargin, 0, FamilyStyle::emptyBoardMargin);
    column->addWidget(placeholder_);
    delegate_.setCurrencyCode(GlobalPreferences::currencyCode());
    list_ = new PaintedList(delegate_);
    list_->setObjectName(QStringLiteral("boardList"));
    list_->setSpacing(FamilyStyle::boardSpacing);
    // A family's thousand tasks are not measured to open the page.
    list_->setMeasuredAhead(FamilyStyle::taskCardEstimate);
    column->addWidget(list_);
    connect(list_, &PaintedList::buttonClicked, this, [this](const QString& id, const QString& key) {
        const auto it = tasks_.constFind(id);
        if (it != tasks_.constEnd()) perform(*it, key);
    });

    connect(&account_, &AccountSession::tasksChanged, this, &TaskBoard::drawTasks);
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key != QLatin1String(GlobalPreferences::kCurrencyCodeKey)) return;
        delegate_.setCurrencyCode(GlobalPreferences::currencyCode());
        list_->updateAllRows();
    });
    drawTasks();
}

Chip* TaskBoard::filterChip(ParentTaskFilter filter) const { return chips_.value(filter); }

std::optional<TaskCardContent> TaskBoard::card(const QString& taskId) const {
    const auto it = tasks_.constFind(taskId);
    if (it == tasks_.constEnd()) return std::nullopt;
    return TaskCardContent::of(*it, delegate_.currencyCode());
}

void TaskBoard::setChildFilter(const QString& childId) {
    if (childId == childFilter_) return;
    childFilter_ = childId;
    drawList();
}

void TaskBoard::setSelectedFilter(ParentTaskFilter filter) {
    if (filter == selected_) return;
    chips_[selected_]->setSelected(false);
    selected_ = filter;
    chips_[selected_]->setSelected(true);
    drawList();
}

bool TaskBoard::passes(const FamilyTask& task) const {
    if (selected_ != ParentTaskFilter::all && task.status != parentcenter::rawValue(selected_)) return false;
    return childFilter_.isEmpty() || task.child_user_id == childFilter_;
}

void TaskBoard::drawTasks() {
    // Kept by id and updated in place: a refresh in which one task changed
    // copies, measures and paints that one card again.
    const QList<FamilyTask>& tasks = account_.tasks();
    QStringList changed;
    for (const FamilyTask& task : tasks) {
        const auto old = tasks_.find(task.id);
        if (old != tasks_.end() && *old == task) continue;
        // Before the first draw nothing was measured that could be forgotten.
        if (old != tasks_.end() || drawn_) {
            changed << task.id;
            delegate_.forget(task.id);
        }
        if (old != tasks_.end())
            *old = task;
        else
            tasks_.insert(task.id, task);
    }
    // More held than sent: some went (ids are unique in an answer).
    if (tasks_.size() != tasks.size()) {
        QSet<QString> sent;
        sent.reserve(tasks.size());
        for (const FamilyTask& task : tasks) sent.insert(task.id);
        for (auto it = tasks_.begin(); it != tasks_.end();) {
            if (sent.contains(it.key())) {
                ++it;
                continue;
            }
            delegate_.forget(it.key());
            it = tasks_.erase(it);
        }
    }
    drawn_ = true;
    drawCounts();
    drawList();
    for (const QString& id : std::as_const(changed)) list_->updateRow(id);
}

void TaskBoard::drawCounts() {
    int review = 0, active = 0, done = 0;
    for (const FamilyTask& task : account_.tasks()) {
        review += task.status == kReview;
        active += task.status == QLatin1String("active");
        done += task.status == QLatin1String("done");
    }
    waiting_->setText(QString::number(review) + QStringLiteral(" ждут вас"));
    waiting_->setVisible(review >= 1);
    const QMap<ParentTaskFilter, int> counts = {{ParentTaskFilter::all, int(account_.tasks().size())},
                                                {ParentTaskFilter::review, review},
                                                {ParentTaskFilter::active, active},
                                                {ParentTaskFilter::done, done}};
    for (auto it = chips_.cbegin(); it != chips_.cend(); ++it)
        it.value()->setTitle(parentcenter::filterTitle(it.key()) + QLatin1Char(' ') +
                             QString::number(counts.value(it.key())));
}

void TaskBoard::drawList() {
    QStringList shown;
    for (const FamilyTask& task : account_.tasks())
        if (passes(task)) shown << task.id;
    if (shown != list_->rows()) list_->setRows(shown);
    placeholder_->setVisible(shown.isEmpty());
    list_->setVisible(!shown.isEmpty());
}

void TaskBoard::drawBusy() {
    // The list reads both whenever it paints a card or takes a press, so a
    // card a filter reveals while the action runs is held as well.
    list_->setHeld(inFlight_.has_value());
    list_->setBusyRows(inFlight_ ? QSet<QString>{*inFlight_} : QSet<QString>{});
}

void TaskBoard::perform(const FamilyTask& task, const QString& action) {
    if (inFlight_) return;
    inFlight_ = task.id;
    drawBusy();
    send(task.id, action);
}

QCoro::Task<> TaskBoard::send(QString taskId, QString action) {
    QPointer<TaskBoard> self(this);
    AccountSession* account = &account_;
    co_await account->act(taskId, action);
    if (!self) co_return;
    if (account->errorMessage()) co_await refreshAfterFailure(account);
    if (!self) co_return;
    inFlight_.reset();
    drawBusy();
}
