#include "TextRules.h"

#include <cstdint>

namespace family {

namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

std::size_t codePoints(std::string_view text) {
    std::size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size()) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

std::optional<std::string> accountProblem(std::string_view email, std::string_view nickname, std::string_view role,
                                          std::string_view password) {
    const auto mail = trimmed(email);
    const auto at = mail.find('@');
    if (mail.empty() || mail.size() > 254 || at == std::string::npos || at == 0 || at + 1 == mail.size() ||
        mail.find_first_of(" \t\r\n") != std::string::npos || !isValidUtf8(mail))
        return "the e-mail address is not valid";
    const auto name = trimmed(nickname);
    if (name.empty() || !isValidUtf8(name) || codePoints(name) > kMaxNicknameLength)
        return "the nickname must be 1 to " + std::to_string(kMaxNicknameLength) + " characters";
    if (role != "parent" && role != "child") return "the role must be parent or child";
    if (!isValidUtf8(password) || codePoints(password) < kMinPasswordLength || password.size() > kMaxPasswordBytes)
        return "the password must be at least " + std::to_string(kMinPasswordLength) + " characters";
    return std::nullopt;
}

bool isCurrencyCode(std::string_view code) {
    if (code.size() != 3) return false;
    for (char c : code)
        if (c < 'A' || c > 'Z') return false;
    return true;
}

bool isLanguageCode(std::string_view code) {
    if (code == "auto") return true;
    if (code.empty() || code.size() > 35) return false;
    // Subtags of letters and digits joined by "_" or "-", the first one letters only.
    std::size_t start = 0;
    bool first = true;
    while (true) {
        std::size_t end = start;
        while (end < code.size() && (isLetter(code[end]) || isDigit(code[end]))) ++end;
        const auto length = end - start;
        if (length == 0 || length > 8) return false;
        if (first) {
            if (length < 2) return false;
            for (std::size_t i = start; i < end; ++i)
                if (!isLetter(code[i])) return false;
        }
        first = false;
        if (end == code.size()) return true;
        if (code[end] != '_' && code[end] != '-') return false;
        start = end + 1;
    }
}

}  // namespace family
