#pragma once

#include <QPointer>
#include <optional>
#include <vector>

#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "store/LedgerQueries.h"

struct PlatformServices;
class AppLockModel;
class BudgetCard;
class CategoryLimitsCard;
class GameProgressCard;
class GoalsPlanCard;
class LazyColumn;
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
// on screen, and each time it appears (it only waits while hidden). The cards
// stack in a lazy column: a card below the visible area is built when it is
// scrolled near. Cards whose content did not change keep their widgets; the
// budget and limit fields are never rebuilt, so typing and focus survive a
// redraw.
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

    // The cards in their order down the page.
    enum class Part { tools, budget, limits, goals, templates, game, settingsLink };

    // The parts, each built now if it was not yet.
    QAbstractButton* toolButton(Tool tool);
    QAbstractButton* settingsLink();
    MoneyCard* toolsCard();
    BudgetCard* budgetCard();
    CategoryLimitsCard* limitsCard();
    GoalsPlanCard* goalsCard();
    TemplatesCard* templatesCard();
    GameProgressCard* gameCard();
    LazyColumn* column() const { return cards_; }
    Sheet* templateSheet() const { return sheet_; }

private:
    // This month's expenses: the sum of the month's spending by category.
    static Decimal monthExpense(const std::vector<CategoryAmount>& spent);

    void addParts();
    MoneyCard* buildToolsCard();
    QAbstractButton* buildSettingsLink();
    void storeChanged();

    MoneyStore& store_;
    AppLockModel& appLock_;
    const PlatformServices& services_;
    LazyColumn* cards_;
    QList<QAbstractButton*> tools_;
    QPointer<Sheet> sheet_;
    // Set when another profile's ledger comes in: the limit fields are
    // filled from it at the next redraw.
    bool refillLimits_ = false;
};
