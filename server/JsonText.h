#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace family {

// Writes JSON text straight from database rows, for answers too large to build
// as a document first (a family's task list). Strings are escaped as
// nlohmann::json dumps them, bytes that are not UTF-8 become U+FFFD, so the
// text reads back the same either way.
class JsonText {
public:
    std::string& text() { return out_; }

    JsonText& raw(std::string_view text) {
        out_ += text;
        return *this;
    }
    JsonText& string(std::string_view value);
    JsonText& integer(std::int64_t value) {
        char digits[24];
        out_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
        return *this;
    }
    // `"key":` after a comma unless it opens the object.
    JsonText& key(std::string_view name, bool first = false);

private:
    std::string out_;
};

}  // namespace family
