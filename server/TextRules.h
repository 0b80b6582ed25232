#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace family {

inline constexpr std::size_t kMaxTitleLength = 200;     // characters
inline constexpr std::size_t kMaxNicknameLength = 64;   // characters
inline constexpr std::size_t kMinPasswordLength = 8;    // characters, as the app's sign-in form requires
inline constexpr std::size_t kMaxPasswordBytes = 1024;

// Without leading and trailing ASCII white space and line breaks.
std::string trimmed(std::string_view text);
// Number of UTF-8 code points (the text is assumed valid UTF-8).
std::size_t codePoints(std::string_view text);
bool isValidUtf8(std::string_view text);

// Why an account cannot be made from these fields (an English sentence for the
// operator), or nullopt when it can.
std::optional<std::string> accountProblem(std::string_view email, std::string_view nickname, std::string_view role,
                                          std::string_view password);

// Three upper-case Latin letters, as ISO 4217 codes are.
bool isCurrencyCode(std::string_view code);
// "auto", or a locale identifier such as "ru", "en_US" or "zh-Hans".
bool isLanguageCode(std::string_view code);

}  // namespace family
