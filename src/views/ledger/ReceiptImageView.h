#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>

#include "services/ReceiptStore.h"

class SymbolLabel;

// Receipt photos are decoded from their content, never from a file name's
// suffix (receipts are all named ".jpg" whatever they hold), with the camera's
// orientation applied. Very large photos are decoded scaled down, since they
// are only ever shown as a preview. A null image when the bytes are no image.
QImage decodeReceiptImage(const QByteArray& bytes);
QImage decodeReceiptFile(const QString& path);

// A photo fitted into the width, keeping its aspect ratio, at most 180 points
// high, with rounded corners (radius 14).
class ReceiptPhotoView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxHeight = 180;
    static constexpr int kCornerRadius = 14;

    explicit ReceiptPhotoView(QWidget* parent = nullptr);

    void setImage(QImage image);
    const QImage& image() const { return image_; }
    // Where the photo is drawn inside the widget.
    QRectF photoRect() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

// A stored receipt shown by its file name: the photo, or "Фото чека
// недоступно" when the receipts folder cannot be had, the name is not a bare
// file name inside it, or the file is missing or no image. The file is read
// again each time the view is shown; nothing is cached between showings.
class ReceiptImageView : public QWidget {
    Q_OBJECT
public:
    ReceiptImageView(ReceiptStore receipts, QString filename, QWidget* parent = nullptr);

    QString filename() const { return filename_; }
    bool isAvailable() const;
    ReceiptPhotoView* photoView() const { return photo_; }
    SymbolLabel* unavailableLabel() const { return unavailable_; }

    // Reads and decodes the file again.
    void reload();

protected:
    void showEvent(QShowEvent* event) override;

private:
    ReceiptStore receipts_;
    QString filename_;
    ReceiptPhotoView* photo_;
    SymbolLabel* unavailable_;
};
