#pragma once

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <string_view>
#include <system_error>

// What simdjson's On-Demand reader lets through that a strict JSON reader must
// refuse: number tokens outside JSON's grammar (or beyond a double), raw
// control characters and lone surrogates in strings. Both of our simdjson
// readers (the ledger file and the family server's answers) check every token
// they visit with these.
namespace jsontokens {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

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

// Checks the text of a string token from just after its opening quote up to
// its closing quote: no raw control characters, and every \u escape a whole
// code point (a high surrogate followed by an escaped low one, never a lone
// half). The other escapes are checked by simdjson when it unescapes. Gives the
// closing quote (nullptr when unsound) and whether any escape was met.
inline const char* soundStringEnd(const char* p, bool& escaped) {
    for (;; ++p) {
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
