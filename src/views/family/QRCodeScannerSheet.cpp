#include "views/family/QRCodeScannerSheet.h"

#include <QHideEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/TextLabel.h"
#include "views/family/FamilyStyle.h"
#include "views/family/ScannerImageInput.h"
#include "views/shell/PasscodeStyle.h"

namespace {

// The camera's newest picture, scaled to fill the whole area (cropping what
// overflows), with the viewfinder drawn over its centre.
class CameraPicture : public QWidget {
public:
    explicit CameraPicture(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("scannerPreview"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    void setFrame(const QImage& frame) {
        frame_ = frame;
        update();
    }
    // Without a camera there is nothing to aim, so no viewfinder either.
    void setViewfinderShown(bool shown) {
        viewfinder_ = shown;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (!frame_.isNull()) {
            const QSizeF filled =
                QSizeF(frame_.size()).scaled(QSizeF(size()), Qt::KeepAspectRatioByExpanding);
            const QRectF target(QPointF((width() - filled.width()) / 2, (height() - filled.height()) / 2),
                                filled);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(target, frame_);
        }
        if (viewfinder_) drawViewfinder(p);
    }

private:
    void drawViewfinder(QPainter& p) const {
        using namespace FamilyStyle;
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF frame(QPointF((width() - viewfinderSide) / 2.0, (height() - viewfinderSide) / 2.0),
                           QSizeF(viewfinderSide, viewfinderSide));
        // A soft black glow: widening strokes whose alpha fades out over the radius.
        for (int spread = viewfinderShadowRadius; spread > 0; spread -= 2) {
            const qreal fade = 1.0 - qreal(spread) / viewfinderShadowRadius;
            QColor shadow(Qt::black);
            shadow.setAlphaF(viewfinderShadowOpacity * fade * fade / 3);
            p.setPen(QPen(shadow, viewfinderLine + 2 * spread));
            p.drawRoundedRect(frame, viewfinderRadius, viewfinderRadius);
        }
        p.setPen(QPen(passcodeLime(), viewfinderLine));
        p.drawRoundedRect(frame, viewfinderRadius, viewfinderRadius);
    }

    QImage frame_;
    bool viewfinder_ = true;
};

// White text on a dark capsule.
class HintCapsule : public QWidget {
public:
    HintCapsule(const QString& text, QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("scannerHint"));
        auto* row = new QVBoxLayout(this);
        row->setContentsMargins(FamilyStyle::hintPaddingX, FamilyStyle::hintPaddingY,
                                FamilyStyle::hintPaddingX, FamilyStyle::hintPaddingY);
        label = new TextLabel(text, TextStyle::Headline, ColorRole::White, this);
        label->setObjectName(QStringLiteral("scannerHintText"));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignHCenter);
        row->addWidget(label);
    }
    TextLabel* label;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill(Qt::black);
        fill.setAlphaF(FamilyStyle::hintOpacity);
        QPainterPath capsule;
        const qreal radius = qMin(height(), width()) / 2.0;
        capsule.addRoundedRect(QRectF(rect()), radius, radius);
        p.fillPath(capsule, fill);
    }
};

}  // namespace

QRCodeScannerSheet::QRCodeScannerSheet(std::unique_ptr<QrCodeScanner> scanner, TextHandler onCode,
                                       TextHandler onError, QWidget* parent)
    : QWidget(parent), scanner_(std::move(scanner)) {
    setObjectName(QStringLiteral("qrCodeScannerSheet"));
    page_ = new NavigationPage(QStringLiteral("Сканирование QR"));
    page_->setTitleDisplay(NavigationPage::TitleDisplay::Inline);
    close_ = page_->addToolbarButton(QStringLiteral("Закрыть"), {}, ToolbarPlacement::Cancellation);
    close_->setObjectName(QStringLiteral("scannerCloseButton"));
    connect(close_, &QAbstractButton::clicked, this, [this] {
        if (Sheet* sheet = Sheet::of(this)) sheet->dismiss();
    });

    auto* picture = new CameraPicture(page_);
    preview_ = picture;
    auto* column = new QVBoxLayout(picture);
    column->setContentsMargins(8, 0, 8, FamilyStyle::hintBottom);
    column->addStretch(1);
    auto* hint = new HintCapsule(QStringLiteral("Наведите камеру на QR-код ребёнка"), picture);
    hint_ = hint->label;
    column->addWidget(hint, 0, Qt::AlignHCenter);
    page_->setContent(picture);

    // No camera: the picture area offers to read the code from an image.
    connect(scanner_.get(), &QrCodeScanner::imageInputOffered, this, [this, picture, hint, column] {
        if (imageInput_) return;
        picture->setViewfinderShown(false);
        hint->hide();
        imageInput_ = new ScannerImageInput(*scanner_, picture);
        delete column->takeAt(0);  // the stretch above the hint: the panel fills the area
        column->insertWidget(0, imageInput_, 1);
    });

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(new NavigationStack(page_, this));

    connect(scanner_.get(), &QrCodeScanner::frameArrived, picture, &CameraPicture::setFrame);
    scanner_->start(std::move(onCode), std::move(onError));
}

QRCodeScannerSheet::~QRCodeScannerSheet() {
    // The camera stops before anything it might still call is torn down.
    scanner_->stop();
}

Sheet* QRCodeScannerSheet::present(QWidget* from, std::unique_ptr<QrCodeScanner> scanner, TextHandler onCode,
                                   TextHandler onError) {
    auto* content = new QRCodeScannerSheet(std::move(scanner), std::move(onCode), std::move(onError));
    Sheet* sheet = Sheet::present(from, content);
    if (!sheet) {
        delete content;
        return nullptr;
    }
    sheet->setBackground(Qt::black);
    // Closing hides the sheet at once and deletes it later; the camera stops at the first.
    connect(sheet, &Sheet::dismissed, content, [content] { content->scanner()->stop(); });
    return sheet;
}

void QRCodeScannerSheet::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Shown again, it does not restart: a new attempt is a new sheet.
    if (!event->spontaneous()) scanner_->stop();
}
