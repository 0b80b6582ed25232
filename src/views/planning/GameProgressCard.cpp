#include "views/planning/GameProgressCard.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/ProgressBar.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "views/planning/PlannerStyle.h"

namespace {
constexpr qint64 kPointsPerLevel = 100;
}

GameProgressCard::GameProgressCard(QWidget* parent)
    : MoneyCard(QStringLiteral("Игровой прогресс"), QStringLiteral("gamecontroller.fill"), nullptr, parent) {
    setObjectName(QStringLiteral("gameProgressCard"));
    auto* row = new QHBoxLayout;
    row->setSpacing(planner_style::rowGap);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(planner_style::templateTextSpacing);
    level_ = new TextLabel({}, TextStyle::Title2);
    level_->setObjectName(QStringLiteral("gameLevel"));
    level_->setTextStyle(TextStyle::Title2, QFont::Bold);
    texts->addWidget(level_);
    points_ = new TextLabel({}, TextStyle::Body, ColorRole::SecondaryLabel);
    points_->setObjectName(QStringLiteral("gamePoints"));
    points_->setWordWrap(true);
    texts->addWidget(points_);
    row->addLayout(texts, 1);
    auto* star = new SymbolView(QStringLiteral("star.circle.fill"), planner_style::gameSymbolSize);
    star->setTint(ColorRole::Yellow);
    row->addWidget(star, 0, Qt::AlignVCenter);
    stack()->addLayout(row);

    bar_ = new ProgressBar;
    bar_->setObjectName(QStringLiteral("gameBar"));
    bar_->setTint(ColorRole::Yellow);
    addWidget(bar_);
    next_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    next_->setObjectName(QStringLiteral("gameNextLevel"));
    next_->setWordWrap(true);
    addWidget(next_);
}

void GameProgressCard::draw(qint64 points) {
    points = std::max<qint64>(points, 0);
    const qint64 progress = points % kPointsPerLevel;
    level_->setText(QStringLiteral("Уровень ") + QString::number(points / kPointsPerLevel + 1));
    points_->setText(QString::number(points) + QStringLiteral(" очков"));
    bar_->setValue(double(progress) / double(kPointsPerLevel));
    next_->setText(QStringLiteral("До следующего уровня: ") + QString::number(kPointsPerLevel - progress) +
                   QStringLiteral(" очков"));
}
