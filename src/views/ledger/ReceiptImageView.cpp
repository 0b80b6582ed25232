#include "views/ledger/ReceiptImageView.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QShowEvent>
#include <QVBoxLayout>

#include "components/TextLabel.h"

namespace {

// Larger photos are decoded scaled down: a preview 180 points high never
// needs more, and a huge photo would otherwise take hundreds of megabytes.
constexpr int kDecodeBound = 1600;

QImage decode(QIODevice* device) {
    QImageReader reader(device);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kDecodeBound || size.height() > kDecodeBound))
        reader.setScaledSize(size.scaled(kDecodeBound, kDecodeBound, Qt::KeepAspectRatio));
    return reader.read();
}

}  // namespace

QImage decodeReceiptImage(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    return decode(&buffer);
}

QImage decodeReceiptFile(const QString& path) {
    // Only a regular file: a folder or a pipe placed under a receipt's name
    // must not hang or confuse the reader.
    if (!QFileInfo(path).isFile()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return decode(&file);
}

// ---- ReceiptPhotoView ----

ReceiptPhotoView::ReceiptPhotoView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("receiptPhoto"));
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void ReceiptPhotoView::setImage(QImage image) {
    image_ = std::move(image);
    updateGeometry();
    update();
}

int ReceiptPhotoView::heightForWidth(int width) const {
    if (image_.isNull() || width <= 0) return 0;
    const qreal natural = qreal(width) * image_.height() / image_.width();
    return qMax(1, qMin(kMaxHeight, qRound(natural)));
}

QSize ReceiptPhotoView::sizeHint() const {
    if (image_.isNull()) return {0, 0};
    const QSize fitted = image_.size().scaled(10000, kMaxHeight, Qt::KeepAspectRatio);
    return {fitted.width(), fitted.height()};
}

QRectF ReceiptPhotoView::photoRect() const {
    if (image_.isNull()) return {};
    const QSizeF fitted =
        QSizeF(image_.size()).scaled(QSizeF(width(), qMin(height(), kMaxHeight)), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - fitted.width()) / 2, 0), fitted);
}

void ReceiptPhotoView::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF target = photoRect();
    QPainterPath clip;
    clip.addRoundedRect(target, kCornerRadius, kCornerRadius);
    p.setClipPath(clip);
    p.drawImage(target, image_);
}

// ---- ReceiptImageView ----

ReceiptImageView::ReceiptImageView(ReceiptStore receipts, QString filename, QWidget* parent)
    : QWidget(parent), receipts_(std::move(receipts)), filename_(std::move(filename)) {
    setObjectName(QStringLiteral("receiptImageView"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    photo_ = new ReceiptPhotoView(this);
    photo_->setObjectName(QStringLiteral("storedReceiptPhoto"));
    unavailable_ =
        new SymbolLabel(QStringLiteral("Фото чека недоступно"), QStringLiteral("photo.badge.exclamationmark"),
                        TextStyle::Body, ColorRole::SecondaryLabel, this);
    unavailable_->setObjectName(QStringLiteral("receiptUnavailableLabel"));
    column->addWidget(photo_);
    column->addWidget(unavailable_);
    reload();
}

bool ReceiptImageView::isAvailable() const { return !photo_->image().isNull(); }

void ReceiptImageView::reload() {
    // The name comes from the ledger file: only a bare name inside the
    // receipts folder is ever opened (ReceiptStore refuses anything else).
    const std::optional<QString> path = receipts_.receiptPath(filename_);
    photo_->setImage(path ? decodeReceiptFile(*path) : QImage());
    const bool available = isAvailable();
    photo_->setVisible(available);
    unavailable_->setVisible(!available);
}

void ReceiptImageView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) reload();
}
