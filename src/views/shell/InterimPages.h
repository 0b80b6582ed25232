#pragma once

// Stand-ins for screens that are still being written. Each is an empty page
// under the title its real screen has, so that the navigation around it
// already works; replace one by changing the factory that returns it
// (views/shell/RootViewScreens.cpp, views/shell/ScreenFactories.cpp,
// views/family/FamilyAccountView.cpp) and delete it here.

class NavigationPage;
class QString;
class QWidget;

namespace interim {

// An empty page under a title, for a pushed screen still to come (see
// views/shell/ScreenFactories.cpp).
NavigationPage* emptyPage(const QString& title, const QString& objectName);


}  // namespace interim
