// The screen behind each tab and sheet of the root view, one line each.

#include "views/analytics/AnalyticsView.h"
#include "views/calculator/CalculatorView.h"
#include "views/ledger/AddTransactionView.h"
#include "views/ledger/DashboardView.h"
#include "views/family/FamilyAccountView.h"
#include "views/ledger/GoalEditorView.h"
#include "views/planning/PlannerView.h"
#include "views/ledger/RewardTaskEditorView.h"
#include "views/shell/RootView.h"
#include "views/ledger/TransactionsView.h"

namespace root_screens {

NavigationPage* family(const RootEnvironment& e) { return new FamilyAccountView(e.account, e.services); }

NavigationPage* dashboard(const RootEnvironment& e, const RootActions& a) {
    return new DashboardView(e.store, e.services.haptics, a.addTransaction, a.addGoal, a.addTask);
}

NavigationPage* transactions(const RootEnvironment& e, const RootActions& a) {
    return new TransactionsView(e.store, a.addTransaction, e.services.share, e.services.photos);
}

NavigationPage* planner(const RootEnvironment& e) { return new PlannerView(e.store, e.appLock, e.services); }

NavigationPage* calculator(const RootEnvironment& e) { return new CalculatorView(e.services.haptics); }

NavigationPage* analytics(const RootEnvironment& e) { return new AnalyticsView(e.store); }

QWidget* addTransactionSheet(const RootEnvironment& e, TransactionKind kind) {
    return new AddTransactionView(e.store, kind, e.services.photos);
}

QWidget* goalSheet(const RootEnvironment& e) { return new GoalEditorView(e.store); }

QWidget* taskSheet(const RootEnvironment& e) { return new RewardTaskEditorView(e.store); }

}  // namespace root_screens
