#include "JsonText.h"

namespace family {

namespace {

// Length of the valid UTF-8 sequence at `at`, or 0.
std::size_t utf8Length(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = byte(at);
    std::size_t length = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (c >= 0xC2 && c <= 0xDF) length = 2, code = c & 0x1F, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF) length = 3, code = c & 0x0F, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) length = 4, code = c & 0x07, min = 0x10000;
    else return 0;
    if (at + length > s.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

JsonText& JsonText::string(std::string_view value) {
    static constexpr char hex[] = "0123456789abcdef";
    out_ += '"';
    // Text that needs no escape goes out in runs: one append per run, not per byte.
    std::size_t run = 0;
    const auto flush = [&](std::size_t end) {
        out_.append(value.data() + run, end - run);
    };
    for (std::size_t i = 0; i < value.size();) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
            ++i;
            continue;
        }
        if (c >= 0x80) {
            if (const auto length = utf8Length(value, i)) {
                i += length;
                continue;
            }
        }
        flush(i);
        switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\b': out_ += "\\b"; break;
        case '\f': out_ += "\\f"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
            if (c < 0x20) {
                out_ += "\\u00";
                out_ += hex[c >> 4];
                out_ += hex[c & 0xF];
            } else {
                out_ += "\xEF\xBF\xBD";  // not UTF-8
            }
        }
        run = ++i;
    }
    flush(value.size());
    out_ += '"';
    return *this;
}

JsonText& JsonText::key(std::string_view name, bool first) {
    if (!first) out_ += ',';
    string(name);
    out_ += ':';
    return *this;
}

}  // namespace family
