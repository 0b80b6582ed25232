#pragma once

// The screens that more than one opener pushes (the planner's tools card and
// settings link, the feature center and the screens it opens), one function per
// destination. Every opener builds through these, so each screen is made in
// one place.

class AppLockModel;
class MoneyStore;
class NavigationPage;
class QDateTime;
struct PlatformServices;
enum class FeatureAudience;

namespace screens {

NavigationPage* wishlist(MoneyStore& store);    // "Желания"
NavigationPage* challenges(MoneyStore& store);  // "Челленджи"
NavigationPage* debts(MoneyStore& store);       // "Долги"
// "Календарь", its picked day starting on `selected`.
NavigationPage* moneyCalendar(MoneyStore& store, const QDateTime& selected);
NavigationPage* recurring(MoneyStore& store);  // "Регулярные"
NavigationPage* badges(MoneyStore& store);     // "Медали"
// "Центр 1.5"; no store for the parent's center.
NavigationPage* featureCenter(MoneyStore* store, FeatureAudience audience);
NavigationPage* analytics(MoneyStore& store);  // "Аналитика"
// "Настройки": the app's and the ledger's settings and the passcode.
NavigationPage* settings(MoneyStore& store, AppLockModel& appLock, const PlatformServices& services);

}  // namespace screens
