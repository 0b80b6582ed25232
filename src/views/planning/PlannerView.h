#pragma once

#include <QPointer>

#include "components/NavigationStack.h"
#include "components/Overlays.h"

struct PlatformServices;
class AppLockModel;
class BudgetCard;
class CategoryLimitsCard;
class GameProgressCard;
class GoalsPlanCard;
class MoneyCard;
class MoneyStore;
class QAbstractButton;
class TemplatesCard;

// The "План" tab: the tools card, the month budget, the category limits, the
// goals plan, the quick templates and the game progress, then the link to the
// settings. Every link pushes onto the tab's stack; the one sheet of its own
// is the new quick template editor.
//
// Drawn from the store with "now" taken at each redraw: on every store change
// and on a change of the currency, the language or the theme while the page is
// on screen, and each time it appears (it only waits while hidden). Cards
// whose content did not change keep their widgets; the budget and limit
// fields are never rebuilt, so typing and focus survive a redraw.
class PlannerView : public NavigationPage {
    Q_OBJECT
public:
    // The rows of the tools card, in their order.
    enum class Tool { wishlist, challenges, debts, calendar, recurring, badges, featureCenter };

    // The services go on to the settings screen.
    PlannerView(MoneyStore& store, AppLockModel& appLock, const PlatformServices& services,
                QWidget* parent = nullptr);

    void redraw();
    void openTool(Tool tool);
    void openSettings();
    // Shows the new template sheet unless it is already shown.
    void presentTemplateEditor();

    QAbstractButton* toolButton(Tool tool) const;
    QAbstractButton* settingsLink() const { return settingsLink_; }
    MoneyCard* toolsCard() const { return toolsCard_; }
    BudgetCard* budgetCard() const { return budget_; }
    CategoryLimitsCard* limitsCard() const { return limits_; }
    GoalsPlanCard* goalsCard() const { return goals_; }
    TemplatesCard* templatesCard() const { return templates_; }
    GameProgressCard* gameCard() const { return game_; }
    Sheet* templateSheet() const { return sheet_; }

private:
    MoneyCard* buildToolsCard();
    QAbstractButton* buildSettingsLink();
    void storeChanged();

    MoneyStore& store_;
    AppLockModel& appLock_;
    const PlatformServices& services_;
    MoneyCard* toolsCard_;
    BudgetCard* budget_;
    CategoryLimitsCard* limits_;
    GoalsPlanCard* goals_;
    TemplatesCard* templates_;
    GameProgressCard* game_;
    QAbstractButton* settingsLink_;
    QList<QAbstractButton*> tools_;
    QPointer<Sheet> sheet_;
    // Set when another profile's ledger comes in: the limit fields are
    // filled from it at the next redraw.
    bool refillLimits_ = false;
};
