#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "models/JsonTokens.h"

namespace {

// The string check one byte at a time, as it was before plain stretches were
// passed over in words: what the word-wise check must agree with everywhere.
const char* stringEndByteByByte(const char* p, bool& escaped) {
    for (;; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '"') return p;
        if (c < 0x20) return nullptr;
        if (c != '\\') continue;
        escaped = true;
        ++p;
        if (*p != 'u') continue;
        const int unit = jsontokens::escapedUnit(p + 1);
        if (unit < 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return nullptr;
        p += 4;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (p[1] != '\\' || p[2] != 'u') return nullptr;
            const int low = jsontokens::escapedUnit(p + 3);
            if (low < 0xDC00 || low > 0xDFFF) return nullptr;
            p += 6;
        }
    }
}

// A string token's text after its opening quote, with the closing quote and
// simdjson's padding behind it.
std::string padded(const std::string& text) { return text + "\"" + std::string(64, ' '); }

}  // namespace

// One odd piece at every place within and across the eight-byte words, among
// plain ASCII or among bytes that differ from a quote or a backslash only in
// their top bit (0xA2, 0xDC) or lie just beside the control range.
TEST(JsonTokens, StringCheckAgreesWithTheByteByByteCheckWhereverTheOddPieceStands) {
    const std::string pieces[] = {"\"",      "\\\"",     "\\\\",  "\\n",  "\\u0041",       "\\ud83d\\ude00",
                                  "\\ud800", "\\udc00", "\\x",    "\x1f", std::string(1, '\0'), "\t",
                                  "\x7f",    "\xa2",    "\xdc",   "\xc2\xa0", "\xff",      " "};
    const std::string fillers[] = {"abcdefghijklmnopqrstuvwx", "\xa2\xdc\x9f\xa0\x80\xe2\x80\x9c\xa2\xdc\xa2\xdc",
                                   "!#$%&'()*+,-./[]^_`{|}~!#$"};
    int cases = 0;
    for (const std::string& piece : pieces) {
        for (const std::string& filler : fillers) {
            for (std::size_t at = 0; at <= 17; ++at) {
                for (std::size_t after : {std::size_t(0), std::size_t(1), std::size_t(7), std::size_t(9)}) {
                    std::string text;
                    for (std::size_t i = 0; i < at; ++i) text += filler[i % filler.size()];
                    text += piece;
                    for (std::size_t i = 0; i < after; ++i) text += filler[(at + i) % filler.size()];
                    const std::string bytes = padded(text);
                    bool escaped = false, escapedBefore = false;
                    const char* end = jsontokens::soundStringEnd(bytes.data(), escaped);
                    const char* endBefore = stringEndByteByByte(bytes.data(), escapedBefore);
                    SCOPED_TRACE(testing::Message() << "piece " << testing::PrintToString(piece) << " at " << at
                                                    << " then " << after);
                    EXPECT_EQ(end, endBefore);
                    if (endBefore) {
                        EXPECT_EQ(escaped, escapedBefore);
                    }
                    ++cases;
                }
            }
        }
    }
    EXPECT_GT(cases, 1000);
}

TEST(JsonTokens, StringCheckFindsTheClosingQuoteOfPlainTextsOfEveryLength) {
    for (std::size_t length = 0; length <= 40; ++length) {
        const std::string bytes = padded(std::string(length, 'x'));
        bool escaped = false;
        EXPECT_EQ(jsontokens::soundStringEnd(bytes.data(), escaped), bytes.data() + length) << length;
        EXPECT_FALSE(escaped);
    }
}

TEST(JsonTokens, HexDigitsAreTheSixteenOfEitherCaseAndNothingElse) {
    for (int c = 0; c < 256; ++c) {
        const char ch = char(c);
        const int expected = c >= '0' && c <= '9'   ? c - '0'
                             : c >= 'a' && c <= 'f' ? c - 'a' + 10
                             : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                    : -1;
        EXPECT_EQ(jsontokens::hexValue(ch), expected) << c;
    }
}

TEST(JsonTokens, SameBytesSeesADifferenceAtEveryPlaceOfEveryLength) {
    for (std::size_t length = 0; length <= 40; ++length) {
        std::string a(length, 'k');
        for (std::size_t i = 0; i < length; ++i) a[i] = char('a' + i % 26);
        std::string b = a;
        EXPECT_TRUE(jsontokens::sameBytes(a.data(), b.data(), length)) << length;
        for (std::size_t at = 0; at < length; ++at) {
            b = a;
            b[at] = char(b[at] ^ 0x20);
            EXPECT_FALSE(jsontokens::sameBytes(a.data(), b.data(), length)) << length << " at " << at;
        }
    }
}
