#pragma once

// Stand-ins for screens that are still being written. Each is an empty page
// under the title its real screen has, so that the navigation around it
// already works; replace one by changing the factory that returns it
// (views/RootViewScreens.cpp, views/FamilyAccountView.cpp) and delete it here.

#include "models/MoneyModels.h"

#include <QString>

class AccountSession;
class MoneyStore;
class NavigationPage;
class QWidget;

// Whose feature list the feature center shows.
enum class FeatureAudience { child, parent, everyone };

namespace interim {

// Tabs.
NavigationPage* dashboardPage(MoneyStore& store);  // "Занбек", or "Привет, <profileName>!"
NavigationPage* transactionsPage();                // "Операции"
NavigationPage* plannerPage();                     // "Планировщик"
NavigationPage* calculatorPage();                  // "Калькулятор"
NavigationPage* analyticsPage();                   // "Аналитика"
NavigationPage* featureCenterPage(MoneyStore* store, FeatureAudience audience);  // "Центр 1.5"

// Sheets: a titled page in its own stack with "Отмена", which closes the sheet.
QWidget* addTransactionSheet(TransactionKind kind);  // "Новый доход" / "Новый расход"
QWidget* goalEditorSheet();                          // "Добавить цель"
QWidget* rewardTaskEditorSheet();                    // "Добавить задание"

// The signed-in family screens shown inside the family tab's page. The page
// takes a screen's windowTitle, when it has one, as its own title.
QWidget* childFamilyView(AccountSession& account);   // no title of its own ("Мои задания" stays)
QWidget* parentFamilyView(AccountSession& account);  // "Родительский центр"

// The title of a page, as the dashboard shows it: "Привет, " + name + "!" for
// any non-empty name (blanks count), "Занбек" for an empty one.
QString dashboardTitle(const QString& profileName);

}  // namespace interim
