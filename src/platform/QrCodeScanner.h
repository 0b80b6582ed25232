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

    bool isStarted() const { return started_; }
    bool isStopped() const { return stopped_; }
    bool hasDeliveredCode() const { return delivered_; }

signals:
    // Each camera picture while scanning, for the live preview.
    void frameArrived(const QImage& frame);

protected:
    virtual Access access() const = 0;
    // Asks the user once; `answer` may be called later on any thread.
    virtual void requestAccess(std::function<void(bool granted)> answer) = 0;
    // Builds and starts the camera pipeline; a failure text when it cannot.
    virtual std::optional<QString> startCamera() = 0;
    // Stops and releases the camera; called at most once, and only after startCamera().
    virtual void stopCamera() = 0;

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
    // Expires with the scanner, for answers that come from other threads.
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

// Makes a fresh scanner for each sheet that shows one.
class QrCodeScannerFactory {
public:
    virtual ~QrCodeScannerFactory() = default;
    virtual std::unique_ptr<QrCodeScanner> makeScanner() = 0;
};
