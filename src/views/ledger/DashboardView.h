#pragma once

#include <QPointer>
#include <functional>
#include <optional>

#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "models/MoneyModels.h"

class Alert;
class Haptics;
class LazyColumn;
class MoneyStore;

// The "Главная" tab: the piggy bank's balance and month budget, the goals,
// today's income and expense, the add buttons, one-tap templates, the money
// tasks, a tip and the five newest operations, and the link to the feature
// center, one card each (views/ledger/dashboard) stacked in a lazy column.
// Keeps no ledger data of its own: every change of the store or of a
// preference it shows redraws the cards from the store, with "now" taken at
// that moment. It is the screen that reports a failed save ("Ошибка
// сохранения").
class DashboardView : public NavigationPage {
    Q_OBJECT
public:
    using AddTransaction = std::function<void(TransactionKind)>;
    using Action = std::function<void()>;

    // The cards, in their order down the page.
    enum class Part { balance, spotlight, goals, today, quickActions, templates, tasks, tip, recent };

    DashboardView(MoneyStore& store, Haptics& haptics, AddTransaction addTransaction, Action addGoal,
                  Action addTask, QWidget* parent = nullptr);
    ~DashboardView() override;

    // Six bullets, shown instead of the masked amounts while "hideBalances" is on.
    static QString mask();
    // "Привет, <name>!" for any non-empty name (blanks count), else "Занбек".
    static QString titleFor(const QString& profileName);

    // Redraws the title and every built card from the store and the
    // preferences (also run by every change signal and when the page appears).
    void redraw();

    // "Готово" on a task: completes it, counts the tap, plays the success
    // haptic when allowed and shows the completion alert for the returned task.
    void completeTask(const QString& id);
    // Pushes the feature center onto this tab's stack.
    void openFeatureCenter();

    LazyColumn* column() const { return cards_; }
    // The card, built now if it was not yet.
    QWidget* part(Part part);
    const std::optional<RewardTask>& completedTask() const { return completedTask_; }
    int completionFeedback() const { return completionFeedback_; }
    Alert* saveErrorAlert() const { return saveErrorAlert_.get(); }
    Alert* ledgerNoticeAlert() const { return ledgerNoticeAlert_.get(); }
    Alert* completionAlert() const { return completionAlert_.get(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void addParts();
    void syncSaveErrorAlert();
    void syncLedgerNoticeAlert();
    void showCompletionAlert(const RewardTask& task);

    MoneyStore& store_;
    Haptics& haptics_;
    AddTransaction addTransaction_;
    Action addGoal_;
    Action addTask_;
    LazyColumn* cards_ = nullptr;

    std::optional<RewardTask> completedTask_;
    int completionFeedback_ = 0;
    // The alerts live in the window's overlay host; these take them along.
    HeldAlert saveErrorAlert_{this};
    QString saveErrorAlertText_;
    HeldAlert ledgerNoticeAlert_{this};
    HeldAlert completionAlert_{this};
};
