#include "views/shell/InterimPages.h"

#include <QWidget>

#include "components/NavigationStack.h"

namespace interim {

namespace {

NavigationPage* page(const QString& title, const QString& objectName,
                     NavigationPage::TitleDisplay display = NavigationPage::TitleDisplay::Large) {
    auto* result = new NavigationPage(title);
    result->setObjectName(objectName);
    result->setTitleDisplay(display);
    result->body();  // an empty scrolling body on the grouped background
    return result;
}

}  // namespace

NavigationPage* emptyPage(const QString& title, const QString& objectName) { return page(title, objectName); }

}  // namespace interim
