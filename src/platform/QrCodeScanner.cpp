#include "platform/QrCodeScanner.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

QString QrCodeScanner::accessRefusedText() { return QStringLiteral("Доступ к камере не разрешён."); }
QString QrCodeScanner::accessDeniedText() {
    return QStringLiteral("Разрешите доступ к камере: Настройки → Занбек → Камера.");
}
QString QrCodeScanner::cameraUnavailableText() {
    return QStringLiteral("Камера недоступна на этом устройстве.");
}
QString QrCodeScanner::recognitionUnavailableText() {
    return QStringLiteral("Не удалось запустить распознавание QR-кода.");
}

QrCodeScanner::QrCodeScanner(QObject* parent) : QObject(parent) {}

// An implementation stops its own camera in its destructor (it is gone by
// the time this one runs); here only the callbacks are dropped.
QrCodeScanner::~QrCodeScanner() = default;

void QrCodeScanner::start(TextHandler onCode, TextHandler onError) {
    if (started_ || stopped_) return;
    started_ = true;
    onCode_ = std::move(onCode);
    onError_ = std::move(onError);
    // Never from inside the caller's own call: it may still be building the
    // screen that the callbacks touch.
    QTimer::singleShot(0, this, &QrCodeScanner::checkAccess);
}

void QrCodeScanner::checkAccess() {
    if (stopped_) return;
    switch (access()) {
        case Access::granted:
            configure();
            return;
        case Access::denied:
            deliverFailure(accessDeniedText());
            return;
        case Access::notDetermined:
            break;
    }
    // The answer may come on any thread and after the scanner is gone.
    std::weak_ptr<int> life = life_;
    requestAccess([this, life](bool granted) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [this, life, granted] {
                if (life.expired() || stopped_) return;
                if (granted)
                    configure();
                else
                    deliverFailure(accessRefusedText());
            },
            Qt::QueuedConnection);
    });
}

void QrCodeScanner::configure() {
    if (const std::optional<QString> failure = startCamera()) {
        deliverFailure(*failure);
        return;
    }
    cameraStarted_ = true;
    if (imageInput_) emit imageInputOffered();
}

std::optional<QString> QrCodeScanner::decodeImage(const QImage&) const { return std::nullopt; }

bool QrCodeScanner::readImage(const QImage& image) {
    if (!offersImageInput() || delivered_ || image.isNull()) return false;
    const std::optional<QString> text = decodeImage(image);
    if (!text) return false;
    deliverCode(*text);
    return true;
}

void QrCodeScanner::stop() {
    if (stopped_) return;
    stopped_ = true;
    onCode_ = nullptr;
    onError_ = nullptr;
    if (cameraStarted_) stopCamera();
}

void QrCodeScanner::finish() {
    stopped_ = true;
    if (cameraStarted_) stopCamera();
}

void QrCodeScanner::deliverCode(const QString& text) {
    if (!isScanning() || delivered_) return;
    delivered_ = true;
    // The camera stops before the caller hears of the code, and the callback
    // is the last thing done here: it may well drop the scanner.
    TextHandler onCode = std::move(onCode_);
    onError_ = nullptr;
    finish();
    if (onCode) onCode(text);
}

void QrCodeScanner::deliverFailure(const QString& text) {
    if (stopped_ || !started_) return;
    TextHandler onError = std::move(onError_);
    onCode_ = nullptr;
    finish();
    if (onError) onError(text);
}

void QrCodeScanner::showFrame(const QImage& frame) {
    if (isScanning()) emit frameArrived(frame);
}
