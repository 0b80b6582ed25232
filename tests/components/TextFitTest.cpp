#include <QFontMetrics>

#include "KitFixture.h"
#include "components/TextFit.h"

namespace {

class TextFitTest : public KitTest {};

QFont monospaced(TextStyle style) {
    QFont font = Theme::font(style);
    font.setFamily(Theme::monospacedFontFamily());
    return font;
}

int sizeOf(const QFont& font) { return font.pixelSize() > 0 ? font.pixelSize() : font.pointSize(); }

// A title beside its amount: the title keeps its size and wraps between
// words, the amount gives way first (never below its smallest whole size) and
// only as far as the title gains a line by it, or takes a line of its own
// under a title it would push past two lines; never a word split or a line cut.
TEST_F(TextFitTest, ATitleBesideItsAmountKeepsItsSizeAndTheAmountShrinksFirst) {
    const QFont title = Theme::font(TextStyle::Headline);
    const QFont amount = monospaced(TextStyle::Subheadline);
    struct Case {
        const char* name;
        QString title;
        QString amount;
        int width;
        bool amountWhole;   // the amount keeps its natural width
        bool titleWhole;    // the title keeps its size
        int mostLines;
        bool below = false;  // the amount on a line of its own
    };
    const QString longTitle = QStringLiteral("Очень длинное название желания, которое не поместится в две строки ни при "
                                             "каком размере шрифта, сколько его ни уменьшай");
    const QList<Case> cases = {
        {"short", QStringLiteral("Велосипед"), QStringLiteral("100,00 ¥"), 300, true, true, 1},
        {"long beside a long amount", QStringLiteral("Большие наушники с шумоподавлением"),
         QStringLiteral("12 345 678 901,00 ¥"), 300, false, true, 2},
        {"longer than two lines hold", QStringLiteral("Наушники с шумоподавлением и длинным названием"),
         QStringLiteral("2 500,00 ¥"), 240, true, true, 3, true},
        {"longer than two lines beside the smallest amount", longTitle, QStringLiteral("2 500,00 ¥"), 200, true,
         true, 100, true},
        {"as many lines beside a short amount as without it", longTitle, QStringLiteral("5 ¥"), 210, true, true, 100},
        {"long beside eleven digits", longTitle, QStringLiteral("99 999 999 999,99 ₽"), 296, true, true, 5, true},
        // A word too wide beside the smallest amount shrinks nothing once the amount goes under.
        {"a long word and the amount under it", QStringLiteral("Константинопольский Александр Владимирович"),
         QStringLiteral("99 999 999 999,99 ₽"), 280, true, true, 3, true},
        {"a word wider than any room", QStringLiteral("Сверхсуперсберегательница"),
         QStringLiteral("99 999 999 999,99 ₽"), 300, false, false, 1},
    };
    for (const Case& c : cases) {
        const TextFit::TitleBesideAmount fit(c.title, title, c.amount, amount, c.width);
        const int amountNatural = QFontMetrics(amount).horizontalAdvance(c.amount) + 1;
        EXPECT_EQ(fit.amountBelow, c.below) << c.name;
        EXPECT_EQ(fit.titleWidth + (fit.amountBelow ? 0 : fit.amountWidth), c.width) << c.name;
        EXPECT_EQ(fit.amountWidth == amountNatural, c.amountWhole) << c.name << " " << fit.amountWidth;
        EXPECT_EQ(sizeOf(fit.titleFont) == sizeOf(title), c.titleWhole) << c.name;
        EXPECT_GE(sizeOf(fit.titleFont), int(std::ceil(sizeOf(title) * TextFit::kMinimumScale))) << c.name;
        EXPECT_LE(fit.titleLines, c.mostLines) << c.name;
        // More than two lines beside the amount only where the smallest
        // amount leaves no room for two and the whole width no fewer lines.
        if (fit.titleLines > 2 && !fit.amountBelow) {
            const int leastWidth = QFontMetrics(TextFit::shrunkToFit(c.amount, amount, 0)).horizontalAdvance(c.amount) + 1;
            EXPECT_GT(TextFit::WrappedText(c.title, fit.titleFont, c.width - leastWidth).lineCount(), 2) << c.name;
            EXPECT_EQ(TextFit::WrappedText(c.title, fit.titleFont, c.width).lineCount(), fit.titleLines) << c.name;
        }
        // No word split: every word fits the title's column whole, and the
        // lines hold every word of the title (nothing cut).
        EXPECT_LE(TextFit::widestWord(c.title, fit.titleFont), fit.titleWidth) << c.name;
        const TextFit::WrappedText wrapped(c.title, fit.titleFont, fit.titleWidth);
        EXPECT_EQ(wrapped.lines().join(QLatin1Char(' ')).simplified(), c.title.simplified()) << c.name;
        EXPECT_EQ(wrapped.lineCount(), fit.titleLines) << c.name;
        // The amount is never made narrower than its smallest size needs.
        const QFont least = TextFit::shrunkToFit(c.amount, amount, 0);
        EXPECT_GE(fit.amountWidth, std::min(amountNatural, QFontMetrics(least).horizontalAdvance(c.amount) + 1))
            << c.name;
        if (!c.amountWhole && c.titleWhole && !c.below) {
            // It gave way only as far as the title gains by it: one pixel
            // less and the title would take another line.
            const int narrower = fit.titleWidth - 1;
            EXPECT_TRUE(TextFit::WrappedText(c.title, title, narrower).lineCount() > std::max(2, fit.titleLines) ||
                        TextFit::widestWord(c.title, title) > narrower)
                << c.name;
        }
    }
}

// A wrapped text in a narrow place: the font gives way until its widest word
// fits, no further, and every word then shows whole on the lines.
TEST_F(TextFitTest, WordsShrinkUntilTheWidestFitsAndNoFurther) {
    QFont bold = Theme::font(TextStyle::Subheadline, QFont::Bold);
    const QString word = QStringLiteral("Суперсберегатель");
    const int natural = TextFit::widestWord(word, bold);
    const struct {
        const char* name;
        QString text;
        int width;
        bool whole;  // keeps its size
    } cases[] = {
        {"fits", QStringLiteral("Первая цель"), 200, true},
        {"one long word", word, natural - 12, false},
        {"a long word among short ones", QStringLiteral("Мой ") + word + QStringLiteral(" год"), natural - 12, false},
        {"exactly as wide", word, natural, true},
    };
    for (const auto& c : cases) {
        const QFont fitted = TextFit::wordsShrunkToFit(c.text, bold, c.width);
        EXPECT_EQ(sizeOf(fitted) == sizeOf(bold), c.whole) << c.name;
        EXPECT_LE(TextFit::widestWord(c.text, fitted), c.width) << c.name;
        const TextFit::WrappedText wrapped(c.text, fitted, c.width);
        EXPECT_EQ(wrapped.lines().join(QLatin1Char(' ')).simplified(), c.text) << c.name << ": nothing elided";
        if (!c.whole) {
            QFont larger = fitted;
            larger.setPixelSize(sizeOf(fitted) + 1);
            EXPECT_GT(TextFit::widestWord(c.text, larger), c.width) << c.name << ": shrunk no further than needed";
        }
    }
    // Past the smallest size it stops there.
    EXPECT_EQ(sizeOf(TextFit::wordsShrunkToFit(word, bold, 10)), int(std::ceil(sizeOf(bold) * TextFit::kMinimumScale)));
}

}  // namespace
