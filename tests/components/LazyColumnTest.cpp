#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <memory>

#include "KitFixture.h"
#include "components/LazyColumn.h"
#include "components/PageBody.h"

namespace {

constexpr int kCards = 100;
constexpr int kSpacing = 10;

// A page body in a phone-sized window holding a header and a lazy column of
// numbered cards, each as tall as `heights` says; the cards count their
// builds and draws.
class LazyColumnTest : public KitTest {
protected:
    void show(int cardHeight, int estimate, int margin = -1) {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        body = new PageBody;
        layout->addWidget(body);
        body->setPadding(0);
        body->setSpacing(kSpacing);
        header = new QLabel(QStringLiteral("Заголовок"));
        header->setFixedHeight(40);
        body->addWidget(header);
        column = LazyColumn::addTo(body);
        column->setBuildMargin(margin);
        for (int i = 0; i < kCards; ++i) {
            column->addCard(
                [this, i, cardHeight] {
                    ++built;
                    auto* card = new QLabel;
                    card->setObjectName(QStringLiteral("card%1").arg(i));
                    card->setFixedHeight(cardHeight);
                    return card;
                },
                [this](QWidget* card) {
                    ++draws;
                    static_cast<QLabel*>(card)->setText(QString::number(generation));
                },
                estimate);
        }
        window->resize(390, 844);
        window->show();
        settle();
    }
    QScrollBar* bar() const { return body->verticalScrollBar(); }
    void scrollTo(int value) {
        bar()->setValue(value);
        settle();
    }
    // Where the card's top is in the viewport.
    int viewportY(int index) const {
        return column->builtCard(index)->mapTo(body->viewport(), QPoint(0, 0)).y();
    }
    QList<int> builtIndices() const {
        QList<int> result;
        for (int i = 0; i < column->count(); ++i)
            if (column->isBuilt(i)) result << i;
        return result;
    }

    std::unique_ptr<QWidget> window;
    PageBody* body = nullptr;
    QLabel* header = nullptr;
    LazyColumn* column = nullptr;
    int built = 0;
    int draws = 0;
    int generation = 0;
};

TEST_F(LazyColumnTest, BuildsOnlyTheCardsNearTheViewportAndTheRestWhenScrolledTo) {
    show(100, 100);
    const int viewport = body->viewport()->height();
    // The viewport plus one viewport of margin below it, counted from the column's top.
    const int reach = 2 * viewport - 40 - kSpacing;
    const int expected = (reach - 1) / (100 + kSpacing) + 1;
    EXPECT_EQ(built, expected);
    EXPECT_EQ(builtIndices(), [&] {
        QList<int> first;
        for (int i = 0; i < expected; ++i) first << i;
        return first;
    }());
    // Every card is built once, laid out at its place and drawn when it is built.
    EXPECT_EQ(draws, built);
    EXPECT_EQ(column->builtCard(3)->geometry(),
              QRect(column->x(), column->y() + 3 * (100 + kSpacing), column->width(), 100));
    EXPECT_EQ(column->builtCard(3)->width(), body->viewport()->width());

    scrollTo(bar()->maximum());
    EXPECT_TRUE(column->isBuilt(kCards - 1));
    EXPECT_TRUE(column->builtCard(kCards - 1)->isVisible());
    // The cards between the two places the viewport was at were never near it.
    EXPECT_FALSE(column->isBuilt(kCards / 2));
    EXPECT_LT(built, kCards / 2);
    // Asking for a card builds it on the spot.
    ASSERT_NE(column->card(kCards / 2), nullptr);
    EXPECT_TRUE(column->isBuilt(kCards / 2));
    EXPECT_EQ(column->card(kCards), nullptr);
}

TEST_F(LazyColumnTest, TheScrollRangeIsCorrectedAsEstimatedCardsAreBuilt) {
    const int real = 100;
    for (const int estimate : {40, 250}) {
        built = 0;
        show(real, estimate);
        const int trueHeight = 40 + kSpacing + kCards * real + (kCards - 1) * kSpacing;
        const int built0 = built;
        EXPECT_EQ(column->height(), built0 * real + (kCards - built0) * estimate + (kCards - 1) * kSpacing)
            << estimate;
        // Walking down the page builds every card and ends at the true height.
        for (int guard = 0; guard < 200 && built < kCards; ++guard) scrollTo(bar()->value() + 300);
        EXPECT_EQ(built, kCards) << estimate;
        EXPECT_EQ(body->content()->height(), trueHeight) << estimate;
        EXPECT_EQ(bar()->maximum(), trueHeight - body->viewport()->height()) << estimate;
        for (const int i : {0, 37, kCards - 1}) {
            EXPECT_EQ(column->cardTop(i), i * (real + kSpacing)) << estimate;
            EXPECT_EQ(column->builtCard(i)->y() - column->y(), column->cardTop(i)) << estimate;
        }
    }
}

TEST_F(LazyColumnTest, ACardBuiltAboveTheViewportLeavesWhatIsOnScreenInPlace) {
    // No margin: the cards above the viewport are built only once it reaches them.
    show(100, 40, 0);
    const QList<int> atOpen = builtIndices();
    scrollTo(bar()->maximum());
    QList<int> near;  // built for the bottom of the page
    for (const int i : builtIndices())
        if (!atOpen.contains(i)) near << i;
    ASSERT_FALSE(near.isEmpty());
    const int first = near.last() - 2;  // a card well inside the viewport
    ASSERT_TRUE(column->isBuilt(first));
    const int before = viewportY(first);
    const int lowest = near.first();
    ASSERT_FALSE(column->isBuilt(lowest - 1));

    scrollTo(bar()->value() - 150);
    // The cards above came into reach and turned out taller than estimated;
    // the page moved by the 150 scrolled, not by the difference as well.
    EXPECT_TRUE(column->isBuilt(lowest - 1));
    EXPECT_EQ(viewportY(first), before + 150);
}

TEST_F(LazyColumnTest, ARedrawDrawsTheBuiltCardsKeepsTheirWidgetsAndTheScrollPosition) {
    show(100, 100);
    scrollTo(2000);
    const int position = bar()->value();
    const QList<int> builtBefore = builtIndices();
    ASSERT_FALSE(column->isBuilt(kCards - 1));
    QWidget* kept = column->builtCard(builtBefore.first());

    // An editable card keeps its typed text and focus through redraws.
    QLineEdit* field = nullptr;
    const int fieldIndex = column->addCard([&field] {
        field = new QLineEdit;
        return field;
    });
    ASSERT_NE(column->card(fieldIndex), nullptr);
    field->setText(QStringLiteral("набранный текст"));
    field->setFocus();

    ++generation;
    draws = 0;
    column->redraw();
    settle();
    EXPECT_EQ(draws, int(builtBefore.size()));  // the field has no drawing of its own
    EXPECT_EQ(static_cast<QLabel*>(column->builtCard(builtBefore.first()))->text(), QStringLiteral("1"));
    EXPECT_EQ(column->builtCard(builtBefore.first()), kept);
    EXPECT_EQ(bar()->value(), position);
    EXPECT_EQ(builtIndices().size(), builtBefore.size() + 1);
    EXPECT_EQ(field->text(), QStringLiteral("набранный текст"));
    EXPECT_TRUE(field->hasFocus());

    // A card built after the redraw shows the state of that redraw.
    auto* late = static_cast<QLabel*>(column->card(kCards - 1));
    EXPECT_EQ(late->text(), QStringLiteral("1"));
}

TEST_F(LazyColumnTest, AHiddenCardTakesNoRoomAndShowingItAgainMakesRoom) {
    show(100, 100);
    QWidget* second = column->builtCard(1);
    const int thirdTop = column->cardTop(2);
    second->hide();
    settle();
    EXPECT_EQ(column->cardTop(2), thirdTop - 100 - kSpacing);
    EXPECT_EQ(column->builtCard(2)->y() - column->y(), column->cardTop(2));
    second->show();
    settle();
    EXPECT_EQ(column->cardTop(2), thirdTop);
    // The fixed header above the column still comes first.
    EXPECT_EQ(header->y(), 0);
    EXPECT_EQ(column->y(), 40 + kSpacing);
}

// A filter leaves cards out: built or not, they take no room, those not built
// are not built while out, and the built ones come back with their widgets.
TEST_F(LazyColumnTest, CardsLeftOutTakeNoRoomAreNotBuiltAndComeBackWithTheirWidgets) {
    show(100, 100);
    QWidget* first = column->builtCard(0);
    const int builtBefore = built;
    const int total = column->height();
    for (int i = 0; i < kCards; ++i) column->setCardShown(i, i == 0 || i >= kCards - 2);
    settle();
    // Three cards remain: the column shrinks to them and the last two get built.
    EXPECT_EQ(column->height(), 3 * 100 + 2 * kSpacing);
    EXPECT_TRUE(column->isBuilt(kCards - 1));
    EXPECT_FALSE(column->isBuilt(kCards / 2));
    EXPECT_FALSE(column->builtCard(1)->isVisible());
    EXPECT_EQ(column->cardTop(kCards - 2), 100 + kSpacing);
    EXPECT_EQ(built, builtBefore + 2);

    for (int i = 0; i < kCards; ++i) column->setCardShown(i, true);
    settle();
    EXPECT_EQ(column->builtCard(0), first);
    EXPECT_TRUE(column->builtCard(1)->isVisible());
    EXPECT_EQ(column->height(), total);
    EXPECT_EQ(built, builtBefore + 2);  // the cards built before came back as they were
}

}  // namespace

namespace {
// A card that remembers the widths of the resizes it was sent.
class ResizeLog : public QLabel {
public:
    QList<int> widths;

protected:
    void resizeEvent(QResizeEvent* event) override {
        widths << event->size().width();
        QLabel::resizeEvent(event);
    }
};
}  // namespace

// A card is shown at the column's width: what it lays out on a resize (a
// chart's axes) it lays out once, whether built at the first show or when
// scrolled near.
TEST_F(LazyColumnTest, ACardIsShownAtTheColumnsWidthSoItsFirstResizeIsItsLast) {
    window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    body = new PageBody;
    layout->addWidget(body);
    column = LazyColumn::addTo(body);
    column->setBuildMargin(0);
    std::vector<ResizeLog*> cards;
    for (int i = 0; i < 30; ++i)
        column->addCard(
            [&cards] {
                auto* card = new ResizeLog;
                card->setWordWrap(true);
                card->setText(QStringLiteral("Строка, которая переносится по словам на узкой странице"));
                card->setMinimumHeight(120);
                cards.push_back(card);
                return card;
            },
            {}, 120);
    window->resize(390, 844);
    window->show();
    settle();
    scrollTo(bar()->maximum());
    ASSERT_GT(cards.size(), 2u);
    for (const ResizeLog* card : cards) {
        ASSERT_FALSE(card->widths.isEmpty());
        EXPECT_EQ(card->widths, QList<int>(card->widths.size(), column->width() - column->contentsMargins().left() -
                                                                     column->contentsMargins().right()))
            << card->widths.size() << " resizes";
        EXPECT_EQ(card->widths.size(), 1);
    }
}
