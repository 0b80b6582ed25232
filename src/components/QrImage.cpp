#include "components/QrImage.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <QPainter>
#include <exception>

namespace {

constexpr int kModulePixels = 10;
// MultiFormatWriter's scale of 0 to 8; 4 is QR level M.
constexpr int kEccLevelM = 4;

}  // namespace

std::optional<QImage> qrImage(const QString& text) {
    // The UTF-8 bytes in byte mode. A text beyond ASCII also carries the UTF-8
    // character-set marker, without which readers guess the bytes' encoding
    // (and read Cyrillic as Shift_JIS); an ASCII text, like every payload of
    // the server's, goes without it, as plain as a code can be.
    bool ascii = true;
    for (const QChar c : text) ascii = ascii && c.unicode() < 0x80;
    ZXing::BitMatrix matrix;
    try {
        matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                     .setEncoding(ascii ? ZXing::CharacterSet::ISO8859_1 : ZXing::CharacterSet::UTF8)
                     .setEccLevel(kEccLevelM)
                     .encode(text.toStdWString(), 0, 0);
    } catch (const std::exception&) {
        return std::nullopt;  // too long for any QR version
    }
    if (matrix.width() <= 0 || matrix.height() <= 0) return std::nullopt;

    QImage image(matrix.width() * kModulePixels, matrix.height() * kModulePixels, QImage::Format_Grayscale8);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            line[x] = matrix.get(x / kModulePixels, y / kModulePixels) ? 0 : 255;
    }
    return image;
}

QrImageView::QrImageView(int maxWidth, QWidget* parent) : QWidget(parent), maxWidth_(maxWidth) {
    setObjectName(QStringLiteral("qrImageView"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void QrImageView::setImage(const QImage& image) {
    if (image == image_) return;
    image_ = image;
    updateGeometry();
    update();
}

int QrImageView::side(int width) const {
    if (image_.isNull()) return 0;
    return qMin(width, maxWidth_);
}

int QrImageView::heightForWidth(int width) const {
    if (image_.isNull()) return 0;
    return side(width) * image_.height() / image_.width();
}

QSize QrImageView::sizeHint() const { return {maxWidth_, heightForWidth(maxWidth_)}; }

void QrImageView::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter p(this);
    // Nearest pixel, never blended: a soft edge between modules reads worse.
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int w = side(width());
    const int h = heightForWidth(width());
    p.drawImage(QRect((width() - w) / 2, (height() - h) / 2, w, h), image_);
}
