#include "store/MoneyMath.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace money {

namespace {

Decimal saturate(int sign) { return sign < 0 ? -largest() : largest(); }

// The value of a double as a Decimal, or the saturated limit of its sign.
Decimal fromDoubleOrSaturate(double value) {
    if (std::isnan(value)) return Decimal();
    if (auto d = Decimal::fromDouble(value)) return *d;
    return saturate(value < 0 ? -1 : 1);
}

int fractionDigits(const Decimal& d) { return d.exponent() < 0 ? -d.exponent() : 0; }

// Exact when the result fits in 38 digits (every real ledger). Otherwise the
// operand with the longer fraction gives up its last digit, rounded half-even,
// until the result fits, the way a 38-digit decimal rounds a long quotient.
template <typename Op>
std::optional<Decimal> retryRounded(Decimal a, Decimal b, Op op) {
    for (int step = 0; step <= 2 * (Decimal::kMaxExponent - Decimal::kMinExponent + Decimal::kMaxDigits);
         ++step) {
        if (auto r = op(a, b)) return r;
        const int fa = fractionDigits(a);
        const int fb = fractionDigits(b);
        if (fa == 0 && fb == 0) break;
        if (fa >= fb)
            a = a.rounded(fa - 1);
        else
            b = b.rounded(fb - 1);
    }
    return std::nullopt;
}

}  // namespace

Decimal largest() {
    static const Decimal value = [] {
        const std::string_view nines = "99999999999999999999999999999999999999";
        const std::string text = std::string(nines) + "e" + std::to_string(Decimal::kMaxExponent);
        return Decimal::parse(std::string_view(text)).value_or(*Decimal::parse(nines));
    }();
    return value;
}

Decimal add(const Decimal& a, const Decimal& b) {
    if (auto r = retryRounded(a, b, Decimal::checkedAdd)) return *r;
    return fromDoubleOrSaturate(a.toDouble() + b.toDouble());
}

Decimal sub(const Decimal& a, const Decimal& b) {
    if (auto r = retryRounded(a, b, Decimal::checkedSub)) return *r;
    return fromDoubleOrSaturate(a.toDouble() - b.toDouble());
}

Decimal mul(const Decimal& a, const Decimal& b) {
    if (auto r = retryRounded(a, b, Decimal::checkedMul)) return *r;
    return fromDoubleOrSaturate(a.toDouble() * b.toDouble());
}

Decimal div(const Decimal& a, const Decimal& b) {
    if (b.isZero()) return Decimal();
    if (auto r = Decimal::checkedDiv(a, b)) return *r;
    return fromDoubleOrSaturate(a.toDouble() / b.toDouble());
}

double ratio(const Decimal& a, const Decimal& b) {
    if (b.isZero()) return 0;
    if (auto r = Decimal::checkedDiv(a, b)) return r->toDouble();
    return a.toDouble() / b.toDouble();
}

qint64 truncatedPercent(const Decimal& part, const Decimal& whole) {
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    if (whole.signum() <= 0 || part.isZero()) return 0;
    const int sign = part.signum();
    const Decimal magnitude = part.abs();
    const auto scaled = Decimal::checkedMul(magnitude, Decimal(100));
    std::optional<Decimal> quotient = scaled ? Decimal::checkedDiv(*scaled, whole) : std::nullopt;
    if (!quotient) {
        // Far beyond 64 bits either way: |part| is at least 10^127-ish times whole.
        const double approx = magnitude.toDouble() / whole.toDouble() * 100.0;
        if (!(approx < 9.2e18)) return sign < 0 ? kMin : kMax;
        const qint64 q = qint64(approx);
        return sign < 0 ? -q : q;
    }
    // The quotient is rounded to 38 digits; step the truncation so that
    // q × whole <= scaled < (q + 1) × whole holds exactly.
    Decimal q = quotient->truncated();
    if (auto back = Decimal::checkedMul(q, whole); back && *scaled < *back) q = q - Decimal(1);
    if (auto next = Decimal::checkedMul(q + Decimal(1), whole); next && !(*scaled < *next))
        q = q + Decimal(1);
    const qint64 value = q.toInt64Saturated();
    if (sign > 0) return value;
    return value == kMax && q > Decimal(kMax) ? kMin : -value;
}

qint64 addSaturated(qint64 a, qint64 b) {
    qint64 r;
    if (__builtin_add_overflow(a, b, &r))
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return r;
}

qint64 mulSaturated(qint64 a, qint64 b) {
    qint64 r;
    if (__builtin_mul_overflow(a, b, &r))
        return ((a < 0) != (b < 0)) ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    return r;
}

}  // namespace money
