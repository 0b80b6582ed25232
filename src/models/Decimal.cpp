#include "models/Decimal.h"

#include "models/WideInt.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

using wide::digitCount;
using wide::i128;
using wide::kPow10;
using wide::kPow10u64;
using wide::U256;
using wide::u128;

namespace {

constexpr u128 kCoefficientLimit = kPow10.v[Decimal::kMaxDigits];  // 10^38
// Parsed exponents are clamped here; anything this far out is out of range anyway.
constexpr long long kExponentClamp = 1'000'000'000'000'000LL;

u128 magnitude(i128 c) { return c < 0 ? u128(-c) : u128(c); }

// Removes the `drop` (>= 1) lowest digits of mag, rounding half-even. `sticky`
// says a nonzero part lies below mag's last digit.
U256 dropDigits(U256 mag, long long drop, bool sticky) {
    long long n = drop - 1;
    while (n > 0 && !mag.isZero()) {
        const int k = int(std::min<long long>(n, 19));
        if (wide::divSmall(mag, kPow10u64[k]) != 0) sticky = true;
        n -= k;
    }
    const std::uint64_t roundDigit = wide::divSmall(mag, 10);
    const bool odd = (mag.lo & 1) != 0;
    if (roundDigit > 5 || (roundDigit == 5 && (sticky || odd))) mag = wide::add(mag, U256{0, 1});
    return mag;
}

}  // namespace

// Arithmetic on (sign, magnitude, exponent) triples and the one place that
// builds canonical Decimals from them.
struct DecimalOps {
    static Decimal fromCanonical(bool negative, u128 coefficient, int exponent) {
        Decimal d;
        d.coefficient_ = negative ? -i128(coefficient) : i128(coefficient);
        d.exponent_ = coefficient == 0 ? 0 : exponent;
        return d;
    }

    // mag < 10^38. Strips trailing zeros (as far as the exponent range allows)
    // and checks the range. A value below 10^kMinExponent is refused; callers
    // that round into range do so before calling.
    static std::optional<Decimal> normalise(bool negative, u128 c, long long e) {
        if (c == 0) return Decimal();
        while (e < Decimal::kMaxExponent && c > UINT64_MAX && c % 10 == 0) {
            c /= 10;
            ++e;
        }
        if (c <= UINT64_MAX) {
            std::uint64_t x = std::uint64_t(c);
            while (e < Decimal::kMaxExponent && x % 10 == 0) {
                x /= 10;
                ++e;
            }
            c = x;
        }
        while (e > Decimal::kMaxExponent && c < kPow10.v[Decimal::kMaxDigits - 1]) {
            c *= 10;
            --e;
        }
        if (e > Decimal::kMaxExponent || e < Decimal::kMinExponent) return std::nullopt;
        return fromCanonical(negative, c, int(e));
    }

    // Rounds mag * 10^exp (plus a sticky nonzero part below it, which needs mag
    // to carry at least 39 digits) half-even to 38 significant digits. With
    // `strict`, a value below the smallest exponent is refused; otherwise it
    // is rounded to that exponent, down to zero if need be.
    static std::optional<Decimal> finish(bool negative, U256 mag, long long exp, bool sticky, bool strict) {
        if (mag.isZero()) return Decimal();
        const int digits = digitCount(mag);
        long long drop = std::max(0, digits - Decimal::kMaxDigits);
        if (!strict && exp + drop < Decimal::kMinExponent) drop = Decimal::kMinExponent - exp;
        if (drop > 0) {
            mag = dropDigits(mag, drop, sticky);
            exp += drop;
            if (!(mag < U256{0, kCoefficientLimit})) {
                wide::divSmall(mag, 10);
                ++exp;
            }
        }
        return normalise(negative, mag.lo, exp);
    }

    static std::optional<Decimal> fromSigned(i128 sum, long long exp) {
        const bool negative = sum < 0;
        const u128 m = magnitude(sum);
        if (m < kCoefficientLimit) return normalise(negative, m, exp);
        return finish(negative, U256{0, m}, exp, false, false);
    }

    // |x|, |y| < 10^38: two of one sign can sum past the i128 range (about
    // 1.7 * 10^38), so that sum is taken on the magnitudes, which fit a u128.
    static std::optional<Decimal> fromSum(i128 x, i128 y, long long exp) {
        if ((x < 0) != (y < 0)) return fromSigned(x + y, exp);
        const u128 m = magnitude(x) + magnitude(y);
        if (m < kCoefficientLimit) return normalise(x < 0, m, exp);
        return finish(x < 0, U256{0, m}, exp, false, false);
    }

    static std::optional<Decimal> add(const Decimal& a, const Decimal& b) {
        if (b.coefficient_ == 0) return a;
        if (a.coefficient_ == 0) return b;
        if (a.exponent_ == b.exponent_) return fromSum(a.coefficient_, b.coefficient_, a.exponent_);

        // Both fit once aligned: the everyday case of amounts with a few decimals.
        const Decimal& high = a.exponent_ > b.exponent_ ? a : b;
        const Decimal& low = a.exponent_ > b.exponent_ ? b : a;
        const int shift = high.exponent_ - low.exponent_;
        if (shift < Decimal::kMaxDigits && magnitude(high.coefficient_) < kPow10.v[Decimal::kMaxDigits - shift])
            return fromSum(high.coefficient_ * i128(kPow10.v[shift]), low.coefficient_, low.exponent_);

        // General case: `big` is the operand reaching the higher digit. Digits of
        // `small` far below big's 38-digit window only decide the rounding, so
        // they are cut to one sticky digit to keep the aligned sum within 256 bits.
        bool negBig = a.coefficient_ < 0, negSmall = b.coefficient_ < 0;
        u128 mBig = magnitude(a.coefficient_), mSmall = magnitude(b.coefficient_);
        long long eBig = a.exponent_, eSmall = b.exponent_;
        long long topBig = digitCount(mBig) + eBig, topSmall = digitCount(mSmall) + eSmall;
        if (topBig < topSmall) {
            std::swap(negBig, negSmall);
            std::swap(mBig, mSmall);
            std::swap(eBig, eSmall);
            std::swap(topBig, topSmall);
        }
        const long long lowest = topBig - (Decimal::kMaxDigits + 4);
        if (eSmall < lowest) {
            const long long cut = lowest - eSmall;
            const u128 kept = cut > Decimal::kMaxDigits ? 0 : mSmall / kPow10.v[cut];
            const bool rest = cut > Decimal::kMaxDigits ? true : mSmall % kPow10.v[cut] != 0;
            mSmall = kept * 10 + (rest ? 1 : 0);
            eSmall = lowest - 1;
        }
        const long long emin = std::min(eBig, eSmall);
        const U256 big = wide::mulPow10(U256{0, mBig}, int(eBig - emin));
        const U256 small = wide::mulPow10(U256{0, mSmall}, int(eSmall - emin));
        if (negBig == negSmall) return finish(negBig, wide::add(big, small), emin, false, false);
        if (small < big) return finish(negBig, wide::sub(big, small), emin, false, false);
        return finish(negSmall, wide::sub(small, big), emin, false, false);
    }

    static std::optional<Decimal> mul(const Decimal& a, const Decimal& b) {
        if (a.coefficient_ == 0 || b.coefficient_ == 0) return Decimal();
        const bool negative = (a.coefficient_ < 0) != (b.coefficient_ < 0);
        const U256 product = wide::mul(magnitude(a.coefficient_), magnitude(b.coefficient_));
        return finish(negative, product, (long long)a.exponent_ + b.exponent_, false, false);
    }

    static std::optional<Decimal> div(const Decimal& a, const Decimal& b) {
        if (b.coefficient_ == 0) return std::nullopt;
        if (a.coefficient_ == 0) return Decimal();
        const bool negative = (a.coefficient_ < 0) != (b.coefficient_ < 0);
        const u128 ma = magnitude(a.coefficient_), mb = magnitude(b.coefficient_);
        // Scale the dividend so that the quotient has 39 or 40 digits: one
        // more than kept, for the rounding, with the remainder as sticky part.
        const int k = Decimal::kMaxDigits + 1 + digitCount(mb) - digitCount(ma);
        U256 quotient = wide::mulPow10(U256{0, ma}, k);
        const u128 remainder = wide::divWide(quotient, mb);
        return finish(negative, quotient, (long long)a.exponent_ - b.exponent_ - k, remainder != 0, false);
    }

    static std::optional<Decimal> parse(std::string_view s) {
        std::size_t i = 0;
        const std::size_t n = s.size();
        bool negative = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

        u128 coef = 0;
        int significant = 0;
        long long exp = 0;
        bool anyDigit = false, seenPoint = false, sticky = false;
        int roundDigit = -1;
        for (; i < n; ++i) {
            const char ch = s[i];
            if (ch == '.') {
                if (seenPoint) return std::nullopt;
                seenPoint = true;
                continue;
            }
            if (ch < '0' || ch > '9') break;
            anyDigit = true;
            const int digit = ch - '0';
            if (significant == 0 && digit == 0) {
                if (seenPoint) --exp;
                continue;
            }
            if (significant < Decimal::kMaxDigits) {
                coef = coef * 10 + u128(digit);
                ++significant;
                if (seenPoint) --exp;
            } else {
                if (roundDigit < 0)
                    roundDigit = digit;
                else if (digit != 0)
                    sticky = true;
                if (!seenPoint) ++exp;
            }
        }
        if (!anyDigit) return std::nullopt;

        if (i < n) {
            if (s[i] != 'e' && s[i] != 'E') return std::nullopt;
            ++i;
            bool expNegative = false;
            if (i < n && (s[i] == '+' || s[i] == '-')) expNegative = s[i++] == '-';
            if (i == n) return std::nullopt;
            long long e = 0;
            for (; i < n; ++i) {
                if (s[i] < '0' || s[i] > '9') return std::nullopt;
                e = std::min(kExponentClamp, e * 10 + (s[i] - '0'));
            }
            exp += expNegative ? -e : e;
        }

        // More than 38 significant digits: round half-even, as the value will be kept.
        if (roundDigit > 5 || (roundDigit == 5 && (sticky || (coef & 1) != 0))) {
            ++coef;
            if (coef == kCoefficientLimit) {
                coef = kPow10.v[Decimal::kMaxDigits - 1];
                ++exp;
            }
        }
        if (coef == 0) return Decimal();
        return normalise(negative, coef, exp);
    }

    static std::string digitsOf(u128 m) {
        char buf[48];
        char* end;
        if (m <= UINT64_MAX) {
            end = std::to_chars(buf, buf + sizeof buf, std::uint64_t(m)).ptr;
        } else {
            const std::uint64_t high = std::uint64_t(m / kPow10u64[19]);
            std::uint64_t low = std::uint64_t(m % kPow10u64[19]);
            end = std::to_chars(buf, buf + sizeof buf, high).ptr;
            for (int i = 18; i >= 0; --i) {
                end[i] = char('0' + low % 10);
                low /= 10;
            }
            end += 19;
        }
        return std::string(buf, end);
    }
};

Decimal::Decimal(long long value) {
    *this = DecimalOps::fromSigned(value, 0).value();
}

std::optional<Decimal> Decimal::parse(std::string_view text) { return DecimalOps::parse(text); }

std::optional<Decimal> Decimal::fromParts(Coefficient coefficient, int exponent) {
    const u128 m = coefficient < 0 ? u128(0) - u128(coefficient) : u128(coefficient);
    if (!(m < kCoefficientLimit)) return std::nullopt;
    return DecimalOps::normalise(coefficient < 0, m, exponent);
}

std::optional<Decimal> Decimal::parse(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return parse(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

std::string Decimal::toStdString() const {
    std::string digits = DecimalOps::digitsOf(magnitude(coefficient_));
    std::string out;
    out.reserve(digits.size() + std::size_t(std::abs(exponent_)) + 3);
    if (coefficient_ < 0) out += '-';
    if (exponent_ >= 0) {
        out += digits;
        out.append(std::size_t(exponent_), '0');
        return out;
    }
    const long long point = (long long)digits.size() + exponent_;
    if (point > 0) {
        out.append(digits, 0, std::size_t(point));
        out += '.';
        out.append(digits, std::size_t(point));
    } else {
        out += "0.";
        out.append(std::size_t(-point), '0');
        out += digits;
    }
    return out;
}

QString Decimal::toString() const { return QString::fromStdString(toStdString()); }

double Decimal::toDouble() const {
    static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const u128 m = magnitude(coefficient_);
    // Both factors exact: one correctly rounded operation.
    if (m <= (u128(1) << 53) && exponent_ >= -22 && exponent_ <= 22) {
        const double c = double(std::uint64_t(m));
        const double v = exponent_ >= 0 ? c * kExact[exponent_] : c / kExact[-exponent_];
        return coefficient_ < 0 ? -v : v;
    }
    std::string text = DecimalOps::digitsOf(m);
    text += 'e';
    text += std::to_string(exponent_);
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);  // correctly rounded; inf never arises
    return coefficient_ < 0 ? -v : v;
}

std::optional<Decimal> Decimal::fromDouble(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return parse(std::string_view(buf, std::size_t(res.ptr - buf)));
}

std::optional<Decimal> Decimal::checkedAdd(const Decimal& a, const Decimal& b) { return DecimalOps::add(a, b); }
std::optional<Decimal> Decimal::checkedSub(const Decimal& a, const Decimal& b) { return DecimalOps::add(a, -b); }
std::optional<Decimal> Decimal::checkedMul(const Decimal& a, const Decimal& b) { return DecimalOps::mul(a, b); }
std::optional<Decimal> Decimal::checkedDiv(const Decimal& a, const Decimal& b) { return DecimalOps::div(a, b); }

namespace {
Decimal orOverflow(std::optional<Decimal> r) {
    if (!r) throw std::overflow_error("Decimal result out of range");
    return *r;
}
}  // namespace

Decimal Decimal::operator+(const Decimal& o) const { return orOverflow(checkedAdd(*this, o)); }
Decimal Decimal::operator-(const Decimal& o) const { return orOverflow(checkedSub(*this, o)); }
Decimal Decimal::operator*(const Decimal& o) const { return orOverflow(checkedMul(*this, o)); }
Decimal Decimal::operator/(const Decimal& o) const {
    if (o.isZero()) throw std::domain_error("Decimal division by zero");
    return orOverflow(checkedDiv(*this, o));
}

Decimal Decimal::operator-() const {
    Decimal r = *this;
    r.coefficient_ = -r.coefficient_;
    return r;
}

Decimal Decimal::truncated() const {
    if (exponent_ >= 0) return *this;
    if (-exponent_ > kMaxDigits) return Decimal();
    return DecimalOps::fromSigned(coefficient_ / i128(kPow10.v[-exponent_]), 0).value();
}

Decimal Decimal::rounded(int fractionDigits) const {
    const long long target = -(long long)fractionDigits;
    if (exponent_ >= target) return *this;
    const U256 m = dropDigits(U256{0, magnitude(coefficient_)}, target - exponent_, false);
    return orOverflow(DecimalOps::normalise(coefficient_ < 0, m.lo, target));
}

long long Decimal::toInt64Saturated() const {
    constexpr long long kMax = std::numeric_limits<long long>::max();
    constexpr long long kMin = std::numeric_limits<long long>::min();
    const Decimal t = truncated();
    if (t.isZero()) return 0;
    u128 m = magnitude(t.coefficient_);
    if (digitCount(m) + t.exponent_ > 19) return t.coefficient_ < 0 ? kMin : kMax;
    m *= kPow10.v[t.exponent_];
    if (t.coefficient_ < 0) return m >= u128(kMax) + 1 ? kMin : -(long long)m;
    return m > u128(kMax) ? kMax : (long long)m;
}

std::strong_ordering Decimal::operator<=>(const Decimal& o) const {
    const int sa = signum(), sb = o.signum();
    if (sa != sb) return sa <=> sb;
    if (sa == 0) return std::strong_ordering::equal;
    u128 ma = magnitude(coefficient_), mb = magnitude(o.coefficient_);
    std::strong_ordering byMagnitude = std::strong_ordering::equal;
    if (exponent_ != o.exponent_) {
        const int ta = digitCount(ma) + exponent_, tb = digitCount(mb) + o.exponent_;
        if (ta != tb) {
            byMagnitude = ta <=> tb;
            return sa > 0 ? byMagnitude : 0 <=> byMagnitude;
        }
        // Same leading position: aligning keeps both under 10^38.
        if (exponent_ > o.exponent_)
            ma *= kPow10.v[exponent_ - o.exponent_];
        else
            mb *= kPow10.v[o.exponent_ - exponent_];
    }
    byMagnitude = ma < mb ? std::strong_ordering::less
                          : (ma > mb ? std::strong_ordering::greater : std::strong_ordering::equal);
    return sa > 0 ? byMagnitude : 0 <=> byMagnitude;
}
