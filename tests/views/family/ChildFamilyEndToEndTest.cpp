#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>
#include <QVideoSink>
#include <filesystem>

#include "FamilyStore.h"
#include "ServerProcess.h"
#include "account/AccountSession.h"
#include "account/AccountTestSupport.h"
#include "account/BundleInfo.h"
#include "components/Button.h"
#include "components/CameraQrCodeScanner.h"
#include "components/PullToRefresh.h"
#include "components/QrImage.h"
#include "components/TextLabel.h"
#include "support/FakeKeychain.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"
#include "views/ViewFixture.h"
#include "views/family/ChildFamilyView.h"
#include "support/PaintedListInput.h"
#include "views/family/ChildTaskList.h"

using accounttest::finish;

// The child's screen against the real server executable: its code, read from
// the screen by the scanner, pairs it; the parent's task arrives with a pull;
// "Готово" sends it for review. The build role is process-wide, so the
// parent's side is its account session alone.
TEST(ChildFamilyEndToEnd, CodeFromTheScreenPairsATaskArrivesByPullAndGoesToReview) {
    TempDir dir;
    const std::string data = dir.filePath("data").toStdString();
    std::filesystem::create_directories(data);
    {
        family::StoreSettings settings;
        settings.minimalPasswordCost = true;
        family::FamilyStore store(data + "/family.sqlite3", family::systemClock, settings);
        store.addAccounts({{"mama@example.com", "Мама", "parent", "password1"},
                           {"kid@example.com", "Coder", "child", "password1"}},
                          false);
    }
    ServerProcess server(data);
    const int port = server.start();
    ASSERT_GT(port, 0);
    const QUrl origin(QStringLiteral("http://127.0.0.1:%1").arg(port));

    Preferences::resetStandard(dir.filePath("child.ini"));
    viewtest::installLightTheme();
    InMemoryKeychain mamaKeys, kidKeys;
    Preferences mamaPreferences(dir.filePath("mama.ini"));
    AccountSession mama(mamaKeys, mamaPreferences, origin);
    {
        ScopedBundleInfo build(QJsonObject{{"ZanbeckRole", "parent"}});
        ASSERT_FALSE(finish(mama.login("mama@example.com", "password1")));
    }
    ScopedBundleInfo build(QJsonObject{{"ZanbeckRole", "child"}});
    auto kid = std::make_unique<AccountSession>(kidKeys, Preferences::standard(), origin);
    ASSERT_FALSE(finish(kid->login("kid@example.com", "password1")));
    ASSERT_TRUE(kid->user() && mama.user());

    auto* view = new ChildFamilyView(*kid);
    auto window = viewtest::showPhoneWindow(view);
    QTest::mouseClick(view->createButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return view->qrBlock()->isVisible(); }));

    // The parent's camera looks at the child's screen.
    QImage picture(1280, 720, QImage::Format_RGB32);
    picture.fill(QColor(150, 150, 150));
    QPainter(&picture).drawImage(QPoint(400, 200), view->qrView()->grab().toImage());
    CameraQrCodeScanner camera(CameraQrCodeScanner::Input::fedFrames);
    QString scanned;
    camera.start([&](const QString& code) { scanned = code; }, [](const QString&) {});
    ASSERT_TRUE(waitUntil([&] { return camera.isCameraActive(); }));
    camera.videoSink()->setVideoFrame(videoFrameFromImage(picture, QVideoFrameFormat::Format_NV12));
    ASSERT_TRUE(waitUntil([&] { return !scanned.isEmpty(); }));
    EXPECT_EQ(scanned, *kid->pairingPayload());

    ASSERT_FALSE(finish(mama.claim(scanned)));
    ASSERT_EQ(mama.members().size(), 2) << mama.errorMessage().value_or("").toStdString();
    ASSERT_FALSE(finish(mama.addTask("Полить цветы", 12.5, kid->user()->id)));
    ASSERT_EQ(mama.tasks().size(), 1);

    view->pullToRefresh()->refresh();
    ASSERT_TRUE(waitUntil([&] { return !view->pullToRefresh()->isRefreshing(); }));
    ASSERT_EQ(view->taskList()->rowKeys().size(), 1);
    const QString key = view->taskList()->rowKeys()[0];
    auto row = [&] { return *view->taskList()->row(key); };
    EXPECT_EQ(row().title, "Полить цветы");
    EXPECT_EQ(row().reward, "+12 CNY");
    EXPECT_EQ(row().status, "В работе");
    ASSERT_TRUE(paintedlist::clickButton(view->taskList()->list(), key, "done"));
    ASSERT_TRUE(waitUntil([&] { return row().status == "Ждёт проверки"; }));
    EXPECT_TRUE(view->taskList()->list()->buttonKeys(key).isEmpty());
    EXPECT_FALSE(view->errorLabel()->isVisible());

    window.reset();
    viewtest::settle();
    kid.reset();
    Preferences::resetStandard();
}
