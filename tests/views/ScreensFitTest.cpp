// Screens at the phone's width with what stretches them most: amounts of
// eleven and more digits, and every editor's date field. Each gallery image
// taken here (as everywhere) is also checked by the shared fit check
// (support/FitCheck): nothing outside the window, no label cut or elided
// while its row has room, no field cutting its value.

#include <QDateEdit>
#include <QDateTimeEdit>
#include <QScrollBar>
#include <functional>

#include "components/DateField.h"
#include "components/DateText.h"
#include "components/PaintedList.h"
#include "services/MoneyText.h"
#include "support/DrawnTransactionRow.h"
#include "support/FitCheck.h"
#include "components/Toggle.h"
#include "components/TextLabel.h"
#include "components/TransactionRow.h"
#include "store/DemoLedger.h"
#include "support/FakePlatform.h"
#include "views/ledger/AddTransactionView.h"
#include "views/ledger/DashboardView.h"
#include "views/ledger/GoalEditorView.h"
#include "views/ledger/RewardTaskEditorView.h"
#include "views/ledger/TransactionEditorView.h"
#include "views/ledger/TransactionsView.h"
#include "views/planning/ChallengesView.h"
#include "views/planning/DebtsView.h"
#include "views/planning/MoneyCalendarView.h"
#include "views/planning/ToolRows.h"
#include "views/planning/MoneyToolsFixture.h"
#include "views/planning/RecurringTransactionsView.h"
#include "views/planning/WishlistView.h"

namespace {

class ScreensFitTest : public MoneyToolsFixture {
protected:
    // The demo ledger with its two newest operations of eleven whole digits each.
    MoneyData hugeLedger() const {
        MoneyData data = demoLedger();
        QDateTime newest = clock.now();
        for (const MoneyTransaction& t : data.transactions) newest = std::max(newest, t.date);
        data.transactions.push_back(expense(dec("12345678901.55"), newest.addSecs(60), "Без категории"));
        MoneyTransaction income = StoreFixture::income(dec("98765432109.99"), newest.addSecs(120));
        income.category = QStringLiteral("Зарплата");
        income.isFavorite = true;
        data.transactions.push_back(income);
        return data;
    }

    // Light, then dark, each at the top and the bottom of its page.
    void saveBothSchemes(const QString& name, QScrollBar* scroll = nullptr) {
        for (const char* scheme : {"light", "dark"}) {
            setPreference("appTheme", scheme);
            settle();
            const QString named = name + QLatin1Char('-') + QString::fromLatin1(scheme);
            if (scroll) scroll->setValue(0);
            EXPECT_FALSE(Gallery::save(*window, named).isEmpty());
            if (scroll && scroll->maximum() > 0) {
                scroll->setValue(scroll->maximum());
                EXPECT_FALSE(Gallery::save(*window, named + QStringLiteral("-bottom")).isEmpty());
            }
        }
        setPreference("appTheme", "light");
    }

    // Every shared transaction row of the window: the amount whole or
    // shrunk and elided inside the row, beside the text column.
    void expectRowsFit() const {
        const QList<TransactionRow*> rows = window->findChildren<TransactionRow*>();
        for (TransactionRow* row : rows) {
            if (!row->isVisible()) continue;
            SCOPED_TRACE(row->transaction().category.toStdString());
            const DrawnTransactionRow drawn = DrawnTransactionRow::of(*row);
            ASSERT_EQ(drawn.amount.size(), 1);
            ASSERT_EQ(drawn.detail.size(), 1);
            const FitCheck::DrawnText& amount = drawn.amount[0];
            const FitCheck::DrawnText& detail = drawn.detail[0];
            // The amount's advance ends on the row's last pixel (its right bearing a pixel past it).
            EXPECT_LE(amount.box.right(), row->width() + 1.5);
            EXPECT_GE(amount.box.left(), detail.box.right() + 1);
            EXPECT_GE(amount.box.left(), drawn.categoryRight() + 1);
            // The date line is whole unless an amount too long for the row took part of it.
            const bool fullSize = amount.pixelSize() == TransactionRow::amountFont().pixelSize();
            if (row->transaction().note.isEmpty() && fullSize)
                EXPECT_FALSE(detail.text.contains(QChar(0x2026))) << detail.text.toStdString();
        }
    }

    FakePhotoPicker photos;
    FakeShareService share;
};

TEST_F(ScreensFitTest, ElevenDigitAmountsShrinkInsteadOfWideningAnyPage) {
    open(hugeLedger());
    auto* dashboard = new DashboardView(*store, haptics, [](TransactionKind) {}, [] {}, [] {});
    showInWindow(dashboard);
    expectFitsWidth(dashboard->body());
    const QList<TransactionRow*> recent = dashboard->findChildren<TransactionRow*>();
    ASSERT_FALSE(recent.isEmpty());
    expectRowsFit();
    saveBothSchemes(QStringLiteral("huge-amount-dashboard"), dashboard->body()->verticalScrollBar());

    const MoneyData huge = hugeLedger();
    auto& calendar = show<MoneyCalendarView>(huge, huge.transactions.back().date);
    expectFitsWidth(calendar.body());
    // The day's operations are painted rows of one list, inside the page.
    EXPECT_GE(calendar.rows()->count(), 2);
    EXPECT_LE(calendar.rows()->list()->width(), calendar.body()->viewport()->width());
    saveBothSchemes(QStringLiteral("huge-amount-calendar"), calendar.body()->verticalScrollBar());

    open(hugeLedger());
    auto* operations = new TransactionsView(*store, [](TransactionKind) {}, share, photos);
    showInWindow(operations);
    saveBothSchemes(QStringLiteral("huge-amount-operations"));
}

TEST_F(ScreensFitTest, AnOperationReadsAlikeInTheOperationsListTheDashboardAndTheCalendarDay) {
    // The operation row is painted alike in all three lists: each shows the
    // same category, second line (the note, or the date) and signed amount,
    // whole (the sizes follow each list's own width).
    MoneyData data = MoneyData::emptyLedger();
    const QDateTime when = clock.now().addSecs(-3600);
    MoneyTransaction lunch = expense(dec("45.5"), when, "Еда");
    lunch.note = QStringLiteral("Обед с друзьями");
    MoneyTransaction salary = StoreFixture::income(dec("1200"), when.addSecs(60));
    salary.category = QStringLiteral("Зарплата");
    data.transactions = {lunch, salary};
    // The row texts a widget paints, in order.
    const auto rowTexts = [&](QWidget& widget) {
        QStringList out;
        for (const FitCheck::DrawnText& drawn : FitCheck::drawnTexts(widget)) {
            const QString text = drawn.text.trimmed();
            for (const MoneyTransaction& t : data.transactions)
                if (text == t.category || text == TransactionRow::detailText(t) ||
                    text == TransactionRow::signedAmountText(t))
                    out << text;
        }
        out.sort();
        return out;
    };

    open(data);
    auto* dashboard = new DashboardView(*store, haptics, [](TransactionKind) {}, [] {}, [] {});
    showInWindow(dashboard);
    settle();
    QStringList onDashboard;
    for (TransactionRow* row : dashboard->findChildren<TransactionRow*>()) onDashboard << rowTexts(*row);
    onDashboard.sort();
    ASSERT_EQ(onDashboard.size(), 6) << onDashboard.join(QLatin1String(" | ")).toStdString();

    auto& calendar = show<MoneyCalendarView>(data, when);
    settle();
    const auto joined = [](const QStringList& texts) { return texts.join(QLatin1String(" | ")).toStdString(); };
    EXPECT_EQ(joined(rowTexts(*calendar.rows()->list())), joined(onDashboard));

    open(data);
    auto* operations = new TransactionsView(*store, [](TransactionKind) {}, share, photos);
    showInWindow(operations);
    settle();
    EXPECT_EQ(joined(rowTexts(*operations->list())), joined(onDashboard));
}

TEST_F(ScreensFitTest, EveryEditorsDateFieldShowsItsWholeValue) {
    struct Editor {
        const char* name;
        std::function<QDateTimeEdit*()> open;
    };
    const Editor editors[] = {
        {"add-form",
         [&] {
             openEmpty();
             auto* view = new AddTransactionView(*store, TransactionKind::expense, photos);
             presentSheet(view);
             return static_cast<QDateTimeEdit*>(view->datePicker());
         }},
        {"transaction-editor",
         [&] {
             const MoneyData data = hugeLedger();
             open(data);
             auto* view = new TransactionEditorView(*store, data.transactions.back(), photos);
             presentSheet(view);
             return static_cast<QDateTimeEdit*>(view->datePicker());
         }},
        {"goal-editor",
         [&] {
             openEmpty();
             auto* view = new GoalEditorView(*store);
             presentSheet(view);
             click(view->deadlineSwitch()->toggle());  // the deadline is optional
             return static_cast<QDateTimeEdit*>(view->deadlinePicker());
         }},
        {"task-editor",
         [&] {
             openEmpty();
             auto* view = new RewardTaskEditorView(*store);
             presentSheet(view);
             click(view->deadlineSwitch()->toggle());
             return static_cast<QDateTimeEdit*>(view->dueDatePicker());
         }},
        {"debt-editor",
         [&] {
             auto& screen = show<DebtsView>(MoneyData::emptyLedger());
             auto& editor = openEditor<DebtEditorView>(screen);
             click(editor.findChild<ToggleRow*>()->toggle());  // the due date is optional
             return static_cast<QDateTimeEdit*>(editor.duePicker());
         }},
        {"challenge-editor",
         [&] {
             auto& screen = show<ChallengesView>(MoneyData::emptyLedger());
             return static_cast<QDateTimeEdit*>(openEditor<ChallengeEditorView>(screen).endPicker());
         }},
        {"recurring-editor",
         [&] {
             auto& screen = show<RecurringTransactionsView>(MoneyData::emptyLedger());
             return static_cast<QDateTimeEdit*>(openEditor<RecurringEditorView>(screen).datePicker());
         }},
    };
    for (const Editor& editor : editors) {
        SCOPED_TRACE(editor.name);
        QDateTimeEdit* field = editor.open();
        ASSERT_NE(field, nullptr);
        settle();
        ASSERT_TRUE(field->isVisible());
        const int needed = DateField::wholeValueWidth(*field);
        EXPECT_GT(needed, 0);
        EXPECT_LE(needed, field->width()) << field->text().toStdString();
        // Inside the window, not pushed past its right edge.
        EXPECT_LE(field->mapTo(window.get(), QPoint(field->width(), 0)).x(), window->width());
        saveBothSchemes(QStringLiteral("date-field-") + QString::fromLatin1(editor.name));
    }
}

// A long title beside an amount of eleven digits, on every painted list
// that sets a title beside its amount: the title keeps its size and wraps
// between words, the amount is drawn whole with its currency, nothing is
// elided, and a date is never split.
TEST_F(ScreensFitTest, LongTitlesBesideElevenDigitAmountsKeepTheirSizeAndTheAmountShowsWhole) {
    const QString title = QStringLiteral("Подарок бабушке на юбилей: большой набор для рисования с мольбертом");
    const Decimal amount = dec("99999999999.99");
    const QDateTime due = clock.now().addDays(30);
    struct Screen {
        const char* name;
        TextStyle titleStyle;
        int mostTitleLines;
        std::function<PaintedList*()> open;
    };
    const Screen screens[] = {
        {"wishlist", TextStyle::Headline, 3,
         [&] {
             MoneyData data = MoneyData::emptyLedger();
             data.wishes = std::vector<WishItem>{{"w1", title, amount, dec("10"), clock.now(), false}};
             return show<WishlistView>(data).list();
         }},
        {"debts", TextStyle::Body, 3,
         [&] {
             MoneyData data = MoneyData::emptyLedger();
             data.debts = std::vector<DebtRecord>{{"d1", title, amount, DebtDirection::iOwe, "", due, false}};
             return show<DebtsView>(data).list()->list();
         }},
        {"recurring", TextStyle::Body, 4,
         [&] {
             MoneyData data = MoneyData::emptyLedger();
             data.recurringTransactions = std::vector<RecurringTransaction>{
                 {"r1", title, TransactionKind::expense, amount, "Подарки", RecurringFrequency::monthly, due, true}};
             return show<RecurringTransactionsView>(data).list();
         }},
    };
    for (const Screen& screen : screens) {
        SCOPED_TRACE(screen.name);
        setPreference("currencyCode", "RUB");
        PaintedList* list = screen.open();
        ASSERT_NE(list, nullptr);
        settle();
        const QList<FitCheck::DrawnText> texts = FitCheck::drawnTexts(*list);
        const QString money = cnyText(amount);
        const int titleSize = Theme::font(screen.titleStyle).pixelSize() > 0
                                  ? Theme::font(screen.titleStyle).pixelSize()
                                  : QFontInfo(Theme::font(screen.titleStyle)).pixelSize();
        bool amountWhole = false;
        QStringList titleLines;
        for (const FitCheck::DrawnText& text : texts) {
            EXPECT_FALSE(text.text.contains(QChar(0x2026))) << "elided: " << text.text.toStdString();
            EXPECT_LE(text.box.right(), list->width() + 1) << text.text.toStdString();
            if (text.text.trimmed() == money) amountWhole = true;
            if (title.contains(text.text.trimmed())) {
                titleLines << text.text.trimmed();
                EXPECT_EQ(text.pixelSize(), titleSize) << "the title keeps its size: " << text.text.toStdString();
            }
        }
        EXPECT_TRUE(amountWhole) << "the amount is drawn whole: " << money.toStdString();
        EXPECT_EQ(titleLines.join(QLatin1Char(' ')), title);
        EXPECT_LE(titleLines.size(), screen.mostTitleLines) << titleLines.join(QLatin1String(" / ")).toStdString();
        if (QLatin1String(screen.name) == QLatin1String("recurring")) {
            // The next date stands whole on one line.
            const QString day = DateText::abbreviatedDate(store->calendar().localDate(due));
            bool whole = false;
            for (const FitCheck::DrawnText& text : texts)
                whole = whole || QString(text.text).replace(QChar::Nbsp, QLatin1Char(' ')).contains(day);
            EXPECT_TRUE(whole) << day.toStdString();
        }
        saveBothSchemes(QStringLiteral("long-title-") + QString::fromLatin1(screen.name));
    }
}

}  // namespace
