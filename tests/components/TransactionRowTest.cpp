#include "KitFixture.h"
#include "components/DateText.h"
#include "components/Symbols.h"
#include "components/TextFit.h"
#include "components/TransactionRow.h"
#include "components/TransactionRowPainter.h"
#include "services/MoneyText.h"
#include "support/DrawnTransactionRow.h"

#include <QImage>
#include <QPainter>

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

using DrawnRow = DrawnTransactionRow;
DrawnRow drawn(QWidget& row) { return DrawnRow::of(row); }

// The share of the symbol's solid pixels that the row shows in `tint`
// inside its icon box (the best of a few placements around the centre).
double symbolMatch(const QImage& row, const QString& symbol, const QColor& tint) {
    const int size = Symbols::sizeForText(Theme::pointSize(TextStyle::Headline));
    const QImage glyph = Symbols::pixmap(symbol, size, tint, 1.0).toImage();
    const int box = TransactionRow::kIconBox;
    const int top = row.height() / 2 - box / 2;
    double best = 0;
    for (int dx = -2; dx <= 3; ++dx)
        for (int dy = -2; dy <= 3; ++dy) {
            int solid = 0, shown = 0;
            for (int y = 0; y < glyph.height(); ++y)
                for (int x = 0; x < glyph.width(); ++x) {
                    if (qAlpha(glyph.pixel(x, y)) < 250) continue;
                    ++solid;
                    const QColor at = row.pixelColor(box / 2 - size / 2 + dx + x, top + box / 2 - size / 2 + dy + y);
                    if (std::abs(at.red() - tint.red()) + std::abs(at.green() - tint.green()) +
                            std::abs(at.blue() - tint.blue()) <= 12)
                        ++shown;
                }
            if (solid > 0) best = std::max(best, double(shown) / solid);
        }
    return best;
}

}  // namespace

TEST_F(KitTest, RowShowsTheKindBySignColourArrowAndAccessibleName) {
    const Theme& theme = Theme::current();
    const struct {
        TransactionKind kind;
        QString sign;
        ColorRole amount, arrow;
        const char* symbol;
        const char* other;
        const char* spoken;
    } cases[] = {
        {TransactionKind::expense, QString(kMinus), ColorRole::Label, ColorRole::Orange, "arrow.up.right",
         "arrow.down.left", "Расход, "},  // not '-'
        {TransactionKind::income, QStringLiteral("+"), ColorRole::Green, ColorRole::Green, "arrow.down.left",
         "arrow.up.right", "Доход, "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.symbol);
        TransactionRow row(operation(c.kind, "5", QStringLiteral("Еда"), QStringLiteral("Обед")));
        row.resize(358, row.heightForWidth(358));
        const DrawnRow texts = drawn(row);
        ASSERT_EQ(texts.amount.size(), 1);
        EXPECT_EQ(texts.amount[0].text, c.sign + cnyText(Decimal(5)));
        EXPECT_EQ(texts.amount[0].color, theme.color(c.amount));
        EXPECT_EQ(texts.categoryText(), QStringLiteral("Еда"));
        ASSERT_EQ(texts.detail.size(), 1);
        EXPECT_EQ(texts.detail[0].text, QStringLiteral("Обед"));

        // The kind's arrow in its colour on a disc of that colour, pale.
        const QImage image = row.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QColor tint = theme.color(c.arrow);
        EXPECT_GT(symbolMatch(image, QString::fromLatin1(c.symbol), tint), 0.9);
        EXPECT_LT(symbolMatch(image, QString::fromLatin1(c.other), tint), 0.9);
        const QColor ground = image.pixelColor(0, 0);  // outside the disc
        const QColor disc = image.pixelColor(4, image.height() / 2);  // inside it, left of the arrow
        const auto pale = [&](int g, int k) { return g + (k - g) * 0.12; };
        EXPECT_NEAR(disc.red(), pale(ground.red(), tint.red()), 3);
        EXPECT_NEAR(disc.green(), pale(ground.green(), tint.green()), 3);
        EXPECT_NEAR(disc.blue(), pale(ground.blue(), tint.blue()), 3);
        // One accessible element: kind, amount and category.
        EXPECT_EQ(row.accessibleName(), QString::fromUtf8(c.spoken) + cnyText(Decimal(5)) + ", Еда");
    }
}

TEST_F(KitTest, RowTextsFollowTheCurrencyAndTheTheme) {
    TransactionRow row(operation(TransactionKind::income, "12.5", QStringLiteral("Подарок")));
    row.resize(358, row.heightForWidth(358));
    setPreference("currencyCode", "USD");
    row.setTransaction(row.transaction());
    ASSERT_EQ(drawn(row).amount.size(), 1);
    EXPECT_TRUE(drawn(row).amount[0].text.contains(QStringLiteral("$")));
    setPreference("appTheme", "dark");
    EXPECT_EQ(drawn(row).amount[0].color, QColor(48, 209, 88));  // the dark green
}

TEST_F(KitTest, EmptyNoteShowsTheDateInTheGivenLocaleWhileABlankNoteStays) {
    const MoneyTransaction dated = operation(TransactionKind::expense, "3", QStringLiteral("Транспорт"));
    TransactionRow row(dated);
    row.resize(358, row.heightForWidth(358));
    const DrawnRow texts = drawn(row);
    ASSERT_EQ(texts.detail.size(), 1);
    EXPECT_EQ(texts.detail[0].text, DateText::abbreviatedDateTime(dated.date));
    EXPECT_FALSE(texts.detail[0].text.isEmpty());

    TransactionRow blank(
        operation(TransactionKind::expense, "3", QStringLiteral("Транспорт"), QStringLiteral("   ")));
    blank.resize(358, blank.heightForWidth(358));
    // The blank note stands where the date would: no date is shown.
    EXPECT_EQ(TransactionRow::detailText(blank.transaction()), QStringLiteral("   "));
    for (const FitCheck::DrawnText& text : drawn(blank).detail)
        EXPECT_EQ(text.text.trimmed(), QString()) << text.text.toStdString();

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
    const DrawnRow texts = drawn(row);
    const int line = QFontMetrics(TransactionRow::categoryFont()).height();
    EXPECT_GE(texts.category.size(), 2);  // two lines or more
    ASSERT_EQ(texts.detail.size(), 1);  // the note on one line, elided
    EXPECT_TRUE(texts.detail[0].text.endsWith(QChar(0x2026))) << texts.detail[0].text.toStdString();
    EXPECT_GE(row.height(), int(texts.category.size()) * line + TransactionRow::kColumnGap +
                                QFontMetrics(TransactionRow::detailFont()).height());
    // The whole category is shown, as typed.
    EXPECT_EQ(texts.categoryText(), longText);
    // The amount shows whole beside the wrapped text (shrunk, as here, to
    // leave the category's widest word room).
    ASSERT_EQ(texts.amount.size(), 1);
    EXPECT_EQ(texts.amount[0].text, TransactionRow::signedAmountText(row.transaction()));
    EXPECT_LE(texts.amount[0].box.right(), row.width() + 1);
    // 14 after the icon; before the amount the row spacing on both sides of a
    // flexible gap of at least 8.
    for (const FitCheck::DrawnText& l : texts.category) EXPECT_EQ(l.box.left(), TransactionRow::kIconBox + 14);
    EXPECT_GE(texts.amount[0].box.left() - texts.categoryRight(), 14 + 8 + 14);
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
            const DrawnRow texts = drawn(row);
            ASSERT_EQ(texts.category.size(), 1);  // a short category is on one line
            ASSERT_EQ(texts.detail.size(), 1);
            ASSERT_EQ(texts.amount.size(), 1);
            const FitCheck::DrawnText& amount = texts.amount[0];
            const FitCheck::DrawnText& detail = texts.detail[0];
            // Every pixel between the icon and the amount's gap is the column's:
            // the amount ends at the row's end, the column starts after the icon,
            // and the two share the rest as the painted lists share it.
            const TransactionRowPainter::Columns columns = TransactionRowPainter::columns(row.transaction(), width);
            EXPECT_EQ(texts.category[0].box.left(), TransactionRow::kIconBox + 14);
            EXPECT_EQ(columns.textWidth + columns.amountWidth, TransactionRowPainter::textRoom(width));
            EXPECT_EQ(TransactionRowPainter::textRoom(width),
                      width - TransactionRow::kIconBox - 14 - (14 + TransactionRow::kSpacerMin + 14));
            EXPECT_NEAR(amount.box.right(), width + 1, 1.5);
            EXPECT_GE(amount.box.left(), width - columns.amountWidth - 1.5);
            EXPECT_LE(texts.categoryRight(), TransactionRow::kIconBox + 14 + columns.textWidth + 0.5);
            // A date in digits reaches into the gap before the amount, short of the flexible gap.
            // (It is in digits whole, or elided where even they do not fit.)
            const QString numeric = DateText::numericDateTime(row.transaction().date);
            const bool digits =
                detail.text == numeric || (detail.text.endsWith(QChar(0x2026)) && numeric.startsWith(detail.text.chopped(1)));
            EXPECT_LE(detail.box.right(),
                      TransactionRow::kIconBox + 14 + columns.textWidth + (digits ? TransactionRow::kDateReach : 0) + 0.5);
            EXPECT_GE(amount.box.left() - detail.box.right(), TransactionRow::kSpacerMin);
            const int line = QFontMetrics(TransactionRow::categoryFont()).height();
            EXPECT_EQ(row.height(), std::max(TransactionRow::kIconBox,
                                             line + TransactionRow::kColumnGap +
                                                 QFontMetrics(TransactionRow::detailFont()).height()));
            const bool dateWhole = !detail.text.contains(QChar(0x2026));
            if (c.dateWhole) EXPECT_TRUE(dateWhole) << detail.text.toStdString();
            EXPECT_GE(amount.pixelSize() * 2, body);
            const bool whole = amount.text == TransactionRow::signedAmountText(row.transaction());
            EXPECT_EQ(whole, c.amountWhole) << amount.text.toStdString();
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
        QList<FitCheck::DrawnText> amounts;
        for (TransactionRow* row : rows) {
            const DrawnRow texts = drawn(*row);
            ASSERT_EQ(texts.amount.size(), 1);
            amounts << texts.amount[0];
        }
        const int shared = amounts[0].pixelSize();
        const qsizetype together = rows.size() - (l.lastAlone ? 1 : 0);
        for (qsizetype i = 1; i < together; ++i) EXPECT_EQ(amounts[i].pixelSize(), shared) << l.amounts[i];
        if (l.lastAlone) EXPECT_LT(amounts.last().pixelSize(), shared);
        else EXPECT_EQ(shared, body);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(amounts[i].text, TransactionRow::signedAmountText(rows[i]->transaction()));
            EXPECT_LE(amounts[i].box.width(),
                      TransactionRowPainter::columns(rows[i]->transaction(), l.width).amountWidth + 1.5);
        }

        // Painted rows of one list (the calendar's day) share their size by the same rule.
        QList<const MoneyTransaction*> painted;
        for (TransactionRow* row : rows) painted << &row->transaction();
        const int paintedShared = TransactionRowPainter::sharedAmountSize(painted, l.width);
        if (l.lastAlone)
            EXPECT_EQ(paintedShared, TransactionRowPainter::sharedAmountSize(painted.mid(0, together), l.width));
        else
            EXPECT_EQ(paintedShared, 0);
        EXPECT_EQ(paintedShared == 0 ? body : paintedShared, shared);
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
            const TransactionRowPainter::Columns laid = TransactionRowPainter::columns(t, width);
            const DrawnRow texts = drawn(row);
            ASSERT_EQ(texts.detail.size(), 1);
            ASSERT_EQ(texts.amount.size(), 1);
            const FitCheck::DrawnText& detail = texts.detail[0];
            const FitCheck::DrawnText& amount = texts.amount[0];
            EXPECT_EQ(detail.text, expected(detail.text, laid.textWidth));
            EXPECT_LE(detail.box.right(),
                      TransactionRow::kIconBox + 14 + TransactionRow::detailLine(t, laid.textWidth).width + 0.5);
            EXPECT_GE(amount.box.left() - detail.box.right(), TransactionRow::kSpacerMin);
            EXPECT_EQ(amount.text, amountText);  // whole
            EXPECT_LE(amount.box.width(), laid.amountWidth + 1.5);

            const TransactionRow::DetailLine line = TransactionRow::detailLine(t, laid.textWidth);
            EXPECT_EQ(line.text, expected(line.text, laid.textWidth));
            EXPECT_LE(detailMetrics.horizontalAdvance(line.text), line.width + 0.5);
            EXPECT_LE(line.width, laid.textWidth + TransactionRow::kDateReach);
            const QFont face = TextFit::shrunkToFit(amountText, TransactionRow::amountFont(), laid.amountWidth);
            EXPECT_LE(QFontMetricsF(face).horizontalAdvance(amountText), laid.amountWidth + 0.5);
        }
    }
}
