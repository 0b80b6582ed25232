#pragma once

#include <QtGlobal>

// Sizes and shades of the analytics screen, in points.
namespace analytics_style {

inline constexpr int bottomExtra = 24;        // more room below the last card
inline constexpr int summarySpacing = 12;     // between the two summary cards
inline constexpr int tileMinimumWidth = 145;  // the insight grid's adaptive column
inline constexpr int gridSpacing = 12;
inline constexpr int tileSpacing = 8;  // symbol, value and title of a tile
inline constexpr int tileSymbolSize = 20;
inline constexpr qreal tileValueMinimumScale = 0.72;
inline constexpr int rowSpacing = 10;     // between a card's rows and their dividers
inline constexpr int rowTextSpacing = 2;  // a row's main text over its caption
inline constexpr int rankSpacing = 3;     // the rank title over the points
inline constexpr int badgeLineSpacing = 8;
inline constexpr int linkPadding = 12;
inline constexpr int linkRadius = 12;
inline constexpr qreal linkFillOpacity = 0.16;
inline constexpr int weeklyChartHeight = 220;
inline constexpr int trendChartHeight = 190;
inline constexpr qreal trendAreaOpacity = 0.16;
inline constexpr int trendLineWidth = 2;
inline constexpr int trendSamplesPerDay = 8;  // points of the smooth curve between two days
inline constexpr int trendDateTicks = 4;
inline constexpr int valueSteps = 4;  // about this many steps up the value axis
inline constexpr int chartLabelPixelSize = 11;
inline constexpr int visibleBadgeLines = 4;

// Heights the lazy column assumes before a card is built.
inline constexpr int summaryEstimate = 110;
inline constexpr int insightsEstimate = 330;
inline constexpr int comparisonEstimate = 200;
inline constexpr int weeklyEstimate = 290;
inline constexpr int trendEstimate = 260;
inline constexpr int categoriesEstimate = 220;
inline constexpr int achievementsEstimate = 300;

}  // namespace analytics_style
