#include <QTest>
#include <algorithm>

#include "components/Button.h"
#include "components/ContentUnavailableView.h"
#include "components/NavigationStack.h"
#include "components/TextLabel.h"
#include "support/FakeHaptics.h"
#include "support/FitCheck.h"
#include "support/Gallery.h"
#include "views/ViewFixture.h"
#include "views/calculator/CalculatorView.h"

namespace {

class CalculatorViewTest : public ViewFixture {
protected:
    CalculatorViewTest() { showWindow(new NavigationStack(view = new CalculatorView(haptics))); }

    // Clicks keys and memory buttons named by their faces, separated by spaces.
    void click(const QString& sequence) {
        for (const QString& face : sequence.split(u' ', Qt::SkipEmptyParts)) {
            const auto& keys = CalculatorView::keys();
            const auto key = std::find_if(keys.begin(), keys.end(),
                                          [&](auto k) { return CalculatorView::face(k) == face; });
            QAbstractButton* button = key != keys.end() ? view->keyButton(*key) : memoryButton(face);
            ASSERT_NE(button, nullptr) << face.toStdString();
            QTest::mouseClick(button, Qt::LeftButton);
        }
    }
    QAbstractButton* memoryButton(const QString& text) const {
        for (auto* button : view->findChildren<Button*>())
            if (button->text() == text) return button;
        return nullptr;
    }
    QList<QAbstractButton*> rows() const {
        return view->historyView()->findChildren<QAbstractButton*>("historyRow");
    }

    FakeHaptics haptics;
    CalculatorView* view = nullptr;
};

}  // namespace

TEST_F(CalculatorViewTest, KeySequencesGiveTheDisplay) {
    const QString ones = QString("1 ").repeated(31);
    const std::vector<std::pair<QString, QString>> table = {
        {"7", "7"},
        {"0 .", "0."},
        {"0 +", "0+"},
        {"(", "("},
        {"0 0 5", "5"},
        {"2 × 2 = +", "4+"},
        {"2 × 2 = 5", "5"},
        {"7 ⌫", "0"},
        {"1 2 × 2 = ⌫", "2"},
        {"1 2 C", "0"},
        {"1 ÷ 0 =", "Ошибка"},
        {"1 ÷ 0 = 5", "5"},
        {"1 ÷ 0 = + 2", "Ошибка+2"},
        {"1 ÷ 0 = + =", "Ошибка"},
        {"( 2 =", "Ошибка"},
        {ones, QString("1").repeated(30)},
        {"1 ÷ 3 =", "0.33333333"},
        {"2 ÷ 3 =", "0.66666667"},
        {"1 − 4 × . 5 =", "-1"},
        {"1 ÷ 3 × 3 − 1 =", "0"},
        // A result that rounds to zero is a zero, and a zero has no sign.
        {"1 − 1 . 0 0 0 0 0 0 0 0 1 =", "0"},
        {"0 − 0 . 0 0 0 0 0 0 0 0 4 =", "0"},
        // The memory row: M+ keeps the text as it is, MR shows it as a result.
        {"2 + 3 M+ C MR", "2+3"},
        {"1 ÷ 0 = M+ C MR", "Ошибка"},
        {"5 M+ MC 7 MR", "0"},
        {"7 M+ C MR +", "7+"},
        // ± and % read only a whole number and write it as "=" does.
        {"±", "-0"},
        {"5 0 %", "0.5"},
        {"1 2 + 3 ±", "12+3"},
        {"1 2 3 4 5 6 7 8 9 ±", "-123456789"},
        {"1 0 0 0 0 0 0 ± =", "-1000000"},
        {"1 ÷ 4 = ± ±", "0.25"},
        {"5 . %", "0.05"},
        {"1 ÷ 0 = ±", "Ошибка"},
        // Beyond what "=" shows exactly, "%g": a non-zero value never becomes
        // zero, and what is shown reads back (× 1e9 = gives the number again).
        {"0 . 0 0 0 0 0 0 0 0 1 ±", "-1e-09"},
        {"0 . 0 0 0 0 0 0 0 0 1 ± ±", "1e-09"},
        {"0 . 0 0 0 0 0 0 1 %", "1e-09"},
        {"0 . 0 0 0 0 0 0 1 % %", "1e-11"},
        {"0 . 0 0 0 0 0 0 0 0 1 ± × 1 0 0 0 0 0 0 0 0 0 =", "-1"},
        {"0 . 3 3 3 3 3 3 3 3 3 ±", "-0.333333333"},
        {"1 . 5 %", "0.015"},
    };
    for (const auto& [sequence, expected] : table) {
        click("C MC");
        click(sequence);
        EXPECT_EQ(view->display(), expected) << sequence.toStdString();
        EXPECT_EQ(view->displayLabel()->accessibleDescription(), expected);
    }
}

TEST_F(CalculatorViewTest, HistoryKeepsTheTwentyNewestResults) {
    EXPECT_FALSE(view->historyView()->clearButton()->isVisibleTo(view->historyView()));
    click("1 ÷ 0 = C ( 2 =");
    EXPECT_TRUE(view->history().isEmpty());  // errors add no row
    for (int i = 1; i <= 21; ++i)
        click("C " + QString::number(i).split("", Qt::SkipEmptyParts).join(' ') + " =");
    click("C 2 × 2 =");
    ASSERT_EQ(view->history().size(), 20);
    EXPECT_EQ(view->history().last().result, "3");  // 1 and 2 are gone

    view->selectSection(CalculatorSection::history);
    settle();
    ASSERT_EQ(rows().size(), 20);
    QAbstractButton* first = rows().front();
    EXPECT_EQ(first->findChild<TextLabel*>("historyExpression")->text(), "2×2");
    EXPECT_EQ(first->findChild<TextLabel*>("historyResult")->text(), "= 4");
    EXPECT_EQ(first->accessibleName(), "2×2 равно 4");
    EXPECT_TRUE(view->historyView()->clearButton()->isVisible());

    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_EQ(view->selectedSection(), CalculatorSection::calculator);
    click("+");
    EXPECT_EQ(view->display(), "4+");  // shown as a result: an operator continues it

    view->selectSection(CalculatorSection::history);
    QTest::mouseClick(view->historyView()->clearButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(view->history().isEmpty());
    EXPECT_FALSE(view->historyView()->clearButton()->isVisible());
    EXPECT_TRUE(view->historyView()->placeholder()->isVisible());
}

TEST_F(CalculatorViewTest, KeysPlayTheHapticWhileAllowedAndTypingPressesTheSameKeys) {
    click("1 + 2 = MC MR M+ ± %");
    EXPECT_EQ(haptics.count(Haptics::Feedback::selection), 4);  // "=" too, the memory row never
    Preferences::standard().setValue("hapticsEnabled", false);
    click("7");
    EXPECT_EQ(haptics.played.size(), 4);
    EXPECT_EQ(view->feedbackCounter(), 5);
    Preferences::standard().setValue("hapticsEnabled", true);

    view->setFocus();
    QTest::keyClick(view, Qt::Key_Escape);
    QTest::keyClicks(view, "12*(3-1)/4,5ab");
    EXPECT_EQ(view->display(), "12×(3−1)÷4.5");
    QTest::keyClick(view, Qt::Key_Backspace);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->display(), "6");
    EXPECT_EQ(haptics.played.size(), 4 + 15);  // letters press nothing
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_EQ(view->display(), "0");

    Preferences::standard().setValue("currencyCode", "EUR");
    EXPECT_EQ(view->currencyCaption()->text(), "ZANBECK / EUR");
}

TEST_F(CalculatorViewTest, GalleryImages) {
    EXPECT_FALSE(Gallery::save(*window, "calculator-fresh").isEmpty());
    click("1 2 3 4 5 6 7 8 9 × 9 8 7 6 5 4 3 2 1 =");
    EXPECT_FALSE(Gallery::save(*window, "calculator-result").isEmpty());
    click("C " + QString("1 2 3 4 5 × 6 7 8 9 0 ÷ ").repeated(3).left(59));
    const QFont shown = view->displayLabel()->fittedFont();
    EXPECT_LT(shown.pixelSize(), 44);  // shrinks before it is cut
    EXPECT_FALSE(Gallery::save(*window, "calculator-long").isEmpty());
    click("C 2 × 2 = C 1 ÷ 0 =");
    view->selectSection(CalculatorSection::history);
    EXPECT_FALSE(Gallery::save(*window, "calculator-history").isEmpty());
    Preferences::standard().setValue("appTheme", "dark");
    Theme::current().refresh();
    EXPECT_FALSE(Gallery::save(*window, "calculator-history-dark").isEmpty());
    view->selectSection(CalculatorSection::calculator);
    EXPECT_FALSE(Gallery::save(*window, "calculator-error-dark").isEmpty());
}

// A result too long for the display shrinks, then is cut at its end: the sign
// and the leading digits stay in view, so "±" visibly changes it.
TEST_F(CalculatorViewTest, ALongResultKeepsItsSignAndLeadingDigitsInView) {
    click("9 9 9 9 9 9 9 9 9 9 9 9 9 9 9 × 9 9 9 9 9 9 9 9 9 9 9 9 9 9 =");
    const QString result = view->display();
    ASSERT_GE(result.size(), 25) << result.toStdString();
    const auto shown = [&] {
        settle();
        const QList<FitCheck::DrawnText> drawn = FitCheck::drawnTexts(*view->displayLabel());
        return drawn.size() == 1 ? drawn.front().text : QString();
    };
    const QString before = shown();
    EXPECT_LT(view->displayLabel()->fittedFont().pixelSize(), 44) << "shrinks before it is cut";
    EXPECT_TRUE(before.startsWith(result.left(8))) << before.toStdString();
    EXPECT_TRUE(before.endsWith(QChar(0x2026))) << before.toStdString();
    click("±");
    const QString after = shown();
    EXPECT_TRUE(after.startsWith(QLatin1Char('-') + result.left(7))) << after.toStdString();
    EXPECT_NE(after, before);
    for (const char* scheme : {"light", "dark"}) {
        Preferences::standard().setValue("appTheme", scheme);
        Theme::current().refresh();
        EXPECT_FALSE(Gallery::save(*window, QStringLiteral("calculator-long-negative-") + QString::fromLatin1(scheme)).isEmpty());
    }
    Preferences::standard().setValue("appTheme", "light");
    Theme::current().refresh();
}

// Typed input too long for the display is cut at its start instead: the key
// just pressed shows at the end, so every press visibly changes the display.
TEST_F(CalculatorViewTest, ALongTypedExpressionKeepsTheKeyJustPressedInView) {
    click("0 − 1 ÷ 9 9 9 9 9 9 9 9 9 ÷ 9 9 9 9 9 9 9 9 9 ÷ 9 9 9");
    const auto shown = [&] {
        settle();
        const QList<FitCheck::DrawnText> drawn = FitCheck::drawnTexts(*view->displayLabel());
        return drawn.size() == 1 ? drawn.front().text : QString();
    };
    const QString before = shown();
    ASSERT_TRUE(before.startsWith(QChar(0x2026))) << before.toStdString();
    click("8");
    const QString after = shown();
    EXPECT_TRUE(after.endsWith(QStringLiteral("÷9998"))) << after.toStdString();
    EXPECT_NE(after, before);
    // "=" shows the result, cut (if at all) at its end again.
    click("=");
    EXPECT_FALSE(shown().startsWith(QChar(0x2026)));
}
