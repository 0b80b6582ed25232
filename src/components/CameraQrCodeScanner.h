#pragma once

#include <QVideoFrame>
#include <QVideoFrameFormat>
#include <memory>
#include <optional>

#include "platform/QrCodeScanner.h"

class QCamera;
class QMediaCaptureSession;
class QVideoSink;

// The text of the first QR code anywhere in a camera frame (QR only, the whole
// frame), or nullopt. Reads the luminance plane of YUV frames and packed RGB
// frames in place; any other layout is converted first. Safe on any thread.
std::optional<QString> decodeQrFrame(const QVideoFrame& frame);

// A frame as a camera of that pixel layout would deliver the picture (NV12,
// BGRA8888 and the other packed RGB layouts), for frames fed without a camera.
QVideoFrame videoFrameFromImage(const QImage& image, QVideoFrameFormat::PixelFormat format);

// The scanner on Linux: the default video input through QCamera and
// QMediaCaptureSession into a QVideoSink. Each frame is shown as the live
// picture and offered to a decoder thread that works on the newest frame only;
// frames arriving while it decodes replace the waiting one, never queue.
//
// Qt 6.4 has no camera permission API, so access counts as granted. Without a
// video input the scanner offers to read pictures instead (readImage(): each
// one goes through the frame decoder as a camera frame would); any QCamera
// error is reported as the camera being unavailable.
class CameraQrCodeScanner : public QrCodeScanner {
    Q_OBJECT
public:
    enum class Input {
        defaultCamera,  // the system's default video input
        none,           // as on a machine without a camera: pictures only
        fedFrames,      // no camera: frames come only through videoSink()
    };

    explicit CameraQrCodeScanner(Input input = Input::defaultCamera, QObject* parent = nullptr);
    ~CameraQrCodeScanner() override;

    // Where the camera's frames arrive; frames may be pushed into it directly.
    QVideoSink* videoSink() const { return sink_; }
    // True between a successful start and the stop (first code, failure, stop()).
    bool isCameraActive() const { return cameraActive_; }

protected:
    Access access() const override { return Access::granted; }
    void requestAccess(std::function<void(bool)> answer) override { answer(true); }
    std::optional<QString> startCamera() override;
    void stopCamera() override;
    std::optional<QString> decodeImage(const QImage& image) const override;

private:
    class Decoder;
    void frameChanged(const QVideoFrame& frame);
    void releaseCamera();

    Input input_;
    QVideoSink* sink_;
    std::unique_ptr<QMediaCaptureSession> session_;
    std::unique_ptr<QCamera> camera_;
    std::unique_ptr<Decoder> decoder_;
    bool cameraActive_ = false;
};

class CameraQrCodeScannerFactory : public QrCodeScannerFactory {
public:
    std::unique_ptr<QrCodeScanner> makeScanner() override { return std::make_unique<CameraQrCodeScanner>(); }
};
