#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "calculator/CalculatorEngine.h"
#include "support/CommaNumericLocale.h"

namespace {

using Error = CalculatorEngine::CalculationError;
using Result = CalculatorEngine::Result;
constexpr Error kInvalid = Error::invalidExpression;
constexpr Error kZero = Error::divisionByZero;

QString repeated(const QString& part, int times) { return part.repeated(times); }

struct Row {
    QString text;
    Result expected;
};

std::vector<Row> rows() {
    const QString huge = "1" + repeated("0", 400);            // beyond a double: infinity
    const QString tiny = "0." + repeated("0", 400) + "1";     // below a double: zero
    const QString flat = repeated("1+2*3-4/2+", 1000) + "1";  // 10,001 characters
    return {
        // Precedence and left associativity.
        {"2+3*4", 14.0},
        {"(2+3)*4", 20.0},
        {"8-3-2", 3.0},
        {"8/4/2", 1.0},
        {"1-2*3+4/2", -3.0},
        // Unary signs repeat and bind tightest.
        {"--2", 2.0},
        {"2*-3", -6.0},
        {"-(2+3)", -5.0},
        {"+5", 5.0},
        {"-+-2", 2.0},
        // Any Unicode white space between tokens; a zero-width space is none, a space splits a number.
        {"\t1 +\u00A02\u2003", 3.0},
        {"\r\n( 1 )", 1.0},
        {"1\u200B+2", kInvalid},
        {"1 2", kInvalid},
        // Characters are grapheme clusters: a combining mark makes "+" and "2" something else.
        {"1+\u03012", kInvalid},
        {"2\u0301", kInvalid},
        // Numbers: at most one separator, ASCII digits only, an optional exponent.
        {"5.", 5.0},
        {".5", 0.5},
        {"12,", 12.0},
        {"1,5+1", 2.5},
        {"1.2.3", kInvalid},
        {".", kInvalid},
        {",", kInvalid},
        {"½", kInvalid},
        {"1½", kInvalid},
        {"٣", kInvalid},
        {"1e5", 100000.0},
        {"-1e-09*1000000000", -1.0},
        {"2E+3", 2000.0},
        {"1,5e1", 15.0},
        {"1e-400", 0.0},
        {"1" + repeated("0", 400) + "e-400", 1.0},
        {"1e400", kInvalid},
        {"0.001e309", 1e306},
        {"1e", kInvalid},
        {"1e+", kInvalid},
        {"1e5.5", kInvalid},
        {"e5", kInvalid},
        {".e5", kInvalid},
        // The keypad's operators are read; its minus sign is not.
        {"6×7", 42.0},
        {"9÷4", 2.25},
        {"5−3", kInvalid},
        // Errors, and the first one met wins.
        {"1/0", kZero},
        {"0/0", kZero},
        {"1/-0", kZero},
        {"1/(2-2)", kZero},
        {"1/0)", kZero},
        {"1/0+(", kZero},
        {"2/(3-3", kInvalid},
        {"(2", kInvalid},
        {"2)", kInvalid},
        {"2(3)", kInvalid},
        {"2^3", kInvalid},
        {"", kInvalid},
        {" \t ", kInvalid},
        {"*2", kInvalid},
        {"2+", kInvalid},
        {"(*2)", kInvalid},
        // Only the final value must be finite.
        {huge, kInvalid},
        {"1/" + huge, 0.0},
        {huge + "-" + huge, kInvalid},
        {"1/" + tiny, kZero},
        // Nesting is bounded, flat chains are not.
        {repeated("(", 256) + "7" + repeated(")", 256), 7.0},
        {repeated("(", 257) + "7" + repeated(")", 257), kInvalid},
        {repeated("-", 256) + "7", 7.0},
        {repeated("-(", 128) + "7" + repeated(")", 128), 7.0},
        {repeated("-(", 128) + "-7" + repeated(")", 128), kInvalid},
        {flat, 5001.0},
    };
}

void expectTable() {
    const CalculatorEngine engine;
    for (const Row& row : rows()) {
        const Result got = engine.evaluate(row.text);
        const QString shown = row.text.left(40);
        ASSERT_EQ(got.index(), row.expected.index()) << shown.toStdString();
        if (const double* value = std::get_if<double>(&row.expected))
            EXPECT_DOUBLE_EQ(std::get<double>(got), *value) << shown.toStdString();
        else
            EXPECT_EQ(std::get<Error>(got), std::get<Error>(row.expected)) << shown.toStdString();
    }
}

}  // namespace

TEST(CalculatorEngine, EvaluatesEachRuleOfTheGrammar) { expectTable(); }

TEST(CalculatorEngine, IgnoresADecimalCommaLocale) {
    const CommaNumericLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma available";
    expectTable();
}

// What "=" shows: eight decimals at most, no trailing zeros, and a zero
// without a sign, also one that only rounds to zero.
TEST(CalculatorEngine, FormatsAResultWithEightDecimalsAndAZeroWithoutASign) {
    const struct {
        double value;
        const char* shown;
    } rows[] = {
        {2.5, "2.5"},          {100.0, "100"},         {1.0 / 3, "0.33333333"}, {-2.0 / 3, "-0.66666667"},
        {0.0, "0"},            {-0.0, "0"},            {-1e-09, "0"},           {-4e-09, "0"},
        {1e-09, "0"},          {-6e-09, "-0.00000001"}, {-1e-08, "-0.00000001"}, {-123456789.5, "-123456789.5"},
        {1e20, "100000000000000000000"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CalculatorEngine::formatResult(row.value), QString::fromLatin1(row.shown)) << row.value;
    // Evaluated and shown as the screen does.
    const auto value = std::get<double>(CalculatorEngine().evaluate(u"1-1.000000001"));
    EXPECT_EQ(CalculatorEngine::formatResult(value), "0");
}
