#pragma once

// The planner tab on the real store (see ViewFixture) as the root of its
// stack in a phone-sized window, with a lock model over an in-memory keychain.

#include <QLineEdit>
#include <QScrollBar>

#include "components/Button.h"
#include "components/ProgressBar.h"
#include "components/TextLabel.h"
#include "lock/AppLockModel.h"
#include "support/FakeKeychain.h"
#include "support/FakePlatform.h"
#include "support/PaintedListInput.h"
#include "views/ledger/DashboardFixture.h"
#include "views/ledger/DashboardParts.h"
#include "views/planning/BudgetCard.h"
#include "views/planning/CategoryLimitsCard.h"
#include "views/planning/GameProgressCard.h"
#include "views/planning/GoalsPlanCard.h"
#include "views/planning/PlannerView.h"
#include "views/planning/TemplateEditorView.h"
#include "views/planning/TemplatesCard.h"

class PlannerFixture : public DashboardFixture {
protected:
    PlannerView& show(const MoneyData& data) {
        open(data);
        view = new PlannerView(*store, lock, platform.services);
        stack = &showInWindow(view);
        return *view;
    }
    BudgetCard& budget() const { return *view->budgetCard(); }
    CategoryBudgetRow& limitRow(const QString& category) const {
        CategoryBudgetRow* row = view->limitsCard()->row(category);
        EXPECT_NE(row, nullptr) << category.toStdString();
        return *row;
    }
    GoalPlanContent goalRow(int index) const {
        const std::optional<GoalPlanContent> row = view->goalsCard()->rowAt(index);
        EXPECT_TRUE(row) << index;
        return row.value_or(GoalPlanContent{});
    }
    // Clicks a painted row's button as a user would.
    static void clickRow(PaintedList* list, const QString& key, const QString& button) {
        ASSERT_TRUE(paintedlist::clickButton(list, key, button)) << key.toStdString() << " " << button.toStdString();
        settle();
    }
    void archiveGoal(int index) {
        clickRow(view->goalsCard()->list(), view->goalsCard()->keyAt(index), GoalPlanDelegate::kArchive);
    }
    // Pushes the wish list and comes back, as a user returning to the planner.
    void pushAndPop() {
        click(view->toolButton(PlannerView::Tool::wishlist));
        stack->pop();
        settle();
    }

    FakePlatform platform;
    InMemoryKeychain keychain;
    AppLockModel lock{keychain, Preferences::standard()};
    PlannerView* view = nullptr;
    NavigationStack* stack = nullptr;
};
