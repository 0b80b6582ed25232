#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "JsonText.h"

// The family answer is written as text; it must read back exactly as the
// document the other answers are dumped from would.
TEST(JsonText, StringsAreEscapedAsTheJsonLibraryDumpsThem) {
    const std::string cases[] = {"Убрал комнату",  "кавычки \" и \\ обратная", std::string("\x01\x1f\x7f", 3),
                                 "tab\tnl\nret\r\b\f", "🧹 уборка",            "a/b", "", std::string("nul\0x", 5)};
    for (const auto& value : cases) {
        family::JsonText out;
        out.string(value);
        EXPECT_EQ(out.text(), nlohmann::json(value).dump()) << value;
        EXPECT_EQ(nlohmann::json::parse(out.text()).get<std::string>(), value);
    }
}

TEST(JsonText, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\xff" "b", "a\xEF\xBF\xBD" "b"},
        {"\xC3", "\xEF\xBF\xBD"},                         // cut short
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a UTF-16 surrogate
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},         // an overlong '/'
    };
    for (const auto& [bytes, read] : cases) {
        family::JsonText out;
        out.raw("{").key("k", true).string(bytes).raw("}");
        const auto parsed = nlohmann::json::parse(out.text(), nullptr, false);
        ASSERT_FALSE(parsed.is_discarded()) << out.text();
        EXPECT_EQ(parsed["k"].get<std::string>(), read);
    }
}
