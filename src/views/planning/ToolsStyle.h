#pragma once

// Sizes of the money tools (wish list, debts, challenges, recurring
// operations, calendar, badges), in points.
namespace tools_style {

inline constexpr int listRowPadding = 12;  // above and below a row inside its list
inline constexpr int listSectionGap = 8;   // a section header and its list
inline constexpr int wishRowSpacing = 9;
inline constexpr int debtRowSpacing = 5;
inline constexpr int challengeRowSpacing = 8;
inline constexpr int recurringLineSpacing = 4;
inline constexpr int buttonGap = 8;  // between the small buttons of a row
inline constexpr int placeholderPadding = 32;
// A record's row height counted before any row of the list is measured.
inline constexpr int estimatedRowHeight = 110;

inline constexpr int badgeColumnMinimum = 155;
inline constexpr int badgeGridSpacing = 12;
inline constexpr int badgeStack = 16;  // summary, filter and grid
inline constexpr int summaryLineSpacing = 14;
inline constexpr int summaryTrophySize = 30;
inline constexpr int summaryTrophyFrame = 58;
inline constexpr int summaryTitleSpacing = 3;
inline constexpr int tileMinimumHeight = 235;
inline constexpr int tilePadding = 12;
inline constexpr int tileRadius = 20;
inline constexpr int tileSpacing = 10;
inline constexpr int tileSymbolSize = 32;
inline constexpr int tileSymbolFrame = 68;
inline constexpr int tileDetailMinimumHeight = 32;
inline constexpr int tileLockSize = 12;
inline constexpr double lockedTileOpacity = 0.78;
inline constexpr double symbolCircleOpacity = 0.14;
inline constexpr double lockedSymbolCircleOpacity = 0.06;
inline constexpr double tierCapsuleOpacity = 0.12;

}  // namespace tools_style
