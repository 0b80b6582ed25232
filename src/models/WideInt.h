#pragma once

// Unsigned integers of up to 256 bits for Decimal's intermediate results: a
// product of two 38-digit coefficients has up to 76 digits, an aligned sum or a
// scaled dividend up to 77. Internal to the models library.

#include <cstdint>

namespace wide {

__extension__ typedef unsigned __int128 u128;
__extension__ typedef __int128 i128;

// 10^0 .. 10^38, the powers that fit in 128 bits.
struct Pow10Table {
    u128 v[39];
    constexpr Pow10Table() : v{} {
        u128 p = 1;
        for (int i = 0; i < 39; ++i) {
            v[i] = p;
            p *= 10;
        }
    }
};
inline constexpr Pow10Table kPow10{};

inline constexpr std::uint64_t kPow10u64[20] = {1ULL,
                                                10ULL,
                                                100ULL,
                                                1000ULL,
                                                10000ULL,
                                                100000ULL,
                                                1000000ULL,
                                                10000000ULL,
                                                100000000ULL,
                                                1000000000ULL,
                                                10000000000ULL,
                                                100000000000ULL,
                                                1000000000000ULL,
                                                10000000000000ULL,
                                                100000000000000ULL,
                                                1000000000000000ULL,
                                                10000000000000000ULL,
                                                100000000000000000ULL,
                                                1000000000000000000ULL,
                                                10000000000000000000ULL};

// Decimal digits of v; 1 for 0.
inline int digitCount(u128 v) {
    if (v <= UINT64_MAX) {
        const std::uint64_t x = static_cast<std::uint64_t>(v);
        int n = 1;
        while (n < 20 && x >= kPow10u64[n]) ++n;
        return n;
    }
    int n = 20;
    while (n < 39 && v >= kPow10.v[n]) ++n;
    return n;
}

struct U256 {
    u128 hi = 0;
    u128 lo = 0;

    bool isZero() const { return hi == 0 && lo == 0; }
    friend bool operator==(const U256&, const U256&) = default;
    friend bool operator<(const U256& a, const U256& b) { return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo; }
};

inline U256 add(U256 a, U256 b) {
    U256 r;
    r.lo = a.lo + b.lo;
    r.hi = a.hi + b.hi + (r.lo < a.lo ? 1 : 0);
    return r;
}

// a - b for a >= b.
inline U256 sub(U256 a, U256 b) {
    U256 r;
    r.lo = a.lo - b.lo;
    r.hi = a.hi - b.hi - (a.lo < b.lo ? 1 : 0);
    return r;
}

inline U256 mul(u128 a, u128 b) {
    const u128 mask = UINT64_MAX;
    const u128 a0 = a & mask, a1 = a >> 64, b0 = b & mask, b1 = b >> 64;
    const u128 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const u128 mid = (p00 >> 64) + (p01 & mask) + (p10 & mask);
    U256 r;
    r.lo = (p00 & mask) | (mid << 64);
    r.hi = p11 + (p01 >> 64) + (p10 >> 64) + (mid >> 64);
    return r;
}

// a * m for a result known to fit in 256 bits.
inline U256 mulSmall(U256 a, std::uint64_t m) {
    U256 lo = mul(a.lo, m);
    lo.hi += a.hi * m;
    return lo;
}

inline U256 mulPow10(U256 a, int n) {
    while (n > 19) {
        a = mulSmall(a, kPow10u64[19]);
        n -= 19;
    }
    return n > 0 ? mulSmall(a, kPow10u64[n]) : a;
}

// Divides a by d in place; returns the remainder.
inline std::uint64_t divSmall(U256& a, std::uint64_t d) {
    const u128 mask = UINT64_MAX;
    std::uint64_t limbs[4] = {static_cast<std::uint64_t>(a.hi >> 64), static_cast<std::uint64_t>(a.hi & mask),
                              static_cast<std::uint64_t>(a.lo >> 64), static_cast<std::uint64_t>(a.lo & mask)};
    u128 rem = 0;
    for (auto& limb : limbs) {
        const u128 cur = (rem << 64) | limb;
        limb = static_cast<std::uint64_t>(cur / d);
        rem = cur % d;
    }
    a.hi = (u128(limbs[0]) << 64) | limbs[1];
    a.lo = (u128(limbs[2]) << 64) | limbs[3];
    return static_cast<std::uint64_t>(rem);
}

// Divides a by d (0 < d < 2^127) in place; returns the remainder.
inline u128 divWide(U256& a, u128 d) {
    if (d <= UINT64_MAX) return divSmall(a, static_cast<std::uint64_t>(d));
    if (a.hi == 0) {
        const u128 rem = a.lo % d;
        a.lo /= d;
        return rem;
    }
    U256 q;
    u128 rem = 0;
    for (int bit = 255; bit >= 0; --bit) {
        const u128 word = bit >= 128 ? a.hi : a.lo;
        rem = (rem << 1) | ((word >> (bit & 127)) & 1);
        if (rem >= d) {
            rem -= d;
            if (bit >= 128)
                q.hi |= u128(1) << (bit - 128);
            else
                q.lo |= u128(1) << bit;
        }
    }
    a = q;
    return rem;
}

// Decimal digits of a; 1 for 0.
inline int digitCount(U256 a) {
    if (a.hi == 0) return digitCount(a.lo);
    int n = 0;
    while (a.hi != 0) {
        divSmall(a, kPow10u64[19]);
        n += 19;
    }
    return n + digitCount(a.lo);
}

}  // namespace wide
