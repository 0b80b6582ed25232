#pragma once

// Sizes of the feature center and its detail page, in points.
namespace feature_style {

inline constexpr int heroPadding = 20;
inline constexpr int heroSpacing = 16;
inline constexpr int heroRadius = 28;
inline constexpr double heroFromOpacity = 0.20;  // orange, top leading
inline constexpr double heroToOpacity = 0.08;    // yellow, bottom trailing
inline constexpr int heroTile = 72;
inline constexpr int heroTileRadius = 20;
inline constexpr int heroSymbol = 38;
inline constexpr int versionMarkSize = 72;  // the faint "1.5" behind the hero
inline constexpr double versionMarkOpacity = 0.035;
inline constexpr int versionMarkPadding = 8;
inline constexpr int heroTitleSpacing = 4;

inline constexpr int chipSpacing = 8;
inline constexpr int chipPaddingX = 12;
inline constexpr int chipPaddingY = 8;
inline constexpr int chipSymbol = 13;
inline constexpr int chipGap = 5;  // symbol to label

inline constexpr int sectionSpacing = 10;  // header and rows of a group
inline constexpr int sectionHeaderInset = 2;
inline constexpr int rowPadding = 12;
inline constexpr int rowSpacing = 12;
inline constexpr int rowRadius = 18;
inline constexpr int rowTile = 44;
inline constexpr int rowTileRadius = 14;
inline constexpr int rowSymbol = 20;
inline constexpr int rowTextSpacing = 2;
inline constexpr int chevronSize = 12;
inline constexpr int rowDetailLines = 2;  // a longer detail ends in "…" on its second line
inline constexpr int rowPressedDarker = 110;
inline constexpr int rowFocusWidth = 2;
inline constexpr int headerSymbolGap = 6;

// Heights the lazy column assumes before a card is built.
inline constexpr int heroEstimate = 260;
inline constexpr int pickerEstimate = 34;
inline constexpr int listEstimate = 3600;

inline constexpr int detailPadding = 28;
inline constexpr int detailSpacing = 16;
inline constexpr int detailTile = 96;
inline constexpr int detailTileRadius = 28;
inline constexpr int detailSymbol = 46;
inline constexpr int capsulePaddingX = 14;
inline constexpr int capsulePaddingY = 8;
inline constexpr double capsuleOpacity = 0.12;
inline constexpr int panelPadding = 16;

}  // namespace feature_style
