#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <system_error>

// What simdjson's On-Demand reader lets through that a strict JSON reader must
// refuse: number tokens outside JSON's grammar (or beyond a double), raw
// control characters and lone surrogates in strings. Both of our simdjson
// readers (the ledger file and the family server's answers) check every token
// they visit with these.
namespace jsontokens {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A hex digit's value by table: ids are 32 digits each, read in every record.
inline constexpr std::array<signed char, 256> kHexValues = [] {
    std::array<signed char, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[std::size_t(c)] = c >= '0' && c <= '9'   ? (signed char)(c - '0')
                            : c >= 'a' && c <= 'f' ? (signed char)(c - 'a' + 10)
                            : c >= 'A' && c <= 'F' ? (signed char)(c - 'A' + 10)
                                                   : (signed char)(-1);
    return t;
}();

inline int hexValue(char c) { return kHexValues[static_cast<unsigned char>(c)]; }

// The four hex digits after "\u", or -1.
inline int escapedUnit(const char* p) {
    int unit = 0;
    for (int i = 0; i < 4; ++i) {
        const int h = hexValue(p[i]);
        if (h < 0) return -1;
        unit = unit << 4 | h;
    }
    return unit;
}

// Whether the n bytes at a and at b are the same, read in words, without
// reading outside either: ledger keys and repeated texts are short, and a call
// to memcmp for each costs more than the comparison.
inline bool sameBytes(const char* a, const char* b, std::size_t n) {
    const auto word = [](const char* p) {
        std::uint64_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    };
    const auto half = [](const char* p) {
        std::uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    };
    if (n >= 8) {
        for (; n > 8; n -= 8, a += 8, b += 8)
            if (word(a) != word(b)) return false;
        return word(a + n - 8) == word(b + n - 8);
    }
    if (n >= 4) return half(a) == half(b) && half(a + n - 4) == half(b + n - 4);
    return n == 0 || (a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1]);
}

// Where the first quote, backslash or control character among the eight bytes
// at `p` stands (0 to 7), or 8 when there is none. Each test below flags the
// lowest matching byte exactly (a borrow only ever spoils bytes above it).
inline int firstSpecialByte(const char* p) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    const auto below = [](std::uint64_t w, std::uint64_t n) { return (w - ones * n) & ~w & highs; };
    const std::uint64_t special =
        below(word, 0x20) | below(word ^ (ones * '"'), 1) | below(word ^ (ones * '\\'), 1);
    return std::countr_zero(special) / 8;
}

// Checks the text of a string token from just after its opening quote up to
// its closing quote: no raw control characters, and every \u escape a whole
// code point (a high surrogate followed by an escaped low one, never a lone
// half). The other escapes are checked by simdjson when it unescapes. Gives the
// closing quote (nullptr when unsound) and whether any escape was met.
//
// The text must lie in a buffer padded as simdjson pads its input: its plain
// stretches are passed over eight bytes at a time, which reads up to seven
// bytes past the closing quote. A ledger's notes and names are most of its
// bytes, so this is the reader's busiest loop.
inline const char* soundStringEnd(const char* p, bool& escaped) {
    for (;; ++p) {
        int at;
        while ((at = firstSpecialByte(p)) == 8) p += 8;
        p += at;
        const auto c = static_cast<unsigned char>(*p);
        if (c == '"') return p;
        if (c < 0x20) return nullptr;
        if (c != '\\') continue;
        escaped = true;
        ++p;
        if (*p != 'u') continue;  // a one-letter escape; the next loop step moves past it
        const int unit = escapedUnit(p + 1);
        if (unit < 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return nullptr;
        p += 4;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (p[1] != '\\' || p[2] != 'u') return nullptr;
            const int low = escapedUnit(p + 3);
            if (low < 0xDC00 || low > 0xDFFF) return nullptr;
            p += 6;
        }
    }
}

// A number token in JSON's grammar (no "+", no leading zeros, digits on both
// sides of the point) whose value is finite as a double, as strict JSON
// readers require even of numbers they never use.
inline bool numberTokenIsSound(std::string_view s) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    if (i < n && s[i] == '-') ++i;
    if (i == n || !isDigit(s[i])) return false;
    // Decimal order of magnitude of the leading significant digit, for the overflow test.
    long long magnitude = 0;
    bool significant = false;
    if (s[i] == '0') {
        ++i;
    } else {
        significant = true;
        for (; i < n && isDigit(s[i]); ++i) ++magnitude;
    }
    if (i < n && s[i] == '.') {
        ++i;
        if (i == n || !isDigit(s[i])) return false;
        for (; i < n && isDigit(s[i]); ++i) {
            if (significant) continue;
            if (s[i] != '0')
                significant = true;
            else
                --magnitude;
        }
    }
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
        if (i == n || !isDigit(s[i])) return false;
        long long e = 0;
        for (; i < n && isDigit(s[i]); ++i) e = std::min(e * 10 + (s[i] - '0'), 1'000'000'000'000LL);
        magnitude += negative ? -e : e;
    }
    if (i != n) return false;
    // Below 10^308 every value is finite; near and above it let the double conversion decide.
    if (!significant || magnitude <= 308) return true;
    double value = 0;
    return std::from_chars(s.data(), s.data() + n, value).ec == std::errc();
}

}  // namespace jsontokens
