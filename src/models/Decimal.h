#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

// Exact base-10 number: sign, coefficient of at most 38 significant digits and a
// base-10 exponent, always kept normalised (no trailing zeros in the
// coefficient, zero has exponent 0 and no sign), so equal values have equal
// representations and 1.0 == 1.00, -0 == 0.
//
// +, -, * are exact whenever the result fits in 38 significant digits (every
// real ledger); a longer result is rounded half-even to 38 digits, as the
// phone platform's decimal does, and so is every quotient. A result beyond the
// largest magnitude is refused (std::nullopt from the checked functions; the
// operators throw std::overflow_error), never wrapped; one below the smallest
// exponent is rounded to it (down to zero). parse() refuses both extremes.
class Decimal {
public:
    __extension__ typedef __int128 Coefficient;  // __extension__: no -Wpedantic noise in every includer

    static constexpr int kMaxDigits = 38;
    static constexpr int kMinExponent = -128;
    static constexpr int kMaxExponent = 127;

    constexpr Decimal() = default;
    Decimal(long long value);  // NOLINT: implicit from integers is convenient for money

    // Plain decimal text: optional "-" or "+", digits with at most one ".",
    // optionally an exponent ("e"/"E" with a signed integer) as JSON numbers
    // carry it. No spaces, no grouping. More than 38 significant digits are
    // rounded half-even. nullopt when malformed or out of range.
    static std::optional<Decimal> parse(std::string_view text);
    static std::optional<Decimal> parse(const QString& text);
    static std::optional<Decimal> parse(const char* text) { return parse(std::string_view(text)); }

    // coefficient × 10^exponent, normalised; nullopt when it needs more than
    // 38 digits or lies outside the exponent range. For sums kept as a raw
    // coefficient on the way (exact accumulators).
    static std::optional<Decimal> fromParts(Coefficient coefficient, int exponent);

    // Plain text: "12.5", "1000", "-3", "0.001"; never an exponent, never "-0",
    // no trailing zeros after the point.
    QString toString() const;
    std::string toStdString() const;

    // Correctly rounded nearest double.
    double toDouble() const;
    // Nearest decimal of a finite double (shortest round-trip digits); nullopt for NaN/inf or out of range.
    static std::optional<Decimal> fromDouble(double value);

    bool isZero() const { return coefficient_ == 0; }
    bool isNegative() const { return coefficient_ < 0; }
    int signum() const { return coefficient_ < 0 ? -1 : (coefficient_ > 0 ? 1 : 0); }

    static std::optional<Decimal> checkedAdd(const Decimal& a, const Decimal& b);
    static std::optional<Decimal> checkedSub(const Decimal& a, const Decimal& b);
    static std::optional<Decimal> checkedMul(const Decimal& a, const Decimal& b);
    // nullopt on division by zero or overflow.
    static std::optional<Decimal> checkedDiv(const Decimal& a, const Decimal& b);

    Decimal operator+(const Decimal& o) const;
    Decimal operator-(const Decimal& o) const;
    Decimal operator*(const Decimal& o) const;
    Decimal operator/(const Decimal& o) const;  // throws std::domain_error on division by zero
    Decimal operator-() const;
    Decimal& operator+=(const Decimal& o) { return *this = *this + o; }
    Decimal& operator-=(const Decimal& o) { return *this = *this - o; }

    // Truncates toward zero to an integer value (used for whole percentages).
    Decimal truncated() const;
    // Rounds half-even to the given number of fraction digits.
    Decimal rounded(int fractionDigits) const;
    // The integral part as a 64-bit integer, saturated at the limits.
    long long toInt64Saturated() const;

    Decimal abs() const { return coefficient_ < 0 ? -*this : *this; }
    static Decimal min(const Decimal& a, const Decimal& b) { return b < a ? b : a; }
    static Decimal max(const Decimal& a, const Decimal& b) { return a < b ? b : a; }

    std::strong_ordering operator<=>(const Decimal& o) const;
    bool operator==(const Decimal& o) const = default;

    // Representation, for formatters that need the exact digits.
    Coefficient coefficient() const { return coefficient_; }
    int exponent() const { return exponent_; }

private:
    friend struct DecimalOps;

    Coefficient coefficient_ = 0;  // |coefficient_| < 10^38
    int exponent_ = 0;
};
