#pragma once

#include <algorithm>
#include <array>

#include "models/Decimal.h"
#include "store/MoneyMath.h"

// A running sum of amounts that gives exactly what adding them one by one
// with money::add / money::sub gives, at a fraction of the cost: the sum is
// kept as one raw coefficient at the smallest exponent met, so an addition is
// an aligned integer addition with no normalising and no optional.
//
// Every step of money::add is exact while the sum fits in 38 digits (every
// real ledger). The coefficient is held below 10^37, so no step can reach
// that far unseen; a step that would pass it hands the exact partial sum to
// money::add and the rest of the sum goes the slow way, rounding exactly as
// the one-by-one sum does.
namespace money_sum {
// 10^0 .. 10^37.
inline constexpr auto kPow10 = [] {
    std::array<Decimal::Coefficient, 38> powers{};
    Decimal::Coefficient p = 1;
    for (auto& power : powers) {
        power = p;
        p *= 10;
    }
    return powers;
}();
}  // namespace money_sum

class MoneySum {
public:
    MoneySum() = default;
    explicit MoneySum(const Decimal& start) { add(start); }

    void add(const Decimal& amount) {
        if (!held(amount.coefficient(), amount.exponent())) slowStep(amount, false);
    }
    void sub(const Decimal& amount) {
        if (!held(-amount.coefficient(), amount.exponent())) slowStep(amount, true);
    }

    Decimal value() const {
        if (slow_) return slowSum_;
        return Decimal::fromParts(coefficient_, exponent_).value_or(Decimal());
    }

private:
    using Coefficient = Decimal::Coefficient;

    static constexpr int kHeldDigits = 37;
    static constexpr Coefficient kLimit = money_sum::kPow10[kHeldDigits];
    static bool fits(Coefficient c) { return c < kLimit && c > -kLimit; }
    // |c| × 10^shift stays below the limit.
    static bool fitsScaled(Coefficient c, int shift) {
        const Coefficient bound = money_sum::kPow10[kHeldDigits - shift];
        return c < bound && c > -bound;
    }

    // Adds c × 10^exponent to the held sum; false (nothing changed) when the
    // sum would not stay held.
    bool held(Coefficient c, int exponent) {
        if (slow_) return false;
        if (c == 0) return true;
        if (exponent == exponent_ || coefficient_ == 0) {
            if (!fits(c)) return false;
            const Coefficient sum = coefficient_ + c;
            if (!fits(sum)) return false;
            coefficient_ = sum;
            exponent_ = exponent;
            return true;
        }
        return heldAligned(c, exponent);
    }

    bool heldAligned(Coefficient c, int exponent) {
        Coefficient sum;
        if (exponent > exponent_) {
            const int shift = exponent - exponent_;
            if (shift > kHeldDigits || !fitsScaled(c, shift)) return false;
            sum = coefficient_ + c * money_sum::kPow10[shift];
        } else {
            const int shift = exponent_ - exponent;
            if (shift > kHeldDigits || !fitsScaled(coefficient_, shift) || !fits(c)) return false;
            sum = coefficient_ * money_sum::kPow10[shift] + c;
        }
        if (!fits(sum)) return false;
        coefficient_ = sum;
        exponent_ = std::min(exponent, exponent_);
        return true;
    }

    // Beyond what is held exactly: on from the exact partial sum, one by one.
    void slowStep(const Decimal& amount, bool subtract) {
        if (!slow_) {
            slowSum_ = value();
            slow_ = true;
        }
        slowSum_ = subtract ? money::sub(slowSum_, amount) : money::add(slowSum_, amount);
    }

    Coefficient coefficient_ = 0;
    int exponent_ = 0;
    bool slow_ = false;
    Decimal slowSum_;
};
