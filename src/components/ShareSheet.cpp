#include "components/ShareSheet.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "components/Button.h"
#include "components/FileDialogs.h"
#include "components/Overlays.h"
#include "components/TextLabel.h"
#include "components/Toast.h"
#include "services/DiskFiles.h"

namespace {

QString fileNameFor(const QString& title, const QString& suggested) {
    QString name = suggested.isEmpty() ? title : suggested;
    // A name, not a path: separators would point the save elsewhere.
    name.replace(u'/', u'_').replace(u'\\', u'_');
    name = name.trimmed();
    return name.isEmpty() || name == u"." || name == u".." ? QStringLiteral("Zanbeck.txt") : name;
}

}  // namespace

ShareSheetService::ShareSheetService(QWidget* window) : window_(window) {}

void ShareSheetService::share(const QString& title, const QString& text, const QString& suggestedFileName) {
    if (sheet_) sheet_->dismiss();
    auto* content = new ShareSheetContent(title, text, suggestedFileName);
    sheet_ = Sheet::present(window_, content);
    sheet_->setDetent(Sheet::Detent::Fitted);
    QObject::connect(content, &ShareSheetContent::finished, sheet_, [sheet = sheet_] {
        if (sheet) sheet->dismiss();
    });
}

bool ShareSheetService::saveText(const QString& path, const QString& text, QString* error) {
    // A file the user names, in a folder of theirs: its mode is theirs too.
    disk_files::ReplaceOptions options;
    options.sync = disk_files::ReplaceOptions::Sync::file;
    options.privateMode = false;
    return disk_files::replace(path, text.toUtf8(), options, error);
}

ShareSheetContent::ShareSheetContent(const QString& title, const QString& text,
                                     const QString& suggestedFileName, QWidget* parent)
    : QWidget(parent), text_(text), fileName_(fileNameFor(title, suggestedFileName)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 12, 20, 20);
    layout->setSpacing(12);

    auto* heading = new TextLabel(title, TextStyle::Headline);
    heading->setObjectName(QStringLiteral("shareTitle"));
    heading->setWordWrap(true);
    layout->addWidget(heading);

    auto* copyButton = new Button(QStringLiteral("Скопировать"), Button::Style::BorderedProminent);
    copyButton->setObjectName(QStringLiteral("shareCopyButton"));
    copyButton->setFullWidth(true);
    connect(copyButton, &QAbstractButton::clicked, this, &ShareSheetContent::copy);
    layout->addWidget(copyButton);

    auto* saveButton = new Button(QStringLiteral("Сохранить в файл…"), Button::Style::Bordered);
    saveButton->setObjectName(QStringLiteral("shareSaveButton"));
    saveButton->setFullWidth(true);
    connect(saveButton, &QAbstractButton::clicked, this, &ShareSheetContent::chooseFile);
    layout->addWidget(saveButton);

    auto* cancelButton = new Button(QStringLiteral("Отмена"), Button::Style::Plain);
    cancelButton->setObjectName(QStringLiteral("shareCancelButton"));
    cancelButton->setRole(Button::Role::Cancel);
    cancelButton->setFullWidth(true);
    connect(cancelButton, &QAbstractButton::clicked, this, &ShareSheetContent::finished);
    layout->addWidget(cancelButton);
}

void ShareSheetContent::copy() {
    QGuiApplication::clipboard()->setText(text_);
    Toast::show(this, QStringLiteral("Скопировано"));
    emit finished();
}

void ShareSheetContent::chooseFile() {
    const QString folder = FileDialogs::startFolder(QStandardPaths::DocumentsLocation);
    auto* dialog =
        FileDialogs::create(window(), QStringLiteral("Сохранить в файл"), QDir(folder).filePath(fileName_));
    dialog->setObjectName(QStringLiteral("shareSaveDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    connect(dialog, &QFileDialog::fileSelected, this, &ShareSheetContent::save);
    connect(this, &QObject::destroyed, dialog, &QWidget::close);
    dialog->open();
}

void ShareSheetContent::save(const QString& path) {
    QString error;
    if (!ShareSheetService::saveText(path, text_, &error)) {
        Alert::present(this, QStringLiteral("Не удалось сохранить файл"), error);
        return;
    }
    // A desktop has no success haptic: the written file is confirmed in the window.
    Toast::show(this, QStringLiteral("Сохранено"));
    emit finished();
}
