#include "FormsTestSupport.h"
#include "components/TextLabel.h"
#include "views/ledger/ReceiptImageView.h"

using namespace formstest;

namespace {

class ReceiptImageViewTest : public FormsTest {
protected:
    ReceiptStore receipts() const { return ReceiptStore(StorePaths(dataFolder())); }
    QString put(const QString& name, const QByteArray& bytes) {
        writeFile(receiptsFolder() + "/" + name, bytes);
        return name;
    }
};

TEST_F(ReceiptImageViewTest, ContentDecidesTheFormatNotTheName) {
    const QImage png = decodeReceiptImage(pngBytes(80, 40));
    EXPECT_EQ(png.size(), QSize(80, 40));
    // Every receipt is named ".jpg"; one holding PNG bytes still shows.
    ReceiptImageView view(receipts(), put("A.jpg", pngBytes(80, 40)));
    EXPECT_TRUE(view.isAvailable());
    EXPECT_EQ(view.photoView()->image().size(), QSize(80, 40));
    EXPECT_TRUE(view.unavailableLabel()->isHidden());
}

TEST_F(ReceiptImageViewTest, CameraOrientationIsApplied) {
    // 40 × 20, red left and blue right, to be turned a quarter clockwise.
    const QByteArray bytes = jpegWithOrientation(twoColourImage(40, 20), 6);
    const QImage shown = decodeReceiptImage(bytes);
    ASSERT_EQ(shown.size(), QSize(20, 40));
    EXPECT_TRUE(isReddish(shown.pixel(10, 5)));
    EXPECT_TRUE(isBluish(shown.pixel(10, 35)));

    ReceiptImageView view(receipts(), put("R.jpg", bytes));
    EXPECT_EQ(view.photoView()->image().size(), QSize(20, 40));
    // An upright tag leaves the picture as it is.
    EXPECT_EQ(decodeReceiptImage(jpegWithOrientation(twoColourImage(40, 20), 1)).size(), QSize(40, 20));
}

TEST_F(ReceiptImageViewTest, HugePhotosAreDecodedScaledForThePreview) {
    const QImage shown = decodeReceiptImage(pngBytes(4000, 1000));
    EXPECT_EQ(shown.size(), QSize(1600, 400));
}

TEST_F(ReceiptImageViewTest, WhatCannotBeShownSaysSo) {
    const auto unavailable = [this](const QString& name) {
        ReceiptImageView view(receipts(), name);
        return !view.isAvailable() && !view.unavailableLabel()->isHidden() &&
               view.unavailableLabel()->text() == "Фото чека недоступно";
    };
    EXPECT_TRUE(unavailable(put("corrupt.jpg", "\xFF\xD8\xFF garbage that is no picture")));
    EXPECT_TRUE(unavailable(put("empty.jpg", "")));
    EXPECT_TRUE(unavailable("missing.jpg"));
    QDir().mkpath(receiptsFolder() + "/folder.jpg");
    EXPECT_TRUE(unavailable("folder.jpg"));
    EXPECT_TRUE(decodeReceiptImage("not an image").isNull());
}

TEST_F(ReceiptImageViewTest, OnlyABareNameInsideTheReceiptsFolderIsOpened) {
    // Real pictures beside and above the folder, reachable by a crafted name.
    writeFile(zanbeck("outside.png"), pngBytes());
    writeFile(temp.filePath("elsewhere.png"), pngBytes());
    for (const QString& name : {QString("../outside.png"), temp.filePath("elsewhere.png"), QString("..")}) {
        ReceiptImageView view(receipts(), name);
        EXPECT_FALSE(view.isAvailable()) << name.toStdString();
    }
}

TEST_F(ReceiptImageViewTest, ReceiptsFolderThatCannotBeMadeShowsUnavailable) {
    writeFile(receiptsFolder(), "a file in the way");
    ReceiptImageView view(receipts(), "A.jpg");
    EXPECT_FALSE(view.isAvailable());
    // Without any data folder there is nowhere to look.
    ReceiptImageView nowhere(ReceiptStore(StorePaths(std::nullopt)), "A.jpg");
    EXPECT_FALSE(nowhere.isAvailable());
}

TEST_F(ReceiptImageViewTest, FolderIsCreatedOnFirstUseAndTheFileIsReadAgainOnReload) {
    ASSERT_FALSE(QFileInfo::exists(receiptsFolder()));
    ReceiptImageView view(receipts(), "later.jpg");
    EXPECT_TRUE(QFileInfo(receiptsFolder()).isDir());
    EXPECT_FALSE(view.isAvailable());
    put("later.jpg", pngBytes(10, 10));
    view.reload();
    EXPECT_TRUE(view.isAvailable());
}

TEST_F(ReceiptImageViewTest, PhotoIsFittedAtMost180High) {
    ReceiptPhotoView photo;
    photo.setImage(twoColourImage(100, 400));
    EXPECT_EQ(photo.heightForWidth(300), ReceiptPhotoView::kMaxHeight);
    photo.resize(300, photo.heightForWidth(300));
    EXPECT_DOUBLE_EQ(photo.photoRect().height(), 180.0);
    EXPECT_DOUBLE_EQ(photo.photoRect().width(), 45.0);
    photo.setImage(twoColourImage(400, 100));
    EXPECT_EQ(photo.heightForWidth(300), 75);
    photo.setImage(QImage());
    EXPECT_EQ(photo.heightForWidth(300), 0);
}

}  // namespace
