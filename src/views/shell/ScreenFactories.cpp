#include "views/shell/ScreenFactories.h"

#include <QDateTime>

#include "components/NavigationStack.h"
#include "views/planning/BadgesView.h"
#include "views/planning/ChallengesView.h"
#include "views/planning/DebtsView.h"
#include "views/planning/MoneyCalendarView.h"
#include "views/planning/RecurringTransactionsView.h"
#include "views/planning/WishlistView.h"
#include "views/shell/InterimPages.h"

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
    return interim::featureCenterPage(store, audience);
}

NavigationPage* settings(MoneyStore&, AppLockModel&) {
    return interim::emptyPage(QStringLiteral("Настройки"), QStringLiteral("interimSettings"));
}

}  // namespace screens
