#include "views/ledger/dashboard/GoalsCard.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/MoneyCard.h"
#include "components/ProgressBar.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "services/MoneyText.h"
#include "store/LedgerQueries.h"
#include "store/MoneyStore.h"
#include "views/ledger/DashboardParts.h"
#include "views/ledger/dashboard/DashboardKit.h"

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
    auto* list = new QWidget;
    list_ = listLayout(list, 16);
    addWidget(list);
}

void GoalsCard::draw() {
    const std::vector<SavingsGoal> goals = store_.goals();
    const Decimal balance = store_.balance();
    QStringList shown;
    for (const SavingsGoal& goal : goals) {
        const GoalProgress progress = ledger::goalProgress(balance, goal.amount);
        // The bar moves within a whole percent too.
        shown << goal.id << goal.name << cnyText(goal.amount) << QString::number(progress.percent)
              << QString::number(progress.fraction, 'g', 17);
    }
    if (shown == shown_) return;
    shown_ = shown;

    clearLayout(list_);
    if (goals.empty()) {
        auto* placeholder =
            new ContentUnavailableView(QStringLiteral("Добавь первую цель"), QStringLiteral("target"),
                                       QStringLiteral("Например, новый компьютер или путешествие"));
        placeholder->setObjectName(QStringLiteral("goalsPlaceholder"));
        list_->addWidget(placeholder);
        return;
    }
    for (std::size_t i = 0; i < goals.size(); ++i) {
        list_->addWidget(goalRow(goals[i], balance));
        if (i + 1 < goals.size()) list_->addWidget(new Divider);
    }
}

QWidget* GoalsCard::goalRow(const SavingsGoal& goal, const Decimal& balance) {
    const GoalProgress progress = ledger::goalProgress(balance, goal.amount);
    const QString amount = cnyText(goal.amount);
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("goalRow"));
    row->setProperty("goalId", goal.id);
    row->setAccessibleName(QStringLiteral("Цель ") + goal.name + QStringLiteral(", ") + amount +
                           QStringLiteral(", накоплено ") + QString::number(progress.percent) +
                           QStringLiteral(" процентов"));
    auto* column = listLayout(row, 8);

    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    auto* name = new TextLabel(goal.name, TextStyle::Subheadline);
    name->setObjectName(QStringLiteral("goalName"));
    name->setTextStyle(TextStyle::Subheadline, QFont::DemiBold);
    name->setWordWrap(true);
    top->addWidget(name, 1);
    auto* sum = new TextLabel(amount, TextStyle::Subheadline);
    sum->setObjectName(QStringLiteral("goalAmount"));
    sum->setMinimumScaleFactor(TextFit::kMinimumScale);
    top->addWidget(sum);
    auto* remove = new Button(QStringLiteral("Удалить цель"), Button::Style::Plain, QStringLiteral("trash"));
    remove->setObjectName(QStringLiteral("deleteGoalButton"));
    remove->setIconOnly(true);
    remove->setRole(Button::Role::Destructive);
    const QString id = goal.id;
    connect(remove, &QAbstractButton::clicked, this, [this, id] { store_.deleteGoal(id); });
    top->addWidget(remove);
    column->addLayout(top);

    auto* bar = new ProgressBar;
    bar->setObjectName(QStringLiteral("goalBar"));
    bar->setTint(ColorRole::Teal);
    bar->setValue(progress.fraction);
    column->addWidget(bar);
    auto* percent = new TextLabel(QString::number(progress.percent) + QStringLiteral("% накоплено"),
                                  TextStyle::Caption, ColorRole::SecondaryLabel);
    percent->setObjectName(QStringLiteral("goalPercent"));
    column->addWidget(percent);
    return row;
}
