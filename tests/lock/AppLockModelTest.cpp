#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <memory>

#include "lock/AppLockModel.h"
#include "services/Preferences.h"
#include "support/FakeBiometrics.h"
#include "support/FakeKeychain.h"
#include "support/TempDir.h"

namespace {

const QPair<QString, QString> kItem{AppLockModel::kKeychainService, AppLockModel::kKeychainAccount};

class AppLockModelTest : public ::testing::Test {
protected:
    auto start() { return std::make_unique<AppLockModel>(keychain, preferences, &biometrics); }
    void storeCode(const QByteArray& code) {
        keychain.items.insert(kItem, code);
        preferences.setValue(AppLockModel::kPasscodeSetKey, true);
    }

    TempDir dir;
    Preferences preferences{dir.filePath("preferences.ini")};
    InMemoryKeychain keychain;
    FakeBiometrics biometrics;
};

void drainEvents() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

}  // namespace

// --- start-up ---------------------------------------------------------------

TEST_F(AppLockModelTest, StartsLockedOnlyWithAStoredCode) {
    const std::pair<std::optional<QByteArray>, bool> cases[] = {
        {std::nullopt, false},
        {QByteArray("1234"), true},
        {QByteArray("\xff\xfe\xfd\xfc", 4), false}};  // not UTF-8
    for (const auto& [stored, locked] : cases) {
        keychain.items.clear();
        if (stored) storeCode(*stored);
        auto lock = start();
        EXPECT_EQ(lock->hasPasscode(), locked);
        EXPECT_EQ(lock->isUnlocked(), !locked);
        EXPECT_TRUE(lock->errorMessage().isEmpty());
    }
}

// --- unlock with a code -------------------------------------------------------

TEST_F(AppLockModelTest, RightCodeUnlocksAndClearsTheError) {
    EXPECT_FALSE(start()->unlock("1234")) << "without a stored code any code is wrong";
    storeCode("1234");
    auto lock = start();
    EXPECT_FALSE(lock->unlock("9999"));
    EXPECT_EQ(lock->errorMessage(), "Неверный код. Попробуй ещё раз.");
    EXPECT_TRUE(lock->unlock("1234"));
    EXPECT_TRUE(lock->isUnlocked());
    EXPECT_TRUE(lock->errorMessage().isEmpty());
}

TEST_F(AppLockModelTest, WrongCodesNeverBlockTheRightOne) {
    storeCode("1234");
    auto lock = start();
    for (int i = 0; i < 100; ++i) {
        ASSERT_FALSE(lock->unlock(QString::number(5000 + i)));
        ASSERT_FALSE(lock->isUnlocked());
    }
    EXPECT_TRUE(lock->unlock("1234"));
}

TEST_F(AppLockModelTest, EveryAttemptReadsTheKeychainAfresh) {
    storeCode("1234");
    auto lock = start();
    storeCode("5678");  // changed behind the model's back
    EXPECT_FALSE(lock->unlock("1234"));
    EXPECT_TRUE(lock->unlock("5678"));
    EXPECT_EQ(keychain.reads, 3);
    keychain.failReads = true;  // a failure after an unlock keeps the app unlocked
    EXPECT_FALSE(lock->unlock("5678"));
    EXPECT_TRUE(lock->isUnlocked());
    EXPECT_TRUE(lock->hasPasscode());
}

// --- a keychain that cannot be read -------------------------------------------

TEST_F(AppLockModelTest, UnreadableKeychainAtStartLocksOnlyAProfileThatMayHoldACode) {
    const QString key = AppLockModel::kPasscodeSetKey;
    struct Case {
        const char* profile;
        QVariant mark;
        bool usedBefore, locked;
        const char* markAfter;
    };
    // A first start is marked as such; a profile used before the mark existed waits for the keychain.
    const Case cases[] = {{"code set", true, true, true, "true"},
                          {"code removed", false, true, false, "false"},
                          {"first start", {}, false, false, "false"},
                          {"used, no mark", {}, true, true, ""}};
    keychain.failReads = true;
    for (const Case& c : cases) {
        TempDir profile;
        Preferences prefs(profile.filePath("preferences.ini"));
        if (c.usedBefore) prefs.setValue("biometricsEnabled", false);
        prefs.setValue(key, c.mark);
        AppLockModel lock(keychain, prefs, nullptr);
        // Locked means "has a code" too, so no screen offers a code over the real one.
        EXPECT_EQ(lock.hasPasscode(), c.locked) << c.profile;
        EXPECT_EQ(lock.isUnlocked(), !c.locked) << c.profile;
        EXPECT_EQ(prefs.string(key), c.markAfter) << c.profile;
    }
}

TEST_F(AppLockModelTest, MarkFollowsTheKeychainSoAnUpgradedProfileStaysLocked) {
    keychain.items.insert(kItem, "1234");  // stored before the mark existed
    auto lock = start();
    EXPECT_FALSE(lock->isUnlocked());
    keychain.failReads = true;
    EXPECT_FALSE(start()->isUnlocked());
    keychain.failReads = false;
    ASSERT_TRUE(lock->unlock("1234") && lock->removePasscode());
    keychain.failReads = true;
    EXPECT_TRUE(start()->isUnlocked());
}

TEST_F(AppLockModelTest, UnreadableKeychainKeepsTheAppLockedUntilItAnswers) {
    storeCode("1234");
    keychain.failReads = true;
    auto lock = start();
    // Locked, and "has a code", so no screen offers to create one over the real one.
    EXPECT_TRUE(lock->hasPasscode());
    EXPECT_FALSE(lock->isUnlocked());
    EXPECT_EQ(lock->errorMessage(), AppLockModel::kKeychainUnavailableText);
    // Not even the right code opens while the keychain cannot be asked.
    EXPECT_FALSE(lock->unlock("1234"));
    EXPECT_EQ(lock->errorMessage(), AppLockModel::kKeychainUnavailableText);

    keychain.failReads = false;  // the user unlocked the keyring meanwhile
    EXPECT_FALSE(lock->unlock("0000"));
    EXPECT_EQ(lock->errorMessage(), "Неверный код. Попробуй ещё раз.");
    EXPECT_TRUE(lock->unlock("1234"));
    EXPECT_TRUE(lock->isUnlocked());
}

TEST_F(AppLockModelTest, KeychainThatAnswersWithNoCodeOpensTheAppWithoutCode) {
    preferences.setValue(AppLockModel::kPasscodeSetKey, true);  // the code was removed behind the app's back
    keychain.failReads = true;
    auto lock = start();
    EXPECT_FALSE(lock->isUnlocked());
    keychain.failReads = false;
    EXPECT_TRUE(lock->unlock("4821"));
    EXPECT_FALSE(lock->hasPasscode());
    EXPECT_TRUE(lock->isUnlocked());
    EXPECT_TRUE(lock->errorMessage().isEmpty());
    // From here on it is the ordinary app without a code.
    EXPECT_FALSE(lock->unlock("4821"));
}

// --- storing, replacing, removing ----------------------------------------------

TEST_F(AppLockModelTest, OnlyFourNumericCharactersMakeACode) {
    auto lock = start();
    // Counted as a reader sees characters, each judged by its first code point's
    // numeric type: digits of any script, CJK numerals, fractions, keycaps.
    for (const QString& code :
         {QString("123a"), QString("12345"), QString(), QString("123"), QString("12 4"), QString("-123"),
          QStringLiteral("1\u20E32\u20E3"), QStringLiteral("123\u0301")}) {
        EXPECT_FALSE(lock->setPasscode(code)) << code.toStdString();
        EXPECT_EQ(lock->errorMessage(), "Код должен состоять из четырёх цифр.");
    }
    EXPECT_EQ(keychain.writes, 0);
    EXPECT_FALSE(lock->hasPasscode());
    for (const QString& code :
         {QStringLiteral("١٢٣٤"), QStringLiteral("五六七八"), QStringLiteral("½¼¾⅓"),
          QStringLiteral("1\u20E32\u20E33\u20E34\u20E3"), QStringLiteral("1\u0301234")}) {
        EXPECT_TRUE(lock->setPasscode(code)) << code.toStdString();
        EXPECT_EQ(keychain.items.value(kItem), code.toUtf8());
        EXPECT_TRUE(lock->errorMessage().isEmpty());
    }
}

TEST_F(AppLockModelTest, NewCodeIsStoredAndReplacesTheOldOneForTheNextStart) {
    auto lock = start();
    ASSERT_TRUE(lock->setPasscode("1111"));
    EXPECT_TRUE(lock->hasPasscode());
    EXPECT_TRUE(lock->isUnlocked());
    ASSERT_TRUE(lock->setPasscode("2222"));
    auto nextStart = start();
    EXPECT_FALSE(nextStart->isUnlocked());
    EXPECT_FALSE(nextStart->unlock("1111"));
    EXPECT_TRUE(nextStart->unlock("2222"));
}

TEST_F(AppLockModelTest, FailedWriteKeepsThePreviousCodeOrNoneAndSaysSo) {
    auto lock = start();
    keychain.failWrites = true;
    EXPECT_FALSE(lock->setPasscode("2222"));
    EXPECT_FALSE(lock->hasPasscode());
    keychain.failWrites = false;
    ASSERT_TRUE(lock->setPasscode("1111"));
    keychain.failWrites = true;
    EXPECT_FALSE(lock->setPasscode("2222"));
    EXPECT_EQ(lock->errorMessage(), "Не удалось сохранить код в Связке ключей.");
    EXPECT_TRUE(lock->hasPasscode());
    EXPECT_TRUE(lock->isUnlocked());
    EXPECT_EQ(keychain.items.value(kItem), QByteArray("1111"));
}

TEST_F(AppLockModelTest, RemovePasscodeDeletesTheItemAndAMissingOneIsNoError) {
    storeCode("1234");
    auto lock = start();
    ASSERT_TRUE(lock->unlock("1234"));
    lock->setPasscode("1");  // leaves an error showing
    EXPECT_TRUE(lock->removePasscode());
    EXPECT_FALSE(lock->hasPasscode());
    EXPECT_TRUE(lock->isUnlocked());
    EXPECT_TRUE(lock->errorMessage().isEmpty());
    EXPECT_FALSE(start()->hasPasscode());
    EXPECT_TRUE(lock->removePasscode());
}

TEST_F(AppLockModelTest, RemoveThatTheKeychainRefusesKeepsTheCodeInForce) {
    storeCode("1234");
    auto lock = start();
    ASSERT_TRUE(lock->unlock("1234"));
    keychain.failRemoves = true;
    EXPECT_FALSE(lock->removePasscode());
    EXPECT_EQ(lock->errorMessage(), "Не удалось удалить код из Связки ключей.");
    EXPECT_TRUE(lock->hasPasscode());
    lock->lock();
    EXPECT_FALSE(lock->isUnlocked());
}

// --- relocking and change signals ------------------------------------------------

TEST_F(AppLockModelTest, LockRelocksOnlyWhenACodeIsStored) {
    auto withoutCode = start();
    QSignalSpy quiet(withoutCode.get(), &AppLockModel::changed);
    withoutCode->lock();
    EXPECT_TRUE(withoutCode->isUnlocked());
    EXPECT_EQ(quiet.count(), 0);

    storeCode("1234");
    auto withCode = start();
    ASSERT_TRUE(withCode->unlock("1234"));
    ASSERT_FALSE(withCode->unlock("0000"));  // unlocked, with an error showing
    withCode->lock();
    EXPECT_FALSE(withCode->isUnlocked());
    EXPECT_TRUE(withCode->errorMessage().isEmpty());
}

TEST_F(AppLockModelTest, ChangedIsEmittedOncePerChangeAndNotForNothing) {
    storeCode("1234");
    auto lock = start();
    QSignalSpy spy(lock.get(), &AppLockModel::changed);
    lock->unlock("0000");  // error appears
    EXPECT_EQ(spy.count(), 1);
    lock->unlock("0000");  // same error again: nothing changed
    EXPECT_EQ(spy.count(), 1);
    lock->unlock("1234");  // unlocked, error cleared: one signal
    EXPECT_EQ(spy.count(), 2);
    lock->lock();
    EXPECT_EQ(spy.count(), 3);
    lock->lock();
    EXPECT_EQ(spy.count(), 3);
}

// --- biometrics -------------------------------------------------------------------

TEST_F(AppLockModelTest, OnlyARecognisedFingerUnlocksAndClearsTheError) {
    storeCode("1234");
    auto lock = start();
    lock->unlock("0000");
    for (auto outcome :
         {Biometrics::Outcome::noMatch, Biometrics::Outcome::cancelled, Biometrics::Outcome::unavailable,
          Biometrics::Outcome::failed, Biometrics::Outcome::success}) {
        const bool success = outcome == Biometrics::Outcome::success;
        biometrics.answer = outcome;
        std::optional<bool> result;
        lock->unlockWithBiometrics([&](bool unlocked) { result = unlocked; });
        EXPECT_TRUE(lock->isVerifyingBiometrics());
        EXPECT_FALSE(result.has_value());  // answered later, never from inside the call
        drainEvents();
        EXPECT_EQ(result, std::optional<bool>(success));
        EXPECT_EQ(lock->isUnlocked(), success);
        EXPECT_EQ(lock->errorMessage().isEmpty(), success);
        EXPECT_FALSE(lock->isVerifyingBiometrics());
    }
}

TEST_F(AppLockModelTest, SecondCheckWhileOneRunsIsRefused) {
    storeCode("1234");
    auto lock = start();
    std::optional<bool> first, second;
    lock->unlockWithBiometrics([&](bool unlocked) { first = unlocked; });
    lock->unlockWithBiometrics([&](bool unlocked) { second = unlocked; });
    drainEvents();
    EXPECT_EQ(biometrics.verifications, 1);
    EXPECT_EQ(second, std::optional<bool>(false));
    EXPECT_FALSE(first.has_value());
    biometrics.finish(Biometrics::Outcome::success);
    EXPECT_EQ(first, std::optional<bool>(true));
}

// Locking happens when the app goes to the background with the prompt up.
TEST_F(AppLockModelTest, CancelOrLockEndsTheRunningCheckSoALateFingerCannotOpenTheApp) {
    storeCode("1234");
    for (const bool cancel : {true, false}) {
        auto lock = start();
        std::optional<bool> result;
        lock->unlockWithBiometrics([&](bool unlocked) { result = unlocked; });
        QSignalSpy spy(lock.get(), &AppLockModel::changed);
        cancel ? lock->cancelBiometrics() : lock->lock();
        EXPECT_EQ(result, std::optional<bool>(false));
        EXPECT_FALSE(lock->isVerifyingBiometrics());
        EXPECT_EQ(spy.count(), 1);
        biometrics.finish(Biometrics::Outcome::success);
        drainEvents();
        EXPECT_FALSE(lock->isUnlocked());
    }
}

TEST_F(AppLockModelTest, AvailabilityIsAskedAfreshAndWithoutBiometricsTheCheckGivesFalse) {
    auto withReader = start();
    EXPECT_TRUE(withReader->biometricsAvailable());
    biometrics.available = false;
    EXPECT_FALSE(withReader->biometricsAvailable());
    EXPECT_EQ(biometrics.availabilityChecks, 2);

    storeCode("1234");
    AppLockModel lock(keychain, preferences, nullptr);
    EXPECT_FALSE(lock.biometricsAvailable());
    std::optional<bool> result;
    lock.unlockWithBiometrics([&](bool unlocked) { result = unlocked; });
    drainEvents();
    EXPECT_EQ(result, std::optional<bool>(false));
    EXPECT_FALSE(lock.isUnlocked());
}

TEST_F(AppLockModelTest, ModelDestroyedDuringACheckCancelsItSafely) {
    storeCode("1234");
    bool called = false;
    {
        auto lock = start();
        lock->unlockWithBiometrics([&](bool) { called = true; });
    }
    EXPECT_EQ(biometrics.cancels, 1);
    EXPECT_FALSE(biometrics.isVerifying());
    EXPECT_FALSE(called);
}
