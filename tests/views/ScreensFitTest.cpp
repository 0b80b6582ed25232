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
            SCOPED_TRACE(row->categoryLabel()->text().toStdString());
            EXPECT_LE(row->amountLabel()->geometry().right(), row->width() - 1);
            EXPECT_GE(row->amountLabel()->x(), row->detailLabel()->geometry().right() + 1);
            // The date line is whole unless an amount too long for the row took part of it.
            const bool fullSize = row->amountLabel()->fittedFont() == row->amountLabel()->font();
            if (row->transaction().note.isEmpty() && fullSize) {
                const QFontMetricsF detail(row->detailLabel()->font());
                EXPECT_LE(detail.horizontalAdvance(row->detailLabel()->text()), row->detailLabel()->width() + 0.5);
            }
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

}  // namespace
