#include "OperationsListFixture.h"

#include <random>
#include <functional>
#include <map>

#include "components/DateText.h"
#include "components/TextFit.h"
#include "components/TransactionRow.h"
#include "views/ledger/TransactionRowDelegate.h"

using opslist::OperationsListTest;

namespace {

const QString kBuiltIn = QStringLiteral("Помог маме/папе с IT и технологиями");
const QString kOneWord = QStringLiteral("Сверхпревысокопревосходительство");

// Whether the lines are the text broken only after a blank, a slash or a hyphen.
bool brokenBetweenWords(const QStringList& lines, const QString& text) {
    qsizetype at = 0;
    for (const QString& line : lines) {
        if (at > 0 && !text.at(at - 1).isSpace() && !QStringLiteral("/-").contains(text.at(at - 1)))
            return false;
        if (text.mid(at, line.size()) != line) return false;
        at += line.size();
        while (at < text.size() && text.at(at).isSpace()) ++at;
    }
    return at == text.size();
}

}  // namespace

// Rows at a phone's width, with and without the scroll bar, after a period
// filter and after the width changes: the text column takes all the width the
// amount leaves (and more: the amount shrinks rather than cut the widest
// word of the category), a category wraps between words only (a word wider than the
// column is elided, never split), and every row is exactly as tall as its
// text at the width it is drawn at, so nothing is cut and no gap is left.
TEST_F(OperationsListTest, RowsFitTheirTextAtTheViewportWidth) {
    add(TransactionKind::income, 20, kBuiltIn, at(14, 12));
    add(TransactionKind::expense, 123457132, kOneWord, at(14, 11), QStringLiteral("заметка"), {}, true);
    for (int i = 0; i < 30; ++i) add(TransactionKind::expense, 5, QStringLiteral("Еда"), at(1, 9));
    open();
    auto* delegate = static_cast<TransactionRowDelegate*>(view->list()->itemDelegate());
    const QFontMetrics amount(TransactionRow::amountFont());
    const int detail = QFontMetrics(TransactionRow::detailFont()).height();

    struct Step {
        TransactionDateFilter period;
        int width;
        bool scrollBar;
    };
    for (const Step step :
         {Step{TransactionDateFilter::all, 390, true}, Step{TransactionDateFilter::week, 390, false},
          Step{TransactionDateFilter::week, 375, false}, Step{TransactionDateFilter::all, 375, true}}) {
        view->setDateFilter(step.period);
        window->resize(step.width, Gallery::kPhoneSize.height());
        settle();
        SCOPED_TRACE(step.width);
        EXPECT_EQ(view->list()->verticalScrollBar()->isVisible(), step.scrollBar);
        for (int row : {0, 1}) {
            const MoneyTransaction& t = *view->model()->transactionAt(row);
            const QRect item = rowRect(row);
            const int card = SwipeListView::cardRect(item).width();
            EXPECT_EQ(item.width(), viewport()->width());
            const int star = 0;  // a favourite's star narrows the gap before its amount, not the text
            const int column = delegate->textWidth(t, card);
            const int room =
                card - 2 * 16 - TransactionRow::kIconBox - 3 * 14 - TransactionRow::kSpacerMin - star;
            const int natural = amount.horizontalAdvance(TransactionRow::signedAmountText(t));
            EXPECT_GE(column, room - natural - 1);  // everything the amount leaves, or more as it shrinks
            const TextFit::WrappedText category(t.category, TransactionRow::categoryFont(), column);
            const int text = category.height() + TransactionRow::kColumnGap + detail;
            EXPECT_EQ(item.height(),
                      2 * TransactionRowDelegate::kPaddingV + std::max(TransactionRow::kIconBox, text));
            if (row == 0) {
                EXPECT_GT(category.lineCount(), 1);
                EXPECT_TRUE(brokenBetweenWords(category.lines(), kBuiltIn))
                    << category.lines().join('|').toStdString();
            } else {
                ASSERT_EQ(category.lines().size(), 1);
                EXPECT_TRUE(category.lines().first().endsWith(QChar(0x2026)));
                EXPECT_TRUE(kOneWord.startsWith(category.lines().first().chopped(1)));
            }
        }
    }
    window->resize(Gallery::kPhoneSize);
    view->setDateFilter(TransactionDateFilter::all);
    for (const char* scheme : {"light", "dark"}) {
        Preferences::standard().setValue("appTheme", scheme);
        EXPECT_FALSE(
            Gallery::save(*window, QStringLiteral("TransactionsView_long_categories_") + scheme).isEmpty());
    }
}

// Each row's height is worked out once per content and width: the list's
// several layouts of one open, a filter and a search read it back, while a
// change of the ledger (a category that now wraps, or no longer does) and a
// change of the width measure again, and the rows keep the height of the
// text they show.
TEST_F(OperationsListTest, HeightsAreMeasuredOncePerContentAndWidth) {
    const QUuid grows = add(TransactionKind::expense, 5, QStringLiteral("Еда"), at(14, 12));
    const QUuid shrinks = add(TransactionKind::income, 20, kBuiltIn, at(14, 11));
    for (int i = 0; i < 40; ++i) add(TransactionKind::expense, 5 + i, QStringLiteral("Транспорт"), at(1, 9));
    const qint64 before = TransactionRowDelegate::heightMeasurements();
    open();
    settle();
    const int rows = view->model()->rowCount();
    const qint64 atOpen = TransactionRowDelegate::heightMeasurements() - before;
    EXPECT_GE(atOpen, rows);
    EXPECT_LE(atOpen, rows + 4) << "the open's layouts measured rows again";

    auto* delegate = static_cast<TransactionRowDelegate*>(view->list()->itemDelegate());
    const int detail = QFontMetrics(TransactionRow::detailFont()).height();
    auto expectedHeight = [&](const QUuid& id) {
        const int row = view->model()->rowOf(id);
        const MoneyTransaction& t = *view->model()->transactionAt(row);
        const int column = delegate->textWidth(t, SwipeListView::cardRect(rowRect(row)).width());
        const TextFit::WrappedText category(t.category, TransactionRow::categoryFont(), column);
        return 2 * TransactionRowDelegate::kPaddingV +
               std::max(TransactionRow::kIconBox, category.height() + TransactionRow::kColumnGap + detail);
    };
    auto heightOf = [&](const QUuid& id) { return rowRect(view->model()->rowOf(id)).height(); };

    const qint64 beforeFilters = TransactionRowDelegate::heightMeasurements();
    view->setSearchText(QStringLiteral("Тран"));
    settle();
    view->setSearchText({});
    view->setSort(TransactionSort::biggest);
    settle();
    EXPECT_EQ(TransactionRowDelegate::heightMeasurements(), beforeFilters) << "same ledger, same width";

    MoneyTransaction longer = *view->model()->transactionAt(view->model()->rowOf(grows));
    longer.category = kBuiltIn;
    store->updateTransaction(longer);
    MoneyTransaction shorter = *view->model()->transactionAt(view->model()->rowOf(shrinks));
    shorter.category = QStringLiteral("Подарок");
    store->updateTransaction(shorter);
    settle();
    EXPECT_GT(heightOf(grows), heightOf(shrinks));
    for (const QUuid& id : {grows, shrinks}) EXPECT_EQ(heightOf(id), expectedHeight(id));

    for (const int width : {320, 390}) {
        window->resize(width, Gallery::kPhoneSize.height());
        settle();
        SCOPED_TRACE(width);
        for (const QUuid& id : {grows, shrinks}) EXPECT_EQ(heightOf(id), expectedHeight(id));
    }
}

// A favourite's amount is drawn in the size of its neighbours (its star takes
// the text's room, not a size of its own), every everyday amount on screen
// shares one size, and an amount of eleven digits shrinks alone inside its row.
TEST_F(OperationsListTest, AmountsOnScreenShareOneSizeFavouritesIncluded) {
    add(TransactionKind::expense, 16, QStringLiteral("Без категории"), at(14, 9));
    add(TransactionKind::expense, 167, QStringLiteral("Без категории"), at(14, 10), {}, {}, true);
    add(TransactionKind::income, 470, QStringLiteral("Развлечения"), at(14, 11));
    (void)store->add(TransactionKind::expense, *Decimal::parse(std::string_view("12345678901.55")),
               QStringLiteral("Без категории"), {}, at(14, 12), {}, true, QStringLiteral("Основной"));
    open();
    auto* delegate = static_cast<TransactionRowDelegate*>(view->list()->itemDelegate());
    for (const char* scheme : {"light", "dark"}) {
        Preferences::standard().setValue("appTheme", scheme);
        settle();
        std::map<int, int> sizes;  // by amount's whole digits
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const MoneyTransaction& t = *view->model()->transactionAt(row);
            const int card = SwipeListView::cardRect(rowRect(row)).width();
            const QFont face = delegate->amountFace(t, card);
            sizes[int(QString::number(t.amount.toInt64Saturated()).size())] = face.pixelSize();
            EXPECT_GE(face.pixelSize() * 2, TransactionRow::amountFont().pixelSize());
        }
        ASSERT_EQ(sizes.size(), 3u);
        EXPECT_EQ(sizes[2], sizes[3]);  // 16 and the favourite 167 and 470
        EXPECT_LT(sizes[11], sizes[3]);
        EXPECT_FALSE(Gallery::save(*window, QStringLiteral("TransactionsView_favourites_") + scheme).isEmpty());
    }
}

// While every operation of the ledger is one line tall the rows share one
// height and the view takes it from one row; a category that wraps at a
// narrower width makes the view measure each row again, and back at the
// wider width the rows share one height once more. At every step each row
// is as tall as its text, the rows follow one another without a gap, and a
// point inside a row finds that row, after a search as before it.
TEST_F(OperationsListTest, RowsShareOneHeightUntilACategoryWraps) {
    const QString wrapsWhenNarrow = QStringLiteral("Книги и игры");
    for (int i = 0; i < 30; ++i) add(TransactionKind::expense, 5 + i, QStringLiteral("Еда"), at(1 + i % 20, 9));
    const QUuid books = add(TransactionKind::income, 250, wrapsWhenNarrow, at(14, 12));
    open();
    auto* delegate = static_cast<TransactionRowDelegate*>(view->list()->itemDelegate());
    const int detail = QFontMetrics(TransactionRow::detailFont()).height();

    struct Step {
        int width;
        const char* search;
        bool shareOneHeight;
        bool booksWrap;
    };
    for (const Step step : {Step{390, "", true, false}, Step{320, "", false, true}, Step{320, "еда", false, false},
                            Step{390, "еда", true, false}, Step{390, "", true, false}}) {
        window->resize(step.width, Gallery::kPhoneSize.height());
        view->setSearchText(QString::fromUtf8(step.search));
        settle();
        SCOPED_TRACE(std::to_string(step.width) + " " + step.search);
        EXPECT_EQ(view->list()->uniformItemSizes(), step.shareOneHeight);
        const int rows = view->model()->rowCount();
        ASSERT_EQ(rows, *step.search ? 30 : 31);
        for (int row = 0; row < rows; ++row) {
            const MoneyTransaction& t = *view->model()->transactionAt(row);
            const int column = delegate->textWidth(t, SwipeListView::cardRect(rowRect(row)).width());
            const TextFit::WrappedText category(t.category, TransactionRow::categoryFont(), column);
            if (t.id == books) {
                EXPECT_EQ(category.lineCount() > 1, step.booksWrap);
            }
            EXPECT_EQ(rowRect(row).height(),
                      2 * TransactionRowDelegate::kPaddingV +
                          std::max(TransactionRow::kIconBox, category.height() + TransactionRow::kColumnGap + detail));
            if (row > 0) {
                EXPECT_EQ(rowRect(row).top(), rowRect(row - 1).bottom() + 1);
            }
            EXPECT_EQ(rowRect(row).width(), viewport()->width());  // beside the scroll bar, never under it
        }
        // Rows found by position, at the top, in the middle and at the end of the list.
        for (int row : {0, rows / 2, rows - 1}) {
            view->list()->scrollTo(view->model()->index(row));
            EXPECT_EQ(view->list()->indexAt(rowRect(row).center()).row(), row);
        }
        view->list()->scrollToTop();
    }
}

// A row that shows its date shows all of it beside any amount: the
// abbreviated date where it fits, the date in digits beside an amount of
// eleven digits, and the amount stays whole in its smallest face at a
// phone's widths, a favourite's too.
TEST_F(OperationsListTest, DateLineIsWholeBesideLongAmounts) {
    const QUuid everyday = add(TransactionKind::expense, 167, QStringLiteral("Без категории"), at(14, 10));
    (void)store->add(TransactionKind::expense, *Decimal::parse(std::string_view("12345678901.55")),
                     QStringLiteral("Без категории"), {}, at(24, 14, 35), {}, false, QStringLiteral("Основной"));
    const QUuid expense = store->data().transactions.back().id;
    (void)store->add(TransactionKind::income, *Decimal::parse(std::string_view("98765432109.99")),
                     QStringLiteral("Зарплата"), {}, at(28, 22, 5), {}, true, QStringLiteral("Основной"));
    const QUuid income = store->data().transactions.back().id;
    open();
    auto* delegate = static_cast<TransactionRowDelegate*>(view->list()->itemDelegate());
    const QFontMetrics detail(TransactionRow::detailFont());

    struct Row {
        QUuid id;
        bool abbreviated;  // at 390
    };
    for (const int width : {390, 375}) {
        window->resize(width, Gallery::kPhoneSize.height());
        settle();
        for (const Row row : {Row{everyday, true}, Row{expense, false}, Row{income, false}}) {
            const int at = view->model()->rowOf(row.id);
            const MoneyTransaction& t = *view->model()->transactionAt(at);
            SCOPED_TRACE(std::to_string(width) + " " + t.amount.toString().toStdString());
            const int card = SwipeListView::cardRect(rowRect(at)).width();
            const int column = delegate->textWidth(t, card);
            const QString line = delegate->detailLine(t, column);
            const QString amount = TransactionRow::signedAmountText(t);
            const QFont face = delegate->amountFace(t, card);
            // Whole at the phone's width; narrower, only an amount already
            // at its smallest face takes a part of the date.
            if (width == 390 || face.pixelSize() > TextFit::shrunkToFit(amount, TransactionRow::amountFont(), 0).pixelSize()) {
                EXPECT_LE(detail.horizontalAdvance(line), column);
            }
            if (width == 390) {
                EXPECT_EQ(line == DateText::abbreviatedDateTime(t.date), row.abbreviated) << line.toStdString();
            }
            if (line != DateText::abbreviatedDateTime(t.date)) {
                EXPECT_EQ(line, t.date.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm")));
            }
            // The amount whole beside the column, in the face it is drawn in.
            const int room = card - 2 * TransactionRowDelegate::kPaddingH - TransactionRow::kIconBox -
                             3 * 14 - TransactionRow::kSpacerMin;
            EXPECT_LE(QFontMetricsF(face).horizontalAdvance(amount), room - column + 0.5);
        }
    }
    for (const char* scheme : {"light", "dark"}) {
        Preferences::standard().setValue("appTheme", scheme);
        window->resize(Gallery::kPhoneSize);
        EXPECT_FALSE(Gallery::save(*window, QStringLiteral("TransactionsView_long_amounts_") + scheme).isEmpty());
    }
}

// Rows painted again keep nothing of what they showed before: after each
// change of a row's content, of the width or of what is shown, the list
// draws exactly what a list opened afresh on the same ledger draws.
TEST_F(OperationsListTest, RowsPaintedAgainDrawWhatAFreshListDraws) {
    const QUuid food = add(TransactionKind::expense, 5, QStringLiteral("Еда"), at(14, 12));
    const QUuid salary = add(TransactionKind::income, 470, QStringLiteral("Зарплата"), at(13, 9));
    for (int i = 0; i < 12; ++i) add(TransactionKind::expense, 10 + i, QStringLiteral("Транспорт"), at(1 + i, 8));
    open();
    const auto edit = [&](const QUuid& id, const std::function<void(MoneyTransaction&)>& change) {
        MoneyTransaction t = *view->model()->transactionAt(view->model()->rowOf(id));
        change(t);
        store->updateTransaction(t);
    };

    struct Step {
        const char* name;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"as opened", [] {}},
        {"another category", [&] { edit(food, [](MoneyTransaction& t) { t.category = QStringLiteral("Книги и игры"); }); }},
        {"a favourite", [&] { store->toggleFavorite(salary); }},
        {"eleven digits", [&] { edit(food, [](MoneyTransaction& t) { t.amount = *Decimal::parse(std::string_view("12345678901.55")); }); }},
        {"a note", [&] { edit(salary, [](MoneyTransaction& t) { t.note = QStringLiteral("аванс"); }); }},
        {"narrower", [&] { window->resize(320, Gallery::kPhoneSize.height()); }},
        {"a search", [&] { view->setSearchText(QStringLiteral("тран")); }},
        {"wider again, all shown", [&] {
             view->setSearchText({});
             window->resize(Gallery::kPhoneSize);
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.run();
        settle();
        const QImage shown = view->list()->viewport()->grab().toImage();

        auto* other = new TransactionsView(*store, [](TransactionKind) {}, share, photos);
        other->setSearchText(view->filter().searchText);
        const std::unique_ptr<QWidget> fresh = viewtest::showPhoneWindow(new NavigationStack(other));
        fresh->resize(window->size());
        settle();
        const QImage expected = other->list()->viewport()->grab().toImage();
        ASSERT_EQ(shown.size(), expected.size());
        EXPECT_TRUE(shown == expected);
    }
}

// While the rows share one height the list places them itself: the scroll
// range holds every row, each scroll hint puts its row where a list view
// puts it, a point finds the row under it (and none beside the list), and
// the keyboard moves the current row by one, by the rows a page holds whole
// and to either end, keeping it whole in view.
TEST_F(OperationsListTest, RowsSharingOneHeightAreScrolledFoundAndMovedThrough) {
    for (int i = 0; i < 200; ++i) add(TransactionKind::expense, 5 + i, QStringLiteral("Еда"), at(1 + i % 28, 9));
    open();
    SwipeListView* list = view->list();
    ASSERT_TRUE(list->uniformItemSizes());
    const int rows = view->model()->rowCount();
    const int height = rowRect(0).height();
    const int page = viewport()->height();
    EXPECT_EQ(list->verticalScrollBar()->maximum(), rows * height - page);

    struct Hint {
        QAbstractItemView::ScrollHint hint;
        int row;
        std::function<bool(const QRect&)> placed;
    };
    const Hint hints[] = {
        {QAbstractItemView::PositionAtTop, 50, [](const QRect& r) { return r.top() == 0; }},
        {QAbstractItemView::PositionAtBottom, 120, [&](const QRect& r) { return r.bottom() == page - 1; }},
        {QAbstractItemView::PositionAtCenter, 90, [&](const QRect& r) { return std::abs(r.center().y() - page / 2) <= 1; }},
        {QAbstractItemView::EnsureVisible, 150, [&](const QRect& r) { return r.bottom() == page - 1; }},  // from above
        {QAbstractItemView::EnsureVisible, 10, [](const QRect& r) { return r.top() == 0; }},             // from below
        {QAbstractItemView::PositionAtTop, rows - 1, [&](const QRect& r) { return r.bottom() == page - 1; }},  // the end
    };
    for (const Hint& h : hints) {
        SCOPED_TRACE(std::to_string(int(h.hint)) + " row " + std::to_string(h.row));
        list->scrollTo(view->model()->index(h.row), h.hint);
        const QRect r = rowRect(h.row);
        EXPECT_TRUE(h.placed(r)) << r.top() << ".." << r.bottom();
        EXPECT_EQ(list->indexAt(QPoint(r.center().x(), r.top())).row(), h.row);
        EXPECT_EQ(list->indexAt(QPoint(r.center().x(), r.bottom())).row(), h.row);
        EXPECT_FALSE(list->indexAt(QPoint(viewport()->width(), r.center().y())).isValid());
    }

    list->scrollToTop();
    list->setFocus();
    list->setCurrentIndex(view->model()->index(0));
    const int onePage = page / height;
    struct Key {
        Qt::Key key;
        int row;
    };
    for (const Key k : {Key{Qt::Key_Down, 1}, Key{Qt::Key_PageDown, 1 + onePage}, Key{Qt::Key_End, rows - 1},
                        Key{Qt::Key_Up, rows - 2}, Key{Qt::Key_PageUp, rows - 2 - onePage}, Key{Qt::Key_Home, 0}}) {
        QTest::keyClick(list, k.key);
        settle();
        SCOPED_TRACE(k.key);
        EXPECT_EQ(list->currentIndex().row(), k.row);
        const QRect r = rowRect(k.row);
        EXPECT_GE(r.top(), 0);
        EXPECT_LE(r.bottom(), page - 1);
    }
}

// Whether every row is one line tall is settled by each category's widest
// amount; after a change of one operation the list counts that one in, out
// or moved, and answers at every width as a list that counts the whole
// ledger afresh: the widest amount of a category removed, edited smaller or
// moved to another category, a category's only row removed, the last row;
// and the rows shown are those of an index built afresh, in every sort.
TEST_F(OperationsListTest, AChangeOfOneOperationShowsWhatAFreshListShows) {
    const QStringList categories = {QStringLiteral("Еда"), QStringLiteral("Книги и игры"),
                                    QStringLiteral("Транспорт и такси домой")};
    const int amounts[] = {5, 250, 1234567, 123456789, 1999999999};
    for (int i = 0; i < 6; ++i) add(TransactionKind::expense, amounts[i % 3], categories[i % 2], at(1 + i));
    open();
    auto* delegate = static_cast<TransactionRowDelegate*>(view->list()->itemDelegate());
    std::mt19937 random(20261207);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    for (int step = 0; step < 120; ++step) {
        const auto& all = store->data().transactions;
        const int choice = all.empty() ? 0 : pick(3);
        const TransactionKind kind = pick(3) == 0 ? TransactionKind::income : TransactionKind::expense;
        if (choice == 0) {
            add(kind, amounts[pick(5)], categories[pick(3)], at(1 + pick(20)));
        } else if (choice == 1) {
            MoneyTransaction t = all[pick(2) ? all.size() - 1 : std::size_t(pick(int(all.size())))];
            if (pick(2)) t.amount = Decimal(amounts[pick(5)]);
            else t.category = categories[pick(3)];
            t.kind = kind;
            store->updateTransaction(t);
        } else {
            store->deleteTransactions({all[pick(2) ? all.size() - 1 : std::size_t(pick(int(all.size())))].id});
        }
        const TransactionRowDelegate fresh(*view->model(), {});
        for (int width = 240; width <= 420; width += 15)
            ASSERT_EQ(delegate->allRowsOneLine(width), fresh.allRowsOneLine(width)) << "step " << step << ", width " << width;
        // The rows shown, from the index the screen moved by the store's change.
        const TransactionListIndex index(store->data().transactions);
        ASSERT_EQ(view->model()->rows(), index.visible(view->filter(), store->now(), QTimeZone::systemTimeZone()))
            << "step " << step;
        view->setSort(kTransactionSorts[std::size_t(step) % kTransactionSorts.size()]);
    }
}
