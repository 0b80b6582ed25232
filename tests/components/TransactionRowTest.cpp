#include "KitFixture.h"
#include "components/DateText.h"
#include "components/SymbolView.h"
#include "components/TextFit.h"
#include "components/TextLabel.h"
#include "components/TransactionRow.h"
#include "components/TransactionRowPainter.h"
#include "services/MoneyText.h"

namespace {

const QChar kMinus(0x2212);

MoneyTransaction operation(TransactionKind kind, const char* amount, const QString& category,
                           const QString& note = {}) {
    MoneyTransaction t;
    t.id = QUuid::createUuid();
    t.kind = kind;
    t.amount = *Decimal::parse(std::string_view(amount));
    t.category = category;
    t.note = note;
    t.date = QDateTime(QDate(2024, 1, 5), QTime(15, 30), Qt::UTC);
    return t;
}

}  // namespace

TEST_F(KitTest, RowShowsTheKindBySignColourArrowAndAccessibleName) {
    const Theme& theme = Theme::current();
    const struct {
        TransactionKind kind;
        QString sign;
        ColorRole amount, arrow;
        const char* symbol;
        const char* spoken;
    } cases[] = {
        {TransactionKind::expense, QString(kMinus), ColorRole::Label, ColorRole::Orange, "arrow.up.right",
         "Расход, "},  // not '-'
        {TransactionKind::income, QStringLiteral("+"), ColorRole::Green, ColorRole::Green, "arrow.down.left",
         "Доход, "},
    };
    for (const auto& c : cases) {
        TransactionRow row(operation(c.kind, "5", QStringLiteral("Еда"), QStringLiteral("Обед")));
        EXPECT_EQ(row.amountLabel()->text(), c.sign + cnyText(Decimal(5)));
        EXPECT_EQ(row.amountLabel()->color(), theme.color(c.amount));
        EXPECT_EQ(row.kindIcon()->symbol(), QString::fromLatin1(c.symbol));
        EXPECT_EQ(row.kindIcon()->tint(), theme.color(c.arrow));
        QColor pale = theme.color(c.arrow);
        pale.setAlphaF(0.12f);
        EXPECT_EQ(row.kindIcon()->circleBackground(), pale);
        EXPECT_EQ(row.categoryLabel()->text(), QStringLiteral("Еда"));
        EXPECT_EQ(row.detailLabel()->text(), QStringLiteral("Обед"));
        // One accessible element: kind, amount and category.
        EXPECT_EQ(row.accessibleName(), QString::fromUtf8(c.spoken) + cnyText(Decimal(5)) + ", Еда");
    }
}

TEST_F(KitTest, RowTextsFollowTheCurrencyAndTheTheme) {
    TransactionRow row(operation(TransactionKind::income, "12.5", QStringLiteral("Подарок")));
    setPreference("currencyCode", "USD");
    row.setTransaction(row.transaction());
    EXPECT_TRUE(row.amountLabel()->text().contains(QStringLiteral("$")));
    setPreference("appTheme", "dark");
    EXPECT_EQ(row.amountLabel()->color(), QColor(48, 209, 88));  // the dark green
}

TEST_F(KitTest, EmptyNoteShowsTheDateInTheGivenLocaleWhileABlankNoteStays) {
    const MoneyTransaction dated = operation(TransactionKind::expense, "3", QStringLiteral("Транспорт"));
    TransactionRow row(dated);
    EXPECT_EQ(row.detailLabel()->text(), DateText::abbreviatedDateTime(dated.date));
    EXPECT_FALSE(row.detailLabel()->text().isEmpty());

    TransactionRow blank(
        operation(TransactionKind::expense, "3", QStringLiteral("Транспорт"), QStringLiteral("   ")));
    EXPECT_EQ(blank.detailLabel()->text(), QStringLiteral("   "));

    const QDateTime when = dated.date;  // TZ is UTC in tests
    EXPECT_EQ(DateText::abbreviatedDateTime(when, QStringLiteral("ru_RU")),
              QStringLiteral("5 янв. 2024\u202Fг., 15:30"));
    const QString english = DateText::abbreviatedDateTime(when, QStringLiteral("en_US"));
    EXPECT_TRUE(english.startsWith(QStringLiteral("Jan 5, 2024"))) << english.toStdString();
    EXPECT_TRUE(english.contains(QStringLiteral("3:30"))) << english.toStdString();
    EXPECT_TRUE(DateText::abbreviatedDateTime(QDateTime()).isEmpty());
}

TEST_F(KitTest, LongCategoryWrapsWhileLongNoteStaysOnOneLine) {
    const QString longText =
        QStringLiteral("Очень длинная категория расходов на школьные принадлежности и книги");
    TransactionRow row(
        operation(TransactionKind::expense, "100", longText, longText + QStringLiteral(" и ещё")));
    row.resize(358, row.heightForWidth(358) > 0 ? row.heightForWidth(358) : row.sizeHint().height());
    row.show();
    settle();
    EXPECT_TRUE(row.categoryLabel()->wordWrap());
    EXPECT_EQ(row.detailLabel()->elideMode(), Qt::ElideRight);
    const int line = QFontMetrics(row.categoryLabel()->font()).height();
    EXPECT_GT(row.categoryLabel()->height(), line + line / 2);  // two lines or more
    EXPECT_LE(row.detailLabel()->height(), QFontMetrics(row.detailLabel()->font()).height() + 2);
    // The whole category is shown, as typed.
    EXPECT_EQ(row.categoryLabel()->text(), longText);
    // The amount shows whole beside the wrapped text (shrunk, as here, to
    // leave the category's widest word room).
    TextLabel* amount = row.amountLabel();
    EXPECT_LE(QFontMetrics(amount->fittedFont()).horizontalAdvance(amount->text()), amount->width() + 1);
    EXPECT_LE(row.amountLabel()->geometry().right(), row.width());
    // 14 after the icon; before the amount the row spacing on both sides of a
    // flexible gap of at least 8.
    EXPECT_EQ(row.categoryLabel()->x() - (row.kindIcon()->geometry().right() + 1), 14);
    EXPECT_GE(row.amountLabel()->x() - (row.categoryLabel()->geometry().right() + 1), 14 + 8 + 14);
}

// Rows as wide as the dashboard's list (322) and the calendar's at 390: the
// text column takes everything the amount leaves, a short category stays on
// one line, the date line is whole beside any everyday amount, and no amount,
// however long, makes a row wider than its place: it shrinks, then elides.
TEST_F(KitTest, RowSplitsItsWidthBetweenTheTextAndTheAmount) {
    const struct Case {
        const char* amount;
        const char* category;
        bool dateWhole;
        bool amountWhole;
    } cases[] = {
        {"5", "Без категории", true, true},
        {"1234.56", "Без категории", true, true},
        {"99999.99", "Развлечения", true, true},
        {"12345678901.55", "Еда", true, true},
        {"123456789012345678901234.00", "Еда", false, false},
    };
    const int body = TransactionRow::amountFont().pixelSize();
    for (const int width : {322, 358}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.amount) + " at " + std::to_string(width));
            TransactionRow row(operation(TransactionKind::expense, c.amount, QString::fromUtf8(c.category)));
            EXPECT_LE(row.minimumSizeHint().width(), width);
            row.resize(width, row.heightForWidth(width));
            row.show();
            settle();
            TextLabel* amount = row.amountLabel();
            TextLabel* category = row.categoryLabel();
            TextLabel* detail = row.detailLabel();
            // Every pixel between the icon and the amount's gap is the column's.
            EXPECT_EQ(category->x(), TransactionRow::kIconBox + 14);
            EXPECT_EQ(amount->x() - (category->geometry().right() + 1), 14 + TransactionRow::kSpacerMin + 14);
            EXPECT_EQ(amount->geometry().right(), width - 1);
            // A date in digits reaches into the gap before the amount, short of the flexible gap.
            const bool digits = detail->text() == DateText::numericDateTime(row.transaction().date);
            EXPECT_EQ(detail->width(), category->width() + (digits ? TransactionRow::kDateReach : 0));
            EXPECT_GE(amount->x() - (detail->geometry().right() + 1), TransactionRow::kSpacerMin);
            EXPECT_EQ(row.height(), std::max(TransactionRow::kIconBox,
                                             category->height() + TransactionRow::kColumnGap + detail->height()));
            // A short category is on one line.
            EXPECT_EQ(category->height(), QFontMetrics(category->font()).height());
            const bool dateWhole =
                QFontMetricsF(detail->font()).horizontalAdvance(detail->text()) <= detail->width() + 0.5;
            if (c.dateWhole) EXPECT_TRUE(dateWhole);
            const QFont fitted = amount->fittedFont();
            EXPECT_GE(fitted.pixelSize() * 2, body);
            const bool whole =
                QFontMetricsF(fitted).horizontalAdvance(amount->text()) <= amount->contentsRect().width() + 0.5;
            EXPECT_EQ(whole, c.amountWhole);
        }
    }
}

// Amounts of one list keep one size, the largest all of them fit at; an
// amount that only fits far smaller shrinks alone. Where every amount fits,
// that is the body size.
TEST_F(KitTest, RowsOfOneListShareTheirAmountSize) {
    const int body = TransactionRow::amountFont().pixelSize();
    const struct {
        int width;
        std::vector<const char*> amounts;
        bool lastAlone;  // the last amount shrinks below the others
    } lists[] = {
        {322, {"5", "12.5", "1234.56", "12345678901.55"}, true},
        {420, {"5", "12.5", "1234.56"}, false},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.width);
        QWidget list;
        QList<TransactionRow*> rows;
        for (const char* amount : l.amounts)
            rows << new TransactionRow(operation(TransactionKind::income, amount, QStringLiteral("Без категории")),
                                       &list);
        list.resize(l.width, 400);
        for (TransactionRow* row : rows) row->resize(l.width, row->heightForWidth(l.width));
        list.show();
        settle();
        const int shared = rows[0]->amountLabel()->fittedFont().pixelSize();
        const qsizetype together = rows.size() - (l.lastAlone ? 1 : 0);
        for (qsizetype i = 1; i < together; ++i)
            EXPECT_EQ(rows[i]->amountLabel()->fittedFont().pixelSize(), shared) << l.amounts[i];
        if (l.lastAlone) EXPECT_LT(rows.last()->amountLabel()->fittedFont().pixelSize(), shared);
        else EXPECT_EQ(shared, body);
        for (TransactionRow* row : rows) {
            const TextLabel* amount = row->amountLabel();
            EXPECT_LE(QFontMetricsF(amount->fittedFont()).horizontalAdvance(amount->text()),
                      amount->contentsRect().width() + 0.5);
        }

        // Painted rows of one list (the calendar's day) share their size by the same rule.
        QList<const MoneyTransaction*> painted;
        for (TransactionRow* row : rows) painted << &row->transaction();
        const int paintedShared = TransactionRowPainter::sharedAmountSize(painted, l.width);
        if (l.lastAlone)
            EXPECT_EQ(paintedShared, TransactionRowPainter::sharedAmountSize(painted.mid(0, together), l.width));
        else
            EXPECT_EQ(paintedShared, 0);
        QFont face = TransactionRow::amountFont();
        if (paintedShared > 0) face.setPixelSize(paintedShared);
        for (qsizetype i = 0; i < together; ++i) {
            const MoneyTransaction& t = *painted[i];
            EXPECT_LE(QFontMetricsF(face).horizontalAdvance(TransactionRow::signedAmountText(t)),
                      TransactionRowPainter::columns(t, l.width).amountWidth + 1)
                << l.amounts[i];
        }
    }
}

// Beside an amount of eleven digits the date line is whole in digits (where
// the abbreviated date does not fit), in the widget rows of the dashboard
// and the painted rows of the calendar's day, and the amount stays whole in
// the face it may shrink to: money is never cut to make room for the date.
TEST_F(KitTest, DateLineIsWholeBesideLongAmounts) {
    const struct Case {
        TransactionKind kind;
        const char* amount;
        const char* category;
        bool abbreviated;  // beside the dashboard's amounts at 390
    } cases[] = {
        {TransactionKind::expense, "167", "Без категории", true},
        {TransactionKind::expense, "12345678901.55", "Без категории", false},
        {TransactionKind::income, "98765432109.99", "Зарплата", false},
    };
    const QFontMetricsF detailMetrics(TransactionRow::detailFont());
    // The dashboard's list and the calendar's day at 390, and a little wider.
    for (const int width : {316, 322, 358}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.amount) + " at " + std::to_string(width));
            const MoneyTransaction t = operation(c.kind, c.amount, QString::fromUtf8(c.category));
            const QString abbreviated = DateText::abbreviatedDateTime(t.date);
            const QString digits = DateText::numericDateTime(t.date);
            const QString amountText = TransactionRow::signedAmountText(t);
            // Wider, the abbreviated date may fit beside a long amount too.
            const auto expected = [&](const QString& shown, int column) {
                if (width > 322 && !c.abbreviated && shown == abbreviated)
                    return detailMetrics.horizontalAdvance(abbreviated) <= column ? abbreviated : digits;
                return c.abbreviated ? abbreviated : digits;
            };

            TransactionRow row(t);
            row.resize(width, row.heightForWidth(width));
            row.show();
            settle();
            const TextLabel* detail = row.detailLabel();
            const TextLabel* amount = row.amountLabel();
            EXPECT_EQ(detail->text(), expected(detail->text(), detail->width()));
            EXPECT_LE(detailMetrics.horizontalAdvance(detail->text()), detail->width() + 0.5);
            EXPECT_GE(amount->x() - (detail->geometry().right() + 1), TransactionRow::kSpacerMin);
            EXPECT_LE(QFontMetricsF(amount->fittedFont()).horizontalAdvance(amount->text()),
                      amount->contentsRect().width() + 0.5);

            const TransactionRowPainter::Columns laid = TransactionRowPainter::columns(t, width);
            const TransactionRow::DetailLine line = TransactionRow::detailLine(t, laid.textWidth);
            EXPECT_EQ(line.text, expected(line.text, laid.textWidth));
            EXPECT_LE(detailMetrics.horizontalAdvance(line.text), line.width + 0.5);
            EXPECT_LE(line.width, laid.textWidth + TransactionRow::kDateReach);
            const QFont face = TextFit::shrunkToFit(amountText, TransactionRow::amountFont(), laid.amountWidth);
            EXPECT_LE(QFontMetricsF(face).horizontalAdvance(amountText), laid.amountWidth + 0.5);
        }
    }
}
