#pragma once

#include <functional>
#include <vector>

#include "components/MoneyCard.h"
#include "views/analytics/AnalyticsFigures.h"

class Button;
class ProgressBar;
class QVBoxLayout;
class TextLabel;

// "Достижения": the rank title and badge points, unlocked over all badges with
// a bar, the first four unlocked badges, and the link to every badge.
class AchievementsCard : public MoneyCard {
    Q_OBJECT
public:
    explicit AchievementsCard(std::function<void()> openBadges, QWidget* parent = nullptr);
    void draw(const AnalyticsFigures& figures);

    TextLabel* rankLabel() const { return rank_; }
    TextLabel* pointsLabel() const { return points_; }
    TextLabel* countLabel() const { return count_; }
    ProgressBar* bar() const { return bar_; }
    TextLabel* emptyLabel() const { return empty_; }
    // The titles of the badge lines shown, in order.
    QStringList badgeLines() const;
    Button* badgesLink() const { return link_; }

private:
    TextLabel* rank_;
    TextLabel* points_;
    TextLabel* count_;
    ProgressBar* bar_;
    TextLabel* empty_;
    QWidget* list_;
    QVBoxLayout* lines_;
    Button* link_;
    std::vector<QString> shownIds_;  // the badges the lines show, in order
};
