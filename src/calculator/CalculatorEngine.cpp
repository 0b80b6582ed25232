#include "calculator/CalculatorEngine.h"

#include <QTextBoundaryFinder>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

using Error = CalculatorEngine::CalculationError;

// Carries the first error out of the recursion; caught once per evaluation.
struct Failure {
    Error error;
};

[[noreturn]] void fail(Error error) { throw Failure{error}; }

// Reads the text once, left to right, one grapheme cluster at a time: the
// boundary finder is asked for the next boundary only as the read position
// moves on, so nothing is segmented ahead or copied per step.
//
//   expression := term (("+" | "-") term)*
//   term       := factor (("*" | "/") factor)*
//   factor     := "-" factor | "+" factor | "(" expression ")" | number
class Parser {
public:
    explicit Parser(QStringView text) : text_(text), finder_(QTextBoundaryFinder::Grapheme, text) { next(); }

    bool atEnd() const { return start_ >= text_.size(); }

    void skipSpaces() {
        while (!atEnd() && QChar::isSpace(firstCodePoint())) next();
    }

    double parseExpression() {
        double value = parseTerm();
        for (;;) {
            skipSpaces();
            const char16_t op = single();
            if (op != u'+' && op != u'-') return value;
            next();
            const double operand = parseTerm();
            value = op == u'+' ? value + operand : value - operand;
        }
    }

    double parseTerm() {
        double value = parseFactor();
        for (;;) {
            skipSpaces();
            const char16_t op = single();
            const bool multiply = op == u'*' || op == u'×';
            if (!multiply && op != u'/' && op != u'÷') return value;
            next();
            const double operand = parseFactor();
            if (multiply) {
                value *= operand;
            } else {
                if (operand == 0.0) fail(Error::divisionByZero);  // +0 and -0 alike
                value /= operand;
            }
        }
    }

    double parseFactor() {
        skipSpaces();
        const char16_t lead = single();
        if (lead != u'-' && lead != u'+' && lead != u'(') return parseNumber();
        if (nesting_ == CalculatorEngine::kMaxNesting) fail(Error::invalidExpression);
        ++nesting_;
        next();
        double value;
        if (lead == u'(') {
            value = parseExpression();
            skipSpaces();
            if (single() != u')') fail(Error::invalidExpression);
            next();
        } else {
            value = parseFactor();
            if (lead == u'-') value = -value;
        }
        --nesting_;
        return value;
    }

    // The longest run of numeric characters and at most one "." or ",". Only
    // runs of ASCII digits convert; other numeric characters ("½", "٣") join
    // the run and then make it fail.
    double parseNumber() {
        skipSpaces();
        digits_.clear();
        bool separator = false;
        bool convertible = true;
        while (!atEnd()) {
            const char16_t c = single();
            if (c == u'.' || c == u',') {
                if (separator) break;
                separator = true;
                digits_ += '.';
            } else if (QChar::isNumber(firstCodePoint())) {
                if (c >= u'0' && c <= u'9')
                    digits_ += static_cast<char>(c);
                else
                    convertible = false;
            } else {
                break;
            }
            next();
        }
        if (digits_.empty() || !convertible) fail(Error::invalidExpression);
        parseExponent();
        return convert();
    }

private:
    // "e" or "E", an optional sign and ASCII digits after a number: the form
    // the screen's "±" and "%" show for values too small or too precise for
    // fixed notation, so that what the display shows reads back. A letter "e"
    // not followed by that is no expression at all.
    void parseExponent() {
        const char16_t mark = single();
        if (mark != u'e' && mark != u'E') return;
        digits_ += 'e';
        next();
        if (const char16_t sign = single(); sign == u'+' || sign == u'-') {
            digits_ += static_cast<char>(sign);
            next();
        }
        bool any = false;
        for (char16_t c = single(); c >= u'0' && c <= u'9'; c = single()) {
            digits_ += static_cast<char>(c);
            any = true;
            next();
        }
        if (!any) fail(Error::invalidExpression);
    }

    // digits_ as a decimal literal, independent of the process's locale (the
    // C library's strtod reads a comma under ru_RU).
    double convert() const {
        const char* first = digits_.data();
        const char* last = first + digits_.size();
        double value = 0;
        const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
        if (ec == std::errc::invalid_argument || end != last) fail(Error::invalidExpression);  // a lone "."
        if (ec == std::errc::result_out_of_range) {
            // As strtod: too large becomes infinity, too small zero. The
            // magnitude is where the first significant digit stands.
            const std::size_t exponentAt = std::min(digits_.find('e'), digits_.size());
            const std::size_t pointAt = std::min(digits_.find('.'), exponentAt);
            const std::size_t leading = digits_.find_first_of("123456789");
            long long magnitude = leading < pointAt ? static_cast<long long>(pointAt - leading)
                                                    : -static_cast<long long>(leading - pointAt - 1);
            if (exponentAt < digits_.size()) {
                // Clamped: a thousand-digit exponent only has to keep its sign.
                const std::string exponent = digits_.substr(exponentAt + 1);
                const bool negative = exponent.front() == '-';
                const std::size_t firstDigit = exponent.find_first_not_of("+-0");
                long long amount = 0;
                if (firstDigit != std::string::npos)
                    amount = exponent.size() - firstDigit > 6 ? 1'000'000 : std::stoll(exponent.substr(firstDigit));
                magnitude += negative ? -amount : amount;
            }
            return magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        }
        return value;
    }

    void next() {
        start_ = end_;
        if (atEnd()) return;
        const qsizetype boundary = finder_.toNextBoundary();
        end_ = boundary < 0 ? text_.size() : boundary;
    }

    // The current character when it is one UTF-16 unit, else 0 (also at the end).
    char16_t single() const { return end_ - start_ == 1 ? text_[start_].unicode() : 0; }

    // The first code point of the current character decides whether it is white
    // space or numeric ("\r\n" is one character and white space).
    char32_t firstCodePoint() const {
        const QChar high = text_[start_];
        if (high.isHighSurrogate() && start_ + 1 < end_ && text_[start_ + 1].isLowSurrogate())
            return QChar::surrogateToUcs4(high, text_[start_ + 1]);
        return high.unicode();
    }

    QStringView text_;
    QTextBoundaryFinder finder_;
    qsizetype start_ = 0;  // the current character is [start_, end_)
    qsizetype end_ = 0;
    int nesting_ = 0;  // brackets and unary signs open now
    std::string digits_;
};

}  // namespace

CalculatorEngine::Result CalculatorEngine::evaluate(QStringView text) const {
    try {
        Parser parser(text);
        const double value = parser.parseExpression();
        parser.skipSpaces();
        if (!parser.atEnd() || !std::isfinite(value)) return CalculationError::invalidExpression;
        return value;
    } catch (const Failure& failure) {
        return failure.error;
    }
}

QString CalculatorEngine::formatResult(double value) {
    // Fixed notation of the largest double: 309 digits, a sign, a point and 8 decimals.
    std::array<char, 330> buffer{};
    const auto [end, ec] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 8);
    if (ec != std::errc()) return QStringLiteral("Ошибка");
    QString text = QString::fromLatin1(buffer.data(), end - buffer.data());
    if (!text.contains(QLatin1Char('.'))) return text;  // "inf" or "nan"
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}
