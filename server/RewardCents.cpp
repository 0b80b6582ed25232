#include "RewardCents.h"

#include <charconv>
#include <string_view>

namespace family {

std::int64_t rewardCents(double units) {
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, units, std::chars_format::fixed);
    const std::string_view text(buffer, result.ptr - buffer);
    const auto point = text.find('.');
    const auto whole = text.substr(0, point);
    const auto fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);

    std::int64_t cents = 0;
    for (char c : whole) cents = cents * 10 + (c - '0');
    for (std::size_t i = 0; i < 2; ++i) cents = cents * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    if (fraction.size() > 2 && fraction[2] >= '5') ++cents;
    return cents;
}

}  // namespace family
