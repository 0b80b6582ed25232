#include "views/ledger/dashboard/GoalsCard.h"

#include <QHBoxLayout>

#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/TextLabel.h"
#include "store/MoneyStore.h"
#include "views/ledger/LedgerFigures.h"
#include "views/ledger/dashboard/DashboardKit.h"
#include "views/ledger/dashboard/DashboardStyle.h"
#include "views/planning/ToolRows.h"

using namespace dashboard;

GoalsCard::GoalsCard(MoneyStore& store, std::function<void()> addGoal, QWidget* parent)
    : Card(parent), store_(store) {
    frameCard(this, QStringLiteral("goalsCard"), 16);
    auto* header = new QHBoxLayout;
    header->addWidget(headerLabel(QStringLiteral("Мои цели"), QStringLiteral("target")), 1);
    Button* add = headerAddButton(QStringLiteral("addGoalButton"));
    connect(add, &QAbstractButton::clicked, this, [addGoal = std::move(addGoal)] {
        if (addGoal) addGoal();
    });
    header->addWidget(add);
    stack()->addLayout(header);

    placeholder_ = new ContentUnavailableView(QStringLiteral("Добавь первую цель"), QStringLiteral("target"),
                                              QStringLiteral("Например, новый компьютер или путешествие"));
    placeholder_->setObjectName(QStringLiteral("goalsPlaceholder"));
    placeholder_->hide();
    addWidget(placeholder_);
    list_ = new PaintedList(delegate_);
    list_->setObjectName(QStringLiteral("goalRows"));
    list_->setSpacing(2 * dashboard_style::goalListGap + 1);
    list_->setDividers(true);
    addWidget(list_);
    connect(list_, &PaintedList::buttonClicked, this, [this](const QString& key, const QString&) {
        // Deleted at once, without confirmation.
        if (const auto it = rows_.constFind(key); it != rows_.constEnd()) store_.deleteGoal(it->goalId);
    });
}

std::optional<GoalRowContent> GoalsCard::row(const QString& key) const {
    const auto it = rows_.constFind(key);
    return it == rows_.constEnd() ? std::nullopt : std::optional(*it);
}

void GoalsCard::draw() {
    const std::vector<SavingsGoal> goals = store_.goals();
    const Decimal balance = LedgerFigures(store_).balance();
    auto [keys, next] = rowsOf<GoalRowContent>(
        goals, [](const SavingsGoal& goal) { return goal.id; },
        [&](const SavingsGoal& goal) { return GoalRowContent::of(goal, balance); });
    placeholder_->setVisible(goals.empty());
    list_->setVisible(!goals.empty());
    showRows(list_, keys, replaceRows(rows_, std::move(next)));
}
