#pragma once

#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/TabView.h"
#include "models/MoneyModels.h"
#include "platform/PlatformServices.h"
#include "services/MoneyDestination.h"

#include <QEvent>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

class AccountSession;
class AppLockModel;
class MoneyStore;

// The six tabs of the child's app. Declared in this order; the tab bar shows
// them in another (RootView::tabOrder()).
enum class AppTab { family, dashboard, transactions, calculator, analytics, planner };
QString appTabTag(AppTab tab);  // "family", "dashboard", ... (the tab bar's tags)
std::optional<AppTab> appTabFromTag(const QString& tag);

// The one sheet the root view presents: add an income or an expense, a new
// goal or a new money task. Identified by "add-income", "add-expense", "goal", "task".
struct AppSheet {
    enum class Kind { add, goal, task };
    Kind kind = Kind::goal;
    TransactionKind transactionKind = TransactionKind::expense;  // for add only

    static AppSheet add(TransactionKind kind) { return {Kind::add, kind}; }
    static AppSheet goal() { return {Kind::goal}; }
    static AppSheet task() { return {Kind::task}; }
    QString id() const;
    bool operator==(const AppSheet& other) const { return id() == other.id(); }
};

// What every screen under the root view may be handed.
struct RootEnvironment {
    MoneyStore& store;
    AppLockModel& appLock;
    AccountSession& account;
    const PlatformServices& services;
};

// The actions the root view hands down to the dashboard and the operations
// list: screens never present the add sheets themselves.
struct RootActions {
    std::function<void(TransactionKind)> addTransaction;
    std::function<void()> addGoal;
    std::function<void()> addTask;
};

// The screen of each tab and sheet, one function each (RootViewScreens.cpp).
namespace root_screens {
NavigationPage* family(const RootEnvironment& environment);  // FamilyAccountView
NavigationPage* dashboard(const RootEnvironment& environment, const RootActions& actions);
NavigationPage* transactions(const RootEnvironment& environment, const RootActions& actions);
NavigationPage* planner(const RootEnvironment& environment);
NavigationPage* calculator(const RootEnvironment& environment);
NavigationPage* analytics(const RootEnvironment& environment);
// Sheet contents; each closes itself through Sheet::of(this)->dismiss().
QWidget* addTransactionSheet(const RootEnvironment& environment, TransactionKind kind);
QWidget* goalSheet(const RootEnvironment& environment);
QWidget* taskSheet(const RootEnvironment& environment);
}  // namespace root_screens

// What the user sees once the launch flow lets the app through. The parent's
// build shows only the family screen; the child's build shows the family
// screen until someone is signed in, then the six tabs. Owns the selected tab
// and the one presented sheet, switches the ledger to the signed-in user's
// profile (on first show and whenever the user's id changes), applies the
// language's locale below it, and is the only receiver of deep links and of
// the section the open-app intent leaves behind. A new root view starts on
// the family tab with no sheet.
class RootView : public QWidget {
    Q_OBJECT
public:
    enum class Content { family, tabs };

    RootView(MoneyStore& store, AppLockModel& appLock, AccountSession& account, const PlatformServices& services,
             QWidget* parent = nullptr);
    ~RootView() override;

    // The tags of the tab bar, in its order.
    static QStringList tabOrder();

    Content content() const { return content_; }
    // The family screen's stack (family content) or the tab view (tabs); null otherwise.
    NavigationStack* familyStack() const { return familyStack_; }
    TabView* tabView() const { return tabView_; }

    AppTab selectedTab() const { return selectedTab_; }
    void selectTab(AppTab tab);
    std::optional<AppSheet> presentedSheet() const { return presentedSheet_; }
    Sheet* sheet() const { return sheet_; }
    // Presents a sheet over the tabs (replacing another one that is open).
    void present(const AppSheet& sheet);

    // A link opened with the app; only its host counts. Acts only while the
    // tabs are shown.
    void openUrl(const QString& url);
    // Takes the section the open-app intent left, if any, and opens it. Runs
    // each time the tab view is shown, and when another launch brings the
    // window forward while the tabs are shown.
    void consumePendingDestination();

    RootActions actions();

signals:
    // After the content switched between the family screen and the tabs.
    void contentChanged(RootView::Content content);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Content wantedContent() const;
    void rebuild();
    void buildFamily();
    void buildTabs();
    void apply(MoneyDestination destination);
    void activateProfile();
    void onUserChanged();
    void applyLocale();
    // After a frame that follows the opening of a profile with due recurring
    // operations, saves what the store booked (see MoneyStore::saveBookings).
    void saveBookingsAfterFrame(QEvent::Type type);

    PlatformServices services_;
    RootEnvironment environment_;  // refers to services_
    Content content_ = Content::family;
    bool built_ = false;
    bool shownOnce_ = false;
    std::optional<QString> activatedUserId_;
    QPointer<NavigationStack> familyStack_;
    QPointer<TabView> tabView_;
    bool tabViewShown_ = false;
    bool bookingsSaveQueued_ = false;
    AppTab selectedTab_ = AppTab::family;
    std::optional<AppSheet> presentedSheet_;
    QPointer<Sheet> sheet_;
};
