#pragma once

// The app shell's screens on real objects: the store on a temporary folder,
// the lock model over an in-memory keychain, the account session against a
// scripted server, and fakes for every platform service.

#include "account/AccountSession.h"
#include "account/BundleInfo.h"
#include "components/Overlays.h"
#include "components/Theme.h"
#include "lock/AppLockModel.h"
#include "platform/OutsideEntries.h"
#include "platform/PhotoPicker.h"
#include "platform/PlatformServices.h"
#include "platform/ShareService.h"
#include "services/Preferences.h"
#include "store/MoneyStore.h"
#include "support/FakeBiometrics.h"
#include "support/FakeHaptics.h"
#include "support/FakeKeychain.h"
#include "support/FakeNotificationCenter.h"
#include "support/FakePlatform.h"
#include "support/FakeQrCodeScanner.h"
#include "support/FakeScenePhaseSource.h"
#include "support/FakeWidgetCenter.h"
#include "support/FixedClock.h"
#include "support/Gallery.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"
#include "views/ViewFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace shelltest {

inline const QByteArray kChildUser = R"({"id":"child-1","email":"anya@family.ru","nickname":"Аня","role":"child"})";
inline const QByteArray kParentUser = R"({"id":"parent-1","email":"mama@family.ru","nickname":"Мама","role":"parent"})";
inline const QByteArray kFamily = R"({"members":[{"id":"parent-1","nickname":"Мама","role":"parent"},
    {"id":"child-1","nickname":"Аня","role":"child"}],"tasks":[]})";

inline QByteArray authAnswer(const QByteArray& user) {
    return "{\"user\":" + user + ",\"sessionToken\":\"token-new\"}";
}
inline QByteArray meAnswer(const QByteArray& user) { return "{\"user\":" + user + "}"; }

using viewtest::settle;

inline void click(QAbstractButton* button) {
    ASSERT_TRUE(button);
    ASSERT_TRUE(button->isVisible()) << button->objectName().toStdString();
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        Preferences::resetStandard(dir.filePath("preferences.ini"));
        AppGroupDefaults::setDirectoryOverride(dir.filePath("group"));
        viewtest::installLightTheme();
        biometrics.available = false;
        ASSERT_TRUE(server.listen());
        server.on("GET", "/api/auth/me", ScriptedResponse::json(200, meAnswer(kChildUser)));
        server.on("GET", "/api/family", ScriptedResponse::json(200, kFamily));
    }

    void TearDown() override {
        window_.reset();
        settle();
        account_.reset();
        appLock_.reset();
        store_.reset();
        AppGroupDefaults::setDirectoryOverride({});
        BundleInfo::setOverride(std::nullopt);
    }

    MoneyStore& store() {
        if (!store_) {
            MoneyStoreEnvironment env;
            env.paths = StorePaths(dir.filePath("data"));
            env.clock = &clock;
            env.timeZone = QTimeZone::utc();
            env.widgets = &widgets;
            env.notifications = &notifications;
            env.preferences = &Preferences::standard();
            env.disk = storeDisk;
            store_ = std::make_unique<MoneyStore>(env);
        }
        return *store_;
    }
    AppLockModel& appLock() {
        if (!appLock_)
            appLock_ = std::make_unique<AppLockModel>(keychain, Preferences::standard(), &biometrics);
        return *appLock_;
    }
    AccountSession& account() {
        if (!account_) account_ = std::make_unique<AccountSession>(keychain, Preferences::standard(), server.origin());
        return *account_;
    }

    void setBuildRole(const char* role) { BundleInfo::setOverride(QJsonObject{{"ZanbeckRole", role}}); }
    // A code stored through the app, with its mark beside the preferences.
    void storePasscode(const QByteArray& code) {
        keychain.items.insert({AppLockModel::kKeychainService, AppLockModel::kKeychainAccount}, code);
        Preferences::standard().setValue(AppLockModel::kPasscodeSetKey, true);
    }
    // A sign-in saved on this device, which the session adopts when it is made.
    void saveSignIn(const QByteArray& user = kChildUser) {
        keychain.items.insert({AccountSession::kTokenService, QString()}, "token-old");
        Preferences::standard().setValue(AccountSession::kCachedUserKey, user);
    }
    void signInThroughServer(const QByteArray& user = kChildUser) {
        server.on("POST", "/api/auth/login", ScriptedResponse::json(200, authAnswer(user)));
        account().login("anya@family.ru", "password1");
        ASSERT_TRUE(waitUntil([&] { return account().user().has_value() && !account().isBusy(); }));
    }

    // Shows the widget as the content of a phone-sized window.
    template <class W>
    W* showInWindow(W* widget) {
        window_ = viewtest::showPhoneWindow(widget);
        return widget;
    }
    QWidget* window() const { return window_.get(); }
    OverlayHost* overlays() const { return OverlayHost::forWindow(window_.get()); }
    void saveGallery(const QString& name) {
        ASSERT_TRUE(window_);
        EXPECT_FALSE(Gallery::save(*window_, name).isEmpty()) << name.toStdString();
    }

    TempDir dir;
    InMemoryKeychain keychain;
    FakeBiometrics biometrics;
    FakeHaptics haptics;
    FakeNotificationCenter notifications;
    FakeWidgetCenter widgets;
    FakeShareService share;
    FakePhotoPicker photos;
    FakeScenePhaseSource scene;
    OutsideEntries outside;
    FixedClock clock{QDateTime(QDate(2024, 5, 14), QTime(10, 0), QTimeZone::utc())};
    FakeQrCodeScannerFactory qrScanners;
    FakeAppIcons appIcons;
    PlatformServices services{keychain, biometrics, notifications, widgets, haptics, share,
                              photos,   qrScanners, scene,         outside, clock,   appIcons};
    ScriptedHttpServer server;
    ScopedBundleInfo childBuild{QJsonObject{{"ZanbeckRole", "child"}}};
    StoreDisk* storeDisk = nullptr;  // set before store() to watch its writes

private:
    std::unique_ptr<MoneyStore> store_;
    std::unique_ptr<AppLockModel> appLock_;
    std::unique_ptr<AccountSession> account_;
    std::unique_ptr<QWidget> window_;
};

}  // namespace shelltest
