#include "views/shell/ScreenFactories.h"

#include "views/analytics/AnalyticsView.h"

#include <QDateTime>

#include "components/NavigationStack.h"
#include "views/features/FeatureCenterView.h"
#include "views/settings/SettingsView.h"
#include "views/planning/BadgesView.h"
#include "views/planning/ChallengesView.h"
#include "views/planning/DebtsView.h"
#include "views/planning/MoneyCalendarView.h"
#include "views/planning/RecurringTransactionsView.h"
#include "views/planning/WishlistView.h"

namespace screens {

NavigationPage* wishlist(MoneyStore& store) { return new WishlistView(store); }

NavigationPage* challenges(MoneyStore& store) { return new ChallengesView(store); }

NavigationPage* debts(MoneyStore& store) { return new DebtsView(store); }

NavigationPage* moneyCalendar(MoneyStore& store, const QDateTime& selected) {
    return new MoneyCalendarView(store, selected);
}

NavigationPage* recurring(MoneyStore& store) { return new RecurringTransactionsView(store); }

NavigationPage* badges(MoneyStore& store) { return new BadgesView(store); }

NavigationPage* featureCenter(MoneyStore* store, FeatureAudience audience) {
    return new FeatureCenterView(store, audience);
}

NavigationPage* analytics(MoneyStore& store) { return new AnalyticsView(store); }

NavigationPage* settings(MoneyStore& store, AppLockModel& appLock, const PlatformServices& services) {
    return SettingsView::page(store, appLock, services);
}

}  // namespace screens
