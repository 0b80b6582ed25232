#pragma once

#include <QString>
#include <QStringView>
#include <variant>

// Evaluates the calculator's expressions in double precision: the four
// operators, unary signs and brackets, computed while parsing. "×" and "÷" are
// read as "*" and "/"; nothing else is mapped (the screen turns its "−" into
// "-" itself). Characters are grapheme clusters, white space is skipped
// between numbers and operators, and a number is digits with at most one "."
// or ",", then optionally an exponent ("1e-09", as the screen shows tiny
// values), with no grouping. Holds no state and does not depend on the
// process's locale.
//
//   const auto result = CalculatorEngine().evaluate(u"2+3×4");
//   if (const double* value = std::get_if<double>(&result)) ...   // 14
class CalculatorEngine {
public:
    enum class CalculationError {
        invalidExpression,  // does not parse, text left over, a bad number, a result that is not finite
        divisionByZero,     // a divisor equal to +0 or -0
    };
    using Result = std::variant<double, CalculationError>;

    // Brackets and unary signs open at once beyond this make the text invalid,
    // so that no text can exhaust the stack; flat chains are unlimited.
    static constexpr int kMaxNesting = 256;

    // The value of the whole text, or the first error met reading it left to
    // right (nothing after a failure is looked at).
    Result evaluate(QStringView text) const;

    // A result as the display shows it: "%.8f" with "." whatever the locale,
    // then trailing zeros and a trailing "." removed. A zero has no sign, also
    // one that only rounds to zero (-1e-09 shows "0"). "inf" and "nan" as is.
    static QString formatResult(double value);
};
