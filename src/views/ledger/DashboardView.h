#pragma once

#include <QPointer>
#include <QStringList>
#include <functional>
#include <optional>

#include "components/NavigationStack.h"
#include "models/MoneyModels.h"

class AdaptiveGrid;
class Alert;
class Button;
class Card;
class Haptics;
class MoneyStore;
class ProgressBar;
class QScrollArea;
class QVBoxLayout;
class QHBoxLayout;
class TextLabel;

// The "Главная" tab: the piggy bank's balance and month budget, the goals,
// today's income and expense, the add buttons, one-tap templates, the money
// tasks, a tip and the five newest operations, and the link to the feature
// center. Keeps no ledger data of its own: every change of the store or of a
// preference it shows redraws it from the store, with "now" taken at that
// moment. It is the screen that reports a failed save ("Ошибка сохранения").
class DashboardView : public NavigationPage {
    Q_OBJECT
public:
    using AddTransaction = std::function<void(TransactionKind)>;
    using Action = std::function<void()>;

    DashboardView(MoneyStore& store, Haptics& haptics, AddTransaction addTransaction, Action addGoal,
                  Action addTask, QWidget* parent = nullptr);
    ~DashboardView() override;

    // Six bullets, shown instead of the masked amounts while "hideBalances" is on.
    static QString mask();
    // "Привет, <name>!" for any non-empty name (blanks count), else "Занбек".
    static QString titleFor(const QString& profileName);

    // A goal measured against the whole balance: the bar's fraction (0...1)
    // and the whole percent, computed in decimals and truncated, so 100 only
    // once the balance reaches the amount.
    struct GoalProgress {
        double fraction = 0;
        qint64 percent = 0;
    };
    static GoalProgress goalProgress(const Decimal& balance, const Decimal& amount);

    // Redraws every part from the store and the preferences (also run by
    // every change signal and when the page appears).
    void redraw();

    // "Готово" on a task: completes it, counts the tap, plays the success
    // haptic when allowed and shows the completion alert for the returned task.
    void completeTask(const QString& id);
    // Pushes the feature center onto this tab's stack.
    void openFeatureCenter();

    const std::optional<RewardTask>& completedTask() const { return completedTask_; }
    int completionFeedback() const { return completionFeedback_; }
    Alert* saveErrorAlert() const { return saveErrorAlert_; }
    Alert* completionAlert() const { return completionAlert_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildBalanceCard();
    QWidget* buildSpotlight();
    QWidget* buildGoalsCard();
    QWidget* buildTodayGrid();
    QWidget* buildQuickActions();
    QWidget* buildTemplatesCard();
    QWidget* buildTasksCard();
    QWidget* buildTipCard();
    QWidget* buildRecentCard();

    void drawBalance(bool masked);
    void drawGoals();
    void drawToday();
    void drawTemplates(bool masked);
    void drawTasks();
    void drawTip();
    void drawRecent();

    QWidget* goalRow(const SavingsGoal& goal, const Decimal& balance);
    QWidget* templateTile(const QuickTemplate& item, bool masked);
    QWidget* taskRow(const RewardTask& task);

    void syncSaveErrorAlert();
    void dropSaveErrorAlert();
    void showCompletionAlert(const RewardTask& task);

    MoneyStore& store_;
    Haptics& haptics_;
    AddTransaction addTransaction_;
    Action addGoal_;
    Action addTask_;

    std::optional<RewardTask> completedTask_;
    int completionFeedback_ = 0;
    QPointer<Alert> saveErrorAlert_;
    QString saveErrorAlertText_;
    QPointer<Alert> completionAlert_;

    // Balance card.
    Card* balanceCard_ = nullptr;
    TextLabel* currencyBadge_ = nullptr;
    TextLabel* balanceText_ = nullptr;
    QWidget* budget_ = nullptr;
    ProgressBar* budgetBar_ = nullptr;
    TextLabel* budgetText_ = nullptr;
    Card* spotlightIcon_ = nullptr;
    // Lists, rebuilt only when what they show changed (the marker forces the first drawing).
    QVBoxLayout* goalsList_ = nullptr;
    QStringList goalsShown_{QStringLiteral("<not drawn>")};
    TextLabel* todayIncome_ = nullptr;
    TextLabel* todayExpense_ = nullptr;
    QScrollArea* templatesStrip_ = nullptr;
    QHBoxLayout* templatesRow_ = nullptr;
    QStringList templatesShown_{QStringLiteral("<not drawn>")};
    TextLabel* completedCount_ = nullptr;
    QVBoxLayout* tasksList_ = nullptr;
    QStringList tasksShown_{QStringLiteral("<not drawn>")};
    Card* tipCard_ = nullptr;
    TextLabel* tipText_ = nullptr;
    QVBoxLayout* recentList_ = nullptr;
    QStringList recentShown_{QStringLiteral("<not drawn>")};
};
