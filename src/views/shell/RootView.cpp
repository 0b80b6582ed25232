#include "views/shell/RootView.h"

#include "account/AccountSession.h"
#include "account/AppAccountRole.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/TabView.h"
#include "platform/OutsideEntries.h"
#include "services/DeepLink.h"
#include "services/GlobalPreferences.h"
#include "services/PendingDestination.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"

#include <QEvent>
#include <QLocale>
#include <QTimer>
#include <QVBoxLayout>

namespace {

struct TabInfo {
    AppTab tab;
    const char* title;
    const char* symbol;
};

// The tab bar's order, which is not the declaration order of AppTab.
const TabInfo kTabs[] = {
    {AppTab::family, "Задания", "checklist"},
    {AppTab::dashboard, "Главная", "house.fill"},
    {AppTab::transactions, "Операции", "list.bullet.rectangle"},
    {AppTab::planner, "План", "calendar.badge.checkmark"},
    {AppTab::calculator, "Калькулятор", "plus.forwardslash.minus"},
    {AppTab::analytics, "Аналитика", "chart.bar.fill"},
};

std::optional<ProfileUser> profileUserOf(const std::optional<FamilyUser>& user) {
    if (!user) return std::nullopt;
    return ProfileUser{user->id, user->nickname, user->email};
}

std::optional<QString> idOf(const std::optional<FamilyUser>& user) {
    return user ? std::optional<QString>(user->id) : std::nullopt;
}

}  // namespace

QString appTabTag(AppTab tab) {
    switch (tab) {
    case AppTab::family: return QStringLiteral("family");
    case AppTab::dashboard: return QStringLiteral("dashboard");
    case AppTab::transactions: return QStringLiteral("transactions");
    case AppTab::calculator: return QStringLiteral("calculator");
    case AppTab::analytics: return QStringLiteral("analytics");
    case AppTab::planner: return QStringLiteral("planner");
    }
    return {};
}

std::optional<AppTab> appTabFromTag(const QString& tag) {
    for (const TabInfo& info : kTabs)
        if (appTabTag(info.tab) == tag) return info.tab;
    return std::nullopt;
}

QString AppSheet::id() const {
    switch (kind) {
    case Kind::add: return QStringLiteral("add-") + rawValue(transactionKind);
    case Kind::goal: return QStringLiteral("goal");
    case Kind::task: return QStringLiteral("task");
    }
    return {};
}

RootView::RootView(MoneyStore& store, AppLockModel& appLock, AccountSession& account,
                   const PlatformServices& services, QWidget* parent)
    : QWidget(parent), services_(services), environment_{store, appLock, account, services_} {
    setObjectName(QStringLiteral("rootView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    connect(&account, &AccountSession::userChanged, this, &RootView::onUserChanged);
    connect(&services_.outsideEntries, &OutsideEntries::urlOpened, this, &RootView::openUrl);
    connect(&services_.outsideEntries, &OutsideEntries::activationRequested, this, [this] {
        // Another launch (the open-app intent among them) brought the app
        // forward: on a desktop the window need not have been in the
        // background, so the tabs take the section now rather than wait.
        if (content_ == Content::tabs && tabViewShown_) consumePendingDestination();
    });
    connect(&Preferences::standard(), &Preferences::changed, this, [this](const QString& key) {
        if (key == QLatin1String(GlobalPreferences::kAppLanguageKey)) applyLocale();
    });
    applyLocale();
    rebuild();
}

RootView::~RootView() {
    // The sheet lives in the window's overlay layer, not below this view.
    if (sheet_) sheet_->dismiss();
}

QStringList RootView::tabOrder() {
    QStringList tags;
    for (const TabInfo& info : kTabs) tags << appTabTag(info.tab);
    return tags;
}

RootView::Content RootView::wantedContent() const {
    if (AppAccountRole::build() == AppAccountRole::parent) return Content::family;
    return environment_.account.user() ? Content::tabs : Content::family;
}

void RootView::rebuild() {
    const Content wanted = wantedContent();
    if (built_ && wanted == content_) return;
    const bool switched = built_;
    built_ = true;
    content_ = wanted;
    if (sheet_) sheet_->dismiss();
    presentedSheet_.reset();
    selectedTab_ = AppTab::family;
    // Deleted later: the user change that switches the content may come from
    // inside it (a page that restores the sign-in as it is shown).
    for (QWidget* old : {static_cast<QWidget*>(familyStack_), static_cast<QWidget*>(tabView_)}) {
        if (!old) continue;
        layout()->removeWidget(old);
        old->hide();
        old->deleteLater();
    }
    familyStack_ = nullptr;
    tabView_ = nullptr;
    tabViewShown_ = false;
    if (content_ == Content::family)
        buildFamily();
    else
        buildTabs();
    if (switched) emit contentChanged(content_);
}

void RootView::buildFamily() {
    familyStack_ = new NavigationStack(root_screens::family(environment_), this);
    familyStack_->setObjectName(QStringLiteral("familyStack"));
    layout()->addWidget(familyStack_);
}

void RootView::buildTabs() {
    auto* tabs = new TabView(this);
    tabs->setObjectName(QStringLiteral("rootTabView"));
    const RootActions handed = actions();
    for (const TabInfo& info : kTabs) {
        NavigationPage* page = nullptr;
        switch (info.tab) {
        case AppTab::family: page = root_screens::family(environment_); break;
        case AppTab::dashboard: page = root_screens::dashboard(environment_, handed); break;
        case AppTab::transactions: page = root_screens::transactions(environment_, handed); break;
        case AppTab::planner: page = root_screens::planner(environment_); break;
        case AppTab::calculator: page = root_screens::calculator(environment_); break;
        case AppTab::analytics: page = root_screens::analytics(environment_); break;
        }
        tabs->addTab(appTabTag(info.tab), QString::fromUtf8(info.title), QString::fromUtf8(info.symbol),
                     new NavigationStack(page));
    }
    tabs->setCurrentTag(appTabTag(AppTab::family));
    connect(tabs, &TabView::currentTagChanged, this, [this](const QString& tag) {
        if (auto tab = appTabFromTag(tag)) selectedTab_ = *tab;
    });
    tabs->installEventFilter(this);
    tabView_ = tabs;
    layout()->addWidget(tabs);
}

RootActions RootView::actions() {
    QPointer<RootView> self(this);
    return RootActions{
        [self](TransactionKind kind) {
            if (self) self->present(AppSheet::add(kind));
        },
        [self] {
            if (self) self->present(AppSheet::goal());
        },
        [self] {
            if (self) self->present(AppSheet::task());
        },
    };
}

void RootView::selectTab(AppTab tab) {
    selectedTab_ = tab;
    if (tabView_) tabView_->setCurrentTag(appTabTag(tab));
}

void RootView::present(const AppSheet& wanted) {
    if (content_ != Content::tabs) return;
    if (presentedSheet_ == wanted && sheet_) return;
    if (sheet_) sheet_->dismiss();

    QWidget* content = nullptr;
    switch (wanted.kind) {
    case AppSheet::Kind::add: content = root_screens::addTransactionSheet(environment_, wanted.transactionKind); break;
    case AppSheet::Kind::goal: content = root_screens::goalSheet(environment_); break;
    case AppSheet::Kind::task: content = root_screens::taskSheet(environment_); break;
    }
    Sheet* sheet = Sheet::present(this, content);
    if (!sheet) {
        delete content;
        return;
    }
    sheet->setObjectName(QStringLiteral("rootSheet_") + wanted.id());
    presentedSheet_ = wanted;
    sheet_ = sheet;
    connect(sheet, &Sheet::dismissed, this, [this, sheet] {
        if (sheet_ != sheet) return;
        sheet_ = nullptr;
        presentedSheet_.reset();
    });
}

void RootView::apply(MoneyDestination destination) {
    switch (destination) {
    case MoneyDestination::dashboard: selectTab(AppTab::dashboard); break;
    case MoneyDestination::expense: present(AppSheet::add(TransactionKind::expense)); break;
    case MoneyDestination::income: present(AppSheet::add(TransactionKind::income)); break;
    case MoneyDestination::planner:
    case MoneyDestination::calendar: selectTab(AppTab::planner); break;  // no calendar screen is opened
    }
}

void RootView::openUrl(const QString& url) {
    if (content_ != Content::tabs) return;
    apply(deep_link::destination(url));
}

void RootView::consumePendingDestination() {
    if (content_ != Content::tabs) return;
    if (const std::optional<QString> stored = pending_destination::take())
        apply(money_destination::forStoredValue(*stored));
}

void RootView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // A window paints in answer to an update request; the save is queued
    // from there and runs once that frame is drawn and flushed.
    window()->installEventFilter(this);
    activateProfile();
}

void RootView::saveBookingsAfterFrame(QEvent::Type type) {
    if (type != QEvent::UpdateRequest || bookingsSaveQueued_ || !environment_.store.hasUnsavedBookings()) return;
    bookingsSaveQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        bookingsSaveQueued_ = false;
        environment_.store.saveBookings();
    });
}

bool RootView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window()) saveBookingsAfterFrame(event->type());
    if (watched == tabView_ && event->type() == QEvent::Show && !tabViewShown_) {
        tabViewShown_ = true;
        QPointer<TabView> tabs = tabView_;
        QTimer::singleShot(0, this, [this, tabs] {
            if (tabs && tabs == tabView_) consumePendingDestination();
        });
    }
    return QWidget::eventFilter(watched, event);
}

void RootView::activateProfile() {
    const auto& user = environment_.account.user();
    activatedUserId_ = idOf(user);
    environment_.store.activateProfile(profileUserOf(user));
}

void RootView::onUserChanged() {
    rebuild();
    if (!shownOnce_) return;  // the first show activates whoever is signed in then
    if (idOf(environment_.account.user()) != activatedUserId_) activateProfile();
}

void RootView::applyLocale() {
    const QString language =
        Preferences::standard().string(GlobalPreferences::kAppLanguageKey, GlobalPreferences::kAutoLanguage);
    // "auto" is the device's locale as the money text reads it (Russian when unset or C).
    setLocale(QLocale(language == QLatin1String(GlobalPreferences::kAutoLanguage)
                          ? GlobalPreferences::systemLocaleIdentifier()
                          : language));
}
