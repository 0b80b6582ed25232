#include "views/analytics/AchievementsCard.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/ProgressBar.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "views/analytics/AnalyticsStyle.h"
#include "views/ledger/DashboardParts.h"
#include "views/planning/BadgeRank.h"

using namespace analytics_style;

AchievementsCard::AchievementsCard(std::function<void()> openBadges, QWidget* parent)
    : MoneyCard(QStringLiteral("Достижения"), QStringLiteral("trophy.fill"), nullptr, parent) {
    setObjectName(QStringLiteral("achievementsCard"));
    auto* header = new QHBoxLayout;
    header->setSpacing(rowSpacing);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(rankSpacing);
    rank_ = new TextLabel({}, TextStyle::Headline);
    rank_->setObjectName(QStringLiteral("badgeRank"));
    rank_->setMinimumScaleFactor(TextFit::kMinimumScale);
    texts->addWidget(rank_);
    points_ = new TextLabel({}, TextStyle::Caption, ColorRole::SecondaryLabel);
    points_->setObjectName(QStringLiteral("badgePoints"));
    points_->setMinimumScaleFactor(TextFit::kMinimumScale);
    texts->addWidget(points_);
    header->addLayout(texts, 1);
    count_ = new TextLabel({}, TextStyle::Title3, ColorRole::Yellow);
    count_->setTextStyle(TextStyle::Title3, QFont::Bold);
    count_->setObjectName(QStringLiteral("badgeCount"));
    header->addWidget(count_, 0, Qt::AlignVCenter);
    stack()->addLayout(header);

    bar_ = new ProgressBar;
    bar_->setObjectName(QStringLiteral("badgeProgress"));
    bar_->setTint(ColorRole::Yellow);
    addWidget(bar_);

    empty_ = new TextLabel(QStringLiteral("Первая медаль появится после новой операции."),
                           TextStyle::Subheadline, ColorRole::SecondaryLabel);
    empty_->setObjectName(QStringLiteral("badgesEmpty"));
    empty_->setWordWrap(true);
    addWidget(empty_);
    list_ = new QWidget;
    lines_ = new QVBoxLayout(list_);
    lines_->setContentsMargins(0, 0, 0, 0);
    lines_->setSpacing(badgeLineSpacing);
    addWidget(list_);

    link_ = new Button(QStringLiteral("Все медали и награды"), Button::Style::Bordered,
                       QStringLiteral("chevron.right"));
    link_->setObjectName(QStringLiteral("allBadgesLink"));
    link_->setTint(ColorRole::Yellow);
    link_->setFullWidth(true);
    connect(link_, &QAbstractButton::clicked, this, [open = std::move(openBadges)] {
        if (open) open();
    });
    addWidget(link_);
}

void AchievementsCard::draw(const AnalyticsFigures& f) {
    rank_->setText(badgeRankTitle(f.badgePoints));
    points_->setText(QString::number(f.badgePoints) + QStringLiteral(" очков наград"));
    count_->setText(QString::number(f.unlockedBadges.size()) + QLatin1Char('/') +
                    QString::number(f.badges.size()));
    bar_->setValue(f.badgeCollectionProgress);

    empty_->setVisible(f.unlockedBadges.empty());
    list_->setVisible(!f.unlockedBadges.empty());
    const size_t shown = std::min<size_t>(f.unlockedBadges.size(), visibleBadgeLines);
    // The lines name the badges only: the same badges keep their lines.
    std::vector<QString> ids;
    for (size_t i = 0; i < shown; ++i) ids.push_back(f.unlockedBadges[i].id);
    if (ids == shownIds_) return;
    shownIds_ = std::move(ids);
    clearLayout(lines_);
    for (size_t i = 0; i < shown; ++i) {
        const MoneyBadge& badge = f.unlockedBadges[i];
        auto* line = new SymbolLabel(badge.title, badge.symbol, TextStyle::Body, ColorRole::Teal);
        line->setObjectName(QStringLiteral("badgeLine"));
        line->titleLabel()->setWordWrap(true);
        line->setAccessibleName(badge.title);
        line->setAccessibleDescription(QStringLiteral("Получено, ") + QString::number(badge.points) +
                                       QStringLiteral(" очков"));
        lines_->addWidget(line);
    }
}

QStringList AchievementsCard::badgeLines() const {
    QStringList titles;
    for (int i = 0; i < lines_->count(); ++i)
        if (auto* line = qobject_cast<SymbolLabel*>(lines_->itemAt(i)->widget())) titles << line->text();
    return titles;
}
