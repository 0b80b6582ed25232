#include "views/InterimPages.h"

#include "components/Button.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"

#include <QWidget>

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

QWidget* sheet(const QString& title, const QString& objectName) {
    auto* editor = page(title, objectName, NavigationPage::TitleDisplay::Inline);
    Button* cancel = editor->addToolbarButton(QStringLiteral("Отмена"), {}, ToolbarPlacement::Cancellation);
    cancel->setObjectName(QStringLiteral("interimCancelButton"));
    QObject::connect(cancel, &QAbstractButton::clicked, editor, [editor] {
        if (Sheet* s = Sheet::of(editor)) s->dismiss();
    });
    return new NavigationStack(editor);
}

}  // namespace

QString dashboardTitle(const QString& profileName) {
    return profileName.isEmpty() ? QStringLiteral("Занбек") : QStringLiteral("Привет, ") + profileName + u'!';
}

NavigationPage* dashboardPage(MoneyStore&) {
    auto* result = page(dashboardTitle(Preferences::standard().string(QStringLiteral("profileName"))),
                        QStringLiteral("interimDashboard"));
    QObject::connect(&Preferences::standard(), &Preferences::changed, result, [result](const QString& key) {
        if (key == QLatin1String("profileName"))
            result->setTitle(dashboardTitle(Preferences::standard().string(QStringLiteral("profileName"))));
    });
    return result;
}

NavigationPage* transactionsPage() { return page(QStringLiteral("Операции"), QStringLiteral("interimTransactions")); }
NavigationPage* plannerPage() { return page(QStringLiteral("Планировщик"), QStringLiteral("interimPlanner")); }
NavigationPage* calculatorPage() {
    return page(QStringLiteral("Калькулятор"), QStringLiteral("interimCalculator"), NavigationPage::TitleDisplay::Inline);
}
NavigationPage* analyticsPage() { return page(QStringLiteral("Аналитика"), QStringLiteral("interimAnalytics")); }
NavigationPage* featureCenterPage(MoneyStore*, FeatureAudience) {
    return page(QStringLiteral("Центр 1.5"), QStringLiteral("interimFeatureCenter"));
}

QWidget* addTransactionSheet(TransactionKind kind) {
    return sheet(kind == TransactionKind::income ? QStringLiteral("Новый доход") : QStringLiteral("Новый расход"),
                 QStringLiteral("interimAddTransaction"));
}
QWidget* goalEditorSheet() { return sheet(QStringLiteral("Добавить цель"), QStringLiteral("interimGoalEditor")); }
QWidget* rewardTaskEditorSheet() {
    return sheet(QStringLiteral("Добавить задание"), QStringLiteral("interimRewardTaskEditor"));
}

QWidget* childFamilyView(AccountSession&) {
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("interimChildFamilyView"));
    return view;
}

QWidget* parentFamilyView(AccountSession&) {
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("interimParentFamilyView"));
    view->setWindowTitle(QStringLiteral("Родительский центр"));
    return view;
}

}  // namespace interim
