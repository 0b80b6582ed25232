#include <gtest/gtest.h>

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QVideoSink>
#include <filesystem>

#include "FamilyStore.h"
#include "ServerProcess.h"
#include "account/AccountTestSupport.h"
#include "components/Button.h"
#include "components/CameraQrCodeScanner.h"
#include "components/Chip.h"
#include "components/Overlays.h"
#include "components/DisclosureGroup.h"
#include "components/QrImage.h"
#include "components/TextLabel.h"
#include "support/PaintedListInput.h"
#include "support/QrScreenshot.h"
#include "views/family/FamilyConnectionCard.h"
#include "views/family/ParentFamilyView.h"
#include "views/family/QRCodeScannerSheet.h"
#include "views/family/ScannerImageInput.h"
#include "views/family/TaskBoard.h"
#include "views/family/TaskComposer.h"
#include "views/shell/ShellFixture.h"

using accounttest::finish;
using namespace shelltest;

namespace {

// Camera scanners fed with pictures by the test.
class FedCameras : public QrCodeScannerFactory {
public:
    std::unique_ptr<QrCodeScanner> makeScanner() override {
        auto scanner = std::make_unique<CameraQrCodeScanner>(CameraQrCodeScanner::Input::fedFrames);
        last = scanner.get();
        return scanner;
    }
    // Shows the camera a screen holding `code` (as the widget draws it).
    void look(QWidget& code) {
        ASSERT_TRUE(waitUntil([&] { return last && last->isCameraActive(); }));
        QImage picture(1280, 720, QImage::Format_RGB32);
        picture.fill(QColor(150, 150, 150));
        QPainter(&picture).drawImage(QPoint(400, 200), code.grab().toImage());
        last->videoSink()->setVideoFrame(videoFrameFromImage(picture, QVideoFrameFormat::Format_NV12));
    }
    QPointer<CameraQrCodeScanner> last;
};

// Scanners of a machine without a camera.
class NoCameras : public QrCodeScannerFactory {
public:
    std::unique_ptr<QrCodeScanner> makeScanner() override {
        return std::make_unique<CameraQrCodeScanner>(CameraQrCodeScanner::Input::none);
    }
};

// The picture area of the view's open scanner sheet, once it offers images.
ScannerImageInput* imageInputOf(ParentFamilyView& view) {
    ScannerImageInput* input = nullptr;
    EXPECT_TRUE(waitUntil([&] {
        auto* sheet =
            view.scannerSheet() ? qobject_cast<QRCodeScannerSheet*>(view.scannerSheet()->content()) : nullptr;
        input = sheet ? sheet->imageInput() : nullptr;
        return input && input->isVisible();
    }));
    return input;
}

class ParentEndToEnd : public ShellTest {
protected:
    // The real server on a fresh data folder holding these accounts (each in
    // a family of their own); its origin, invalid when it did not start.
    QUrl startServer(const std::vector<family::NewAccount>& accounts) {
        const std::string data = dir.filePath("server").toStdString();
        std::filesystem::create_directories(data);
        {
            family::StoreSettings settings;
            settings.minimalPasswordCost = true;
            family::FamilyStore store(data + "/family.sqlite3", family::systemClock, settings);
            store.addAccounts(accounts, false);
        }
        server_ = std::make_unique<ServerProcess>(data);
        const int port = server_->start();
        return port > 0 ? QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port)) : QUrl();
    }

    // A session of its own (keychain and preferences) against the server.
    std::unique_ptr<AccountSession> session(const QUrl& origin) {
        keys_.push_back(std::make_unique<InMemoryKeychain>());
        preferences_.push_back(
            std::make_unique<Preferences>(dir.filePath(QStringLiteral("session%1.ini").arg(keys_.size()))));
        return std::make_unique<AccountSession>(*keys_.back(), *preferences_.back(), origin);
    }

private:
    std::unique_ptr<ServerProcess> server_;
    std::vector<std::unique_ptr<InMemoryKeychain>> keys_;
    std::vector<std::unique_ptr<Preferences>> preferences_;
};

}  // namespace

// Two parent centers and a child's session against the real server: the
// child is paired by its code on screen, the second parent joins by scanning
// the invite, a task goes out, comes back for review and needs both votes.
TEST_F(ParentEndToEnd, ParentCentersPairInviteComposeAndApproveTogetherThroughTheRealServer) {
    const QUrl origin = startServer({{"mama@example.com", "Мама", "parent", "password1"},
                                     {"papa@example.com", "Папа", "parent", "password1"},
                                     {"kid@example.com", "Коля", "child", "password1"},
                                     {"kid2@example.com", "Оля", "child", "password1"}});
    ASSERT_TRUE(origin.isValid());

    auto kid = session(origin), kid2 = session(origin);
    ASSERT_FALSE(finish(kid->login("kid@example.com", "password1")));
    ASSERT_FALSE(finish(kid2->login("kid2@example.com", "password1")));
    setBuildRole("parent");
    auto mama = session(origin), papa = session(origin);
    ASSERT_FALSE(finish(mama->login("mama@example.com", "password1")));
    ASSERT_FALSE(finish(papa->login("papa@example.com", "password1")));
    ASSERT_TRUE(kid->user() && kid2->user() && mama->user() && papa->user());

    FedCameras cameras;
    auto* mamaView = new ParentFamilyView(*mama, cameras);
    auto mamaWindow = viewtest::showPhoneWindow(mamaView);
    auto papaWindow = viewtest::showPhoneWindow(new ParentFamilyView(*papa, cameras));
    auto* papaView = papaWindow->findChild<ParentFamilyView*>();

    // The child's code, read by mama's camera.
    ASSERT_FALSE(finish(kid->createPairingCode()));
    QrImageView kidScreen(240);
    kidScreen.resize(240, 240);
    kidScreen.setImage(*qrImage(*kid->pairingPayload()));
    click(mamaView->emptyFamilyCard()->scanButton());
    cameras.look(kidScreen);
    ASSERT_TRUE(waitUntil([&] { return mamaView->children().size() == 1; }))
        << mama->errorMessage().value_or("").toStdString();
    EXPECT_EQ(mamaView->connectionCard()->codeField()->text(), *kid->pairingPayload());
    EXPECT_EQ(mamaView->composer()->childId(), kid->user()->id);

    // Papa scans the invite on mama's screen.
    click(mamaView->connectionCard()->inviteButton());
    ASSERT_TRUE(waitUntil([&] { return mamaView->connectionCard()->inviteBlock()->isVisible(); }));
    click(papaView->connectionCard()->scanButton());
    cameras.look(*mamaView->connectionCard()->inviteQr());
    ASSERT_TRUE(waitUntil([&] { return papaView->parents().size() == 2; }))
        << papa->errorMessage().value_or("").toStdString();
    ASSERT_FALSE(finish(ParentFamilyView::refreshQuietly(mama.get())));
    EXPECT_TRUE(mamaView->connectionCard()->dualApprovalLabel()->isVisible());

    // Mama sends a task; the child reports it done.
    mamaView->composer()->titleField()->setText("Полить цветы");
    mamaView->composer()->rewardField()->setText("12,5");
    click(mamaView->composer()->sendButton());
    ASSERT_TRUE(waitUntil([&] { return !mamaView->composer()->isCreatingTask(); }));
    ASSERT_EQ(mama->tasks().size(), 1) << mama->errorMessage().value_or("").toStdString();
    const QString taskId = mama->tasks()[0].id;
    ASSERT_FALSE(finish(kid->act(taskId, "complete")));

    // Mama's vote leaves 1/2; papa's moves the card under "Готово".
    ASSERT_FALSE(finish(ParentFamilyView::refreshQuietly(mama.get())));
    PaintedList* mamaCards = mamaView->board()->list();
    std::optional<TaskCardContent> card = mamaView->board()->card(taskId);
    ASSERT_TRUE(card && mamaCards->buttonKeys(taskId).contains("approve"));
    EXPECT_EQ(card->approvals, "Подтверждения: 0/2");
    ASSERT_TRUE(paintedlist::clickButton(mamaCards, taskId, "approve"));
    ASSERT_TRUE(waitUntil([&] { return !mamaView->board()->actionInFlight(); }));
    card = mamaView->board()->card(taskId);
    EXPECT_EQ(card->approvals, "Подтверждения: 1/2");
    EXPECT_TRUE(card->ownVote);
    EXPECT_EQ(mamaCards->buttonKeys(taskId), QStringList({"return"}));
    ASSERT_FALSE(finish(ParentFamilyView::refreshQuietly(papa.get())));
    ASSERT_TRUE(paintedlist::clickButton(papaView->board()->list(), taskId, "approve"));
    ASSERT_TRUE(waitUntil([&] { return !papaView->board()->actionInFlight(); }));
    click(papaView->board()->filterChip(ParentTaskFilter::done));
    ASSERT_EQ(papaView->board()->list()->rows(), QStringList({taskId}));
    EXPECT_EQ(papaView->board()->card(taskId)->subtitle, "Коля · выполнено");
    EXPECT_EQ(papaView->board()->card(taskId)->reward, "+12 CNY");
    EXPECT_TRUE(papaView->board()->list()->buttonKeys(taskId).isEmpty());

    // A code pasted with its line end still pairs.
    ASSERT_FALSE(finish(kid2->createPairingCode()));
    click(papaView->connectionCard()->manualCode()->header());
    papaView->connectionCard()->codeField()->setText(*kid2->pairingPayload() + "\n");
    click(papaView->connectionCard()->claimButton());
    ASSERT_TRUE(waitUntil([&] { return papaView->children().size() == 2; }))
        << papa->errorMessage().value_or("").toStdString();
    EXPECT_FALSE(papa->errorMessage());
}

// Papa has no camera: he reads mama's invite from a PNG file, after a picture
// without a code and an empty clipboard are both refused with their reasons;
// the scanned invite goes to the invite claim, as from a camera.
TEST_F(ParentEndToEnd, APngOfTheInviteJoinsTheSecondParentThroughTheRealServer) {
    const QUrl origin = startServer({{"mama@example.com", "Мама", "parent", "password1"},
                                     {"papa@example.com", "Папа", "parent", "password1"},
                                     {"kid@example.com", "Коля", "child", "password1"}});
    ASSERT_TRUE(origin.isValid());

    auto kid = session(origin);
    ASSERT_FALSE(finish(kid->login("kid@example.com", "password1")));
    setBuildRole("parent");
    auto mama = session(origin), papa = session(origin);
    ASSERT_FALSE(finish(mama->login("mama@example.com", "password1")));
    ASSERT_FALSE(finish(papa->login("papa@example.com", "password1")));
    ASSERT_FALSE(finish(kid->createPairingCode()));
    ASSERT_FALSE(finish(mama->claim(*kid->pairingPayload())));
    ASSERT_FALSE(finish(mama->createFamilyInvite()));
    const QString invite = *mama->familyInvitePayload();
    ASSERT_TRUE(invite.contains("family/parent")) << invite.toStdString();

    NoCameras cameras;
    auto* papaView = new ParentFamilyView(*papa, cameras);
    showInWindow(papaView);
    click(papaView->connectionCard()->scanButton());
    ScannerImageInput* input = imageInputOf(*papaView);
    ASSERT_TRUE(input);
    saveGallery("scanner_sheet_no_camera");

    // Nothing on the clipboard, then a picture without a code: told, and the sheet stays.
    QGuiApplication::clipboard()->clear();
    click(input->pasteButton());
    EXPECT_EQ(input->statusLabel()->text(), ScannerImageInput::noClipboardImageText());
    QImage blank(800, 600, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QGuiApplication::clipboard()->setImage(blank);
    click(input->pasteButton());
    EXPECT_EQ(input->statusLabel()->text(), ScannerImageInput::noCodeText());
    EXPECT_TRUE(input->statusLabel()->isVisible());
    EXPECT_FALSE(papaView->scannerSheet()->isDismissed());
    EXPECT_EQ(papaView->parents().size(), 1);

    // The PNG file, through the file dialog.
    const QString png = dir.filePath("invite.png");
    ASSERT_TRUE(qrScreenshot(invite).save(png, "PNG"));
    click(input->chooseButton());
    auto* dialog = window()->findChild<QFileDialog*>("scannerImageDialog");
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), "QR-код из файла");
    dialog->selectFile(png);
    QMetaObject::invokeMethod(dialog, "accept");
    ASSERT_TRUE(waitUntil([&] { return papaView->parents().size() == 2; }))
        << papa->errorMessage().value_or("").toStdString();
    EXPECT_TRUE(papaView->scannerSheet() == nullptr || papaView->scannerSheet()->isDismissed());
    EXPECT_FALSE(papa->errorMessage());
    EXPECT_EQ(papaView->connectionCard()->codeField()->text(), invite) << "as a scanned code shows";
    ASSERT_FALSE(finish(mama->refresh()));
    EXPECT_EQ(mama->members().size(), 3) << "mama sees papa and the child";
}
