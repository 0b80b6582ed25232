#include "ShellFixture.h"

#include "components/NavigationStack.h"
#include "components/TabView.h"
#include "models/LedgerJson.h"
#include "services/PendingDestination.h"
#include "services/PreferencesTestSupport.h"
#include "views/family/FamilyAccountView.h"
#include "views/shell/RootView.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

using namespace shelltest;

namespace {

class RootTest : public ShellTest {
protected:
    RootView* showRoot() {
        root = showInWindow(new RootView(store(), appLock(), account(), services));
        settle();
        return root;
    }
    void storePending(const QString& value) {
        auto group = AppGroupDefaults::open();
        ASSERT_TRUE(group);
        group->setValue(pending_destination::kKey, value);
        ASSERT_TRUE(group->sync());
    }
    std::optional<QString> pending() const {
        auto group = AppGroupDefaults::open();
        if (!group) return std::nullopt;
        const QVariant value = group->value(pending_destination::kKey);
        return value.isValid() ? std::optional<QString>(value.toString()) : std::nullopt;
    }
    std::optional<QString> sheetId() const {
        return root->presentedSheet() ? std::optional<QString>(root->presentedSheet()->id()) : std::nullopt;
    }
    QString pageTitle(const QString& tag) const {
        auto* stack = qobject_cast<NavigationStack*>(root->tabView()->content(tag));
        return stack && stack->rootPage() ? stack->rootPage()->title() : QString();
    }

    RootView* root = nullptr;
};

}  // namespace

TEST_F(RootTest, SignedInChildSeesSixTabsInOrderStartingOnTheFamilyTab) {
    saveSignIn();
    showRoot();
    ASSERT_EQ(root->content(), RootView::Content::tabs);
    TabView* tabs = root->tabView();
    ASSERT_TRUE(tabs);
    EXPECT_EQ(tabs->tags(), RootView::tabOrder());
    const QStringList titles{"Задания", "Главная", "Операции", "План", "Калькулятор", "Аналитика"};
    const QStringList symbols{"checklist",           "house.fill", "list.bullet.rectangle", "calendar.badge.checkmark",
                              "plus.forwardslash.minus", "chart.bar.fill"};
    for (int i = 0; i < titles.size(); ++i) {
        EXPECT_EQ(tabs->tabBar()->button(RootView::tabOrder()[i])->text(), titles[i]);
        EXPECT_EQ(tabs->tabBar()->button(RootView::tabOrder()[i])->property("symbol").toString(), symbols[i]);
    }
    EXPECT_EQ(tabs->currentTag(), "family");
    EXPECT_EQ(root->selectedTab(), AppTab::family);
    EXPECT_FALSE(root->presentedSheet());

    EXPECT_EQ(pageTitle("family"), "Мои задания");
    EXPECT_TRUE(qobject_cast<FamilyAccountView*>(
        qobject_cast<NavigationStack*>(tabs->content("family"))->rootPage()));
    EXPECT_EQ(pageTitle("dashboard"), "Занбек");
    EXPECT_EQ(pageTitle("transactions"), "Операции");
    EXPECT_EQ(pageTitle("planner"), "Планировщик");
    EXPECT_EQ(pageTitle("calculator"), "Калькулятор");
    EXPECT_EQ(pageTitle("analytics"), "Аналитика");
    // The picture is of the family as loaded by the restore the tab started.
    ASSERT_TRUE(waitUntil([&] { return account().hasLoadedFamily() && account().members().size() == 2; }));
    saveGallery("root_tabs_family");

    click(tabs->tabBar()->button("planner"));
    EXPECT_EQ(root->selectedTab(), AppTab::planner);
    saveGallery("root_tabs_planner");
}

TEST_F(RootTest, ParentBuildShowsOnlyTheFamilyScreenAndIgnoresOutsideEntries) {
    setBuildRole("parent");
    saveSignIn(kParentUser);
    storePending("planner");
    showRoot();
    ASSERT_TRUE(account().user());
    EXPECT_EQ(root->content(), RootView::Content::family);
    ASSERT_TRUE(root->familyStack());
    EXPECT_FALSE(root->tabView());
    EXPECT_TRUE(qobject_cast<FamilyAccountView*>(root->familyStack()->rootPage()));

    emit outside.urlOpened("zanbeck://add-expense");
    emit outside.activationRequested();
    settle();
    EXPECT_FALSE(root->presentedSheet());
    EXPECT_EQ(pending(), "planner") << "the stored section waits";
    saveGallery("root_parent_signed_in");
}

TEST_F(RootTest, SignedOutChildSeesTheFamilyScreenThenTheTabsAfterSignIn) {
    storePending("calendar");
    showRoot();
    EXPECT_EQ(root->content(), RootView::Content::family);
    emit outside.urlOpened("zanbeck://add-income");
    settle();
    EXPECT_FALSE(root->presentedSheet());
    EXPECT_EQ(pending(), "calendar");
    saveGallery("root_child_signed_out");

    QSignalSpy switched(root, &RootView::contentChanged);
    signInThroughServer();
    settle();
    ASSERT_EQ(root->content(), RootView::Content::tabs);
    EXPECT_EQ(switched.count(), 1);
    ASSERT_TRUE(waitUntil([&] { return !pending().has_value(); }));
    EXPECT_EQ(root->selectedTab(), AppTab::planner) << "the stored section is applied when the tabs show";

    // Signing out returns to the family screen.
    account().logout();
    settle();
    EXPECT_EQ(root->content(), RootView::Content::family);
    EXPECT_FALSE(root->tabView());
}

TEST_F(RootTest, DeepLinksDispatchOnTheExactHost) {
    saveSignIn();
    showRoot();
    struct Case {
        const char* url;
        std::optional<QString> sheet;
        AppTab tab;
    };
    const Case cases[] = {
        {"zanbeck://add-expense", QString("add-expense"), AppTab::family},
        {"zanbeck://add-income?amount=5", QString("add-income"), AppTab::family},
        {"zanbeck://planner", std::nullopt, AppTab::planner},
        {"zanbeck://calendar/day/3", std::nullopt, AppTab::planner},
        {"zanbeck://ADD-EXPENSE", std::nullopt, AppTab::dashboard},
        {"zanbeck://Planner", std::nullopt, AppTab::dashboard},
        {"zanbeck://something-else", std::nullopt, AppTab::dashboard},
        {"zanbeck:add-expense", std::nullopt, AppTab::dashboard},
        {"zanbeck:///add-expense", std::nullopt, AppTab::dashboard},
        {"not a url at all", std::nullopt, AppTab::dashboard},
    };
    for (const Case& c : cases) {
        root->selectTab(AppTab::family);
        if (root->sheet()) root->sheet()->dismiss();
        settle();
        emit outside.urlOpened(QString::fromUtf8(c.url));
        settle();
        EXPECT_EQ(sheetId(), c.sheet) << c.url;
        EXPECT_EQ(root->selectedTab(), c.tab) << c.url;
        EXPECT_EQ(root->tabView()->currentTag(), appTabTag(c.tab)) << c.url;
    }
}

TEST_F(RootTest, PendingDestinationIsReadOnceRemovedAndMappedIncludingUnknownValues) {
    saveSignIn();
    struct Case {
        const char* stored;
        std::optional<QString> sheet;
        AppTab tab;
    };
    const Case cases[] = {
        {"dashboard", std::nullopt, AppTab::dashboard},
        {"expense", QString("add-expense"), AppTab::family},
        {"income", QString("add-income"), AppTab::family},
        {"planner", std::nullopt, AppTab::planner},
        {"calendar", std::nullopt, AppTab::planner},
        {"Calendar", std::nullopt, AppTab::dashboard},
        {"", std::nullopt, AppTab::dashboard},
        {"open-everything", std::nullopt, AppTab::dashboard},
    };
    for (const Case& c : cases) {
        storePending(QString::fromUtf8(c.stored));
        showRoot();  // a new root view each time
        ASSERT_TRUE(waitUntil([&] { return !pending().has_value(); })) << c.stored;
        settle();
        EXPECT_EQ(sheetId(), c.sheet) << c.stored;
        EXPECT_EQ(root->selectedTab(), c.tab) << c.stored;
    }
}

TEST_F(RootTest, NothingStoredChangesNothingAndAnActivationTakesANewSection) {
    saveSignIn();
    showRoot();
    EXPECT_EQ(root->selectedTab(), AppTab::family);
    EXPECT_FALSE(root->presentedSheet());

    // The open-app intent run again while the tabs are on screen.
    storePending("income");
    emit outside.activationRequested();
    settle();
    EXPECT_EQ(sheetId(), QString("add-income"));
    EXPECT_EQ(root->selectedTab(), AppTab::family) << "the add sheet opens over the tab that is there";
    EXPECT_FALSE(pending());

    emit outside.activationRequested();  // nothing waits: nothing happens
    settle();
    EXPECT_EQ(sheetId(), QString("add-income"));
}

TEST_F(RootTest, ProfileIsActivatedOnFirstShowAndOnEveryChangeOfTheUserId) {
    saveSignIn();
    store();
    ASSERT_FALSE(store().activeProfileID()) << "the store opens the anonymous profile";
    QSignalSpy switches(&store(), &MoneyStore::activeProfileIDChanged);

    auto* hidden = new RootView(store(), appLock(), account(), services);
    EXPECT_FALSE(store().activeProfileID()) << "nothing happens before the first show";
    showInWindow(hidden);
    root = hidden;
    EXPECT_EQ(store().activeProfileID(), "child-1");
    EXPECT_EQ(switches.count(), 1);

    // The restore the family tab started on show ends before signing out.
    ASSERT_TRUE(waitUntil([&] { return account().members().size() == 2; }));
    account().logout();
    settle();
    EXPECT_FALSE(store().activeProfileID()) << "signing out returns to the anonymous profile";
    EXPECT_EQ(switches.count(), 2);

    signInThroughServer();
    settle();
    EXPECT_EQ(store().activeProfileID(), "child-1");
    EXPECT_EQ(switches.count(), 3);

    // A new root view with the same user runs the activation again, which changes nothing.
    showRoot();
    EXPECT_EQ(store().activeProfileID(), "child-1");
    EXPECT_EQ(switches.count(), 3);
}

// Opening the signed-in user's ledger books its due operations for the first
// frame; the file is rewritten only once a frame has been drawn, and once.
TEST_F(RootTest, BookingsOfTheOpenedProfileAreSavedAfterAFrameIsDrawn) {
    MoneyData ledger = MoneyData::emptyLedger();
    ledger.recurringTransactions = std::vector<RecurringTransaction>{
        {"R", "Карманные", TransactionKind::income, Decimal(50), "Подарок", RecurringFrequency::weekly,
         clock.now().addDays(-7), true}};
    const QString childFile = dir.filePath("data/Zanbeck/accounts/child-1.json");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(childFile).path()));
    {
        QFile file(childFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(encodeMoneyData(ledger));
    }
    saveSignIn();

    // Counts the frames drawn so far, and notes that count when the ledger is written.
    struct FrameWatch : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } frames;
    struct Disk : CountingStoreDisk {
        const int* paints = nullptr;
        std::vector<int> paintsAtWrite;
        bool replaceFile(const QString& path, const QByteArray& bytes, QString& error) override {
            paintsAtWrite.push_back(*paints);
            return CountingStoreDisk::replaceFile(path, bytes, error);
        }
    } disk;
    disk.paints = &frames.paints;
    storeDisk = &disk;
    store();
    disk.paintsAtWrite.clear();  // the anonymous profile's first file
    qApp->installEventFilter(&frames);

    root = showInWindow(new RootView(store(), appLock(), account(), services));
    ASSERT_TRUE(waitUntil([&] { return !store().hasUnsavedBookings(); }));
    settle();
    qApp->removeEventFilter(&frames);
    EXPECT_EQ(store().activeProfileID(), "child-1");
    EXPECT_EQ(store().data().transactions.size(), 2u) << "a week ago and today";
    ASSERT_EQ(disk.paintsAtWrite.size(), 1u);
    EXPECT_GT(disk.paintsAtWrite[0], 0) << "written after a frame was drawn";
    QFile file(childFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(decodeMoneyData(file.readAll()), store().data());
}

TEST_F(RootTest, ActionsPresentOneSheetAtATimeWithoutChangingTheTab) {
    saveSignIn();
    showRoot();
    root->selectTab(AppTab::dashboard);
    RootActions actions = root->actions();
    actions.addTransaction(TransactionKind::income);
    settle();
    EXPECT_EQ(sheetId(), QString("add-income"));
    EXPECT_EQ(root->selectedTab(), AppTab::dashboard);
    ASSERT_EQ(overlays()->sheets().size(), 1);
    saveGallery("root_sheet_add_income");

    actions.addGoal();
    settle();
    EXPECT_EQ(sheetId(), QString("goal"));
    EXPECT_EQ(overlays()->sheets().size(), 1) << "the new sheet replaces the open one";
    actions.addTask();
    settle();
    EXPECT_EQ(sheetId(), QString("task"));

    // However the sheet closes (its own button, Escape, the backdrop), the root view forgets it.
    QTest::keyClick(root->sheet(), Qt::Key_Escape);
    settle();
    EXPECT_FALSE(root->presentedSheet());
    EXPECT_TRUE(overlays()->sheets().isEmpty());
}

TEST_F(RootTest, LocaleFollowsTheLanguagePreference) {
    saveSignIn();
    Preferences::standard().setValue("appLanguage", "de");
    showRoot();
    EXPECT_EQ(root->locale().language(), QLocale::German);
    {
        ScopedLocaleEnvironment noLocale;  // "auto" on a machine without a locale: the app's language
        Preferences::standard().setValue("appLanguage", "auto");
        EXPECT_EQ(root->locale().language(), QLocale::Russian);
    }
    Preferences::standard().setValue("appLanguage", "fr_FR");
    EXPECT_EQ(root->locale().language(), QLocale::French);
}
