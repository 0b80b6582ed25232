#include "views/shell/ScreenFactories.h"

#include "views/analytics/AnalyticsView.h"

#include <QDateTime>

#include "components/NavigationStack.h"
#include "views/features/FeatureCenterView.h"
#include "views/settings/SettingsView.h"
#include "views/shell/InterimPages.h"

namespace screens {

NavigationPage* wishlist(MoneyStore&) {
    return interim::emptyPage(QStringLiteral("Желания"), QStringLiteral("interimWishlist"));
}

NavigationPage* challenges(MoneyStore&) {
    return interim::emptyPage(QStringLiteral("Челленджи"), QStringLiteral("interimChallenges"));
}

NavigationPage* debts(MoneyStore&) {
    return interim::emptyPage(QStringLiteral("Долги"), QStringLiteral("interimDebts"));
}

NavigationPage* moneyCalendar(MoneyStore&, const QDateTime&) {
    return interim::emptyPage(QStringLiteral("Календарь"), QStringLiteral("interimCalendar"));
}

NavigationPage* recurring(MoneyStore&) {
    return interim::emptyPage(QStringLiteral("Регулярные"), QStringLiteral("interimRecurring"));
}

NavigationPage* badges(MoneyStore&) {
    return interim::emptyPage(QStringLiteral("Медали"), QStringLiteral("interimBadges"));
}

NavigationPage* featureCenter(MoneyStore* store, FeatureAudience audience) {
    return new FeatureCenterView(store, audience);
}

NavigationPage* analytics(MoneyStore& store) { return new AnalyticsView(store); }

NavigationPage* settings(MoneyStore& store, AppLockModel& appLock, const PlatformServices& services) {
    return SettingsView::page(store, appLock, services);
}

}  // namespace screens
