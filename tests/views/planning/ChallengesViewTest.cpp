#include <gtest/gtest.h>

#include "components/DateText.h"
#include "components/SegmentedControl.h"
#include "store/DemoLedger.h"
#include "support/PaintedListInput.h"
#include "views/planning/ChallengesView.h"
#include "views/planning/MoneyToolsFixture.h"

namespace {

class ChallengesTest : public MoneyToolsFixture {
protected:
    SavingsChallenge challenge(ChallengeKind kind, const char* progress, const char* target) const {
        return {QStringLiteral("c1"), QStringLiteral("Копилка"), kind, dec(target), dec(progress),
                clock.now(),          local(2026, 6, 30),        false};
    }
    MoneyData withChallenge(const SavingsChallenge& c) const {
        MoneyData d = MoneyData::emptyLedger();
        d.challenges = std::vector<SavingsChallenge>{c};
        return d;
    }
};

TEST_F(ChallengesTest, DefaultsShowOnlyWhileNoListIsStoredAndAdvancingStoresThem) {
    ChallengesView& empty = show<ChallengesView>(MoneyData::emptyLedger());
    EXPECT_EQ(empty.list()->count(), 0);

    ChallengesView& view = show<ChallengesView>(withDefaults());
    ASSERT_EQ(view.list()->count(), 2);
    EXPECT_FALSE(store->data().challenges.has_value());
    ASSERT_TRUE(paintedlist::clickButton(view.rows(), view.rowKeys()[0], ChallengeRowDelegate::kStep));
    ASSERT_TRUE(store->data().challenges.has_value());
    EXPECT_EQ(store->data().challenges->size(), 2u);
    EXPECT_GT(store->data().challenges->front().progress, Decimal());
}

TEST_F(ChallengesTest, StepsCompleteAndCapAtTheTarget) {
    const struct {
        ChallengeKind kind;
        const char *progress, *target, *button, *after;
    } cases[] = {{ChallengeKind::habit, "6", "7", "Засчитать день", "7"},
                 {ChallengeKind::saving, "100", "120", "Добавить 50 CNY", "120"}};
    for (const auto& c : cases) {
        ChallengesView& view = show<ChallengesView>(withChallenge(challenge(c.kind, c.progress, c.target)));
        EXPECT_EQ(view.row(0)->step, QString::fromUtf8(c.button));
        EXPECT_EQ(view.rows()->buttonName("c1", ChallengeRowDelegate::kStep), QString::fromUtf8(c.button));
        ASSERT_TRUE(paintedlist::clickButton(view.rows(), "c1", ChallengeRowDelegate::kStep));
        EXPECT_EQ(store->data().challenges->front().progress, dec(c.after));
        const std::optional<ChallengeRowContent> row = view.row(0);
        EXPECT_EQ(row->percent, "100%");
        EXPECT_EQ(row->symbol(), "trophy.fill");
        EXPECT_TRUE(view.rows()->buttonKeys("c1").isEmpty());
    }
}

TEST_F(ChallengesTest, PercentTruncatesTheExactShare) {
    const struct {
        const char *progress, *target, *percent;
    } cases[] = {{"1", "3", "33%"}, {"2", "3", "66%"}, {"29", "100", "29%"}, {"5", "0", "0%"}};
    for (const auto& c : cases) {
        ChallengesView& view =
            show<ChallengesView>(withChallenge(challenge(ChallengeKind::saving, c.progress, c.target)));
        EXPECT_EQ(view.row(0)->percent, c.percent);
        EXPECT_LE(view.row(0)->fraction, 1.0);
    }
}

TEST_F(ChallengesTest, CaptionShowsPlainProgressTargetAndTheEndDay) {
    const struct {
        ChallengeKind kind;
        const char *progress, *target, *caption;
    } cases[] = {{ChallengeKind::saving, "12.5", "120", "12.5 из 120 · до "},
                 {ChallengeKind::habit, "0", "7", "0 из 7 · до "}};
    for (const auto& c : cases) {
        ChallengesView& view = show<ChallengesView>(withChallenge(challenge(c.kind, c.progress, c.target)));
        EXPECT_EQ(view.row(0)->caption,
                  QString::fromUtf8(c.caption) + DateText::abbreviatedDate(QDate(2026, 6, 30)));
    }
}

TEST_F(ChallengesTest, ADoubleClickOnAStepAdvancesOnceAndNotTheRowBelow) {
    SavingsChallenge last = challenge(ChallengeKind::habit, "6", "7");
    SavingsChallenge next = challenge(ChallengeKind::habit, "0", "7");
    next.id = QStringLiteral("c2");
    MoneyData data = MoneyData::emptyLedger();
    data.challenges = std::vector<SavingsChallenge>{last, next};
    ChallengesView& view = show<ChallengesView>(data);
    // The first click completes "c1": its button goes and "c2"'s moves up under the pointer.
    ASSERT_TRUE(paintedlist::doubleClickButton(view.rows(), "c1", ChallengeRowDelegate::kStep));
    settle();
    EXPECT_EQ(store->data().challenges->at(0).progress, dec("7"));
    EXPECT_EQ(store->data().challenges->at(1).progress, dec("0"));
}

TEST_F(ChallengesTest, AStepMeasuresOnlyItsOwnRowAgain) {
    SavingsChallenge second = challenge(ChallengeKind::saving, "0", "500");
    second.id = QStringLiteral("c2");
    MoneyData data = MoneyData::emptyLedger();
    data.challenges = std::vector<SavingsChallenge>{challenge(ChallengeKind::habit, "1", "7"), second};
    ChallengesView& view = show<ChallengesView>(data);
    paintedlist::paint(view.rows());
    const qint64 before = view.rows()->measureCount();
    ASSERT_TRUE(paintedlist::clickButton(view.rows(), "c2", ChallengeRowDelegate::kStep));
    paintedlist::paint(view.rows());
    EXPECT_EQ(view.row(1)->caption.left(9), "50 из 500");
    EXPECT_EQ(view.rows()->measureCount(), before + 1);
}

TEST_F(ChallengesTest, ANewCurrencyWritesTheRowsAgainThoughNoChallengeChanged) {
    ChallengesView& view = show<ChallengesView>(withChallenge(challenge(ChallengeKind::saving, "0", "500")));
    EXPECT_EQ(view.row(0)->step, "Добавить 50 CNY");
    const std::vector<SavingsChallenge> stored = *store->data().challenges;
    setPreference("currencyCode", "EUR");
    settle();
    EXPECT_EQ(*store->data().challenges, stored);
    EXPECT_EQ(view.row(0)->step, "Добавить 50 EUR");
    EXPECT_EQ(view.rows()->buttonName("c1", ChallengeRowDelegate::kStep), "Добавить 50 EUR");
}

TEST_F(ChallengesTest, EditorFollowsTheKindAndNeedsATitleAndTarget) {
    ChallengesView& view = show<ChallengesView>(MoneyData::emptyLedger());
    auto& editor = openEditor<ChallengeEditorView>(view);
    EXPECT_EQ(editor.targetField()->placeholderText(), "Цель в CNY");
    editor.kindPicker()->setCurrentTag("habit");
    EXPECT_EQ(editor.targetField()->placeholderText(), "Количество дней");
    EXPECT_EQ(editor.endDate(), local(2026, 6, 22));
    type(field(editor, "challengeTitleField"), "  ");
    type(editor.targetField(), "12,5");
    EXPECT_FALSE(editor.addButton()->isEnabled());
    type(field(editor, "challengeTitleField"), "Зарядка");
    EXPECT_TRUE(editor.addButton()->isEnabled());
    click(editor.addButton());
    const SavingsChallenge& added = store->data().challenges->back();
    EXPECT_EQ(added.kind, ChallengeKind::habit);
    EXPECT_EQ(added.target, dec("12.5"));
    EXPECT_EQ(view.list()->count(), 1);
}

TEST_F(ChallengesTest, Gallery) {
    MoneyData demo = demoLedger();
    demo.challenges.reset();
    galleryOf<ChallengesView>("challenges", demo);
}

}  // namespace
