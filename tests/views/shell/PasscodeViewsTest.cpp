#include "ShellFixture.h"

#include "components/Button.h"
#include "components/TextLabel.h"
#include "views/shell/PasscodeSetupView.h"
#include "views/shell/PasscodeUnlockView.h"

#include <QSignalSpy>

using namespace shelltest;

namespace {

const QString kWrong = "Неверный код. Попробуй ещё раз.";
const QString kMismatch = "Коды не совпали. Попробуй ещё раз.";
const QString kSaveFailed = "Не удалось сохранить код в Связке ключей.";

void typeDigits(PasscodeCanvas* canvas, const QString& digits) {
    for (QChar d : digits) click(canvas->key(QString(d)));
}

class UnlockScreenTest : public ShellTest {
protected:
    PasscodeUnlockView* showUnlock() {
        return showInWindow(new PasscodeUnlockView(appLock(), haptics));
    }
    // A setup view in a sheet over a window, as the launch view presents it.
    PasscodeSetupView* presentSetup() {
        auto* view = new PasscodeSetupView(appLock(), haptics, "Создай код");
        Sheet::present(showInWindow(new QWidget), view);
        settle();
        return view;
    }
    QByteArray storedCode() const {
        return keychain.items.value({AppLockModel::kKeychainService, AppLockModel::kKeychainAccount});
    }
};

using SetupSheetTest = UnlockScreenTest;

}  // namespace

// --- unlock screen ---------------------------------------------------------------

TEST_F(UnlockScreenTest, RightCodeUnlocksAtTheFourthDigitWithoutFeedback) {
    storePasscode("2580");
    auto* view = showUnlock();
    ASSERT_FALSE(appLock().isUnlocked());
    EXPECT_EQ(view->canvas()->title(), "С возвращением");
    EXPECT_EQ(view->canvas()->subtitle(), "Введи код, чтобы открыть копилку");
    EXPECT_FALSE(view->canvas()->isError());
    // The title stays on one line in a phone-wide window.
    TextLabel* title = view->canvas()->titleLabel();
    EXPECT_LT(title->height(), QFontMetrics(title->font()).height() * 3 / 2);
    EXPECT_EQ(title->weight(), QFont::Black);
    saveGallery("passcode_unlock");

    typeDigits(view->canvas(), "258");
    EXPECT_FALSE(appLock().isUnlocked());
    EXPECT_EQ(view->canvas()->length(), 3);
    EXPECT_EQ(view->canvas()->findChild<QWidget*>("passcodeDots")->accessibleName(), "Введено цифр: 3 из четырёх");
    typeDigits(view->canvas(), "0");
    EXPECT_TRUE(appLock().isUnlocked());
    EXPECT_TRUE(haptics.played.isEmpty());
}

TEST_F(UnlockScreenTest, WrongCodeEmptiesTheDotsShowsTheErrorAndPlaysFeedbackOncePerCode) {
    storePasscode("2580");
    auto* view = showUnlock();
    typeDigits(view->canvas(), "1111");
    EXPECT_FALSE(appLock().isUnlocked());
    EXPECT_EQ(view->canvas()->length(), 0);
    EXPECT_EQ(view->passcode(), "");
    EXPECT_EQ(view->canvas()->subtitle(), kWrong);
    EXPECT_TRUE(view->canvas()->isError());
    EXPECT_EQ(view->failedAttempts(), 1);
    EXPECT_EQ(haptics.played, QList<Haptics::Feedback>{Haptics::Feedback::error});
    saveGallery("passcode_unlock_wrong");

    // The error stays while the next code is typed and goes with the success.
    typeDigits(view->canvas(), "25");
    EXPECT_EQ(view->canvas()->subtitle(), kWrong);
    typeDigits(view->canvas(), "99");
    EXPECT_EQ(view->failedAttempts(), 2);
    EXPECT_EQ(haptics.count(Haptics::Feedback::error), 2);
    typeDigits(view->canvas(), "2580");
    EXPECT_TRUE(appLock().isUnlocked());
    EXPECT_EQ(view->canvas()->subtitle(), "Введи код, чтобы открыть копилку");
    EXPECT_FALSE(view->canvas()->isError());
    EXPECT_EQ(haptics.count(Haptics::Feedback::error), 2);
}

TEST_F(UnlockScreenTest, KeypadKeyboardAndDeleteEditTheEntryAndAFifthDigitIsIgnored) {
    storePasscode("2580");
    auto* view = showUnlock();
    EXPECT_EQ(view->canvas()->key("7")->accessibleName(), "Цифра 7");
    EXPECT_EQ(view->canvas()->deleteKey()->accessibleName(), "Удалить цифру");
    click(view->canvas()->deleteKey());  // nothing to delete
    EXPECT_EQ(view->passcode(), "");
    QTest::keyClicks(view->canvas(), "25");
    click(view->canvas()->deleteKey());
    EXPECT_EQ(view->passcode(), "2");
    EXPECT_EQ(view->canvas()->length(), 1);
    QTest::keyClick(view->canvas(), Qt::Key_Backspace);
    QTest::keyClicks(view->canvas(), "a2x58");  // letters are not digits
    EXPECT_EQ(view->passcode(), "258");
    EXPECT_FALSE(appLock().isUnlocked());
    typeDigits(view->canvas(), "0");
    ASSERT_TRUE(appLock().isUnlocked());

    const int readsAfterCheck = keychain.reads;
    view->enter(PasscodeKey{"7"});
    EXPECT_EQ(view->passcode(), "2580");
    EXPECT_EQ(view->canvas()->length(), 4);
    EXPECT_EQ(keychain.reads, readsAfterCheck) << "a fifth digit must not start another check";
}

TEST_F(UnlockScreenTest, FingerprintOfferedAndAskedOnceOnShowOnlyWhenEnabledAndAvailable) {
    storePasscode("2580");
    struct Case {
        const char* name;
        bool available;
        std::optional<bool> enabled;  // none: preference absent (on)
        bool offered;
    };
    const Case cases[] = {
        {"available, preference absent", true, std::nullopt, true},
        {"available, preference on", true, true, true},
        {"available, preference off", true, false, false},
        {"no reader", false, true, false},
    };
    for (const Case& c : cases) {
        biometrics.available = c.available;
        biometrics.verifications = 0;
        if (c.enabled)
            Preferences::standard().setValue("biometricsEnabled", *c.enabled);
        else
            Preferences::standard().remove("biometricsEnabled");
        auto* view = showUnlock();
        EXPECT_EQ(biometrics.verifications, c.offered ? 1 : 0) << c.name;
        EXPECT_EQ(view->biometricPrompt()->isVisible(), c.offered) << c.name;
        EXPECT_FALSE(view->biometricsButton()->isVisible()) << c.name << ": hidden while the prompt asks";
        biometrics.finish(Biometrics::Outcome::cancelled);
        settle();
        EXPECT_EQ(view->biometricsButton()->isVisible(), c.offered) << c.name;
    }
}

TEST_F(UnlockScreenTest, FingerprintPromptCancelsAndSucceeds) {
    storePasscode("2580");
    biometrics.available = true;
    auto* view = showUnlock();
    ASSERT_TRUE(biometrics.isVerifying());
    ASSERT_TRUE(view->biometricPrompt()->isVisible());
    saveGallery("passcode_unlock_fingerprint");
    click(view->biometricPrompt()->findChild<QAbstractButton*>("biometricCancelButton"));
    settle();
    EXPECT_EQ(biometrics.cancels, 1);
    EXPECT_FALSE(view->biometricPrompt()->isVisible());
    EXPECT_FALSE(appLock().isUnlocked());

    biometrics.answer = Biometrics::Outcome::success;
    click(view->biometricsButton());
    ASSERT_TRUE(waitUntil([&] { return appLock().isUnlocked(); }));
    EXPECT_FALSE(view->biometricPrompt()->isVisible());
}

// --- setup sheet -------------------------------------------------------------------

TEST_F(SetupSheetTest, TwoEqualEntriesStoreTheCodeAndCloseTheSheet) {
    auto* view = presentSetup();
    QSignalSpy finished(view, &PasscodeSetupView::finished);
    Sheet* sheet = Sheet::of(view);
    QPointer<Sheet> guard(sheet);
    EXPECT_EQ(view->canvas()->title(), "Создай код");
    EXPECT_EQ(view->canvas()->subtitle(), "Он защитит баланс и историю операций");
    EXPECT_EQ(sheet->background(), QColor(Qt::black)) << "the dark canvas runs up under the grabber";
    EXPECT_EQ(view->canvas()->titleLabel()->textStyle(), TextStyle::LargeTitle) << "a short title keeps the large style";
    saveGallery("passcode_setup_first");

    typeDigits(view->canvas(), "1357");
    EXPECT_TRUE(view->isConfirming());
    EXPECT_EQ(view->canvas()->title(), "Повтори код");
    EXPECT_EQ(view->canvas()->subtitle(), "Введи те же четыре цифры ещё раз");
    EXPECT_EQ(view->canvas()->length(), 0);
    EXPECT_EQ(keychain.writes, 0);

    typeDigits(view->canvas(), "1357");
    EXPECT_EQ(storedCode(), "1357");
    EXPECT_TRUE(appLock().hasPasscode());
    EXPECT_TRUE(appLock().isUnlocked());
    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(finished.at(0).at(0).toBool());
    settle();
    EXPECT_FALSE(guard) << "the sheet closes itself";
}

TEST_F(SetupSheetTest, MismatchKeepsTheFirstCodeUntilTheNextDigitThenAMatchStores) {
    auto* view = showInWindow(new PasscodeSetupView(appLock(), haptics, "Новый код"));
    typeDigits(view->canvas(), "1357");
    typeDigits(view->canvas(), "1358");
    EXPECT_TRUE(view->isConfirming());
    EXPECT_EQ(view->mismatchCount(), 1);
    EXPECT_EQ(view->canvas()->subtitle(), kMismatch);
    EXPECT_TRUE(view->canvas()->isError());
    EXPECT_EQ(view->canvas()->title(), "Повтори код");
    EXPECT_EQ(haptics.played, QList<Haptics::Feedback>{Haptics::Feedback::error});
    EXPECT_EQ(keychain.writes, 0);
    saveGallery("passcode_setup_mismatch");

    // Delete keeps the message; the first digit of the next attempt clears it.
    click(view->canvas()->deleteKey());
    EXPECT_EQ(view->canvas()->subtitle(), kMismatch);
    typeDigits(view->canvas(), "1");
    EXPECT_EQ(view->canvas()->subtitle(), "Введи те же четыре цифры ещё раз");
    EXPECT_FALSE(view->canvas()->isError());
    typeDigits(view->canvas(), "357");
    EXPECT_EQ(storedCode(), "1357") << "the first entry stayed in force";
}

TEST_F(SetupSheetTest, RefusedKeychainWriteShowsTheLockTextNotTheMismatch) {
    keychain.failWrites = true;
    auto* view = showInWindow(new PasscodeSetupView(appLock(), haptics, "Создай код"));
    QSignalSpy closed(view, &PasscodeSetupView::finished);
    typeDigits(view->canvas(), "1357");
    typeDigits(view->canvas(), "1357");
    EXPECT_EQ(view->canvas()->subtitle(), kSaveFailed);
    EXPECT_TRUE(view->canvas()->isError());
    EXPECT_EQ(view->mismatchCount(), 0);
    EXPECT_TRUE(view->isConfirming());
    EXPECT_EQ(view->passcode(), "");
    EXPECT_EQ(haptics.count(Haptics::Feedback::error), 1);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_FALSE(appLock().hasPasscode());

    keychain.failWrites = false;
    typeDigits(view->canvas(), "1357");
    EXPECT_EQ(storedCode(), "1357");
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(SetupSheetTest, CancelClosesWithoutStoringInEitherStep) {
    for (const QString& typed : {QString(), QString("1357")}) {
        auto* view = presentSetup();
        QSignalSpy finished(view, &PasscodeSetupView::finished);
        QPointer<Sheet> sheet = Sheet::of(view);
        typeDigits(view->canvas(), typed);
        EXPECT_EQ(view->isConfirming(), !typed.isEmpty());
        click(view->cancelButton());
        settle();
        EXPECT_FALSE(sheet);
        ASSERT_EQ(finished.count(), 1);
        EXPECT_FALSE(finished.at(0).at(0).toBool());
        EXPECT_EQ(keychain.writes, 0);
        EXPECT_FALSE(appLock().hasPasscode());
    }
}
