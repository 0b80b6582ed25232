#include "KitFixture.h"

#include "support/Gallery.h"
#include "components/MoneyCard.h"
#include "components/SymbolView.h"
#include "components/TextLabel.h"

#include <QVBoxLayout>

TEST_F(KitTest, CardCaptionIsTheTitleAndSymbolInSecondarySubheadline) {
    MoneyCard card(QStringLiteral("Расход сегодня"), QStringLiteral("arrow.up.right"));
    EXPECT_EQ(card.title(), QStringLiteral("Расход сегодня"));
    EXPECT_EQ(card.systemImage(), QStringLiteral("arrow.up.right"));
    const TextLabel* caption = card.caption()->titleLabel();
    EXPECT_EQ(caption->font().pixelSize(), 15);
    EXPECT_EQ(caption->font().weight(), QFont::DemiBold);
    EXPECT_EQ(caption->color(), Theme::current().color(ColorRole::SecondaryLabel));
    EXPECT_EQ(card.caption()->symbolView()->tint(), Theme::current().color(ColorRole::SecondaryLabel));
    EXPECT_EQ(card.content(), nullptr);
}

TEST_F(KitTest, CardHasThePaddingRadiusAndBackgroundOfTheScreens) {
    MoneyCard card(QStringLiteral("Итог"), QStringLiteral("chart.pie"));
    const QMargins m = card.stack()->contentsMargins();
    EXPECT_EQ(m, QMargins(18, 18, 18, 18));
    EXPECT_EQ(card.stack()->spacing(), 12);
    EXPECT_EQ(card.radius(), 22);
    EXPECT_EQ(card.background(), Theme::current().color(ColorRole::SecondaryGroupedBackground));
}

TEST_F(KitTest, NarrowCardContentStillSpansTheWidthAtTheLeadingEdge) {
    QWidget page;
    auto* column = new QVBoxLayout(&page);
    column->setContentsMargins(16, 16, 16, 16);
    auto* value = new TextLabel(QStringLiteral("5"));
    auto* card = new MoneyCard(QStringLiteral("Итог"), QStringLiteral("chart.pie"), value);
    column->addWidget(card);
    column->addStretch();
    page.resize(390, 300);
    page.show();
    settle();
    EXPECT_EQ(card->width(), 390 - 32);
    EXPECT_EQ(card->content(), value);
    EXPECT_EQ(value->geometry().left(), 18);
    EXPECT_EQ(card->caption()->geometry().left(), 18);
    EXPECT_EQ(value->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_GT(value->geometry().top(), card->caption()->geometry().bottom());
}

TEST_F(KitTest, CardContentCanBeReplaced) {
    MoneyCard* card = MoneyCard::withText(QStringLiteral("Итог"), QStringLiteral("chart.pie"), QStringLiteral("<i>x</i>"));
    std::unique_ptr<MoneyCard> owner(card);
    ASSERT_NE(card->textLabel(), nullptr);
    EXPECT_EQ(card->textLabel()->text(), QStringLiteral("<i>x</i>"));
    EXPECT_EQ(card->textLabel()->textFormat(), Qt::PlainText);
    auto* other = new TextLabel(QStringLiteral("y"));
    card->setContent(other);
    EXPECT_EQ(card->content(), other);
    EXPECT_EQ(card->stack()->count(), 2);
}
