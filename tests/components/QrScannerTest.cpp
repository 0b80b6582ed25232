#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <gtest/gtest.h>

#include <QPainter>
#include <QVideoSink>

#include "components/CameraQrCodeScanner.h"
#include "components/QrImage.h"
#include "support/FakeQrCodeScanner.h"
#include "support/WaitUntil.h"

namespace {

const QString kPayload = QStringLiteral("zanbeck://pair?token=3f9a1c0e7d4b4a559e2f1b6c8d0a2e44");
const QString kCyrillic = QStringLiteral("Привет, семья! Полить цветы — +150 ₽");

// A 1280 x 720 grey camera picture with the given codes drawn at their places.
QVideoFrame cameraFrame(const QList<std::pair<QImage, QPoint>>& codes,
                        QVideoFrameFormat::PixelFormat format = QVideoFrameFormat::Format_NV12) {
    QImage picture(1280, 720, QImage::Format_RGB32);
    picture.fill(QColor(128, 128, 128));
    QPainter p(&picture);
    for (const auto& [code, at] : codes)
        p.drawImage(QRect(at, QSize(240, 240 * code.height() / code.width())), code);
    p.end();
    return videoFrameFromImage(picture, format);
}

QImage code128(const char* text) {
    const ZXing::BitMatrix bars =
        ZXing::MultiFormatWriter(ZXing::BarcodeFormat::Code128).encode(text, 400, 80);
    QImage image(bars.width(), bars.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < bars.height(); ++y)
        for (int x = 0; x < bars.width(); ++x) image.scanLine(y)[x] = bars.get(x, y) ? 0 : 255;
    return image;
}

struct Delivered {
    QStringList codes, errors;
    void listen(QrCodeScanner& scanner) {
        scanner.start([this](const QString& code) { codes << code; },
                      [this](const QString& e) { errors << e; });
    }
};

void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

}  // namespace

TEST(QrImageTest, SameTextSameBlackAndWhiteImageThatReadsBackFromCameraFrames) {
    for (const QString& text : {kPayload, kCyrillic}) {
        const std::optional<QImage> image = qrImage(text);
        ASSERT_TRUE(image);
        EXPECT_EQ(*image, *qrImage(text));
        EXPECT_EQ(image->width() % 10, 0);
        const QImage grey = image->convertToFormat(QImage::Format_Grayscale8);
        for (int y = 0; y < grey.height(); ++y)
            for (int x = 0; x < grey.width(); ++x)
                ASSERT_TRUE(grey.constScanLine(y)[x] == 0 || grey.constScanLine(y)[x] == 255)
                    << x << "," << y;
        for (const auto format : {QVideoFrameFormat::Format_NV12, QVideoFrameFormat::Format_BGRA8888})
            EXPECT_EQ(decodeQrFrame(cameraFrame({{*image, {520, 240}}}, format)), text);
    }
    EXPECT_FALSE(qrImage(QString(8000, QLatin1Char('x')))) << "more than any QR code holds";
    EXPECT_FALSE(decodeQrFrame(cameraFrame({}))) << "no code";
    EXPECT_FALSE(decodeQrFrame(cameraFrame({{code128("ZANBECK-128"), {400, 300}}}))) << "QR codes only";
}

TEST(CameraQrCodeScannerTest, FedFramesDeliverTheFirstCodeOnlyThenTheCameraStops) {
    CameraQrCodeScanner scanner(CameraQrCodeScanner::Input::fedFrames);
    Delivered delivered;
    int previews = 0;
    QObject::connect(&scanner, &QrCodeScanner::frameArrived, &scanner, [&] { ++previews; });
    delivered.listen(scanner);
    EXPECT_FALSE(scanner.isCameraActive()) << "started from the event loop, not inside start()";
    ASSERT_TRUE(waitUntil([&] { return scanner.isCameraActive(); }));

    scanner.videoSink()->setVideoFrame(cameraFrame({}));
    EXPECT_EQ(previews, 1);
    // Far from the centre, where the viewfinder is drawn.
    scanner.videoSink()->setVideoFrame(cameraFrame({{*qrImage(kPayload), {8, 8}}}));
    ASSERT_TRUE(waitUntil([&] { return !delivered.codes.isEmpty(); }));
    EXPECT_EQ(delivered.codes, QStringList{kPayload});
    EXPECT_FALSE(scanner.isCameraActive());

    scanner.videoSink()->setVideoFrame(cameraFrame({{*qrImage(kCyrillic), {520, 240}}}));
    settle();
    EXPECT_EQ(previews, 2) << "frames after the code are not shown";
    EXPECT_EQ(delivered.codes, QStringList{kPayload});
    EXPECT_TRUE(delivered.errors.isEmpty());
}

TEST(CameraQrCodeScannerTest, TwoCodesInOneFrameGiveOneAndNoCameraReadsPicturesInstead) {
    CameraQrCodeScanner scanner(CameraQrCodeScanner::Input::fedFrames);
    Delivered two;
    two.listen(scanner);
    ASSERT_TRUE(waitUntil([&] { return scanner.isCameraActive(); }));
    scanner.videoSink()->setVideoFrame(
        cameraFrame({{*qrImage(kPayload), {40, 200}}, {*qrImage(kCyrillic), {900, 200}}}));
    ASSERT_TRUE(waitUntil([&] { return !two.codes.isEmpty(); }));
    settle();
    ASSERT_EQ(two.codes.size(), 1);
    EXPECT_TRUE(two.codes[0] == kPayload || two.codes[0] == kCyrillic);

    EXPECT_FALSE(scanner.readImage(*qrImage(kCyrillic))) << "a camera scanner takes no pictures";

    // No camera: no failure, but pictures are read as camera frames would be.
    CameraQrCodeScanner none(CameraQrCodeScanner::Input::none);
    Delivered pictures;
    int offers = 0;
    QObject::connect(&none, &QrCodeScanner::imageInputOffered, &none, [&] { ++offers; });
    EXPECT_FALSE(none.readImage(*qrImage(kPayload))) << "not before it has started";
    pictures.listen(none);
    ASSERT_TRUE(waitUntil([&] { return offers == 1; }));
    EXPECT_TRUE(pictures.errors.isEmpty());
    EXPECT_FALSE(none.isCameraActive());
    EXPECT_TRUE(none.offersImageInput());
    QImage photo(2400, 1600, QImage::Format_RGB32);  // a large picture, the code off centre
    photo.fill(QColor(200, 190, 180));
    EXPECT_FALSE(none.readImage(photo));
    EXPECT_FALSE(none.readImage(QImage()));
    QPainter(&photo).drawImage(QRect(1700, 1000, 400, 400), *qrImage(kCyrillic));
    EXPECT_TRUE(none.readImage(photo));
    EXPECT_EQ(pictures.codes, QStringList{kCyrillic});
    EXPECT_FALSE(none.readImage(photo)) << "one code in a scanner's life";
    EXPECT_FALSE(none.offersImageInput());
    settle();
    EXPECT_EQ(pictures.codes.size(), 1);
    EXPECT_TRUE(pictures.errors.isEmpty());
}

TEST(QrCodeScannerTest, AccessAnswersAndFailuresReachOnErrorOnceAndAClosedScannerHearsNothing) {
    using Access = QrCodeScanner::Access;
    struct Case {
        Access access;
        std::optional<bool> answer;
        std::optional<QString> cameraFailure;
        QStringList errors;
        bool running;
    } cases[] = {
        {Access::granted, {}, {}, {}, true},
        {Access::denied, {}, {}, {QrCodeScanner::accessDeniedText()}, false},
        {Access::notDetermined, false, {}, {QrCodeScanner::accessRefusedText()}, false},
        {Access::notDetermined, true, {}, {}, true},
        {Access::granted,
         {},
         QrCodeScanner::recognitionUnavailableText(),
         {QrCodeScanner::recognitionUnavailableText()},
         false},
    };
    for (const Case& c : cases) {
        FakeQrCodeScanner scanner;
        scanner.accessStatus = c.access;
        scanner.cameraFailure = c.cameraFailure;
        Delivered delivered;
        delivered.listen(scanner);
        settle();
        EXPECT_EQ(scanner.accessRequests, c.answer ? 1 : 0) << "asked only when not yet determined";
        if (c.answer) scanner.answerAccess(*c.answer);
        settle();
        EXPECT_EQ(delivered.errors, c.errors);
        EXPECT_EQ(scanner.cameraRunning, c.running);
        scanner.read(kPayload);
        EXPECT_EQ(delivered.codes, c.running ? QStringList{kPayload} : QStringList{});
        EXPECT_FALSE(scanner.cameraRunning) << "stopped by the code";
    }

    // Closed before the user answered: the late answer finds nobody.
    Delivered late;
    std::function<void(bool)> answer;
    {
        FakeQrCodeScanner scanner;
        scanner.accessStatus = Access::notDetermined;
        late.listen(scanner);
        settle();
        answer = scanner.pendingAnswer;
    }
    ASSERT_TRUE(answer);
    answer(false);
    settle();
    EXPECT_TRUE(late.errors.isEmpty());
}
