#include "KitFixture.h"
#include "components/DateText.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"
#include "components/TransactionRow.h"
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
