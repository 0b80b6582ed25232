#include <QImage>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVariantAnimation>

#include "ShellFixture.h"
#include "components/Button.h"
#include "components/Theme.h"
#include "services/Preferences.h"
#include "views/shell/AppLaunchView.h"
#include "views/shell/LaunchSplashView.h"
#include "views/shell/PasscodeSetupView.h"
#include "views/shell/PasscodeUnlockView.h"
#include "views/shell/RootView.h"
#include "views/shell/SecuritySuggestionView.h"

using namespace shelltest;

namespace {

class LaunchTest : public ShellTest {
protected:
    AppLaunchView* launch() {
        view = showInWindow(new AppLaunchView(store(), appLock(), account(), services));
        QObject::connect(view, &AppLaunchView::rootViewCreated, [this](RootView* root) {
            EXPECT_EQ(root, view->rootView());
            ++built;
        });
        return view;
    }
    // Launched, with the splash over.
    AppLaunchView* launchPastSplash() {
        launch();
        view->finishSplash();
        settle();
        return view;
    }
    void typeCode(const QString& code) {
        ASSERT_TRUE(view->unlockView());
        for (QChar d : code) click(view->unlockView()->canvas()->key(QString(d)));
        settle();
    }
    PasscodeSetupView* setupView() const {
        return view->passcodeSheet() ? view->passcodeSheet()->findChild<PasscodeSetupView*>() : nullptr;
    }

    AppLaunchView* view = nullptr;
    int built = 0;  // new root views built since launch()
};

}  // namespace

TEST_F(LaunchTest, WithoutCodeSplashThenRootWithTheSuggestion) {
    launch();
    EXPECT_EQ(view->stage(), AppLaunchView::Stage::splash);
    ASSERT_TRUE(view->splashView());
    EXPECT_FALSE(view->rootView());
    EXPECT_TRUE(view->splashTimer()->isActive());
    EXPECT_EQ(view->splashTimer()->interval(), 1450);
    EXPECT_TRUE(view->splashTimer()->isSingleShot());
    EXPECT_EQ(view->splashView()->accessibleName(), "Zanbeck. Твои деньги, твои правила");
    view->splashTimer()->stop();  // the test ends the splash itself, after the picture
    // The picture is of the wordmark in place: the spring is taken to its end
    // rather than waited for, so no frame of it depends on the machine's pace
    // (on a slow enough one it has ended already, and is gone).
    QPointer<QVariantAnimation> spring = view->splashView()->findChild<QVariantAnimation*>();
    if (spring) spring->setCurrentTime(spring->duration());
    EXPECT_TRUE(!spring || spring->state() == QAbstractAnimation::Stopped);
    saveGallery("launch_splash");

    view->finishSplash();
    settle();
    EXPECT_EQ(view->stage(), AppLaunchView::Stage::ready);
    EXPECT_FALSE(view->splashView());
    ASSERT_TRUE(view->rootView());
    ASSERT_TRUE(view->suggestionView());
    EXPECT_TRUE(view->suggestionView()->isVisible());
    EXPECT_EQ(built, 1);
    EXPECT_EQ(view->suggestionView()->createButton()->text(), "Создать код");
    EXPECT_EQ(view->suggestionView()->laterButton()->text(), "Пока без кода");
    saveGallery("launch_root_with_suggestion");
}

TEST_F(LaunchTest, TheSuggestionCardAndItsCreateButtonStandOutOfTheBackdropInBothAppearances) {
    launchPastSplash();
    for (const char* scheme : {"light", "dark"}) {
        SCOPED_TRACE(scheme);
        Preferences::standard().setValue("appTheme", scheme);
        settle();
        SecuritySuggestionView* suggestion = view->suggestionView();
        ASSERT_TRUE(suggestion);
        const QImage shot = window()->grab().toImage();
        const auto pixel = [&](QWidget* widget, QPoint at) {
            return QColor(shot.pixel(widget->mapTo(window(), at)));
        };
        QWidget* card = suggestion->card();
        // Inside the card, right of the badge; the dimmed root view just above the card.
        const QColor surface = pixel(card, QPoint(card->width() - 48, 40));
        const QColor backdrop = pixel(card, QPoint(card->width() / 2, -12));
        const QColor expected = SecuritySuggestionView::cardColor(Theme::current().scheme());
        EXPECT_EQ(surface.rgb(), expected.rgb());
        EXPECT_GE(std::abs(surface.lightness() - backdrop.lightness()), 20) << "the card is seen on its backdrop";
        // The prominent button's fill, beside its centred label.
        Button* create = suggestion->createButton();
        const QColor fill = pixel(create, QPoint(12, create->height() / 2));
        EXPECT_GE(std::abs(fill.lightness() - surface.lightness()), 120) << "the button is seen on the card";
        saveGallery(QStringLiteral("launch_root_with_suggestion_%1").arg(scheme));
    }
}

TEST_F(LaunchTest, WithCodeSplashThenUnlockThenANewRootOnTheFamilyTab) {
    storePasscode("2580");
    saveSignIn();
    launchPastSplash();
    ASSERT_TRUE(view->unlockView());
    EXPECT_FALSE(view->rootView());
    EXPECT_FALSE(view->suggestionView());
    EXPECT_EQ(built, 0);

    typeCode("2580");
    EXPECT_FALSE(view->unlockView());
    ASSERT_TRUE(view->rootView());
    EXPECT_FALSE(view->suggestionView()) << "a code exists";
    EXPECT_EQ(built, 1);
    EXPECT_EQ(view->rootView()->content(), RootView::Content::tabs);
    EXPECT_EQ(view->rootView()->selectedTab(), AppTab::family);
}

TEST_F(LaunchTest, CancellingTheSheetLeavesTheSuggestionAndCreatingACodeKeepsTheRootView) {
    launchPastSplash();
    RootView* first = view->rootView();
    click(view->suggestionView()->createButton());
    settle();
    ASSERT_TRUE(setupView());
    click(setupView()->cancelButton());
    settle();
    EXPECT_FALSE(view->passcodeSheet());
    EXPECT_TRUE(view->suggestionView());
    EXPECT_FALSE(appLock().hasPasscode());

    click(view->suggestionView()->createButton());
    settle();
    ASSERT_TRUE(setupView());
    EXPECT_EQ(view->passcodeSheet()->objectName(), "passcodeSheet_create");
    EXPECT_EQ(setupView()->canvas()->title(), "Создай код");
    saveGallery("launch_create_code_sheet");

    for (int entry = 0; entry < 2; ++entry)
        for (QChar d : QString("4321")) click(setupView()->canvas()->key(QString(d)));
    settle();
    EXPECT_FALSE(view->passcodeSheet());
    EXPECT_FALSE(view->suggestionView());
    EXPECT_EQ(view->rootView(), first);
    EXPECT_EQ(built, 1) << "the suggestion leaving builds no new root view";
    EXPECT_TRUE(appLock().isUnlocked());
    EXPECT_FALSE(view->unlockView());

    // Removing the code (the settings screen) brings the suggestion back over the same root.
    ASSERT_TRUE(appLock().removePasscode());
    settle();
    EXPECT_TRUE(view->suggestionView());
    EXPECT_EQ(view->rootView(), first);
    EXPECT_EQ(built, 1);
}

TEST_F(LaunchTest, WithoutCodeTheNextBackgroundAfterLaterBringsTheSuggestionOverANewRoot) {
    saveSignIn();
    launchPastSplash();
    ASSERT_EQ(built, 1);

    // While the suggestion waits for an answer the background changes nothing.
    RootView* first = view->rootView();
    scene.setPhase(ScenePhase::background);
    scene.setPhase(ScenePhase::active);
    settle();
    EXPECT_EQ(view->rootView(), first);
    EXPECT_EQ(built, 1);
    EXPECT_TRUE(view->suggestionView());

    click(view->suggestionView()->laterButton());
    settle();
    EXPECT_EQ(view->stage(), AppLaunchView::Stage::continuedWithoutPasscode);
    EXPECT_FALSE(view->suggestionView());
    EXPECT_EQ(built, 2) << "continuing without a code is another place for the root view";
    view->rootView()->selectTab(AppTab::analytics);

    scene.setPhase(ScenePhase::background);
    settle();
    EXPECT_EQ(view->stage(), AppLaunchView::Stage::ready);
    EXPECT_EQ(built, 3);
    EXPECT_TRUE(view->suggestionView());
    EXPECT_EQ(view->rootView()->selectedTab(), AppTab::family) << "a new root view starts on the family tab";
}

TEST_F(LaunchTest, BackgroundLocksAndClosesEverySheetAndAlertButLosingFocusDoesNot) {
    storePasscode("2580");
    saveSignIn();
    launchPastSplash();
    typeCode("2580");
    ASSERT_TRUE(view->rootView());
    view->rootView()->present(AppSheet::add(TransactionKind::expense));
    Alert::present(view->rootView(), "Ошибка сохранения", "диск полон");
    Alert::present(view->rootView(), "Второе", "ждёт");
    settle();

    scene.setPhase(ScenePhase::inactive);
    settle();
    EXPECT_TRUE(appLock().isUnlocked());
    EXPECT_TRUE(view->rootView());
    EXPECT_EQ(built, 1);
    ASSERT_EQ(overlays()->sheets().size(), 1);
    ASSERT_TRUE(overlays()->currentAlert());

    scene.setPhase(ScenePhase::background);
    settle();
    EXPECT_FALSE(appLock().isUnlocked());
    EXPECT_FALSE(view->rootView());
    EXPECT_TRUE(view->unlockView());
    EXPECT_TRUE(overlays()->sheets().isEmpty());
    EXPECT_FALSE(overlays()->currentAlert());
    EXPECT_TRUE(overlays()->pendingAlerts().isEmpty());
    scene.setPhase(ScenePhase::active);
    settle();
    EXPECT_TRUE(view->unlockView()) << "coming back shows the unlock screen, not the root view";

    typeCode("2580");
    EXPECT_TRUE(view->rootView());
    EXPECT_EQ(built, 2);
}

TEST_F(LaunchTest, BackgroundDuringTheSplashIsNotUndoneByTheSplashTimer) {
    launch();
    scene.setPhase(ScenePhase::background);
    settle();
    EXPECT_EQ(view->stage(), AppLaunchView::Stage::ready);
    EXPECT_FALSE(view->splashTimer()->isActive());
    ASSERT_TRUE(view->suggestionView());
    click(view->suggestionView()->laterButton());
    settle();
    ASSERT_EQ(view->stage(), AppLaunchView::Stage::continuedWithoutPasscode);

    view->finishSplash();  // a timer that fires late
    settle();
    EXPECT_EQ(view->stage(), AppLaunchView::Stage::continuedWithoutPasscode);
    EXPECT_FALSE(view->suggestionView());
    EXPECT_EQ(built, 2);
}

TEST_F(LaunchTest, UnreadableKeychainKeepsACodedAppLockedSaysWhyAndRetries) {
    storePasscode("2580");
    keychain.failReads = true;
    launchPastSplash();
    ASSERT_TRUE(view->unlockView());
    EXPECT_FALSE(view->suggestionView());
    PasscodeCanvas* canvas = view->unlockView()->canvas();
    EXPECT_EQ(canvas->subtitle(), AppLockModel::kKeychainUnavailableText);
    typeCode("2580");
    EXPECT_FALSE(view->rootView());
    saveGallery("launch_keychain_unavailable");

    click(view->unlockView()->retryButton());
    EXPECT_EQ(canvas->subtitle(), AppLockModel::kKeychainStillUnavailableText);
    EXPECT_EQ(haptics.count(Haptics::Feedback::error), 2);  // the code typed in vain, then the retry

    keychain.failReads = false;  // the keyring was opened
    click(view->unlockView()->retryButton());
    settle();
    EXPECT_FALSE(view->unlockView()->retryButton()->isVisible());
    typeCode("2580");
    EXPECT_TRUE(view->rootView());
    EXPECT_FALSE(view->suggestionView());
}

// The launch screen the window shows while the ledger is read is the splash's
// first frame, still: the splash that follows starts from the same picture,
// and the launch screen never moves on its own.
TEST_F(LaunchTest, LaunchScreenIsTheSplashsFirstFrameAndStaysStill) {
    auto still = viewtest::showPhoneWindow(new LaunchSplashView(LaunchSplashView::Motion::still));
    const QImage launchScreen = still->grab().toImage();
    auto* splash = new LaunchSplashView;
    auto springing = viewtest::showPhoneWindow(splash);
    EXPECT_TRUE(splash->appeared());
    EXPECT_EQ(springing->grab().toImage(), launchScreen)
        << "the splash starts where the launch screen stands";

    QTest::qWait(150);  // the splash springs meanwhile; the launch screen does not
    EXPECT_NE(springing->grab().toImage(), launchScreen);
    EXPECT_EQ(still->grab().toImage(), launchScreen);
    EXPECT_FALSE(still->findChild<LaunchSplashView*>()->appeared());
}
