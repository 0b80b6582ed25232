#pragma once

#include <QWidget>
#include <memory>

#include "platform/QrCodeScanner.h"

class Button;
class NavigationPage;
class ScannerImageInput;
class Sheet;
class TextLabel;

// The camera scanner as a sheet: the camera's picture filling the sheet on
// black, the lime viewfinder (drawn only: a code anywhere in the picture is
// read), the hint, the inline title "Сканирование QR" and "Закрыть".
//
// Where the scanner has no camera but reads pictures, the picture area offers
// that instead (ScannerImageInput) and a code read goes the same way.
//
// The scanner starts with the sheet and hands its first code to `onCode`, or
// a failure text to `onError`; the sheet passes both on unchanged and closes
// nothing itself: that is the caller's business. "Закрыть" closes it. Every
// way of closing stops and releases the camera, after which no callback comes.
//
//   QRCodeScannerSheet::present(this, services.qrScanners.makeScanner(),
//                               [this](const QString& code) { ... },
//                               [this](const QString& error) { ... });
class QRCodeScannerSheet : public QWidget {
    Q_OBJECT
public:
    using TextHandler = QrCodeScanner::TextHandler;

    QRCodeScannerSheet(std::unique_ptr<QrCodeScanner> scanner, TextHandler onCode, TextHandler onError,
                       QWidget* parent = nullptr);
    ~QRCodeScannerSheet() override;

    // Shows a new scanner sheet over the window of `from`.
    static Sheet* present(QWidget* from, std::unique_ptr<QrCodeScanner> scanner, TextHandler onCode,
                          TextHandler onError);

    QrCodeScanner* scanner() const { return scanner_.get(); }
    NavigationPage* page() const { return page_; }
    Button* closeButton() const { return close_; }
    QWidget* preview() const { return preview_; }
    TextLabel* hintLabel() const { return hint_; }
    // Shown in place of the camera's picture when the scanner reads images instead.
    ScannerImageInput* imageInput() const { return imageInput_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    std::unique_ptr<QrCodeScanner> scanner_;
    NavigationPage* page_;
    Button* close_;
    QWidget* preview_;
    TextLabel* hint_;
    ScannerImageInput* imageInput_ = nullptr;
};
