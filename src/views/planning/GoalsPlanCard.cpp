#include "views/planning/GoalsPlanCard.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/MoneyFocus.h"
#include "components/Button.h"
#include "components/TextLabel.h"
#include "services/MoneyText.h"
#include "store/MoneyMath.h"
#include "store/MoneyStore.h"
#include "views/planning/KeyedRowList.h"
#include "views/planning/PlannerStyle.h"

namespace {
const QString kPrimaryGoalId = QStringLiteral("primary");
}

GoalPlanRow::GoalPlanRow(MoneyStore& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("goalPlanRow"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(planner_style::goalRowSpacing);

    auto* top = new QHBoxLayout;
    top->setSpacing(planner_style::rowGap);
    name_ = new TextLabel({}, TextStyle::Body);
    name_->setObjectName(QStringLiteral("goalPlanName"));
    name_->setTextStyle(TextStyle::Body, QFont::DemiBold);
    name_->setWordWrap(true);
    top->addWidget(name_, 1);
    left_ = new TextLabel({}, TextStyle::Caption);
    left_->setObjectName(QStringLiteral("goalPlanLeft"));
    left_->setWordWrap(true);
    left_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    top->addWidget(left_, 0, Qt::AlignVCenter);
    column->addLayout(top);

    days_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    days_->setObjectName(QStringLiteral("goalPlanDays"));
    column->addWidget(days_);
    perDay_ = new TextLabel({}, TextStyle::Caption, ColorRole::Teal);
    perDay_->setObjectName(QStringLiteral("goalPlanPerDay"));
    perDay_->setWordWrap(true);
    column->addWidget(perDay_);
    archive_ = new Button(QStringLiteral("Архивировать"), Button::Style::Plain, QStringLiteral("archivebox"));
    archive_->setObjectName(QStringLiteral("archiveGoalButton"));
    MoneyFocus::mark(archive_);
    archive_->setTextStyle(TextStyle::Caption);
    column->addWidget(archive_, 0, Qt::AlignLeft);
    connect(archive_, &QAbstractButton::clicked, this, [this] { store_.archiveGoal(goalId_); });
}

void GoalPlanRow::draw(const SavingsGoal& goal, const Decimal& balance, std::optional<qint64> days) {
    goalId_ = goal.id;
    name_->setText(goal.name);
    const Decimal left = GoalsPlanCard::leftToSave(goal.amount, balance);
    left_->setText(QStringLiteral("Осталось ") + cnyText(left));
    days_->setVisible(days.has_value());
    if (days) days_->setText(QString::number(*days) + QStringLiteral(" дн. до срока"));
    const std::optional<Decimal> daily = GoalsPlanCard::perDay(left, days);
    perDay_->setVisible(daily.has_value());
    if (daily)
        perDay_->setText(QStringLiteral("Нужно откладывать ") + cnyText(*daily) + QStringLiteral(" в день"));
    archive_->setVisible(goal.id != kPrimaryGoalId);
}

GoalsPlanCard::GoalsPlanCard(MoneyStore& store, QWidget* parent)
    : MoneyCard(QStringLiteral("План целей"), QStringLiteral("target"), nullptr, parent),
      store_(store),
      rows_(new KeyedRowList(planner_style::listSpacing)) {
    setObjectName(QStringLiteral("goalsPlanCard"));
    addWidget(rows_);
}

Decimal GoalsPlanCard::leftToSave(const Decimal& amount, const Decimal& balance) {
    const Decimal left = money::sub(amount, balance);
    return left.signum() > 0 ? left : Decimal();
}

std::optional<Decimal> GoalsPlanCard::perDay(const Decimal& left, std::optional<qint64> days) {
    if (!days || *days < 1) return std::nullopt;
    return money::div(left, Decimal(static_cast<long long>(*days)));
}

void GoalsPlanCard::draw(const QueryContext& ctx, const Decimal& balance) {
    const std::vector<SavingsGoal> goals = ledger::goals(store_.data());
    QStringList ids;
    ids.reserve(qsizetype(goals.size()));
    for (const SavingsGoal& goal : goals) ids.append(goal.id);
    // With no goals the card holds only its title.
    rows_->setVisible(!goals.empty());
    rows_->setKeys(
        KeyedRowList::uniqueKeys(ids), [this](const QString&) { return new GoalPlanRow(store_); },
        [&](int i, QWidget* row) {
            static_cast<GoalPlanRow*>(row)->draw(goals[i], balance, ledger::daysRemaining(goals[i], ctx));
        });
}

int GoalsPlanCard::rowCount() const { return int(rows_->keys().size()); }

GoalPlanRow* GoalsPlanCard::rowAt(int index) const {
    return rows_->rowAs<GoalPlanRow>(rows_->keys().value(index));
}
