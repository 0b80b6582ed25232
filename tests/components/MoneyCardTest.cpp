#include <QVBoxLayout>

#include "KitFixture.h"
#include "components/MoneyCard.h"
#include "components/TextLabel.h"

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
    EXPECT_EQ(value->geometry().left(), 18);
    EXPECT_EQ(card->caption()->geometry().left(), 18);
    EXPECT_EQ(value->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_GT(value->geometry().top(), card->caption()->geometry().bottom());
}

TEST_F(KitTest, CardContentIsPlainTextAndCanBeReplaced) {
    std::unique_ptr<MoneyCard> card(
        MoneyCard::withText(QStringLiteral("Итог"), QStringLiteral("chart.pie"), QStringLiteral("<i>x</i>")));
    ASSERT_NE(card->textLabel(), nullptr);
    EXPECT_EQ(card->textLabel()->textFormat(), Qt::PlainText);
    auto* other = new TextLabel(QStringLiteral("y"));
    card->setContent(other);
    EXPECT_EQ(card->content(), other);
    EXPECT_EQ(card->stack()->count(), 2);  // caption and the new content, no leftover
}
