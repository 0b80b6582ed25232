#include "OperationsListFixture.h"

#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/Overlays.h"
#include "components/SegmentedControl.h"
#include "components/TextLabel.h"
#include "services/MoneyText.h"
#include "store/DemoLedger.h"
#include "support/Gallery.h"
#include "support/Ink.h"
#include "views/ledger/TransactionEditorView.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QDir>
#include <QMenu>
#include <QPainter>

using opslist::OperationsListTest;

namespace {
using List = std::vector<QString>;
}

TEST_F(OperationsListTest, EmptyLedgerShowsZeroFoundGreenZeroAndTheNoResultsView) {
    open();
    EXPECT_EQ(view->title(), QStringLiteral("Операции"));
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("Найдено: 0"));
    EXPECT_EQ(view->totalLabel()->text(), cnyText(Decimal(0)));
    EXPECT_EQ(view->totalLabel()->color(), Theme::current().color(ColorRole::Green));
    EXPECT_TRUE(view->noResultsView()->isVisible());
    EXPECT_FALSE(view->list()->isVisible());
    EXPECT_FALSE(view->undoBar()->isVisible());
    EXPECT_EQ(view->searchField()->placeholderText(), QStringLiteral("Категория, заметка, тег или кошелёк"));
    snap("TransactionsView_empty");
}

TEST_F(OperationsListTest, DemoLedgerPicturesAndMaskingLeavesTheListsAmountsShown) {
    store->setData(demoLedger());
    open();
    ASSERT_GT(view->model()->rowCount(), 3);
    snap("TransactionsView_demo");
    // Masking covers the dashboard's balance, budget rest and templates only.
    Preferences::standard().setValue("hideBalances", true);
    open();
    EXPECT_FALSE(view->totalLabel()->text().contains(QChar(0x2022)));
    snap("TransactionsView_masked");
    Preferences::standard().setValue("appTheme", "dark");
    view->setSearchText(QStringLiteral("а"));
    snap("TransactionsView_dark");
}

TEST_F(OperationsListTest, HeaderTotalIsOrangeBelowZeroAndGreenOtherwise) {
    add(TransactionKind::income, 100, "Подарок", at(14));
    const QUuid expense = add(TransactionKind::expense, 150, "Игры", at(14));
    open();
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("Найдено: 2"));
    EXPECT_EQ(view->totalLabel()->text(), cnyText(Decimal(-50)));
    EXPECT_EQ(view->totalLabel()->color(), Theme::current().color(ColorRole::Orange));

    // Only the income left: the total is positive and green.
    view->setKindFilter(TransactionKind::income);
    EXPECT_EQ(view->totalLabel()->text(), cnyText(Decimal(100)));
    EXPECT_EQ(view->totalLabel()->color(), Theme::current().color(ColorRole::Green));

    // Exactly zero is green too.
    view->setKindFilter(std::nullopt);
    store->deleteTransactions({expense});
    add(TransactionKind::expense, 100, "Игры", at(14));
    EXPECT_EQ(view->totalLabel()->text(), cnyText(Decimal(0)));
    EXPECT_EQ(view->totalLabel()->color(), Theme::current().color(ColorRole::Green));
}

TEST_F(OperationsListTest, TypingInTheSearchFieldFiltersTheRowsAndTheHeader) {
    add(TransactionKind::expense, 5, "Еда", at(10), "обед");
    add(TransactionKind::expense, 7, "Транспорт", at(11), "", {"школа"});
    add(TransactionKind::income, 9, "Подарок", at(12), "", {}, false, "Копилка");
    open();
    ASSERT_EQ(rowCategories(), (List{"Подарок", "Транспорт", "Еда"}));

    view->searchField()->setFocus();
    typeText(view->searchField(), QStringLiteral("ШКОЛ"));
    EXPECT_EQ(rowCategories(), (List{"Транспорт"}));
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("Найдено: 1"));

    view->searchField()->clear();
    typeText(view->searchField(), QStringLiteral("копилка"));
    EXPECT_EQ(rowCategories(), (List{"Подарок"}));

    QTest::keyClicks(view->searchField(), "zzz");
    EXPECT_TRUE(view->noResultsView()->isVisible());
    EXPECT_EQ(view->noResultsView()->titleLabel()->text(), QStringLiteral("Нет результатов для «копилкаzzz»"));
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("Найдено: 0"));
}

TEST_F(OperationsListTest, KindPickerPeriodSortAndFavouritesCombine) {
    add(TransactionKind::expense, 50, "Старое", at(1), "", {}, true);
    add(TransactionKind::expense, 20, "Кино", at(14), "", {}, true);
    add(TransactionKind::income, 30, "Подарок", at(14), "", {}, true);
    add(TransactionKind::expense, 80, "Игры", at(15, 9));
    open();

    QTest::mouseClick(view->kindPicker()->segment("expense"), Qt::LeftButton);
    EXPECT_EQ(view->filter().kind, TransactionKind::expense);
    EXPECT_EQ(rowCategories(), (List{"Игры", "Кино", "Старое"}));

    view->filtersMenu()->findChild<QAction*>("favoritesOnlyAction")->trigger();
    EXPECT_TRUE(view->filter().favoritesOnly);
    EXPECT_EQ(rowCategories(), (List{"Кино", "Старое"}));

    for (QAction* a : view->filtersMenu()->findChild<QMenu*>("periodMenu")->actions())
        if (a->text() == QStringLiteral("7 дней")) a->trigger();
    EXPECT_EQ(view->filter().date, TransactionDateFilter::week);
    EXPECT_EQ(rowCategories(), (List{"Кино"}));

    for (QAction* a : view->filtersMenu()->findChild<QMenu*>("sortMenu")->actions())
        if (a->text() == QStringLiteral("Сначала крупные")) a->trigger();
    QTest::mouseClick(view->kindPicker()->segment("all"), Qt::LeftButton);
    EXPECT_EQ(rowCategories(), (List{"Подарок", "Кино"}));
    EXPECT_EQ(view->countLabel()->text(), QStringLiteral("Найдено: 2"));
    EXPECT_EQ(view->totalLabel()->text(), cnyText(Decimal(10)));

    // The menu's checks follow the state.
    for (QAction* a : view->filtersMenu()->findChild<QMenu*>("sortMenu")->actions())
        EXPECT_EQ(a->isChecked(), a->text() == QStringLiteral("Сначала крупные"));
}

TEST_F(OperationsListTest, TodayAndThisMonthUseTheUsersCalendarNotTheStores) {
    // The process runs in UTC, the store's calendar is Berlin's (UTC+2 in June).
    add(TransactionKind::expense, 1, "поздно вчера", at(14, 23, 30));  // 15 June in Berlin
    add(TransactionKind::expense, 1, "поздно сегодня", at(15, 23, 30));  // 16 June in Berlin
    add(TransactionKind::expense, 1, "конец мая", QDateTime(QDate(2026, 5, 31), QTime(23, 30), QTimeZone::utc()));
    add(TransactionKind::expense, 1, "конец июня", at(30, 23, 30));  // 1 July in Berlin
    open();
    view->setDateFilter(TransactionDateFilter::today);
    EXPECT_EQ(rowCategories(), (List{"поздно сегодня"}));
    view->setDateFilter(TransactionDateFilter::month);
    EXPECT_EQ(rowCategories(), (List{"конец июня", "поздно сегодня", "поздно вчера"}));
}

TEST_F(OperationsListTest, DeleteShowsTheUndoBarAndUndoPutsTheRowBackInItsSortedPlace) {
    add(TransactionKind::expense, 1, "A", at(10));
    const QUuid b = add(TransactionKind::expense, 2, "B", at(12));
    const QUuid c = add(TransactionKind::expense, 3, "C", at(11));
    open();
    ASSERT_EQ(rowCategories(), (List{"B", "C", "A"}));

    view->perform(RowAction::remove, b);
    EXPECT_EQ(rowCategories(), (List{"C", "A"}));
    EXPECT_TRUE(view->undoBar()->isVisible());
    EXPECT_EQ(view->undoButton()->text(), QStringLiteral("Отменить удаление"));

    QTest::mouseClick(view->undoButton(), Qt::LeftButton);
    EXPECT_EQ(rowCategories(), (List{"B", "C", "A"}));  // sorted, though appended to the ledger
    EXPECT_FALSE(view->undoBar()->isVisible());

    // A second deletion replaces what the bar restores.
    view->perform(RowAction::remove, b);
    view->perform(RowAction::remove, c);
    QTest::mouseClick(view->undoButton(), Qt::LeftButton);
    EXPECT_EQ(rowCategories(), (List{"C", "A"}));
    EXPECT_FALSE(view->undoBar()->isVisible());
}

TEST_F(OperationsListTest, CopyOfAnOldOperationComesFirstAndFavouriteShowsOnTheRow) {
    const QUuid old = add(TransactionKind::expense, 4, "Старое", QDateTime(QDate(2026, 5, 1), QTime(8, 0), QTimeZone::utc()));
    add(TransactionKind::expense, 5, "Новое", at(14));
    open();
    view->perform(RowAction::copy, old);
    EXPECT_EQ(rowCategories(), (List{"Старое", "Новое", "Старое"}));
    EXPECT_EQ(view->model()->transactionAt(0)->date, clock.now());
    EXPECT_NE(view->model()->transactionAt(0)->id, old);

    view->perform(RowAction::favorite, old);
    const QModelIndex oldRow = view->model()->index(view->model()->rowOf(old));
    EXPECT_TRUE(oldRow.data(TransactionListModel::FavoriteRole).toBool());
    // The star is read out after the row's own label.
    EXPECT_EQ(oldRow.data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("Расход, ") + cnyText(Decimal(4)) + QStringLiteral(", Старое, Избранное"));
    view->perform(RowAction::favorite, old);
    EXPECT_FALSE(oldRow.data(TransactionListModel::FavoriteRole).toBool());
    EXPECT_EQ(oldRow.data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("Расход, ") + cnyText(Decimal(4)) + QStringLiteral(", Старое"));
}

TEST_F(OperationsListTest, ContextMenuOffersTheSameActions) {
    const QUuid only = add(TransactionKind::expense, 4, "Еда", at(14));
    open();
    const QPoint inRow = rowCentre(0);
    QContextMenuEvent event(QContextMenuEvent::Mouse, inRow, viewport()->mapToGlobal(inRow));
    QApplication::sendEvent(viewport(), &event);
    auto* menu = view->list()->findChild<QMenu*>("rowActionsMenu");
    ASSERT_NE(menu, nullptr);
    List titles;
    for (QAction* a : menu->actions()) titles.push_back(a->text());
    EXPECT_EQ(titles, (List{"Избранное", "Копия", "Удалить"}));

    menu->findChild<QAction*>("rowAction_favorite")->trigger();
    EXPECT_TRUE(store->data().transactions.front().isFavorite.value_or(false));
    menu->findChild<QAction*>("rowAction_copy")->trigger();
    EXPECT_EQ(store->data().transactions.size(), 2u);
    menu->findChild<QAction*>("rowAction_remove")->trigger();
    EXPECT_EQ(store->data().transactions.size(), 1u);
    EXPECT_NE(store->data().transactions.front().id, only);
    EXPECT_TRUE(view->undoBar()->isVisible());
    menu->close();
}

TEST_F(OperationsListTest, ShareEntriesHandOnTheExactExports) {
    add(TransactionKind::expense, 5, "Еда", at(14), "с \"кавычками\", и запятой\nи строкой", {"a", "b"});
    add(TransactionKind::income, 7, "Подарок", at(13));
    open();
    view->exportMenu()->findChild<QAction*>("shareCsvAction")->trigger();
    view->exportMenu()->findChild<QAction*>("shareJsonAction")->trigger();
    ASSERT_EQ(share.shared.size(), 2u);
    EXPECT_EQ(share.shared[0].title, QStringLiteral("Операции CSV"));
    EXPECT_EQ(share.shared[0].text, store->csvExport());
    EXPECT_TRUE(share.shared[0].text.startsWith(QStringLiteral("date,type,amount,category,note,wallet,tags\n")));
    EXPECT_EQ(share.shared[1].title, QStringLiteral("Резервная копия JSON"));
    EXPECT_EQ(share.shared[1].text, store->jsonExport());

    // Filters do not narrow the exports: they are the whole ledger.
    view->setSearchText("Подарок");
    view->exportMenu()->findChild<QAction*>("shareCsvAction")->trigger();
    EXPECT_EQ(share.shared.back().text, store->csvExport());
    EXPECT_EQ(share.shared.back().text.count(u'\n'), share.shared[0].text.count(u'\n'));
}

TEST_F(OperationsListTest, MenusListTheirEntriesInOrderAndAddAsksTheRootViewForTheForm) {
    open();
    const auto titles = [](QMenu* menu) {
        List out;
        for (QAction* a : menu->actions()) out.push_back(a->text());
        return out;
    };
    EXPECT_EQ(titles(view->filtersMenu()), (List{"Период", "Сортировка", "Только избранное"}));
    EXPECT_EQ(titles(view->filtersMenu()->findChild<QMenu*>("periodMenu")),
              (List{"Всё время", "Сегодня", "7 дней", "Этот месяц"}));
    EXPECT_EQ(titles(view->filtersMenu()->findChild<QMenu*>("sortMenu")),
              (List{"Сначала новые", "Сначала старые", "Сначала крупные", "Сначала мелкие"}));
    EXPECT_EQ(titles(view->exportMenu()), (List{"Поделиться CSV", "Поделиться JSON"}));
    EXPECT_EQ(titles(view->addMenu()), (List{"Доход", "Расход"}));
    // The initial state is checked: every date, newest first, all favourites and not.
    EXPECT_TRUE(view->filtersMenu()->findChild<QMenu*>("periodMenu")->actions().front()->isChecked());
    EXPECT_TRUE(view->filtersMenu()->findChild<QMenu*>("sortMenu")->actions().front()->isChecked());
    EXPECT_FALSE(view->filtersMenu()->findChild<QAction*>("favoritesOnlyAction")->isChecked());
    EXPECT_EQ(view->kindPicker()->currentTag(), QStringLiteral("all"));

    view->addMenu()->findChild<QAction*>("addIncomeAction")->trigger();
    view->addMenu()->findChild<QAction*>("addExpenseAction")->trigger();
    EXPECT_EQ(addRequests, (std::vector<TransactionKind>{TransactionKind::income, TransactionKind::expense}));
    EXPECT_TRUE(store->data().transactions.empty());
}

TEST_F(OperationsListTest, TappingARowOpensTheEditorForExactlyThatOperation) {
    add(TransactionKind::expense, 5, "Еда", at(10));
    const QUuid second = add(TransactionKind::expense, 6, "Кино", at(11));
    open();
    ASSERT_EQ(rowCategories(), (List{"Кино", "Еда"}));
    tap(rowCentre(0));
    ASSERT_TRUE(view->selectedTransaction());
    EXPECT_EQ(view->selectedTransaction()->id, second);
    ASSERT_NE(view->editorSheet(), nullptr);
    auto* editor = qobject_cast<TransactionEditorView*>(view->editorSheet()->content());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->transaction().id, second);

    // After the editor saves, the row shows the new values.
    editor->categoryField()->setText(QStringLiteral("Театр"));
    editor->save();
    settle();
    EXPECT_EQ(rowCategories(), (List{"Театр", "Еда"}));
    EXPECT_FALSE(view->selectedTransaction());
}

TEST_F(OperationsListTest, MenuSymbolsReadOnTheDarkMenusPicturedInTheGallery) {
    open();
    Preferences::standard().setValue("appTheme", "dark");
    settle();
    for (QMenu* menu : {view->exportMenu(), view->addMenu(), view->filtersMenu()}) {
        const QColor behind = menu->palette().color(QPalette::Window);
        for (QAction* action : menu->actions()) {
            if (action->icon().isNull()) continue;
            EXPECT_GT(ink::contrast(ink::averageOf(action->icon().pixmap(24)), behind), 4.5)
                << action->text().toStdString();
        }
        // The window with the menu open over it, as the user sees it.
        menu->popup(window->mapToGlobal(QPoint(180, 60)));
        settle();
        QImage shot = window->grab().toImage();
        QPainter painter(&shot);
        painter.drawPixmap(window->mapFromGlobal(menu->pos()), menu->grab());
        painter.end();
        QDir().mkpath(Gallery::directory());
        EXPECT_TRUE(shot.save(QDir(Gallery::directory()).filePath(menu->objectName() + "-dark.png")));
        menu->hide();
    }
}
