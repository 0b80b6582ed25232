#pragma once

// The operations list on the real store (see ViewFixture; the process runs in
// UTC, the store's calendar is Berlin's), shown in a phone-sized window with
// fakes for sharing and photo picking.

#include "views/ViewFixture.h"
#include "components/NavigationStack.h"
#include "platform/PhotoPicker.h"
#include "platform/ShareService.h"
#include "views/ledger/TransactionListModel.h"
#include "views/ledger/TransactionsView.h"

#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QTest>

namespace opslist {

struct Shared {
    QString title;
    QString text;
    QString fileName;
};

class RecordingShareService : public ShareService {
public:
    void share(const QString& title, const QString& text, const QString& fileName) override {
        shared.push_back({title, text, fileName});
    }
    std::vector<Shared> shared;
};

class IdlePhotoPicker : public PhotoPicker {
public:
    void pickImage(std::function<void(std::optional<QByteArray>)>) override {}
};

class OperationsListTest : public ViewFixture {
protected:
    void SetUp() override { reopen(); }

    // Adds one operation through the store, as the add form does.
    QUuid add(TransactionKind kind, int amount, const QString& category, const QDateTime& date,
              const QString& note = {}, QStringList tags = {}, bool favorite = false,
              const QString& wallet = QStringLiteral("Основной")) {
        store->add(kind, Decimal(amount), category, note, date, tags, favorite, wallet);
        return store->data().transactions.back().id;
    }
    QDateTime at(int day, int hour = 12, int minute = 0) const {
        return QDateTime(QDate(2026, 6, day), QTime(hour, minute), QTimeZone::utc());
    }

    // Builds the screen in its navigation stack inside a shown window.
    TransactionsView& open() {
        view = new TransactionsView(
            *store, [this](TransactionKind kind) { addRequests.push_back(kind); }, share, photos);
        showWindow(new NavigationStack(view));
        return *view;
    }

    std::vector<QString> shownCategories() const {
        std::vector<QString> out;
        for (const MoneyTransaction& t : view->visibleTransactions()) out.push_back(t.category);
        return out;
    }
    // The categories as the list's rows show them.
    std::vector<QString> rowCategories() const {
        std::vector<QString> out;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            out.push_back(view->model()->transactionAt(row)->category);
        return out;
    }

    QWidget* viewport() const { return view->list()->viewport(); }
    QRect rowRect(int row) const { return view->list()->visualRect(view->model()->index(row)); }
    QPoint rowCentre(int row) const { return rowRect(row).center(); }

    // A press, moves in steps to `to`, and a release, as a finger does.
    void drag(const QPoint& from, const QPoint& to, int steps = 6) {
        QTest::mousePress(viewport(), Qt::LeftButton, {}, from);
        for (int i = 1; i <= steps; ++i) {
            const QPoint p = from + (to - from) * i / steps;
            QMouseEvent move(QEvent::MouseMove, p, viewport()->mapToGlobal(p), Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(viewport(), &move);
        }
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, to);
    }
    void tap(const QPoint& at) { QTest::mouseClick(viewport(), Qt::LeftButton, {}, at); }

    // Leaves a picture of the window in the gallery and checks it is not blank.
    void snap(const QString& name) {
        const QString path = Gallery::save(*window, name);
        ASSERT_FALSE(path.isEmpty());
        const QImage image(path);
        ASSERT_EQ(image.size(), Gallery::kPhoneSize);
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7)
            for (int x = 0; x < image.width(); x += 7) colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 12) << "a blank picture";
    }

    RecordingShareService share;
    IdlePhotoPicker photos;
    std::vector<TransactionKind> addRequests;
    TransactionsView* view = nullptr;
};

}  // namespace opslist
