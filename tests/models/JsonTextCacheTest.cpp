#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "models/JsonTextCache.h"

namespace {

QString utf8(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

// Texts that differ in one byte anywhere, at every length up to the longest
// kept, each come back as themselves; asked again, as the string given first.
TEST(JsonTextCache, EachTextComesBackAsItselfAndRepeatedAsTheFirstString) {
    JsonTextCache cache;
    std::vector<std::pair<std::string, QString>> given;
    for (std::size_t length = 0; length <= 128; length += length < 20 ? 1 : 9) {
        std::string base(length, ' ');
        for (std::size_t i = 0; i < length; ++i) base[i] = char('a' + (i * 7) % 26);
        given.emplace_back(base, cache.get(base));
        for (std::size_t at = 0; at < length; ++at) {
            std::string other = base;
            other[at] = 'Z';
            given.emplace_back(other, cache.get(other));
        }
    }
    given.emplace_back("Копилка", cache.get("Копилка"));
    given.emplace_back("Копилкa", cache.get("Копилкa"));  // a Latin "a" at the end
    for (const auto& [text, first] : given) {
        SCOPED_TRACE(text);
        EXPECT_EQ(first, utf8(text));
        const QString again = cache.get(std::string(text));  // another copy of the bytes
        EXPECT_EQ(again, utf8(text));
        if (!text.empty()) {  // an empty string holds no data to share
            EXPECT_TRUE(again.isSharedWith(first));
        }
    }
}

TEST(JsonTextCache, LongTextsAndTextsBeyondTheLimitAreConvertedEachTime) {
    JsonTextCache cache;
    const std::string longText(129, 'x');
    const QString first = cache.get(longText);
    EXPECT_EQ(first, utf8(longText));
    EXPECT_FALSE(cache.get(longText).isSharedWith(first));
    // Past 4,096 kept texts the rest are still read right, and the kept ones still shared.
    std::vector<QString> kept;
    for (int i = 0; i < 5000; ++i) kept.push_back(cache.get("заметка " + std::to_string(i)));
    for (int i = 0; i < 5000; ++i) {
        const std::string text = "заметка " + std::to_string(i);
        const QString again = cache.get(text);
        ASSERT_EQ(again, utf8(text)) << i;
        if (i < 4000) {
            EXPECT_TRUE(again.isSharedWith(kept[std::size_t(i)])) << i;
        }
    }
}
