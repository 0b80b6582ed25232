#pragma once

#include <QList>
#include <QPointer>
#include <utility>

#include "platform/QrCodeScanner.h"

// A scanner whose access answer, camera and codes the test controls. The
// camera counts as running from a granted start to the stop.
class FakeQrCodeScanner : public QrCodeScanner {
public:
    Access accessStatus = Access::granted;
    std::optional<QString> cameraFailure;  // what starting the camera reports
    bool cameraRunning = false;
    int accessRequests = 0;
    std::function<void(bool)> pendingAnswer;  // the user's answer, not given yet

    ~FakeQrCodeScanner() override { stop(); }

    // As the camera would: a code read, or a picture.
    void read(const QString& code) { deliverCode(code); }
    void picture(const QImage& frame) { showFrame(frame); }
    void answerAccess(bool granted) {
        if (auto answer = std::exchange(pendingAnswer, nullptr)) answer(granted);
    }

protected:
    Access access() const override { return accessStatus; }
    void requestAccess(std::function<void(bool)> answer) override {
        ++accessRequests;
        pendingAnswer = std::move(answer);
    }
    std::optional<QString> startCamera() override {
        if (cameraFailure) return cameraFailure;
        cameraRunning = true;
        return std::nullopt;
    }
    void stopCamera() override { cameraRunning = false; }
};

// Hands out fake scanners and keeps an eye on each one it made.
class FakeQrCodeScannerFactory : public QrCodeScannerFactory {
public:
    std::unique_ptr<QrCodeScanner> makeScanner() override {
        auto scanner = std::make_unique<FakeQrCodeScanner>();
        made.append(scanner.get());
        return scanner;
    }
    FakeQrCodeScanner* last() const { return made.isEmpty() ? nullptr : made.last().data(); }

    QList<QPointer<FakeQrCodeScanner>> made;
};
