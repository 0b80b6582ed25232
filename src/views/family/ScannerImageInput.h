#pragma once

#include <QWidget>

class Button;
class QrCodeScanner;
class TextLabel;

// What the scanner sheet shows in place of the camera's picture on a machine
// without a camera: that the camera is unavailable, and two ways to read the
// code from a picture instead, a picture file ("Выбрать изображение…", the
// app's own file dialog over the window) or an image on the clipboard
// ("Вставить из буфера обмена", or the paste shortcut). A picture goes to the
// scanner as a camera frame would; a code found is delivered by the scanner,
// and a picture without one is said so here.
class ScannerImageInput : public QWidget {
    Q_OBJECT
public:
    ScannerImageInput(QrCodeScanner& scanner, QWidget* parent = nullptr);

    // Reads the clipboard's image, as the paste button does.
    void pasteImage();
    // Opens the file dialog, as the choose button does.
    void chooseImage();
    // Reads one picture, or says why it cannot.
    void readImage(const QImage& image);

    Button* chooseButton() const { return choose_; }
    Button* pasteButton() const { return paste_; }
    TextLabel* statusLabel() const { return status_; }

    static QString noCodeText();         // "На изображении не найден QR-код."
    static QString noClipboardImageText();  // "В буфере обмена нет изображения."
    static QString unreadableFileText();   // "Не удалось открыть изображение."

private:
    void showStatus(const QString& text);

    QrCodeScanner& scanner_;
    Button* choose_;
    Button* paste_;
    TextLabel* status_;
};
