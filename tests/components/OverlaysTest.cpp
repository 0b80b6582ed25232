#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "KitFixture.h"
#include "components/Button.h"
#include "components/NavigationStack.h"
#include "components/Overlays.h"
#include "components/PageBody.h"
#include "support/Gallery.h"

namespace {

// A window with a page and a button underneath the overlays.
struct Window {
    QWidget window;
    QPushButton* below;
    Window() {
        window.resize(390, 844);
        below = new QPushButton(QStringLiteral("под листом"), &window);
        below->setGeometry(10, 10, 200, 40);
        window.show();
    }
};

QWidget* sheetContent(QWidget** field = nullptr) {
    auto* page = new NavigationPage(QStringLiteral("Новая цель"));
    page->setTitleDisplay(NavigationPage::TitleDisplay::Inline);
    page->addToolbarButton(QStringLiteral("Отмена"), {}, ToolbarPlacement::Cancellation);
    page->addToolbarButton(QStringLiteral("Добавить"), {}, ToolbarPlacement::Confirmation);
    auto* edit = new QLineEdit;
    edit->setPlaceholderText(QStringLiteral("Название"));
    page->body()->addWidget(edit);
    if (field) *field = edit;
    return new NavigationStack(page);
}

QAbstractButton* alertButton(Alert* alert, int index) {
    return alert->box()->findChild<QAbstractButton*>(QStringLiteral("alertButton_%1").arg(index));
}

}  // namespace

TEST_F(KitTest, SheetCoversTheWindowCanRefuseInteractiveClosingAndIsDismissedOnce) {
    Window w;
    QSignalSpy pressed(w.below, &QPushButton::clicked);
    QWidget* field = nullptr;
    Sheet* sheet = Sheet::present(w.below, sheetContent(&field));
    ASSERT_NE(sheet, nullptr);
    QPointer<Sheet> alive(sheet);
    QSignalSpy spy(sheet, &Sheet::dismissed);
    settle();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->geometry(), w.window.rect());
    EXPECT_EQ(Sheet::of(field), sheet);
    EXPECT_EQ(w.window.focusWidget(), field);  // typing can start at once

    sheet->setInteractiveDismissDisabled(true);
    QTest::mouseClick(sheet, Qt::LeftButton, {}, QPoint(100, 20));  // over the button below
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(pressed.count(), 0);

    // The panel takes the theme's colour or its content's own.
    const QColor themed = sheet->background();
    EXPECT_EQ(themed, Theme::current().color(ColorRole::GroupedBackground));
    sheet->setBackground(Qt::black);
    const QImage shot = sheet->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(4, sheet->panel()->y() + 14)), QColor(Qt::black)) << "beside the grabber";
    sheet->setBackground(QColor());
    EXPECT_EQ(sheet->background(), themed);

    Sheet::of(field)->dismiss();
    Sheet::of(field)->dismiss();  // a second close is ignored
    settle();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<Sheet::DismissReason>(), Sheet::DismissReason::Programmatic);
    EXPECT_TRUE(alive.isNull());
}

TEST_F(KitTest, BackdropEscapeAndSwipeCloseTheSheetTheSameWay) {
    Window w;
    using Reason = Sheet::DismissReason;
    const std::pair<Reason, std::function<void(Sheet*, QWidget*, const QSignalSpy&)>> gestures[] = {
        {Reason::Backdrop,
         [](Sheet* sheet, QWidget*, const QSignalSpy& spy) {
             // A click on the sheet itself does nothing; above it, on the dimmed backdrop, closes.
             QTest::mouseClick(sheet->panel(), Qt::LeftButton, {}, QPoint(200, 400));
             EXPECT_EQ(spy.count(), 0);
             QTest::mouseClick(sheet, Qt::LeftButton, {}, QPoint(200, 5));
         }},
        {Reason::Escape,
         [](Sheet*, QWidget* field, const QSignalSpy&) { QTest::keyClick(field, Qt::Key_Escape); }},
        {Reason::Swipe,
         [](Sheet* sheet, QWidget*, const QSignalSpy& spy) {
             auto* grabber = sheet->findChild<QWidget*>(QStringLiteral("sheetGrabber"));
             ASSERT_NE(grabber, nullptr);
             QTest::mousePress(grabber, Qt::LeftButton, {}, QPoint(195, 5));
             QTest::mouseRelease(grabber, Qt::LeftButton, {}, QPoint(195, 20));  // too short
             EXPECT_EQ(spy.count(), 0);
             QTest::mousePress(grabber, Qt::LeftButton, {}, QPoint(195, 5));
             QTest::mouseRelease(grabber, Qt::LeftButton, {}, QPoint(195, 120));
         }},
    };
    for (const auto& [reason, gesture] : gestures) {
        QWidget* field = nullptr;
        Sheet* sheet = Sheet::present(&w.window, sheetContent(&field));
        QSignalSpy spy(sheet, &Sheet::dismissed);
        settle();
        gesture(sheet, field, spy);
        ASSERT_EQ(spy.count(), 1);
        EXPECT_EQ(spy.at(0).at(0).value<Reason>(), reason);
    }
    settle();
    EXPECT_TRUE(OverlayHost::forWindow(&w.window)->sheets().isEmpty());
}

TEST_F(KitTest, SheetsStackAndCloseWithTheSheetBelow) {
    Window w;
    Sheet* lower = Sheet::present(&w.window, sheetContent());
    Sheet* upper = Sheet::present(lower->content(), sheetContent());
    settle();
    OverlayHost* host = OverlayHost::forWindow(&w.window);
    EXPECT_EQ(host->sheets(), (QList<Sheet*>{lower, upper}));
    EXPECT_EQ(host->topSheet(), upper);
    QSignalSpy upperSpy(upper, &Sheet::dismissed);
    QSignalSpy lowerSpy(lower, &Sheet::dismissed);
    lower->dismiss();
    ASSERT_EQ(upperSpy.count(), 1);
    EXPECT_EQ(upperSpy.at(0).at(0).value<Sheet::DismissReason>(), Sheet::DismissReason::Parent);
    EXPECT_EQ(lowerSpy.count(), 1);
    EXPECT_TRUE(host->sheets().isEmpty());
}

TEST_F(KitTest, AlertsQueueAndOnePresentedFromAnActionWaitsBehindTheQueue) {
    Window w;
    OverlayHost* host = OverlayHost::forWindow(&w.window);
    QStringList log;
    Alert* first =
        Alert::present(&w.window, QStringLiteral("Ошибка сохранения"), QStringLiteral("Диск полон"),
                       {{QStringLiteral("OK"), AlertButton::Role::Cancel, [&] {
                             log << "first";
                             Alert::present(&w.window, QStringLiteral("third"), {});
                         }}});
    Alert* second =
        Alert::present(&w.window, QStringLiteral("Второе"), {},
                       {{QStringLiteral("Понятно"), AlertButton::Role::Default, [&] { log << "second"; }}});
    settle();
    ASSERT_TRUE(first->isShowing());
    EXPECT_FALSE(second->isShowing());
    EXPECT_EQ(host->pendingAlerts(), QList<Alert*>{second});
    auto* title = first->box()->findChild<QLabel*>(QStringLiteral("alertTitle"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->textFormat(), Qt::PlainText);

    QPointer<Alert> secondAlive(second);
    QTest::mouseClick(alertButton(first, 0), Qt::LeftButton);
    settle();
    ASSERT_FALSE(secondAlive.isNull());
    ASSERT_TRUE(second->isShowing());
    EXPECT_EQ(second->box()->findChild<QLabel*>(QStringLiteral("alertMessage")), nullptr);  // no message line

    QTest::mouseClick(alertButton(second, 0), Qt::LeftButton);
    settle();
    EXPECT_EQ(log, (QStringList{"first", "second"}));
    EXPECT_TRUE(secondAlive.isNull());
    ASSERT_NE(host->currentAlert(), nullptr);
    EXPECT_EQ(host->currentAlert()->title(), QStringLiteral("third"));
    host->currentAlert()->press(0);
    settle();
    EXPECT_EQ(host->currentAlert(), nullptr);
}

TEST_F(KitTest, AlertButtonRolesEscapeAndCancel) {
    Window w;
    Alert* plain = Alert::present(&w.window, QStringLiteral("Готово"), {});
    ASSERT_EQ(plain->buttons().size(), 1);  // without buttons: OK, which cancels
    EXPECT_EQ(plain->buttons().first().title, QStringLiteral("OK"));
    EXPECT_EQ(plain->buttons().first().role, AlertButton::Role::Cancel);
    int removed = 0, cancelled = 0, ran = 0;
    Alert* alert =
        Alert::present(&w.window, QStringLiteral("Убрать защиту?"),
                       QStringLiteral("При следующем входе приложение больше не будет запрашивать код."),
                       {{QStringLiteral("Отмена"), AlertButton::Role::Cancel, [&] { ++cancelled; }},
                        {QStringLiteral("Убрать код"), AlertButton::Role::Destructive, [&] { ++removed; }}});
    Alert* waiting = Alert::present(&w.window, QStringLiteral("Позже"), {},
                                    {{QStringLiteral("OK"), AlertButton::Role::Default, [&] { ++ran; }}});
    QSignalSpy dropped(waiting, &Alert::finished);
    waiting->cancel();  // dropped from the queue before it showed
    EXPECT_EQ(ran, 0);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).toInt(), -1);

    plain->cancel();
    settle();
    ASSERT_TRUE(alert->isShowing());
    // Two buttons: side by side, the cancel one first.
    EXPECT_LT(alertButton(alert, 0)->geometry().left(), alertButton(alert, 1)->geometry().left());
    EXPECT_EQ(alertButton(alert, 0)->geometry().top(), alertButton(alert, 1)->geometry().top());
    QSignalSpy finished(alert, &Alert::finished);
    QTest::keyClick(alert->box(), Qt::Key_Escape);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(removed, 0);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), 0);
    settle();
    EXPECT_EQ(OverlayHost::forWindow(&w.window)->currentAlert(), nullptr);
}

TEST_F(KitTest, AlertsStayAboveSheetsAndBlockThem) {
    Window w;
    Sheet* sheet = Sheet::present(&w.window, sheetContent());
    QSignalSpy sheetSpy(sheet, &Sheet::dismissed);
    Alert* alert = Alert::present(sheet->content(), QStringLiteral("Ошибка"),
                                  QStringLiteral("Сессия истекла. Войдите снова."));
    settle();
    // A sheet opened while the alert shows goes below the alert.
    Sheet* later = Sheet::present(&w.window, sheetContent());
    settle();
    const QList<QObject*> children = w.window.children();
    EXPECT_GT(children.indexOf(alert->box()), children.indexOf(later));
    QTest::mouseClick(alert->box(), Qt::LeftButton, {}, QPoint(195, 10));
    EXPECT_EQ(sheetSpy.count(), 0);
    EXPECT_TRUE(alert->isShowing());
}

TEST_F(KitTest, OverlaysGallery) {
    for (const char* scheme : {"light", "dark"}) {
        setPreference("appTheme", scheme);
        Window w;
        Sheet* sheet = Sheet::present(&w.window, sheetContent());
        EXPECT_FALSE(Gallery::save(w.window, QStringLiteral("components-sheet-") + scheme).isEmpty());
        Alert::present(&w.window, QStringLiteral("Убрать защиту?"),
                       QStringLiteral("При следующем входе приложение больше не будет запрашивать код."),
                       {{QStringLiteral("Отмена"), AlertButton::Role::Cancel},
                        {QStringLiteral("Убрать код"), AlertButton::Role::Destructive}});
        EXPECT_FALSE(Gallery::save(w.window, QStringLiteral("components-alert-") + scheme).isEmpty());
        sheet->dismiss();
    }
}
