#include "views/family/ScannerImageInput.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/FileDialogPhotoPicker.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "platform/QrCodeScanner.h"
#include "views/family/FamilyStyle.h"
#include "views/shell/PasscodeStyle.h"

QString ScannerImageInput::noCodeText() { return QStringLiteral("На изображении не найден QR-код."); }
QString ScannerImageInput::noClipboardImageText() { return QStringLiteral("В буфере обмена нет изображения."); }
QString ScannerImageInput::unreadableFileText() { return QStringLiteral("Не удалось открыть изображение."); }

ScannerImageInput::ScannerImageInput(QrCodeScanner& scanner, QWidget* parent)
    : QWidget(parent), scanner_(scanner) {
    setObjectName(QStringLiteral("scannerImageInput"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(FamilyStyle::imageInputMargin, 0, FamilyStyle::imageInputMargin, 0);
    column->setSpacing(FamilyStyle::imageInputSpacing);
    column->addStretch(1);

    auto* symbol = new SymbolView(QStringLiteral("camera"), FamilyStyle::imageInputSymbolSize, this);
    symbol->setTint(ColorRole::White);
    column->addWidget(symbol, 0, Qt::AlignHCenter);

    auto* title = new TextLabel(QrCodeScanner::cameraUnavailableText(), TextStyle::Headline, ColorRole::White, this);
    title->setObjectName(QStringLiteral("scannerNoCameraTitle"));
    title->setWordWrap(true);
    title->setAlignment(Qt::AlignHCenter);
    column->addWidget(title);

    auto* hint = new TextLabel(
        QStringLiteral("Код можно прочитать с картинки: откройте файл или скопируйте снимок экрана с QR-кодом."),
        TextStyle::Subheadline, ColorRole::White, this);
    hint->setObjectName(QStringLiteral("scannerImageHint"));
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignHCenter);
    column->addWidget(hint);

    choose_ = new Button(QStringLiteral("Выбрать изображение…"), Button::Style::BorderedProminent,
                         QStringLiteral("photo"), this);
    choose_->setObjectName(QStringLiteral("scannerChooseImageButton"));
    choose_->setFullWidth(true);
    choose_->setControlSize(Button::Size::Large);
    choose_->setTint(passcodeLime());
    choose_->setLabelColor(Qt::black);
    column->addWidget(choose_);

    paste_ = new Button(QStringLiteral("Вставить из буфера обмена"), Button::Style::Bordered,
                        QStringLiteral("doc.on.doc"), this);
    paste_->setObjectName(QStringLiteral("scannerPasteImageButton"));
    paste_->setFullWidth(true);
    paste_->setControlSize(Button::Size::Large);
    paste_->setTint(QColor(Qt::white));
    column->addWidget(paste_);

    status_ = new TextLabel({}, TextStyle::Footnote, ColorRole::White, this);
    status_->setObjectName(QStringLiteral("scannerImageStatus"));
    status_->setWordWrap(true);
    status_->setAlignment(Qt::AlignHCenter);
    status_->hide();
    column->addWidget(status_);
    column->addStretch(1);

    connect(choose_, &QAbstractButton::clicked, this, &ScannerImageInput::chooseImage);
    connect(paste_, &QAbstractButton::clicked, this, &ScannerImageInput::pasteImage);
    auto* paste = new QShortcut(QKeySequence::Paste, this);
    paste->setContext(Qt::WindowShortcut);
    connect(paste, &QShortcut::activated, this, [this] {
        if (isVisible()) pasteImage();
    });
}

void ScannerImageInput::pasteImage() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    const QImage image = data && data->hasImage() ? qvariant_cast<QImage>(data->imageData()) : QImage();
    if (image.isNull()) {
        showStatus(noClipboardImageText());
        return;
    }
    readImage(image);
}

void ScannerImageInput::chooseImage() {
    FileDialogPhotoPicker picker(window(), QStringLiteral("QR-код из файла"),
                                 QStringLiteral("scannerImageDialog"));
    // The sheet may be closed while the dialog is open.
    QPointer<ScannerImageInput> self(this);
    picker.pickImage([self](std::optional<QByteArray> bytes) {
        if (!self || !bytes) return;  // cancelled, or a file too large or unreadable was refused
        const QImage image = QImage::fromData(*bytes);
        if (image.isNull())
            self->showStatus(unreadableFileText());
        else
            self->readImage(image);
    });
}

void ScannerImageInput::readImage(const QImage& image) {
    // Delivered: the caller takes it from here (and usually closes the sheet).
    if (!scanner_.readImage(image)) showStatus(noCodeText());
}

void ScannerImageInput::showStatus(const QString& text) {
    status_->setText(text);
    status_->show();
}
