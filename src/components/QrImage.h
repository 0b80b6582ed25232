#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

// The QR code of a payload text: its UTF-8 bytes in byte mode, error
// correction M, each module 10 x 10 black or white pixels, with the standard
// quiet zone. The same text always gives the same image; a text that no QR
// code can hold gives none. Nothing is cached.
std::optional<QImage> qrImage(const QString& text);

// Shows a QR image scaled to fit its width, at most `maxWidth`, centred and
// drawn without smoothing so the modules keep hard edges.
class QrImageView : public QWidget {
    Q_OBJECT
public:
    explicit QrImageView(int maxWidth, QWidget* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int side(int width) const;

    int maxWidth_;
    QImage image_;
};
