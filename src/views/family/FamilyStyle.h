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

}  // namespace FamilyStyle
