#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QVideoSink>

#include "components/Button.h"
#include "components/CameraQrCodeScanner.h"
#include "components/NavigationStack.h"
#include "components/QrImage.h"
#include "components/TextLabel.h"
#include "support/QrScreenshot.h"
#include "views/family/QRCodeScannerSheet.h"
#include "views/family/ScannerImageInput.h"
#include "views/shell/ShellFixture.h"

using namespace shelltest;

namespace {

class ScannerSheetTest : public ShellTest {
protected:
    Sheet* present(std::unique_ptr<QrCodeScanner> scanner) {
        return QRCodeScannerSheet::present(
            window(), std::move(scanner), [this](const QString& code) { codes << code; },
            [this](const QString& error) { errors << error; });
    }
    QStringList codes, errors;
};

}  // namespace

TEST_F(ScannerSheetTest, PassesTheCodeOnClosesNothingItselfAndEveryWayOfClosingStopsTheCamera) {
    showInWindow(new QWidget);
    Sheet* sheet = present(qrScanners.makeScanner());
    auto* content = qobject_cast<QRCodeScannerSheet*>(sheet->content());
    ASSERT_TRUE(content);
    EXPECT_EQ(content->page()->title(), "Сканирование QR");
    EXPECT_EQ(content->page()->titleDisplay(), NavigationPage::TitleDisplay::Inline);
    EXPECT_EQ(content->closeButton()->text(), "Закрыть");
    EXPECT_EQ(content->hintLabel()->text(), "Наведите камеру на QR-код ребёнка");
    FakeQrCodeScanner* fake = qrScanners.last();
    EXPECT_FALSE(fake->cameraRunning) << "nothing starts inside the presenting call";
    settle();
    ASSERT_TRUE(fake->cameraRunning);
    fake->read("zanbeck://pair?token=abc");
    EXPECT_EQ(codes, QStringList{"zanbeck://pair?token=abc"});
    EXPECT_FALSE(sheet->isDismissed()) << "closing is the caller's business";
    EXPECT_FALSE(fake->cameraRunning);
    sheet->dismiss();
    settle();

    const std::function<void(Sheet*)> closings[] = {
        [](Sheet* s) { click(qobject_cast<QRCodeScannerSheet*>(s->content())->closeButton()); },
        [](Sheet* s) { QTest::keyClick(s, Qt::Key_Escape); },
        [](Sheet* s) { QTest::mouseClick(s, Qt::LeftButton, {}, QPoint(10, 10)); },
        [](Sheet* s) { s->dismiss(); },
    };
    for (const auto& close : closings) {
        sheet = present(qrScanners.makeScanner());
        settle();
        QPointer<FakeQrCodeScanner> scanner = qrScanners.last();
        ASSERT_TRUE(scanner->cameraRunning);
        close(sheet);
        ASSERT_TRUE(scanner);
        EXPECT_FALSE(scanner->cameraRunning);
        scanner->read("late");
        settle();
        EXPECT_FALSE(scanner) << "released with the sheet";
    }
    EXPECT_EQ(codes.size(), 1);
    EXPECT_TRUE(errors.isEmpty());

    // The Linux scanner fed a camera frame: the picture fills the sheet behind the viewfinder.
    auto camera = std::make_unique<CameraQrCodeScanner>(CameraQrCodeScanner::Input::fedFrames);
    CameraQrCodeScanner* fed = camera.get();
    present(std::move(camera));
    ASSERT_TRUE(waitUntil([&] { return fed->isCameraActive(); }));
    QImage picture(1280, 720, QImage::Format_RGB32);
    picture.fill(QColor(70, 90, 110));
    QPainter(&picture).drawImage(QRect(500, 220, 280, 280), *qrImage("zanbeck://pair?token=frame"));
    fed->videoSink()->setVideoFrame(videoFrameFromImage(picture, QVideoFrameFormat::Format_BGRA8888));
    ASSERT_TRUE(waitUntil([&] { return codes.size() == 2; }));
    EXPECT_EQ(codes.last(), "zanbeck://pair?token=frame");
    saveGallery("scanner_sheet_fed_frame");
}

// The clipboard route, at the sheet: the panel fits, and the code goes to onCode.
TEST_F(ScannerSheetTest, WithoutACameraAClipboardScreenshotIsReadAsAScannedCode) {
    showInWindow(new QWidget);
    Sheet* sheet = present(std::make_unique<CameraQrCodeScanner>(CameraQrCodeScanner::Input::none));
    auto* content = qobject_cast<QRCodeScannerSheet*>(sheet->content());
    ASSERT_TRUE(content);
    ASSERT_TRUE(waitUntil([&] { return content->imageInput() != nullptr; }));
    settle();
    EXPECT_FALSE(content->hintLabel()->isVisible()) << "nothing to aim without a camera";
    for (const QWidget* widget : content->imageInput()->findChildren<QWidget*>())
        EXPECT_TRUE(content->rect().contains(QRect(widget->mapTo(content, QPoint()), widget->size())))
            << widget->objectName().toStdString() << " fits the sheet";

    QGuiApplication::clipboard()->setImage(qrScreenshot("zanbeck://pair?token=clip"));
    click(content->imageInput()->pasteButton());
    EXPECT_EQ(codes, QStringList{"zanbeck://pair?token=clip"});
    EXPECT_TRUE(errors.isEmpty()) << "no camera is no failure here";
}
