#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

#include "models/Decimal.h"

namespace {

Decimal D(std::string_view text) {
    auto d = Decimal::parse(text);
    if (!d) throw std::invalid_argument(std::string("bad decimal in test: ") + std::string(text));
    return *d;
}

std::string S(const Decimal& d) { return d.toStdString(); }

const std::string k38Nines = "99999999999999999999999999999999999999";

}  // namespace

TEST(DecimalText, PlainTextHasNoExponentNoTrailingZerosNoNegativeZeroAndRoundsPast38DigitsHalfEven) {
    const std::string zeros36(36, '0'), zeros37(37, '0'), ones37(37, '1');
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"12.50", "12.5"}, {"1000", "1000"}, {"-3", "-3"}, {"0.001", "0.001"}, {"-0", "0"}, {"-0.000", "0"},
        {"1e3", "1000"}, {"1.5E-3", "0.0015"}, {"+7", "7"}, {".5", "0.5"}, {"5.", "5"}, {"000123.4500", "123.45"},
        {"1e127", "1" + std::string(127, '0')}, {"1e-128", "0." + std::string(126, '0') + "01"},
        // A whole number with trailing zeros past the exponent limit keeps them in the coefficient.
        {"1e128", "1" + std::string(128, '0')},
        {"1." + zeros37 + "5", "1"},  // tie, kept digit even
        {"1." + zeros37 + "51", "1." + zeros36 + "1"}, {"1." + zeros36 + "15", "1." + zeros36 + "2"},
        {"0." + ones37 + "15", "0." + ones37 + "2"},   {"0." + ones37 + "25", "0." + ones37 + "2"},
        {"0." + ones37 + "251", "0." + ones37 + "3"},  {k38Nines + ".5", "1" + std::string(38, '0')},
        {"1." + std::string(60, '0'), "1"},  // trailing zeros beyond 38 digits lose nothing
    };
    // clang-format on
    for (const auto& [in, out] : cases) EXPECT_EQ(S(D(in)), out) << in;
    EXPECT_EQ(D("12.5").toString(), QStringLiteral("12.5"));
    // Equal values have equal representations.
    EXPECT_EQ(D("0.5e1"), D("5"));
    EXPECT_EQ(D("1.0").exponent(), 0);
    EXPECT_EQ(D("1200").coefficient(), 12);
    EXPECT_EQ(D("1200").exponent(), 2);
    EXPECT_EQ(D("-0").exponent(), 0);
    EXPECT_FALSE(D("-0").isNegative());
}

TEST(DecimalText, RejectsMalformedTextAndNumbersOutsideTheRange) {
    // clang-format off
    for (const char* bad : {"", "-", "+", ".", "1.2.3", "1,5", " 1", "1 ", "1e", "1e+", "e5", "--1", "+-1", "0x10",
                            "1_000", "inf", "nan", "١٢", "1e999999999", "1e99999999999999999999999", "-1e-999999999",
                            "1e166", "1e-129"})
        EXPECT_FALSE(Decimal::parse(std::string_view(bad)).has_value()) << bad;
    // clang-format on
    EXPECT_FALSE(Decimal::parse(k38Nines + "9e127").has_value());  // rounds up to 1e166
    EXPECT_FALSE(Decimal::parse(QStringLiteral("12,5")).has_value());
    EXPECT_TRUE(Decimal::parse(QStringLiteral("12.5")).has_value());
    EXPECT_TRUE(Decimal::parse(std::string_view("10e-129")).has_value());  // = 1e-128
    EXPECT_TRUE(Decimal::parse(k38Nines + "e127").has_value());
    EXPECT_EQ(D("0e999999999"), Decimal());  // zero is zero at any exponent
}

TEST(DecimalArithmetic, ExactSumsDifferencesAndProducts) {
    EXPECT_EQ(S(D("0.1") + D("0.2")), "0.3");
    EXPECT_EQ(S(D("12.5") + D("3.75")), "16.25");
    EXPECT_EQ(S(D("10") - D("10.00")), "0");
    EXPECT_EQ(S(D("1") - D("1.01")), "-0.01");
    EXPECT_EQ(S(D("-2.5") * D("4")), "-10");
    EXPECT_EQ(S(D("0.1") * D("0.1")), "0.01");
    EXPECT_EQ(S(D("1e100") - D("1e100")), "0");
    EXPECT_EQ(S(D("123456789012345678901234567890.12345678") + D("0.00000001")),
              "123456789012345678901234567890.12345679");
    EXPECT_EQ(S(D("9999999999999999999") * D("9999999999999999999")),
              "99999999999999999980000000000000000001");
    Decimal sum;
    for (int i = 0; i < 1000; ++i) sum += D("0.01");
    EXPECT_EQ(sum, Decimal(10));
}

TEST(DecimalArithmetic, ResultsBeyond38DigitsRoundInsteadOfFailing) {
    const Decimal third = D("1") / D("3");
    EXPECT_EQ(S(third), "0." + std::string(38, '3'));
    // 100 + 1/3 needs 41 digits: kept to 38, rounded half-even.
    EXPECT_EQ(S(Decimal(100) + third), "100." + std::string(35, '3'));
    // 1e30 has 31 digits, so 7 fraction digits are kept; the 8th decides.
    EXPECT_EQ(S(D("1e30") + D("0.00000005")), "1" + std::string(30, '0'));  // tie, kept digit even
    EXPECT_EQ(S(D("1e30") + D("0.000000051")), "1" + std::string(30, '0') + ".0000001");
    EXPECT_EQ(S(D("1e30") + D("0.00000015")), "1" + std::string(30, '0') + ".0000002");
    // A tiny subtrahend pulls a power of ten below it and rounds back up to it.
    EXPECT_EQ(S(D("1e40") - D("1e-40")), "1" + std::string(40, '0'));
    EXPECT_EQ(S(D("1e40") + D("-1e-40")), S(D("1e40")));
    // A far smaller operand still decides a tie: 1e37 + 0.5 + tiny rounds up.
    EXPECT_EQ(S(D("1e37") + D("0.5" + std::string(36, '0') + "1")), "1" + std::string(36, '0') + "1");
    EXPECT_EQ(S(D("1e37") + D("0.5")), "1" + std::string(37, '0'));  // tie goes to even
    EXPECT_EQ(S(D("1e37") + D("1.5")), "1" + std::string(36, '0') + "2");
    // Two 38-digit coefficients of one sign sum past the signed 128-bit range.
    EXPECT_EQ(S(D(k38Nines) + D(k38Nines)), "2" + std::string(38, '0'));
    EXPECT_EQ(S(D("-" + k38Nines) - D(k38Nines)), "-2" + std::string(38, '0'));
    EXPECT_EQ(S(D(std::string(37, '9') + "0") + D(k38Nines)), "1" + std::string(37, '9') + "0");
    // Product of two 38-digit numbers.
    EXPECT_EQ(S(D(k38Nines) * D(k38Nines)), "99999999999999999999999999999999999998" + std::string(38, '0'));
}

TEST(DecimalArithmetic, DivisionRoundsHalfEvenTo38Digits) {
    EXPECT_EQ(S(D("2") / D("3")), "0." + std::string(37, '6') + "7");
    EXPECT_EQ(S(D("1") / D("7")), "0.14285714285714285714285714285714285714");
    EXPECT_EQ(S(D("1") / D("4")), "0.25");
    EXPECT_EQ(S(D("-10") / D("4")), "-2.5");
    EXPECT_EQ(S(D("1") / D("-8")), "-0.125");
    EXPECT_EQ(S(D("100") / D("0.01")), "10000");
    EXPECT_EQ(S(D("0") / D("3")), "0");
    // Exactly representable quotient stays exact.
    EXPECT_EQ(S(D("1" + std::string(36, '0') + "2") / D("2")), "5" + std::string(35, '0') + "1");
    // Tie in the 39th digit: an exact half goes to the even neighbour.
    EXPECT_EQ(S(D("2" + std::string(36, '0') + "1") / D("2")), "1" + std::string(37, '0'));
    EXPECT_EQ(S(D("2" + std::string(36, '0') + "3") / D("2")), "1" + std::string(36, '0') + "2");
    EXPECT_EQ(S(D(k38Nines) / D("0.0000000000000000000000000000000000007")),
              "14285714285714285714285714285714285714" + std::string(37, '0'));
    EXPECT_FALSE(Decimal::checkedDiv(Decimal(1), Decimal()).has_value());
    EXPECT_THROW(Decimal(1) / Decimal(), std::domain_error);
}

TEST(DecimalArithmetic, OverflowIsRefusedNeverWrapped) {
    const Decimal largest = D(k38Nines + "e127");
    EXPECT_FALSE(Decimal::checkedAdd(largest, largest).has_value());
    EXPECT_FALSE(Decimal::checkedSub(-largest, largest).has_value());
    EXPECT_FALSE(Decimal::checkedMul(D("1e100"), D("1e100")).has_value());
    EXPECT_FALSE(Decimal::checkedDiv(D("1e100"), D("1e-100")).has_value());
    EXPECT_THROW(largest + largest, std::overflow_error);
    EXPECT_THROW(D("1e100") * D("1e100"), std::overflow_error);
    EXPECT_EQ(Decimal::checkedAdd(largest, -largest), Decimal());
    // Underflow rounds to the smallest exponent instead.
    EXPECT_EQ(Decimal::checkedMul(D("1e-100"), D("1e-100")), Decimal());
    EXPECT_EQ(S(*Decimal::checkedMul(D("1.5e-64"), D("1e-64"))), "0." + std::string(127, '0') + "2");
}

TEST(DecimalArithmetic, ComparisonFollowsTheValue) {
    const std::pair<const char*, std::string> ascending[] = {
        {"-1", "0"},           {"0", "0.0000001"},
        {"-2", "-1.5"},        {"9.99", "10"},
        {"1e-128", "2e-128"},  {"12.34", "12.345"},
        {"-12.345", "-12.34"}, {"99999999999999999999999999999999999999", "1e127"}};
    for (const auto& [low, high] : ascending) EXPECT_LT(D(low), D(high)) << low << " < " << high;
    EXPECT_EQ(D("5") <=> D("5.000"), std::strong_ordering::equal);
    EXPECT_EQ(Decimal::min(D("3"), D("-3")), D("-3"));
    EXPECT_EQ(Decimal::max(D("3"), D("-3")), D("3"));
    EXPECT_EQ(D("-4.5").abs(), D("4.5"));
}

TEST(DecimalArithmetic, TruncateRoundHalfEvenAndInt64) {
    const std::tuple<const char*, int, const char*> rounded[] = {
        {"2.015", 2, "2.02"},   {"2.005", 2, "2"},  {"2.025", 2, "2.02"}, {"2.0251", 2, "2.03"},
        {"-2.015", 2, "-2.02"}, {"0.5", 0, "0"},    {"1.5", 0, "2"},      {"1250", -2, "1200"},
        {"0.004", 2, "0"},      {"12.5", 5, "12.5"}};
    for (const auto& [in, places, out] : rounded)
        EXPECT_EQ(S(D(in).rounded(places)), out) << in << " to " << places;
    EXPECT_EQ(S(D("12.99").truncated()), "12");
    EXPECT_EQ(S(D("-12.99").truncated()), "-12");
    EXPECT_EQ(S(D("0.5").truncated()), "0");
    constexpr auto kMax = std::numeric_limits<long long>::max(), kMin = std::numeric_limits<long long>::min();
    // clang-format off
    const std::pair<const char*, long long> saturated[] = {
        {"12.99", 12}, {"-12.99", -12}, {"9223372036854775807", kMax}, {"9223372036854775808", kMax},
        {"-9223372036854775808", kMin}, {"-1e30", kMin}};
    // clang-format on
    for (const auto& [in, out] : saturated) EXPECT_EQ(D(in).toInt64Saturated(), out) << in;
    EXPECT_EQ(Decimal(kMin).toStdString(), "-9223372036854775808");
}

TEST(DecimalDouble, ToDoubleIsCorrectlyRounded) {
    EXPECT_EQ(D("0.1").toDouble(), 0.1);
    EXPECT_EQ(D("12.5").toDouble(), 12.5);
    EXPECT_EQ(D("-3").toDouble(), -3.0);
    EXPECT_EQ(Decimal().toDouble(), 0.0);
    // Needs more than one rounding step done naively (coefficient beyond 2^53).
    EXPECT_EQ(D("9007199254740993").toDouble(), 9007199254740992.0);
    EXPECT_EQ(D("9007199254740993.0000000001").toDouble(), 9007199254740994.0);
    EXPECT_EQ(D("1e-128").toDouble(), std::strtod("1e-128", nullptr));
    EXPECT_EQ(D(k38Nines + "e127").toDouble(), std::strtod((k38Nines + "e127").c_str(), nullptr));
    std::mt19937_64 rng(42);
    for (int i = 0; i < 2000; ++i) {
        const std::string text = std::to_string(rng() % 100000000000ULL) + "." +
                                 std::to_string(rng() % 1000000) + "e" + std::to_string(int(rng() % 80) - 40);
        EXPECT_EQ(D(text).toDouble(), std::strtod(text.c_str(), nullptr)) << text;
    }
}

TEST(DecimalDouble, FromDoubleUsesShortestDigits) {
    EXPECT_EQ(S(*Decimal::fromDouble(0.1)), "0.1");
    EXPECT_EQ(S(*Decimal::fromDouble(0.1 + 0.2)), "0.30000000000000004");
    EXPECT_EQ(S(*Decimal::fromDouble(-1700000000.0)), "-1700000000");
    EXPECT_EQ(S(*Decimal::fromDouble(1e20)), "100000000000000000000");
    EXPECT_EQ(*Decimal::fromDouble(-0.0), Decimal());
    EXPECT_FALSE(Decimal::fromDouble(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(Decimal::fromDouble(std::nan("")).has_value());
    EXPECT_FALSE(Decimal::fromDouble(1e300).has_value());
    EXPECT_FALSE(Decimal::fromDouble(5e-324).has_value());
}

TEST(DecimalArithmetic, RandomIdentitiesHold) {
    std::mt19937_64 rng(7);
    auto randomDecimal = [&] {
        const std::string text = (rng() % 2 ? "-" : "") + std::to_string(rng() % 10000000000000ULL) + "e" +
                                 std::to_string(int(rng() % 11) - 5);
        return D(text);
    };
    for (int i = 0; i < 3000; ++i) {
        const Decimal a = randomDecimal(), b = randomDecimal();
        // At most 13 digits and exponents within 10 of each other: sums and products are exact.
        EXPECT_EQ((a + b) - b, a);
        EXPECT_EQ(a + b, b + a);
        EXPECT_EQ(a * b, b * a);
        if (!b.isZero()) {
            EXPECT_EQ((a * b) / b, a);
        }
        if (a.toDouble() < b.toDouble()) {
            EXPECT_LT(a, b);
        }
        EXPECT_EQ(a < b, S(b - a)[0] != '-' && !(b - a).isZero());
        EXPECT_EQ(D(a.toStdString()), a);
    }
}

TEST(DecimalArithmetic, WideExponentResultsAgreeWithDoubles) {
    std::mt19937_64 rng(11);
    auto randomDecimal = [&] {
        const std::string text = (rng() % 2 ? "-" : "") + std::to_string(rng() % 1000000000000000000ULL) +
                                 std::to_string(rng() % 1000000000000000000ULL) + "e" +
                                 std::to_string(int(rng() % 120) - 80);
        return D(text);
    };
    auto near = [](double x, double y) {
        return std::fabs(x - y) <= 1e-14 * std::max(std::fabs(x), std::fabs(y));
    };
    for (int i = 0; i < 3000; ++i) {
        const Decimal a = randomDecimal(), b = randomDecimal();
        const double da = a.toDouble(), db = b.toDouble();
        EXPECT_TRUE(near((a + b).toDouble(), da + db) || std::fabs(da + db) < 1e-12 * std::fabs(da))
            << S(a) << " + " << S(b);
        EXPECT_TRUE(near((a - b).toDouble(), da - db) || std::fabs(da - db) < 1e-12 * std::fabs(da));
        if (auto p = Decimal::checkedMul(a, b); p && std::fabs(da * db) > 1e-90) {
            EXPECT_TRUE(near(p->toDouble(), da * db)) << S(a) << " * " << S(b);
        }
        // Quotients below 1e-90 lose digits to the smallest exponent; skip them here.
        if (auto q = Decimal::checkedDiv(a, b); q && std::fabs(da / db) > 1e-90) {
            EXPECT_TRUE(near(q->toDouble(), da / db)) << S(a) << " / " << S(b);
        }
        EXPECT_EQ(a < b, da < db || (da == db && (b - a).signum() > 0));
    }
}
