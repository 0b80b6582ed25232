#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

// The camera QR scanner behind one scanner sheet: asks for camera access, runs
// the camera, shows its picture and hands over the first QR code it reads, or
// one failure text. A scanner is used once (made, started, stopped, dropped);
// another attempt takes a new one.
//
// Every callback comes on the main thread, later than the call that started
// the scanner, and none after stop() or the scanner's destruction. After the
// first code the camera is stopped and nothing else is delivered; a failure
// is reported once and the camera is not started.
//
// This class runs those rules; an implementation supplies the access check
// and the camera.
//
// A scanner on a machine without a camera may offer to read the code from a
// picture instead (a screenshot of the other device's code, say): it then
// announces imageInputOffered() in place of the failure, and each picture
// handed to readImage() is searched as a camera frame would be; the first code
// found is delivered like a scanned one, on the same terms.
class QrCodeScanner : public QObject {
    Q_OBJECT
public:
    enum class Access { granted, notDetermined, denied };
    using TextHandler = std::function<void(const QString& text)>;

    // "Доступ к камере не разрешён." (asked now and refused)
    static QString accessRefusedText();
    // "Разрешите доступ к камере: Настройки → Занбек → Камера." (refused before)
    static QString accessDeniedText();
    // "Камера недоступна на этом устройстве."
    static QString cameraUnavailableText();
    // "Не удалось запустить распознавание QR-кода."
    static QString recognitionUnavailableText();

    explicit QrCodeScanner(QObject* parent = nullptr);
    ~QrCodeScanner() override;

    // Checks access and starts the camera from the event loop. Only the first call counts.
    void start(TextHandler onCode, TextHandler onError);
    // Stops the camera and drops every later callback.
    void stop();

    // The first QR code in the picture, delivered through onCode as from the
    // camera. False when it holds none, or when no picture is being waited for
    // (no image input offered, stopped, or a code already delivered).
    bool readImage(const QImage& image);
    bool offersImageInput() const { return imageInput_ && isScanning(); }

    bool isStarted() const { return started_; }
    bool isStopped() const { return stopped_; }
    bool hasDeliveredCode() const { return delivered_; }

signals:
    // Each camera picture while scanning, for the live preview.
    void frameArrived(const QImage& frame);
    // No camera, but pictures are read instead (readImage()); once, after start().
    void imageInputOffered();

protected:
    virtual Access access() const = 0;
    // Asks the user once; `answer` may be called later on any thread.
    virtual void requestAccess(std::function<void(bool granted)> answer) = 0;
    // Builds and starts the camera pipeline; a failure text when it cannot.
    virtual std::optional<QString> startCamera() = 0;
    // Stops and releases the camera; called at most once, and only after startCamera().
    virtual void stopCamera() = 0;

    // The code in a picture; none unless the implementation reads pictures.
    virtual std::optional<QString> decodeImage(const QImage& image) const;
    // For startCamera() on a machine without a camera: succeed without one and
    // take pictures instead of frames.
    void offerImageInput() { imageInput_ = true; }

    // For implementations, on the main thread. Ignored unless scanning.
    void deliverCode(const QString& text);
    void deliverFailure(const QString& text);
    void showFrame(const QImage& frame);
    bool isScanning() const { return cameraStarted_ && !stopped_; }

private:
    void checkAccess();
    void configure();
    void finish();

    TextHandler onCode_;
    TextHandler onError_;
    bool started_ = false;
    bool cameraStarted_ = false;
    bool stopped_ = false;
    bool delivered_ = false;
    bool imageInput_ = false;
    // Expires with the scanner, for answers that come from other threads.
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

// Makes a fresh scanner for each sheet that shows one.
class QrCodeScannerFactory {
public:
    virtual ~QrCodeScannerFactory() = default;
    virtual std::unique_ptr<QrCodeScanner> makeScanner() = 0;
};
