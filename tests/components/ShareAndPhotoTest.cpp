#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QScreen>

#include "KitFixture.h"
#include "components/Button.h"
#include "components/FileDialogPhotoPicker.h"
#include "components/Overlays.h"
#include "components/ShareSheet.h"
#include "components/Toast.h"
#include "support/LimitedDisk.h"

namespace {

const QString kExport =
    QString::fromUtf8("date,kind,amount\r\n2025-01-02,expense,\"12.50\"\r\nёжик,\"a\"\"b\",\t\n");

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class ShareSheetTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window.resize(390, 844);
        window.show();
    }
    template <typename T>
    T* find(const char* name) {
        return window.findChild<T*>(QString::fromLatin1(name));
    }

    QWidget window;
    ShareSheetService share{&window};
};

TEST_F(ShareSheetTest, CopyPutsTheExactTextOnTheClipboardAndSaysSoCancelLeavesItAlone) {
    for (const auto& [button, clipboard] :
         {std::pair{"shareCancelButton", QStringLiteral("before")}, std::pair{"shareCopyButton", kExport}}) {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        share.share("Zanbeck CSV", kExport, "Zanbeck.csv");
        ASSERT_NE(share.currentSheet(), nullptr);
        EXPECT_LT(share.currentSheet()->panel()->height(), window.height() / 2) << "a compact sheet";
        QTest::mouseClick(find<Button>(button), Qt::LeftButton);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), clipboard) << button;
        settle();
        EXPECT_EQ(share.currentSheet(), nullptr) << button;
    }
    auto* toast = find<Toast>("toast");
    ASSERT_NE(toast, nullptr);
    EXPECT_EQ(toast->text(), QString::fromUtf8("Скопировано"));
    EXPECT_TRUE(toast->isVisible());
}

TEST_F(ShareSheetTest, SavingWritesTheTextByteForByteAndAFailureKeepsTheSheetAndSaysWhy) {
    share.share("Zanbeck CSV", kExport, "Zanbeck.csv");
    QTest::mouseClick(find<Button>("shareSaveButton"), Qt::LeftButton);
    auto* dialog = find<QFileDialog>("shareSaveDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog->selectedFiles().value(0).endsWith("/Zanbeck.csv"));
    // A desktop-sized dialog of its own over the app's window, not one
    // squeezed into the phone-sized window (where the path and columns were cut).
    settle();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_GE(dialog->width(), 640);
    EXPECT_GE(dialog->height(), 480);
    // Over the app's window (centred on it as far as the screen allows).
    EXPECT_TRUE(dialog->geometry().contains(window.geometry().center()));
    EXPECT_TRUE(dialog->screen()->availableGeometry().contains(dialog->geometry()));
    for (QWidget* part : dialog->findChildren<QWidget*>())
        if (part->isVisible() && part->parentWidget() == dialog)
            EXPECT_TRUE(dialog->rect().contains(part->geometry())) << part->objectName().toStdString();

    emit dialog->fileSelected(dir_.filePath("missing-folder/export.csv"));
    settle();
    ASSERT_NE(share.currentSheet(), nullptr);
    Alert* alert = OverlayHost::forWindow(&window)->currentAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title(), QString::fromUtf8("Не удалось сохранить файл"));
    EXPECT_FALSE(alert->message().isEmpty());
    alert->press(0);

    const QString target = dir_.filePath("export.csv");
    emit dialog->fileSelected(target);
    EXPECT_EQ(readFile(target), kExport.toUtf8());
    settle();
    EXPECT_EQ(share.currentSheet(), nullptr);
    // No haptic on a desktop: the window says the file was written.
    const QList<Toast*> toasts = window.findChildren<Toast*>();
    ASSERT_EQ(toasts.size(), 1);
    EXPECT_EQ(toasts.front()->text(), QString::fromUtf8("Сохранено"));
}

TEST_F(ShareSheetTest, SuggestedNamesNeverLeaveTheChosenFolder) {
    share.share("../../etc/passwd", kExport);
    QTest::mouseClick(find<Button>("shareSaveButton"), Qt::LeftButton);
    auto* dialog = find<QFileDialog>("shareSaveDialog");
    ASSERT_NE(dialog, nullptr);
    const QString selected = dialog->selectedFiles().value(0);
    EXPECT_FALSE(selected.contains("/etc/")) << selected.toStdString();
}

TEST(ShareSheetSave, ReplacesAnExistingFileWhole) {
    TempDir dir;
    const QString path = dir.filePath("out.json");
    ASSERT_TRUE(ShareSheetService::saveText(path, QString(10000, u'x'), nullptr));
    QString error;
    ASSERT_TRUE(ShareSheetService::saveText(path, "{}", &error));
    EXPECT_EQ(readFile(path), "{}");
}

// An export onto a full disk (a file size limit here) is refused with the
// system's reason, for the sheet's "Не удалось сохранить файл" alert, and the
// file it would replace stays as it was.
TEST(ShareSheetSave, AnExportCutShortKeepsTheOldFileAndSaysWhy) {
    TempDir dir;
    const QString path = dir.filePath("out.csv");
    ASSERT_TRUE(ShareSheetService::saveText(path, "old export", nullptr));
    for (const int size : {100, 12000, 40000}) {
        const QString found = limited_disk::withFileSizeLimit(64, [&] {
            QString error;
            return ShareSheetService::saveText(path, QString(size, u'ж'), &error) ? QString("saved") : error;
        });
        EXPECT_EQ(found, "файл слишком большой") << size;
        EXPECT_EQ(readFile(path), "old export") << size;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.csv"});
}

class PhotoPickerTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window.show();
    }
    QFileDialog* dialog() { return window.findChild<QFileDialog*>("photoPickerDialog"); }

    QWidget window;
    FileDialogPhotoPicker picker{&window};
    int calls = 0;
    std::optional<QByteArray> result;
    std::function<void(std::optional<QByteArray>)> record = [this](std::optional<QByteArray> bytes) {
        ++calls;
        result = std::move(bytes);
    };
};

TEST_F(PhotoPickerTest, AcceptedFileGivesItsBytesOnce) {
    const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a") + QByteArray(300, '\0');
    QFile file(dir_.filePath("receipt.png"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(png);
    file.close();

    picker.pickImage(record);
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(calls, 0);  // never from inside the call
    dialog()->setOption(QFileDialog::DontUseNativeDialog);
    dialog()->selectFile(file.fileName());
    QMetaObject::invokeMethod(dialog(), "accept");
    settle();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(result, png);
}

TEST_F(PhotoPickerTest, CancellingGivesNothingOnce) {
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", dir_.path().toUtf8());  // a user whose pictures folder is known
    ASSERT_TRUE(QDir(dir_.path()).mkpath("Pictures"));
    picker.pickImage(record);
    qputenv("HOME", home);
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(dialog()->directory().absolutePath(), QDir(dir_.filePath("Pictures")).absolutePath());
    EXPECT_TRUE(dialog()->testOption(QFileDialog::DontUseNativeDialog))
        << "Qt's dialog, in the app's language";
    dialog()->reject();
    settle();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(result, std::nullopt);
}

TEST(PhotoPickerRead, RefusesFoldersMissingAndOversizedFiles) {
    TempDir dir;
    EXPECT_EQ(FileDialogPhotoPicker::readImageFile(dir.path()), std::nullopt);
    EXPECT_EQ(FileDialogPhotoPicker::readImageFile(dir.filePath("missing.jpg")), std::nullopt);
    for (const qint64 size :
         {FileDialogPhotoPicker::kMaxBytes + 1, qint64(FileDialogPhotoPicker::kMaxBytes)}) {
        QFile file(dir.filePath(QString::number(size) + ".jpg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(size));  // sparse, cheap
        file.close();
        const auto bytes = FileDialogPhotoPicker::readImageFile(file.fileName());
        EXPECT_EQ(bytes.has_value(), size <= FileDialogPhotoPicker::kMaxBytes) << size;
        if (bytes) EXPECT_EQ(bytes->size(), size);
    }
}
