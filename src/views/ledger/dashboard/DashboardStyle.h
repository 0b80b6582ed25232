#pragma once

// The dashboard's sizes. Colours come from the theme.
namespace dashboard_style {

inline constexpr int bottomPadding = 28;

inline constexpr int balanceCardRadius = 28;
inline constexpr int balanceCardPadding = 22;
inline constexpr int balanceCardSpacing = 20;
inline constexpr int balanceShadowBlur = 36;
inline constexpr int balanceShadowOffset = 8;

inline constexpr int spotlightPadding = 15;
inline constexpr int spotlightSpacing = 14;
inline constexpr int spotlightIconRadius = 17;
inline constexpr int spotlightIconSize = 52;
inline constexpr int spotlightSymbolSize = 26;
inline constexpr int chevronSize = 16;

inline constexpr int todayColumnMinimum = 150;
inline constexpr int gridSpacing = 12;
inline constexpr int quickButtonHeight = 50;
inline constexpr int tileRadius = 14;
inline constexpr int templateTileMinimumWidth = 110;
inline constexpr int templateTileSpacingAcross = 10;  // between two tiles
inline constexpr int templateTilePadding = 12;
inline constexpr int templateTileSpacing = 4;  // a tile's title over its amount
inline constexpr int tipRadius = 18;
inline constexpr int tipPadding = 16;

// The painted lists of the goals and tasks cards: a row, the gap, a hairline,
// the gap, the next row.
inline constexpr int goalListGap = 16;
inline constexpr int taskListGap = 14;
inline constexpr int goalRowGap = 8;      // between the name, the amount and the button
inline constexpr int goalRowSpacing = 8;  // between the name line, the bar and the percent
inline constexpr int goalBarHeight = 6;
inline constexpr int taskRowGap = 12;     // between the texts and the buttons
inline constexpr int taskTextSpacing = 3;

// The estimated heights of the cards at a phone's width, before they are built.
inline constexpr int balanceEstimate = 206;
inline constexpr int spotlightEstimate = 82;
inline constexpr int listCardEstimate = 300;
inline constexpr int todayEstimate = 96;
inline constexpr int quickActionsEstimate = 50;
inline constexpr int templatesEstimate = 130;
inline constexpr int tipEstimate = 76;

}  // namespace dashboard_style
