#include "views/family/TaskBoard.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QVBoxLayout>

#include "account/AccountSession.h"
#include "components/MoneyFocus.h"
#include "components/Button.h"
#include "components/Chip.h"
#include "components/ContentUnavailableView.h"
#include "components/Spinner.h"
#include "components/SymbolView.h"
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

}  // namespace

// ---- TaskCard ----

TaskCard::TaskCard(QWidget* parent) : Card(parent) {
    setObjectName(QStringLiteral("taskCard"));
    setPadding(FamilyStyle::taskCardPadding);
    setRadius(FamilyStyle::taskCardRadius);
    setSpacing(FamilyStyle::taskCardSpacing);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    icon_ = new SymbolView({}, 20);
    icon_->setObjectName(QStringLiteral("taskStatusIcon"));
    icon_->setFixedSize(FamilyStyle::statusTile, FamilyStyle::statusTile);
    auto* tile = new Card;
    tile->setBackground(ColorRole::TertiaryGroupedBackground);
    tile->setRadius(FamilyStyle::statusTileRadius);
    tile->setPadding(0);
    tile->addWidget(icon_);
    tile->setFixedSize(FamilyStyle::statusTile, FamilyStyle::statusTile);
    top->addWidget(tile, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    title_ = new TextLabel({}, TextStyle::Headline);
    title_->setObjectName(QStringLiteral("taskTitle"));
    title_->setWordWrap(true);
    texts->addWidget(title_);
    subtitle_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    subtitle_->setObjectName(QStringLiteral("taskSubtitle"));
    subtitle_->setWordWrap(true);
    texts->addWidget(subtitle_);
    top->addLayout(texts, 1);
    reward_ = new TextLabel({}, TextStyle::Caption, ColorRole::Green);
    reward_->setObjectName(QStringLiteral("taskReward"));
    reward_->setTextStyle(TextStyle::Caption, QFont::Black);
    reward_->setMinimumScaleFactor(0.7);
    top->addWidget(reward_, 0, Qt::AlignTop);
    stack()->addLayout(top);

    review_ = new QWidget;
    review_->setObjectName(QStringLiteral("taskReview"));
    QVBoxLayout* reviewColumn = bareColumn(review_, FamilyStyle::taskCardSpacing);
    auto* approvalsRow = new QHBoxLayout;
    auto* approvalsIcon = new SymbolView(QStringLiteral("person.2.fill"), 14);
    approvalsIcon->setTint(ColorRole::SecondaryLabel);
    approvalsRow->addWidget(approvalsIcon);
    approvals_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    approvals_->setObjectName(QStringLiteral("taskApprovals"));
    approvals_->setTextStyle(TextStyle::Caption, QFont::Bold);
    approvalsRow->addWidget(approvals_);
    approvalsRow->addStretch(1);
    ownVote_ = new TextLabel(QStringLiteral("Ваш голос учтён"), TextStyle::Caption, ColorRole::Green);
    ownVote_->setObjectName(QStringLiteral("taskOwnVote"));
    ownVote_->setTextStyle(TextStyle::Caption, QFont::Bold);
    approvalsRow->addWidget(ownVote_);
    reviewColumn->addLayout(approvalsRow);

    buttons_ = new QWidget;
    auto* buttonRow = new QHBoxLayout(buttons_);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->setSpacing(FamilyStyle::taskButtonSpacing);
    return_ = new Button(QStringLiteral("Вернуть"), Button::Style::Bordered,
                         QStringLiteral("arrow.uturn.backward"));
    return_->setObjectName(QStringLiteral("returnButton"));
    MoneyFocus::mark(return_);
    return_->setTint(ColorRole::Label);
    return_->setFullWidth(true);
    return_->setTextStyle(TextStyle::Footnote, QFont::Bold);
    buttonRow->addWidget(return_, 1);
    approve_ = new Button(QStringLiteral("Подтвердить"), Button::Style::BorderedProminent,
                          QStringLiteral("checkmark"));
    approve_->setObjectName(QStringLiteral("approveButton"));
    MoneyFocus::mark(approve_);
    approve_->setTint(parentcenter::lime());
    approve_->setLabelColor(Qt::black);
    approve_->setFullWidth(true);
    approve_->setTextStyle(TextStyle::Footnote, QFont::Bold);
    buttonRow->addWidget(approve_, 1);
    reviewColumn->addWidget(buttons_);

    spinnerRow_ = new QWidget;
    auto* spinnerLine = new QHBoxLayout(spinnerRow_);
    spinnerLine->setContentsMargins(0, 0, 0, 0);
    spinner_ = new Spinner(Spinner::kDefaultSize, spinnerRow_);
    spinner_->setObjectName(QStringLiteral("taskSpinner"));
    spinnerLine->addStretch(1);
    spinnerLine->addWidget(spinner_);
    spinnerLine->addStretch(1);
    reviewColumn->addWidget(spinnerRow_);
    addWidget(review_);

    connect(return_, &QAbstractButton::clicked, this,
            [this] { emit actionRequested(task_.id, QStringLiteral("return")); });
    connect(approve_, &QAbstractButton::clicked, this,
            [this] { emit actionRequested(task_.id, QStringLiteral("approve")); });
}

QString TaskCard::statusWord(const QString& status) {
    if (status == QLatin1String("active")) return QStringLiteral("в работе");
    if (status == kReview) return QStringLiteral("ждёт проверки");
    return QStringLiteral("выполнено");
}

void TaskCard::setTask(const FamilyTask& task, const QString& currencyCode, bool busy, bool acting) {
    const bool outlineChanged = (task.status == kReview) != (task_.status == kReview);
    task_ = task;
    if (task.status == QLatin1String("done")) {
        icon_->setSymbol(QStringLiteral("checkmark.seal.fill"));
        icon_->setTint(ColorRole::Green);
    } else if (task.status == kReview) {
        icon_->setSymbol(QStringLiteral("bell.badge.fill"));
        icon_->setTint(ColorRole::Orange);
    } else {
        icon_->setSymbol(QStringLiteral("clock.fill"));
        icon_->setTint(ColorRole::SecondaryLabel);
    }
    title_->setText(task.title);
    subtitle_->setText(task.child_nickname + QStringLiteral(" · ") + statusWord(task.status));
    reward_->setText(taskRewardText(task.reward_cents, currencyCode));

    const bool review = task.status == kReview;
    review_->setVisible(review);
    if (review) {
        const qint64 received = task.approval_count.value_or(0);
        const qint64 required =
            task.required_approvals && *task.required_approvals > 1 ? *task.required_approvals : 1;
        const bool ownVote = task.current_user_approved && *task.current_user_approved == 1;
        approvals_->setText(QStringLiteral("Подтверждения: %1/%2").arg(received).arg(required));
        ownVote_->setVisible(ownVote);
        approve_->setVisible(!ownVote);
        // Disabling a focused button would send the focus down the page.
        if (busy && buttons_->isAncestorOf(focusWidget())) focusWidget()->clearFocus();
        buttons_->setEnabled(!busy);
        spinnerRow_->setVisible(acting);
    }
    if (outlineChanged) update();
}

void TaskCard::paintEvent(QPaintEvent* event) {
    Card::paintEvent(event);
    if (task_.status != kReview) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor outline = parentcenter::gold();
    outline.setAlphaF(0.7f);
    p.setPen(QPen(outline, FamilyStyle::taskCardOutline));
    const qreal inset = FamilyStyle::taskCardOutline / 2;
    p.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), radius(), radius());
}

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
    list_ = new QWidget;
    list_->setObjectName(QStringLiteral("boardList"));
    listColumn_ = bareColumn(list_, FamilyStyle::boardSpacing);
    column->addWidget(list_);

    connect(&account_, &AccountSession::tasksChanged, this, &TaskBoard::drawTasks);
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key != QLatin1String(GlobalPreferences::kCurrencyCodeKey)) return;
        const QString code = GlobalPreferences::currencyCode();
        for (TaskCard* card : std::as_const(cards_))
            card->rewardLabel()->setText(taskRewardText(card->task().reward_cents, code));
    });
    drawTasks();
}

Chip* TaskBoard::filterChip(ParentTaskFilter filter) const { return chips_.value(filter); }

QList<TaskCard*> TaskBoard::visibleCards() const { return shown_; }

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

void TaskBoard::drawCard(TaskCard* card, const FamilyTask& task) {
    card->setTask(task, GlobalPreferences::currencyCode(), inFlight_.has_value(), inFlight_ == task.id);
}

void TaskBoard::drawTasks() {
    // Cards are kept by id: a refresh in which one task changed redraws
    // every card's texts (cheap) but builds none again.
    const QList<FamilyTask>& tasks = account_.tasks();
    QHash<QString, TaskCard*> kept;
    kept.reserve(tasks.size());
    for (const FamilyTask& task : tasks) {
        TaskCard* card = cards_.take(task.id);
        if (!card) {
            card = new TaskCard(list_);
            card->hide();
            connect(card, &TaskCard::actionRequested, this, [this](const QString& id, const QString& action) {
                if (TaskCard* acting = cards_.value(id)) perform(acting->task(), action);
            });
        }
        const bool same = card->task().id == task.id && card->task() == task;
        if (!same) drawCard(card, task);
        kept.insert(task.id, card);
    }
    for (TaskCard* gone : std::as_const(cards_)) gone->deleteLater();
    cards_ = std::move(kept);
    drawCounts();
    drawList();
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
    QList<TaskCard*> shown;
    for (const FamilyTask& task : account_.tasks())
        if (passes(task)) shown.append(cards_.value(task.id));
    if (shown != shown_) {
        for (TaskCard* card : std::as_const(shown_))
            if (cards_.value(card->task().id) == card && !shown.contains(card)) card->hide();
        // Put the shown cards in order at the top of the list; the layout
        // holds only shown cards.
        while (listColumn_->count() > 0) delete listColumn_->takeAt(0);
        for (TaskCard* card : shown) {
            listColumn_->addWidget(card);
            card->show();
        }
        shown_ = shown;
    }
    placeholder_->setVisible(shown.isEmpty());
    list_->setVisible(!shown.isEmpty());
}

void TaskBoard::perform(const FamilyTask& task, const QString& action) {
    if (inFlight_) return;
    inFlight_ = task.id;
    for (TaskCard* card : std::as_const(shown_)) drawCard(card, card->task());
    send(task.id, action);
}

QCoro::Task<> TaskBoard::send(QString taskId, QString action) {
    QPointer<TaskBoard> self(this);
    AccountSession* account = &account_;
    co_await account->act(taskId, action);
    if (!self) co_return;
    inFlight_.reset();
    for (TaskCard* card : std::as_const(cards_)) drawCard(card, card->task());
}
