#pragma once

// Sizes of the planner tab and its template sheet, in points.
namespace planner_style {

inline constexpr int rowGap = 8;          // between the parts of a card's row
inline constexpr int toolRowPadding = 6;  // above and below a tools link
inline constexpr int limitFieldWidth = 80;
inline constexpr int limitRowSpacing = 6;  // a category row and its progress lines
inline constexpr int goalRowSpacing = 5;
inline constexpr int templateTextSpacing = 2;  // a template's title over its kind and amount
inline constexpr int templateRowInset = 2;     // above and below a template's texts
inline constexpr int listSpacing = 10;         // between a list's rows and its hairlines
inline constexpr int budgetLinesSpacing = 8;
inline constexpr int gameSymbolSize = 44;
inline constexpr int settingsLinkPadding = 18;
inline constexpr int pressedRadius = 8;  // the highlight behind a pressed plain row

// The cards' heights at a phone's width before they are built (the lazy
// column corrects them as they are).
inline constexpr int toolsEstimate = 420;
inline constexpr int budgetEstimate = 150;
inline constexpr int limitsEstimate = 520;
inline constexpr int goalsEstimate = 200;
inline constexpr int templatesEstimate = 180;
inline constexpr int gameEstimate = 140;
inline constexpr int settingsLinkEstimate = 62;

}  // namespace planner_style
