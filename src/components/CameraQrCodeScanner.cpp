#include "components/CameraQrCodeScanner.h"

// text() as UTF-8 (the default of later ZXing versions).
#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QCamera>
#include <QCameraDevice>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

std::optional<QString> decodeView(const ZXing::ImageView& view) {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    // A QR code is found at any angle without turning the picture.
    hints.setTryRotate(false);
    hints.setTryHarder(false);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid()) return std::nullopt;
    return QString::fromStdString(result.text());
}

// The ZXing layout of a packed RGB frame, or None.
ZXing::ImageFormat packedFormat(QVideoFrameFormat::PixelFormat format) {
    switch (format) {
        case QVideoFrameFormat::Format_BGRA8888:
        case QVideoFrameFormat::Format_BGRA8888_Premultiplied:
        case QVideoFrameFormat::Format_BGRX8888:
            return ZXing::ImageFormat::BGRX;
        case QVideoFrameFormat::Format_RGBA8888:
        case QVideoFrameFormat::Format_RGBX8888:
            return ZXing::ImageFormat::RGBX;
        case QVideoFrameFormat::Format_ARGB8888:
        case QVideoFrameFormat::Format_ARGB8888_Premultiplied:
        case QVideoFrameFormat::Format_XRGB8888:
            return ZXing::ImageFormat::XRGB;
        case QVideoFrameFormat::Format_ABGR8888:
        case QVideoFrameFormat::Format_XBGR8888:
            return ZXing::ImageFormat::XBGR;
        default:
            return ZXing::ImageFormat::None;
    }
}

// Formats whose first plane is 8-bit luminance, one byte a pixel.
bool hasLumaPlane(QVideoFrameFormat::PixelFormat format) {
    switch (format) {
        case QVideoFrameFormat::Format_NV12:
        case QVideoFrameFormat::Format_NV21:
        case QVideoFrameFormat::Format_YUV420P:
        case QVideoFrameFormat::Format_YUV422P:
        case QVideoFrameFormat::Format_YV12:
        case QVideoFrameFormat::Format_IMC1:
        case QVideoFrameFormat::Format_IMC2:
        case QVideoFrameFormat::Format_IMC3:
        case QVideoFrameFormat::Format_IMC4:
        case QVideoFrameFormat::Format_Y8:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<QString> decodeQrFrame(const QVideoFrame& source) {
    QVideoFrame frame = source;
    const QVideoFrameFormat::PixelFormat format = frame.pixelFormat();
    const ZXing::ImageFormat packed = packedFormat(format);
    if ((packed != ZXing::ImageFormat::None || hasLumaPlane(format)) && frame.map(QVideoFrame::ReadOnly)) {
        const ZXing::ImageView view(frame.bits(0), frame.width(), frame.height(),
                                    packed == ZXing::ImageFormat::None ? ZXing::ImageFormat::Lum : packed,
                                    frame.bytesPerLine(0));
        std::optional<QString> text = decodeView(view);
        frame.unmap();
        return text;
    }
    const QImage image = frame.toImage().convertToFormat(QImage::Format_Grayscale8);
    if (image.isNull()) return std::nullopt;
    return decodeView(ZXing::ImageView(image.constBits(), image.width(), image.height(),
                                       ZXing::ImageFormat::Lum, static_cast<int>(image.bytesPerLine())));
}

QVideoFrame videoFrameFromImage(const QImage& image, QVideoFrameFormat::PixelFormat format) {
    // NV12 needs even sides.
    const QSize size(image.width() & ~1, image.height() & ~1);
    QVideoFrame frame(QVideoFrameFormat(size, format));
    if (!frame.map(QVideoFrame::WriteOnly)) return {};
    if (format == QVideoFrameFormat::Format_NV12) {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            uchar* luma = frame.bits(0) + y * frame.bytesPerLine(0);
            for (int x = 0; x < size.width(); ++x)
                luma[x] = ZXing::RGBToLum(qRed(in[x]), qGreen(in[x]), qBlue(in[x]));
        }
        // Grey chroma: the picture arrives without colour, which a QR code does not need.
        for (int y = 0; y < size.height() / 2; ++y)
            std::memset(frame.bits(1) + y * frame.bytesPerLine(1), 128, size.width());
    } else {
        // Little-endian ARGB32 is B, G, R, A in memory; RGBA8888 is R, G, B, A.
        const bool bgr = packedFormat(format) == ZXing::ImageFormat::BGRX;
        const QImage packed = image.convertToFormat(bgr ? QImage::Format_ARGB32 : QImage::Format_RGBA8888);
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(frame.bits(0) + y * frame.bytesPerLine(0), packed.constScanLine(y), size.width() * 4);
    }
    frame.unmap();
    return frame;
}

// One thread that decodes the newest frame offered; an older frame still
// waiting is replaced, so a slow decode never builds a queue.
class CameraQrCodeScanner::Decoder {
public:
    explicit Decoder(CameraQrCodeScanner* scanner) : scanner_(scanner), thread_([this] { run(); }) {}
    ~Decoder() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    void offer(const QVideoFrame& frame) {
        {
            std::lock_guard lock(mutex_);
            next_ = frame;
        }
        wake_.notify_one();
    }

private:
    void run() {
        for (;;) {
            QVideoFrame frame;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return quit_ || next_; });
                if (quit_) return;
                frame = std::move(*next_);
                next_.reset();
            }
            if (const std::optional<QString> text = decodeQrFrame(frame)) {
                // The scanner outlives this thread (it joins it first), and
                // an answer still posted when it goes is dropped with it.
                CameraQrCodeScanner* scanner = scanner_;
                QMetaObject::invokeMethod(
                    scanner, [scanner, code = *text] { scanner->deliverCode(code); }, Qt::QueuedConnection);
            }
        }
    }

    CameraQrCodeScanner* scanner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<QVideoFrame> next_;
    bool quit_ = false;
    std::thread thread_;
};

CameraQrCodeScanner::CameraQrCodeScanner(Input input, QObject* parent)
    : QrCodeScanner(parent), input_(input), sink_(new QVideoSink(this)) {
    connect(sink_, &QVideoSink::videoFrameChanged, this, &CameraQrCodeScanner::frameChanged);
}

CameraQrCodeScanner::~CameraQrCodeScanner() {
    stop();
    decoder_.reset();
}

std::optional<QString> CameraQrCodeScanner::startCamera() {
    // No camera means no pipeline at all: pictures are read instead.
    const auto withoutCamera = [this] {
        offerImageInput();
        return std::nullopt;
    };
    if (input_ == Input::none) return withoutCamera();
    if (input_ == Input::defaultCamera) {
        const QCameraDevice device = QMediaDevices::defaultVideoInput();
        if (device.isNull() || QMediaDevices::videoInputs().isEmpty()) return withoutCamera();
        camera_ = std::make_unique<QCamera>(device);
        session_ = std::make_unique<QMediaCaptureSession>();
        session_->setCamera(camera_.get());
        session_->setVideoSink(sink_);
        if (session_->videoSink() != sink_) {
            releaseCamera();
            return recognitionUnavailableText();
        }
        connect(camera_.get(), &QCamera::errorOccurred, this, [this](QCamera::Error error) {
            if (error != QCamera::NoError) deliverFailure(cameraUnavailableText());
        });
        camera_->start();
        if (camera_->error() != QCamera::NoError) {
            releaseCamera();
            return cameraUnavailableText();
        }
    }
    decoder_ = std::make_unique<Decoder>(this);
    cameraActive_ = true;
    return std::nullopt;
}

std::optional<QString> CameraQrCodeScanner::decodeImage(const QImage& image) const {
    // A photo far larger than any camera frame is brought down to a camera's
    // size first; a code in it stays far above the few pixels a module needs.
    constexpr int kLargestSide = 4096;
    const QImage picture = std::max(image.width(), image.height()) > kLargestSide
                               ? image.scaled(kLargestSide, kLargestSide, Qt::KeepAspectRatio,
                                              Qt::SmoothTransformation)
                               : image;
    // As a camera of a common layout would deliver the picture.
    return decodeQrFrame(videoFrameFromImage(picture, QVideoFrameFormat::Format_BGRA8888));
}

void CameraQrCodeScanner::stopCamera() {
    cameraActive_ = false;
    releaseCamera();
}

void CameraQrCodeScanner::releaseCamera() {
    if (!camera_) return;
    camera_->stop();
    session_->setVideoSink(nullptr);
    session_->setCamera(nullptr);
    // Later, not now: this may run inside the camera's own error signal.
    camera_.release()->deleteLater();
}

void CameraQrCodeScanner::frameChanged(const QVideoFrame& frame) {
    if (!cameraActive_ || !frame.isValid()) return;
    decoder_->offer(frame);
    if (isSignalConnected(QMetaMethod::fromSignal(&QrCodeScanner::frameArrived))) showFrame(frame.toImage());
}
