#pragma once

// Sizes of the settings screen, in points.
namespace settings_style {

inline constexpr int cardSpacing = 18;        // between the cards
inline constexpr int rowSpacing = 12;         // between the rows of a card
inline constexpr int amountFieldWidth = 120;  // the finance card's amount fields, at most
inline constexpr int amountRowPadding = 4;    // above and below an amount row
inline constexpr int statusSymbolSize = 22;   // the security card's shield (title-2 size)
inline constexpr int statusSpacing = 12;      // between the shield and its texts
inline constexpr int statusTextSpacing = 2;   // the status title over its caption
inline constexpr int pickerValueGap = 8;      // a picker row's title, value and chevron
inline constexpr int chevronSize = 13;
inline constexpr int pickerRowPadding = 6;  // above and below a picker row

}  // namespace settings_style
