#pragma once

// Sizes of the family screens, in points.
namespace FamilyStyle {

// The child's pairing card.
inline constexpr int pairingQrMaxWidth = 240;
inline constexpr int pairingSpinnerPadding = 28;  // above and below "Создаём QR-код…"

// A task row of the child's screen.
inline constexpr int taskRowPadding = 5;   // above and below the row's lines
inline constexpr int taskRowInset = 6;     // the list row's own margin around them
inline constexpr int taskLineSpacing = 7;  // between the row's lines

// The scanner sheet.
inline constexpr int viewfinderSide = 255;
inline constexpr int viewfinderRadius = 28;
inline constexpr int viewfinderLine = 4;
inline constexpr int viewfinderShadowRadius = 12;
inline constexpr qreal viewfinderShadowOpacity = 0.35;
inline constexpr int hintPaddingX = 18;
inline constexpr int hintPaddingY = 12;
inline constexpr int hintBottom = 34;  // above the bottom of the sheet
inline constexpr qreal hintOpacity = 0.72;
// The scanner without a camera: reading the code from a picture.
inline constexpr int imageInputMargin = 28;
inline constexpr int imageInputSpacing = 14;
inline constexpr int imageInputSymbolSize = 44;

// The parent center.
inline constexpr int centerSpacing = 18;  // between the page's sections
inline constexpr int centerBottom = 28;   // below the last section
inline constexpr int summaryPadding = 20;
inline constexpr int summaryRadius = 28;
inline constexpr int summaryRowSpacing = 18;
inline constexpr int summaryCircle = 150;  // the lime circle over the bottom trailing corner
inline constexpr int summaryCircleShiftX = 50;
inline constexpr int summaryCircleShiftY = 70;
inline constexpr int summaryTile = 52;
inline constexpr int summaryTileRadius = 17;
inline constexpr int metricSpacing = 8;
inline constexpr int metricPadding = 11;
inline constexpr int metricRadius = 15;
inline constexpr int bannerPadding = 13;
inline constexpr int bannerRadius = 15;
inline constexpr int childChipSpacing = 9;
inline constexpr int selectorSpacing = 10;
inline constexpr int sectionCardPadding = 16;  // composer and connection card
inline constexpr int sectionCardRadius = 24;
inline constexpr int composerSpacing = 14;
inline constexpr int quickStartSpacing = 8;
inline constexpr int fieldPadding = 14;
inline constexpr int fieldRadius = 15;
inline constexpr int rewardBoxWidth = 120;
inline constexpr int rewardBoxPadding = 12;
inline constexpr int boardSpacing = 12;
inline constexpr int filterChipSpacing = 7;
inline constexpr int filterChipPaddingX = 12;
inline constexpr int filterChipPaddingY = 9;
inline constexpr int taskCardPadding = 15;
inline constexpr int taskCardRadius = 20;
inline constexpr int taskCardSpacing = 13;
inline constexpr qreal taskCardOutline = 1.5;
inline constexpr int statusTile = 38;
inline constexpr int statusTileRadius = 12;
inline constexpr int taskButtonSpacing = 9;
inline constexpr int emptyBoardMargin = 18;
inline constexpr int connectionSpacing = 13;
inline constexpr int inviteQrMaxWidth = 190;
inline constexpr int inviteBlockPadding = 12;
inline constexpr int inviteBlockRadius = 18;
inline constexpr int emptyFamilyPadding = 24;
inline constexpr int emptyFamilyTile = 72;
inline constexpr int emptyFamilyTileRadius = 23;
inline constexpr int emptyFamilySymbol = 38;
inline constexpr int linkSpacing = 14;
inline constexpr int linkPadding = 16;
inline constexpr int linkRadius = 22;
inline constexpr int linkTile = 48;
inline constexpr int linkTileRadius = 16;
// The scroll range's guess for a task card not measured yet (the board
// measures its cards down to a screen below what is shown).
inline constexpr int taskCardEstimate = 100;
// The scroll range's guess for the cards below the board until they are built.
inline constexpr int connectionCardEstimate = 230;
inline constexpr int featureLinkEstimate = 80;

}  // namespace FamilyStyle
