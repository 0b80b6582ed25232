#pragma once

// The add form and the transaction editor on the real store (see ViewFixture),
// in a phone-sized window, with a photo picker the test answers.

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <deque>
#include <functional>

#include "views/ViewFixture.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "platform/PhotoPicker.h"

namespace formstest {

// Holds every pick until the test answers it, so late and overlapping answers
// can be played in any order.
class FakePhotoPicker : public PhotoPicker {
public:
    void pickImage(std::function<void(std::optional<QByteArray>)> done) override {
        pending.push_back(std::move(done));
    }
    // Answers the oldest open pick.
    void answer(std::optional<QByteArray> bytes) {
        ASSERT_FALSE(pending.empty());
        auto done = std::move(pending.front());
        pending.pop_front();
        done(std::move(bytes));
    }
    // Answers the newest open pick.
    void answerLatest(std::optional<QByteArray> bytes) {
        ASSERT_FALSE(pending.empty());
        auto done = std::move(pending.back());
        pending.pop_back();
        done(std::move(bytes));
    }
    std::deque<std::function<void(std::optional<QByteArray>)>> pending;
};

// A small picture: a red left half and a blue right half.
inline QImage twoColourImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, width / 2, height, QColor(220, 30, 30));
    p.fillRect(width / 2, 0, width - width / 2, height, QColor(30, 60, 220));
    return image;
}

inline QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline QByteArray pngBytes(int width = 80, int height = 40) {
    return encoded(twoColourImage(width, height), "PNG");
}

// A JPEG carrying an EXIF orientation tag (6: turn 90° clockwise to show),
// as phone cameras write photos taken upright.
inline QByteArray jpegWithOrientation(const QImage& image, quint16 orientation) {
    const QByteArray jpeg = encoded(image, "JPG");
    // Big-endian TIFF header, first IFD at 8; one entry: Orientation (0x0112),
    // SHORT, count 1, the value; no next IFD.
    QByteArray ifd = QByteArray::fromHex(
        "4d4d002a00000008"
        "0001"
        "011200030000000100000000"
        "00000000");
    ifd[18] = char(orientation >> 8);
    ifd[19] = char(orientation & 0xff);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + ifd;
    const int length = payload.size() + 2;
    QByteArray segment;
    segment.append(char(0xFF)).append(char(0xE1)).append(char(length >> 8)).append(char(length & 0xff));
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);  // right after the start-of-image marker
}

using viewtest::typeText;

inline bool isReddish(QRgb c) { return qRed(c) > 150 && qBlue(c) < 110; }
inline bool isBluish(QRgb c) { return qBlue(c) > 150 && qRed(c) < 110; }

class FormsTest : public ViewFixture {
protected:
    void SetUp() override {
        reopen();
        showWindow().setObjectName(QStringLiteral("formsTestWindow"));
        QApplication::setActiveWindow(window.get());
    }

    QString dataFolder() const { return temp.filePath("data"); }

    // Shows the view in a sheet over the window, as the app does.
    template <class View>
    View* present(View* view) {
        sheet = Sheet::present(window.get(), view);
        settle();
        return view;
    }
    bool sheetClosed() const { return !sheet || sheet->isDismissed(); }

    QString receiptsFolder() const { return zanbeck("receipts"); }
    QByteArray receiptFile(const QString& name) const { return readFile(receiptsFolder() + "/" + name); }
    QStringList receiptFiles() const { return QDir(receiptsFolder()).entryList(QDir::Files); }

    // A file where the accounts folder should be: every ledger write fails.
    void breakLedgerWrites() {
        QDir(zanbeck("accounts")).removeRecursively();
        writeFile(zanbeck("accounts"), "in the way");
    }
    // A file where the receipts folder should be: no receipt can be written.
    void breakReceiptWrites() { writeFile(receiptsFolder(), "in the way"); }

    FakePhotoPicker picker;
    QPointer<Sheet> sheet;
};

}  // namespace formstest
