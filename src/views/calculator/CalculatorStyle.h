#pragma once

// Sizes of the calculator tab, in points.
namespace calculator_style {

inline constexpr int pageMargin = 16;      // around the whole screen
inline constexpr int sectionSpacing = 14;  // between the picker, the display, the rows and the hint

inline constexpr int displayPadding = 22;
inline constexpr int displayRadius = 26;
inline constexpr int displayPixelSize = 44;
inline constexpr double displayMinimumScale = 0.45;  // shrinks this far before the text is cut
inline constexpr int displayMinHeight = 82;
inline constexpr int displayCaptionSpacing = 6;

inline constexpr int memorySpacing = 8;
inline constexpr int keySpacing = 10;
inline constexpr int keyMinHeight = 64;
inline constexpr int keyRadius = 20;
inline constexpr double operatorFillOpacity = 0.18;
inline constexpr double controlFillOpacity = 0.16;

inline constexpr int historyHeaderSpacing = 8;
inline constexpr int historyRowSpacing = 10;
inline constexpr int historyRowPadding = 16;
inline constexpr int historyRowRadius = 18;
inline constexpr int historyRowLineSpacing = 4;

}  // namespace calculator_style
