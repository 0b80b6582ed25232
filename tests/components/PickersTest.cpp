// The in-window list picker, pop-ups kept inside their window, and the device
// locale's date style.
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "KitFixture.h"
#include "components/DateText.h"
#include "components/ListPickerSheet.h"
#include "components/Overlays.h"
#include "components/TextLabel.h"
#include "services/PreferencesTestSupport.h"

class PickerTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        window.resize(390, 844);
        window.show();
        settle();
    }
    QRect windowArea() const { return QRect(window.mapToGlobal(QPoint()), window.size()); }
    // Qt's tooltip window, while one is shown.
    static QWidget* tooltip() {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowType() == Qt::ToolTip && top->isVisible()) return top;
        return nullptr;
    }
    ListPickerSheet* present(const QString& current) {
        QList<ListPickerEntry> rows;
        for (int i = 0; i < 60; ++i)
            rows.append(
                {QStringLiteral("X%1").arg(i, 2, 10, QChar(u'0')), QStringLiteral("Строка %1").arg(i)});
        rows.append(
            {{"RUB", "₽ · RUB — российский рубль"}, {"USD", "$ · USD — доллар США"}});
        auto* picker = ListPickerSheet::present(&window, "Валюта", rows, current);
        settle();
        return picker;
    }

    QWidget window;
};

TEST_F(PickerTest, SearchNarrowsTheRowsByTitleOrValueAndSaysWhenNothingMatches) {
    ListPickerSheet* picker = present("RUB");
    const std::pair<QString, QStringList> cases[] = {
        {"руб", {"RUB"}}, {"  usd ", {"USD"}}, {"ДОЛЛАР", {"USD"}}, {"x07", {"X07"}}, {"zzz", {}}};
    for (const auto& [text, expected] : cases) {
        picker->searchField()->setText(text);
        EXPECT_EQ(picker->visibleValues(), expected) << text.toStdString();
        EXPECT_EQ(picker->findChild<TextLabel*>("listPickerEmpty")->isVisible(), expected.isEmpty());
    }
    picker->searchField()->clear();
    EXPECT_EQ(picker->visibleValues().size(), 62);
}

TEST_F(PickerTest, CurrentRowIsCheckedAndInViewAndATapPicksOnceAndCloses) {
    ListPickerSheet* picker = present("USD");
    Sheet* sheet = Sheet::of(picker);
    EXPECT_TRUE(windowArea().contains(QRect(sheet->mapToGlobal(QPoint()), sheet->size())));
    QListView* list = picker->listView();
    const QModelIndex current = list->model()->index(61, 0);
    EXPECT_EQ(current.data(Qt::AccessibleTextRole).toString(), "$ · USD — доллар США, выбрано");
    EXPECT_EQ(list->model()->index(60, 0).data(Qt::AccessibleTextRole).toString(),
              "₽ · RUB — российский рубль");
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(current)));

    QSignalSpy picked(picker, &ListPickerSheet::picked);
    QSignalSpy closed(sheet, &Sheet::dismissed);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(60, 0)).center());
    EXPECT_EQ(picked.size(), 1);
    EXPECT_EQ(picked.value(0).value(0).toString(), "RUB");
    EXPECT_EQ(closed.size(), 1);
}

TEST_F(PickerTest, PopupsOpenedAtTheWindowsEdgesStayInsideIt) {
    auto* combo = new QComboBox(&window);
    for (int i = 0; i < 300; ++i) combo->addItem(QStringLiteral("Категория %1").arg(i));
    combo->setGeometry(250, 800, 130, 36);
    auto* date = new QDateTimeEdit(&window);
    date->setCalendarPopup(true);
    date->setGeometry(260, 800, 120, 36);
    QMenu menu(&window);
    for (int i = 0; i < 5; ++i) menu.addAction(QStringLiteral("Очень длинный пункт меню номер %1").arg(i));
    settle();

    const std::function<QWidget*()> opened[] = {
        [&]() -> QWidget* {
            combo->showPopup();
            return combo->view()->window();
        },
        [&]() -> QWidget* {
            QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(date->width() - 8, date->height() / 2));
            return date->calendarWidget()->window();
        },
        [&]() -> QWidget* {
            menu.popup(window.mapToGlobal(QPoint(380, 830)));
            return &menu;
        },
        [&]() -> QWidget* {
            // A tooltip asked for at the window's corner, wider than what is left of it.
            QToolTip::showText(window.mapToGlobal(QPoint(385, 838)),
                               QStringLiteral("Поделиться резервной копией JSON"), combo);
            return tooltip();
        }};
    for (const auto& open : opened) {
        QWidget* popup = open();
        settle();
        ASSERT_NE(popup, nullptr);
        ASSERT_TRUE(popup->isVisible());
        EXPECT_TRUE(windowArea().contains(popup->geometry())) << popup->metaObject()->className();
        popup->hide();
    }
}

TEST(DeviceLocaleDates, AnUnsetOrCLocaleShowsDatesInTheAppsLanguage) {
    const QDateTime when(QDate(2024, 1, 5), QTime(15, 30), Qt::UTC);
    const QString russian = DateText::abbreviatedDateTime(when, "ru_RU");
    for (const char* value : {"", "C", "POSIX", "C.UTF-8"}) {
        ScopedLocaleEnvironment env;
        if (*value) env.set("LC_ALL", value);
        EXPECT_EQ(DateText::deviceLocaleName(), "ru_RU") << value;
        EXPECT_EQ(DateText::abbreviatedDateTime(when), russian) << value;
    }
}
