#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "services/ReceiptStore.h"
#include "support/LimitedDisk.h"
#include "support/TempDir.h"

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

TEST(ReceiptStoreTest, SavesBytesUnchangedUnderFreshUpperCaseNames) {
    TempDir temp;
    ReceiptStore receipts{StorePaths(temp.path())};
    const QByteArray png("\x89PNG\r\n\x1a\n\0\0binary", 16);

    const auto first = receipts.save(png);
    const auto second = receipts.save(png);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    const QRegularExpression form("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.jpg$");
    EXPECT_TRUE(form.match(*first).hasMatch()) << first->toStdString();
    EXPECT_EQ(first->size(), 40);
    EXPECT_EQ(readAll(temp.path() + "/Zanbeck/receipts/" + *first), png);
    // Nothing but the two receipts is left behind (no temporary files).
    EXPECT_EQ(QDir(temp.path() + "/Zanbeck/receipts").entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(ReceiptStoreTest, FolderIsMadeOnFirstUseEvenForReadingOrNothingWorks) {
    TempDir temp;
    ReceiptStore receipts{StorePaths(temp.path())};
    EXPECT_EQ(receipts.receiptPath("ABC.jpg"), temp.path() + "/Zanbeck/receipts/ABC.jpg");
    EXPECT_TRUE(QFileInfo(temp.path() + "/Zanbeck/receipts").isDir());

    QDir(temp.path() + "/Zanbeck/receipts").removeRecursively();
    QFile blocker(temp.path() + "/Zanbeck/receipts");  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    EXPECT_FALSE(receipts.save("jpeg", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(receipts.receiptPath("A.jpg"));

    ReceiptStore nowhere{StorePaths(std::nullopt)};
    EXPECT_FALSE(nowhere.save("jpeg"));
    EXPECT_FALSE(nowhere.receiptsDirectory());
}

TEST(ReceiptStoreTest, OnlyBareNamesResolve) {
    TempDir temp;
    ReceiptStore receipts{StorePaths(temp.path())};
    for (const QString& bad :
         {QString(""), QString("."), QString(".."), QString("../accounts/anonymous.json"),
          QString("/etc/passwd"), QString("a/b.jpg"), QString("x.jpg/"), QString("a") + QChar(0)}) {
        EXPECT_FALSE(receipts.receiptPath(bad)) << bad.toStdString();
        EXPECT_FALSE(ReceiptStore::isBareFileName(bad));
    }
    EXPECT_TRUE(receipts.receiptPath("..jpg"));
    EXPECT_TRUE(receipts.receiptPath("чек 1.jpg"));
}

// On a full disk (a file size limit here) a receipt is refused with the
// system's reason and leaves nothing: no empty photo a transaction could name.
TEST(ReceiptStoreTest, AReceiptCutShortIsRefusedAndLeavesNothing) {
    TempDir temp;
    ReceiptStore receipts{StorePaths(temp.path())};
    ASSERT_TRUE(receipts.receiptsDirectory());
    for (const int size : {100, 12000, 16384, 40000}) {
        const QString found = limited_disk::withFileSizeLimit(64, [&] {
            QString error;
            const std::optional<QString> name = receipts.save(QByteArray(size, 'j'), &error);
            return name ? "saved as " + *name : error;
        });
        EXPECT_EQ(found, "файл слишком большой") << size;
    }
    EXPECT_TRUE(QDir(temp.path() + "/Zanbeck/receipts").entryList(QDir::Files | QDir::Hidden).isEmpty());
}
